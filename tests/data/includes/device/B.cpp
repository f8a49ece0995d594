#include "device/B.h"
#include "device/A.h"
