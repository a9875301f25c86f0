// draft2d: 2-D geometry and engineering drawing. Includes every public header of the library.
#pragma once

#include "platform/win32.h"
