// CGraphSystem: the symbol library and symbol placement.
#include "view/CGraphSystem_p.h"

#include "symbol/mgSymbol.h"

bool CGraphSystem::LoadSymbols(const char* dir) {
    mgSymbols::c_object.Clear();
    return mgSymbols::c_object.Load(dir);
}
