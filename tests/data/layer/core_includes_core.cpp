// A core file that includes core headers by path: compiles with core's include root alone.
#include "common/Reporter.h"
#include "device/family/FamilyModel.h"
