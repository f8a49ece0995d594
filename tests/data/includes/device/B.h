#pragma once
#include "common/Bytes.h"
