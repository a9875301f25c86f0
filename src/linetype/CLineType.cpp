#include "linetype/CLineType.h"

#include "algorithms/angles.h"
#include "algorithms/helpers.h"
#include "io/CStringSplit.h"
#include "linetype/linetype_p.h"

#include <cfloat>
#include <cstdlib>
#include <cstring>
#include <new>

namespace draft2d::detail {

float SaturatedFloat(double v) {
    if (v != v) {
        return 0.0f;
    }
    if (v > FLT_MAX) {
        return FLT_MAX;
    }
    if (v < -FLT_MAX) {
        return -FLT_MAX;
    }
    return static_cast<float>(v);
}

char* DuplicateText(const char* s) {
    if (s == nullptr) {
        return nullptr;
    }
    const size_t n = strlen(s);
    char* p = static_cast<char*>(malloc(n + 1));
    if (p != nullptr) {
        memcpy(p, s, n + 1);
    }
    return p;
}

} // namespace draft2d::detail

using draft2d::detail::DuplicateText;
using draft2d::detail::SaturatedFloat;

namespace {

// The low 8 bits of v truncated toward zero. Every double of magnitude 2^63 or more is a multiple
// of 256, so its low byte is 0; NaN gives 0 as well.
unsigned char LowByteOfTruncated(double v) {
    if (!(v > -9.2e18 && v < 9.2e18)) {
        return 0;
    }
    return static_cast<unsigned char>(static_cast<unsigned long long>(static_cast<long long>(v)) & 0xFFu);
}

float FieldFloat(const CStringSplit& fields, int i) {
    return SaturatedFloat(fields.GetItemDouble(i));
}

// A text field copied; a missing field gives an empty text.
char* FieldText(const CStringSplit& fields, int i) {
    const char* s = fields.GetItem(i);
    return DuplicateText(s ? s : "");
}

} // namespace

// ---- item_data ---------------------------------------------------------------------------------

CLineType::item_data::item_data()
    : kind('M'), start(0), end(0), pos(0), offset(0), radius(0), from(0), to(0), spacing(0), inset(0),
      angle(0), height(0), offsetCount(0), offsets(nullptr), fillFlags(0), textFlags(0), blockName(nullptr),
      text(nullptr) {}

CLineType::item_data::item_data(const item_data& other) : item_data() {
    *this = other;
}

CLineType::item_data& CLineType::item_data::operator=(const item_data& other) {
    if (this == &other) {
        return *this;
    }
    Release();
    kind = other.kind;
    start = other.start;
    end = other.end;
    pos = other.pos;
    offset = other.offset;
    radius = other.radius;
    from = other.from;
    to = other.to;
    spacing = other.spacing;
    inset = other.inset;
    angle = other.angle;
    height = other.height;
    fillFlags = other.fillFlags;
    textFlags = other.textFlags;
    // The owned blocks are duplicated; a text that cannot be copied stays null, an offset array
    // that cannot be copied leaves offsetCount 0.
    blockName = DuplicateText(other.blockName);
    text = DuplicateText(other.text);
    if (other.offsets != nullptr && other.offsetCount > 0) {
        const size_t bytes = static_cast<size_t>(other.offsetCount) * sizeof(float);
        offsets = static_cast<float*>(malloc(bytes));
        if (offsets != nullptr) {
            memcpy(offsets, other.offsets, bytes);
            offsetCount = other.offsetCount;
        }
    }
    return *this;
}

CLineType::item_data::~item_data() {
    Release();
}

void CLineType::item_data::Release() {
    free(blockName);
    free(text);
    free(offsets);
    kind = 'M';
    start = end = pos = offset = radius = from = to = spacing = inset = angle = height = 0.0f;
    offsetCount = 0;
    offsets = nullptr;
    fillFlags = textFlags = 0;
    blockName = nullptr;
    text = nullptr;
}

// ---- CLineType ---------------------------------------------------------------------------------

CLineType::CLineType() : period(0.0f) {}

CLineType::CLineType(const CLineType& other) : period(0.0f) {
    *this = other;
}

