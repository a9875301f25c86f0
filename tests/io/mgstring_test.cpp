#include <gtest/gtest.h>

#include <cstring>

#include "io/MgString.h"

TEST(MgString, EmptyIsNullButEmptyTextIsNot) {
    MgString none;
    EXPECT_EQ(none.c_str(), nullptr);
    EXPECT_EQ(none.length(), 0u);
    MgString fromNull(nullptr);
    EXPECT_EQ(fromNull.c_str(), nullptr);

    MgString empty("");
    ASSERT_NE(empty.c_str(), nullptr);
    EXPECT_EQ(empty.c_str()[0], '\0');
    EXPECT_EQ(empty.length(), 0u);

    MgString copyOfNone(none);
    EXPECT_EQ(copyOfNone.c_str(), nullptr);
    MgString assigned("x");
    assigned = none;
    EXPECT_EQ(assigned.c_str(), nullptr);
}

TEST(MgString, CopiesOwnTheirText) {
    char text[] = "\xcb\xce\xcc\xe5 font"; // 宋体 font
    MgString a(text);
    text[0] = 'X';
    EXPECT_STREQ(a.c_str(), "\xcb\xce\xcc\xe5 font");
    EXPECT_EQ(a.length(), 9u);

    MgString b(a);
    EXPECT_NE(b.c_str(), a.c_str());
    a = "other";
    EXPECT_STREQ(b.c_str(), "\xcb\xce\xcc\xe5 font");
    b = a;
    EXPECT_STREQ(b.c_str(), "other");
    EXPECT_NE(b.c_str(), a.c_str());

    const MgString& cb = b;
    const char* viaConst = cb;
    char* viaMutable = b;
    EXPECT_EQ(viaConst, b.c_str());
    EXPECT_EQ(viaMutable, b.c_str());
}

TEST(MgString, SelfAssignmentKeepsTheText) {
    MgString s("keep me");
    const char* held = s.c_str();
    MgString& alias = s;
    s = alias;
    EXPECT_EQ(s.c_str(), held);
    s = s.c_str();
    EXPECT_EQ(s.c_str(), held);
    EXPECT_STREQ(s.c_str(), "keep me");

    // A tail of its own text is copied before the old buffer goes.
    s = s.c_str() + 5;
    EXPECT_STREQ(s.c_str(), "me");
}

TEST(MgString, Clear) {
    MgString s("abc");
    s.clear();
    EXPECT_EQ(s.c_str(), nullptr);
    EXPECT_EQ(s.length(), 0u);
    s.clear();
    s = static_cast<const char*>(nullptr);
    EXPECT_EQ(s.c_str(), nullptr);
}
