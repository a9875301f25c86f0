// CGraphSystem: construction, copying, destruction, line type selection and the path store with its
// drawing.
#include "view/CGraphSystem_p.h"

#include <new>
#include <vector>

#include "algorithms/helpers.h"
#include "linetype/CLineType.h"
#include "text/CFontFormat.h"
#include "view/CGraphCanvas.h"

using draft2d::detail::ViewPath;

const double CGraphSystem::MAX_USER_SCRMM = 1000.0;
const double CGraphSystem::MIN_USER_SCRMM = 0.0001;
double CGraphSystem::MAX_VIEW_SCALE = 100.0;
const double CGraphSystem::MIN_VIEW_SCALE = 0.02;

namespace {

// The prompt text format: 10 points of 宋体 at the face's own width. Null when it cannot be made; every user
// of the prompt format accepts null.
std::unique_ptr<CFontFormat> MakePromptFormat() {
    try {
        std::unique_ptr<CFontFormat> f(new CFontFormat(-10.0));
        f->SetFontName("\xcb\xce\xcc\xe5"); // 宋体
        f->SetWidthPer(0.0f);
        return f;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

std::unique_ptr<CFontFormat> CopyPromptFormat(const CFontFormat* other) {
    if (other == nullptr)
        return nullptr;
    try {
        return std::unique_ptr<CFontFormat>(new CFontFormat(*other));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

const char kOutOfMemory[] = "\xc4\xda\xb4\xe6\xb2\xbb\xd7\xe3"; // 内存不足

} // namespace

void CGraphSystem::State::CopyParameters(const State& o, bool forAssignment) {
    userToMm = o.userToMm;
    userX = o.userX;
    userY = o.userY;
    viewScale = o.viewScale;
    viewX = o.viewX;
    viewY = o.viewY;
    width = o.width;
    height = o.height;
    mmPixelsX = o.mmPixelsX;
    mmPixelsY = o.mmPixelsY;
    adjustScaleX = o.adjustScaleX;
    adjustScaleY = o.adjustScaleY;
    for (int i = 0; i < 5; ++i)
        ucsStack[i] = o.ucsStack[i];
    ucsDepth = o.ucsDepth;
    zoomMode = o.zoomMode;
    mouseX = o.mouseX;
    mouseY = o.mouseY;
    mouseDown = o.mouseDown;
    if (!forAssignment) {
        regenFunc = o.regenFunc;
        regenData = o.regenData;
        lineType = o.lineType;
        lineTypeSelected = o.lineTypeSelected;
        isPrint = o.isPrint;
    }
    bkColor = o.bkColor;
    clearColor = o.clearColor;
    colorMode = o.colorMode;
    SetClip(o.clipRect);
    lineWidthEnabled = o.lineWidthEnabled;
    lineScale = o.lineScale;
    paperSize = o.paperSize;
    gridType = o.gridType;
    gridX = o.gridX;
    gridY = o.gridY;
    gridOrigin = o.gridOrigin;
    gridRect = o.gridRect;
    autoDrawPath = o.autoDrawPath;
}

CGraphSystem::CGraphSystem(const CLineTypes* types)
    : zoomWndColor(0xFFFFFFFFul), state(nullptr),
      lineTypes(types != nullptr ? types : &CLineTypes::c_object) {
    state = new (std::nothrow) State;
    if (state == nullptr)
        kx_abort(kOutOfMemory);
    if (!IsNT() && MAX_VIEW_SCALE > 15.0)
        MAX_VIEW_SCALE = 15.0;
    state->promptFormat = MakePromptFormat();
}

CGraphSystem::CGraphSystem(const CGraphSystem& other)
    : zoomWndColor(other.zoomWndColor), state(nullptr), lineTypes(other.lineTypes) {
    state = new (std::nothrow) State;
    if (state == nullptr)
        kx_abort(kOutOfMemory);
    state->CopyParameters(*other.state, false);
    state->promptFormat = CopyPromptFormat(other.state->promptFormat.get());
}

void CGraphSystem::operator=(const CGraphSystem& other) {
    if (&other == this)
        return;
    state->CopyParameters(*other.state, true);
    lineTypes = other.lineTypes;
    DropBitmapsNotFitting();
}

CGraphSystem::~CGraphSystem() {
    ClearBmpSaved();
    Detach();
    ClearPaths();
    state->promptFormat.reset();
    delete state;
}

// ---------------------------------------------------------------------------------------------
// Line type selection

CLineType* CGraphSystem::FindLineType(const char* name) {
    return lineTypes->Find(name);
}

void CGraphSystem::SetLineType(const char* name, double scale) {
    if (name == nullptr) {
        state->lineType = nullptr;
        return;
    }
    CLineType* lt = lineTypes->Find(name);
    if (lt == nullptr)
        lt = lineTypes->Find(nullptr);
    state->lineType = lt;
    state->lineTypeSelected = lt != nullptr ? lt->GetName() : std::string();
    if (scale > 1e-7)
        state->lineScale = scale;
}

const char* CGraphSystem::GetLineType() const {
    if (state->lineType == nullptr)
        return nullptr;
    // The line type's own name, valid while the line type lives: a host (or a canvas) may keep it
    // across drawing calls, which read the line type themselves. A line type its registry has
    // dropped since it was selected draws as the solid line, so that is its name.
    const CLineType* lt = CurrentLineType();
    return (lt != nullptr ? lt : &CLineTypes::c_solidLine)->name.c_str();
}

CLineType* CGraphSystem::CurrentLineType() const {
    // A line type the registry dropped may have left its address to a new one: the view's pointer
    // is taken for the line type selected only while that still has the name it had then.
    CLineType* lt = LiveLineType(state->lineType);
    if (lt != nullptr && lt != &CLineTypes::c_solidLine && lt->GetName() != state->lineTypeSelected)
        return nullptr;
    return lt;
}

void CGraphSystem::RestoreLineType(CLineType* lt, const char* name, double scale) {
    if (name != nullptr && lt != nullptr && LiveLineType(lt) == lt) {
        state->lineType = lt;
        state->lineTypeSelected = lt->GetName();
        if (scale > 1e-7)
            state->lineScale = scale;
        return;
    }
    SetLineType(name, scale);
}

CLineType* CGraphSystem::LiveLineType(CLineType* lt) const {
    if (lt == nullptr || lt == &CLineTypes::c_solidLine)
        return lt;
    const unsigned n = lineTypes->GetCount();
    for (unsigned i = 0; i < n; ++i) {
        if (lineTypes->GetItem(i) == lt)
            return lt;
    }
    return nullptr;
}

double CGraphSystem::GetLineScale() const {
    return state->lineScale;
}

// ---------------------------------------------------------------------------------------------
// Path store

bool CGraphSystem::SetAutoDrawPath(bool on) {
    bool old = state->autoDrawPath;
    state->autoDrawPath = on;
    return old;
}

void CGraphSystem::BeginPaths() {
    ClearPaths();
    state->pathsActive = 1;
}

void CGraphSystem::ClearPaths() {
    state->pathsActive = 0;
    for (std::unique_ptr<ViewPath>& path : state->paths) {
        if (state->sparePaths.size() >= State::kSparePaths)
            break;
        path->points.clear();
        state->sparePaths.push_back(std::move(path));
    }
    state->paths.clear();
    state->curPath = nullptr;
}

void CGraphSystem::AddToNewPathAfterNow() {
    state->curPath = nullptr;
}

void CGraphSystem::AddToPath(double x, double y, int newPath) {
    ViewPath* path = state->curPath;
    bool open = path == nullptr;
    if (!open && newPath != 0 && !path->points.empty())
        open = mg_distance(path->points.back(), mgPoint(x, y)) > 2.1;
    try {
        if (open) {
            std::unique_ptr<ViewPath> p;
            if (!state->sparePaths.empty()) {
                p = std::move(state->sparePaths.back());
                state->sparePaths.pop_back();
            } else {
                p.reset(new ViewPath);
            }
            p->lineType = CurrentLineType();
            p->lineScale = state->lineScale;
            path = p.get();
            state->paths.push_back(std::move(p));
            state->curPath = path;
        }
        path->points.push_back(mgPoint(x, y));
    } catch (const std::bad_alloc&) {
        // The point is dropped; the paths collected so far stay intact.
    }
}

void CGraphSystem::DrawPath() {
    HDC dc = GetDrawDC();
    if (dc == nullptr)
        return;
    for (const std::unique_ptr<ViewPath>& path : state->paths) {
        std::deque<mgPoint>& pts = path->points;
        const size_t n = pts.size();
        if (n < 2)
            continue;
        // The line type may have left its registry since the path was opened: the solid line then.
        CLineType* lt = LiveLineType(path->lineType);
        if (lt == nullptr)
            lt = lineTypes->Find(nullptr);
        if (lt != nullptr) {
            lt->DrawLine(this, dc, &pts, state->viewScale * path->lineScale);
        } else {
            for (size_t i = 0; i < n; ++i) {
                const mgPoint& a = pts[i];
                const mgPoint& b = pts[(i + 1) % n];
                DrawLinePx(dc, a.x(), a.y(), b.x(), b.y());
            }
        }
        // A closed outline of more than three points is filled, over its inside, under a solid or
        // hatched brush, without a pen.
        if (n > 3 && mg_distance(pts.front(), pts.back()) < 2.0) {
            CGraphCanvas canvas(this, nullptr, 0);
            const int style = canvas.GetBrushStyle();
            if (style == BS_SOLID || style == BS_HATCHED) {
                canvas.SetPen(static_cast<HPEN>(::GetStockObject(NULL_PEN)));
                // The fill is clipped as a direct polygon is, so far vertices never bend its edges
                // away from the outline just drawn.
                try {
                    draft2d::detail::DrawPolyPoints(dc, std::vector<mgPoint>(pts.begin(), pts.end()), true);
                } catch (const std::bad_alloc&) {
                    // No fill when the points cannot be copied.
                }
            }
        }
    }
}
