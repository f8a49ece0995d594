#pragma once
#include "device/B.h"
