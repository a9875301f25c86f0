// Directory search and unbuffered reading as the symbol loader uses them, with '\' in paths.
#include "platform/devices.h"
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

std::string makeDir(const char* name) {
    const std::string dir = std::string(DRAFT2D_TEST_OUTPUT_DIR) + "/" + name;
    std::filesystem::create_directories(dir);
    return dir;
}

void writeFile(const std::string& path, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

std::vector<std::string> listAll(const std::string& pattern) {
    std::vector<std::string> names;
    _finddata_t fd;
    intptr_t h = _findfirst(pattern.c_str(), &fd);
    if (h == -1)
        return names;
    do
        names.push_back(fd.name);
    while (_findnext(h, &fd) == 0);
    EXPECT_EQ(_findclose(h), 0);
    return names;
}

TEST(RuntimeFiles, FindMatchesPatternsWithEitherSeparator) {
    const std::string dir = makeDir("crt_find");
    writeFile(dir + "/b.20", "bb");
    writeFile(dir + "/A.20", "a");
    writeFile(dir + "/c.20s", "ccc");
    writeFile(dir + "/d.2", "");
    const std::vector<std::string> want = {"A.20", "b.20"};
    EXPECT_EQ(listAll(dir + "\\*.20"), want);
    EXPECT_EQ(listAll(dir + "/*.20"), want);
    EXPECT_EQ(listAll(dir + "\\*.20S"), std::vector<std::string>{"c.20s"}); // case-insensitive
    EXPECT_EQ(listAll(dir + "\\?.2"), std::vector<std::string>{"d.2"});
    EXPECT_TRUE(listAll(dir + "\\*.none").empty());
    EXPECT_TRUE(listAll(dir + "_missing\\*.20").empty());

    _finddata_t fd;
    intptr_t h = _findfirst((dir + "\\*.20s").c_str(), &fd);
    ASSERT_NE(h, -1);
    EXPECT_EQ(fd.size, 3u);
    EXPECT_EQ(fd.attrib & _A_SUBDIR, 0u);
    EXPECT_EQ(_findnext(h, &fd), -1); // only one match
    EXPECT_EQ(_findclose(h), 0);
    if (draft2d::IsCallTraceAvailable()) {
        // Our runtime keeps a table of open searches and refuses a handle that is not in it. The
        // system's runtime frees the search behind the handle, so using it again is undefined.
        EXPECT_EQ(_findclose(h), -1); // already closed
        EXPECT_EQ(_findnext(h, &fd), -1);
    }
    EXPECT_EQ(_findfirst(nullptr, &fd), -1);
}

TEST(RuntimeFiles, OpenReadsBinaryBytesThroughBackslashPaths) {
    const std::string dir = makeDir("crt_open");
    const std::string bytes("\x01\x00\xff\x0d\x0a\x1a tail", 10);
    writeFile(dir + "/sym.20s", bytes);
    const int fd = _open((dir + "\\sym.20s").c_str(), _O_RDONLY | _O_BINARY);
    ASSERT_GT(fd, 0);
    char buf[32];
    EXPECT_EQ(_read(fd, buf, 4), 4);
    EXPECT_EQ(_read(fd, buf + 4, sizeof buf - 4), 6);
    EXPECT_EQ(std::string(buf, 10), bytes);
    EXPECT_EQ(_read(fd, buf, sizeof buf), 0); // end of file
    EXPECT_EQ(_close(fd), 0);
    EXPECT_EQ(_read(fd, buf, 1), -1);
    EXPECT_EQ(_open((dir + "\\missing").c_str(), _O_RDONLY | _O_BINARY), -1);
}

} // namespace