CLineType& CLineType::operator=(const CLineType& other) {
    if (this == &other) {
        return *this;
    }
    Clear();
    name = other.name;
    comment = other.comment;
    period = other.period;
    for (const item_data* src : other.items) {
        items.push_back(new item_data(*src));
    }
    return *this;
}

CLineType::~CLineType() {
    Clear();
}

void CLineType::Clear() {
    for (item_data* item : items) {
        delete item;
    }
    items.clear();
    name.clear();
    comment.clear();
    period = 0.0f;
}

int CLineType::SetLineTypeDef(const char* def, const char* nm) {
    Clear();
    const char* useName = (nm != nullptr && nm[0] != 0) ? nm : def;
    if (useName == nullptr || useName[0] == 0) {
        return 0;
    }
    try {
        name = useName;
        if (def != nullptr) {
            std::deque<std::string> pieces;
            split(def, "-", pieces);
            // Pieces alternate dash, gap, dash, ... The running position is the period itself.
            unsigned counted = 0;
            for (const std::string& piece : pieces) {
                if (!IsValidFloatStr(piece.c_str(), true, 0.001, true, 1000.0, true)) {
                    break;
                }
                const double v = atof(piece.c_str());
                if (v < 1e-7) {
                    continue; // a blank piece does not count in the alternation
                }
                if (counted % 2 == 0) {
                    item_data* dash = new item_data;
                    dash->start = period;
                    dash->end = static_cast<float>(period + v);
                    items.push_back(dash);
                }
                period = static_cast<float>(period + v);
                ++counted;
            }
        }
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return (!items.empty() && period > 0.0009999 && period < 1000.0000001) ? 1 : 0;
}

int CLineType::AddItemDataOfLineType(char kind, CStringSplit& fields) {
    item_data* item = new (std::nothrow) item_data;
    if (item == nullptr) {
        return -1;
    }
    item->kind = kind;
    bool ok = true;
    switch (kind) {
    case 'M': {
        item->start = FieldFloat(fields, 0);
        item->end = FieldFloat(fields, 1);
        const int n = fields.GetCount();
        if (n < 4) {
            item->offset = FieldFloat(fields, 2);
        } else {
            // One parallel stroke per offset field.
            item->offsets = static_cast<float*>(malloc(static_cast<size_t>(n - 2) * sizeof(float)));
            ok = item->offsets != nullptr;
            if (ok) {
                item->offsetCount = n - 2;
                for (int k = 2; k < n; ++k) {
                    item->offsets[k - 2] = FieldFloat(fields, k);
                }
            }
        }
        break;
    }
    case 'C':
        item->pos = FieldFloat(fields, 0);
        item->offset = FieldFloat(fields, 1);
        item->radius = FieldFloat(fields, 2);
        break;
    case 'E':
    case 'H':
    case 'h':
        item->pos = FieldFloat(fields, 0);
        item->from = FieldFloat(fields, 1);
        item->to = FieldFloat(fields, 2);
        break;
    case 'B':
        item->blockName = FieldText(fields, 0);
        ok = item->blockName != nullptr;
        item->pos = FieldFloat(fields, 1);
        item->offset = FieldFloat(fields, 2);
        break;
    case 'b':
        item->blockName = FieldText(fields, 0);
        ok = item->blockName != nullptr;
        item->spacing = FieldFloat(fields, 1);
        item->inset = FieldFloat(fields, 2);
        item->fillFlags = LowByteOfTruncated(fields.GetItemDouble(3));
        break;
    case 'Z':
        item->pos = FieldFloat(fields, 0);
        item->offset = FieldFloat(fields, 1);
        item->angle = SaturatedFloat(Deg2Rad(fields.GetItemDouble(2)));
        item->height = FieldFloat(fields, 3);
        item->textFlags = static_cast<unsigned char>(fields.GetItemInteger(4) & 0xFF);
        item->text = FieldText(fields, 5);
        ok = item->text != nullptr;
        break;
    default:
        // Unknown kinds are kept with every member zero; they draw nothing.
        break;
    }
    if (ok) {
        try {
            items.push_back(item);
            return 0;
        } catch (const std::bad_alloc&) {
        }
    }
    delete item;
    return -1;
}
