// draft2d: 2-D geometry and engineering drawing. Includes every public header of the library.
#pragma once

#include "platform/win32.h"
#include "platform/devices.h"

#include "algorithms/angles.h"
#include "algorithms/arcs.h"
#include "algorithms/clip.h"
#include "algorithms/helpers.h"
#include "algorithms/intersect.h"
#include "algorithms/spline.h"

#include "io/CIoBuffer.h"
#include "io/CStringSplit.h"
#include "io/MgString.h"

#include "values/AcArray.h"
#include "values/mgArc.h"
#include "values/mgLine.h"
#include "values/mgMatrix.h"
#include "values/mgPoint.h"
#include "values/mgPoly.h"
#include "values/mgRect.h"
#include "values/mgFitCurve.h"
#include "values/mgSplines.h"

#include "linetype/CLineType.h"
#include "symbol/mgSymbol.h"
#include "text/CFontFormat.h"
#include "text/CFontFormat2.h"

#include "view/CGraphCanvas.h"
#include "view/CGraphSystem.h"
#include "view/CGraphSys3D.h"
