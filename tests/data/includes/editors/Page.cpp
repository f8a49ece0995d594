#include "tools/Tool.h"
#include "device/A.h"
#include <QWidget>
