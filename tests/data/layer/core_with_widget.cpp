#include "common/Hex.h"
#include <QWidget>
