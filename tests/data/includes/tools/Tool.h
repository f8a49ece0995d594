#pragma once
#include "device/A.h"
