// The library's process-wide objects.
//
// They are defined here, in one translation unit, so that their construction order is the load
// order below and their destruction runs in reverse at unload:
//   1. CLineTypes::c_solidLine     the empty solid line type
//   2. CLineTypes::c_object        the registry, filled with the standard line types
//   3. mgMatrix::unitMatrix()      the identity matrix
//      mgPoint::xUnitVector()      the unit vector along x
//   4. mgSymbols::c_object         the empty symbol library
// Each subsystem adds its objects here when it is built.

#include "linetype/CLineType.h"
#include "symbol/mgSymbol.h"
#include "values/mgMatrix.h"
#include "values/mgPoint.h"
#include "values/values_p.h"

// 1. The solid line type, shared by every view and never stored in a registry.
CLineType CLineTypes::c_solidLine;
// 2. The process-wide registry, holding the fourteen standard line types from the start.
CLineTypes CLineTypes::c_object(1);

// 3. The identity matrix and the unit vector along x. Their constructors are constexpr, so both are
// constant-initialised: valid before any dynamic initialisation and never destroyed.
const mgMatrix draft2d::detail::g_unitMatrix;
const mgPoint draft2d::detail::g_xUnitVector(1.0, 0.0);

// 4. The symbol library, empty until symbols are loaded; destroyed before the line types. Symbol
// files are binary unless the host switches the flag.
mgSymbols mgSymbols::c_object;
bool mgSymbols::c_bTxtFile = false;
