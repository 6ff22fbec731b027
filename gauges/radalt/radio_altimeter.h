// The radio altimeter's needle arithmetic, shared with its tests.
#pragma once

#include "module/table_angle.h"  // TableAngle
