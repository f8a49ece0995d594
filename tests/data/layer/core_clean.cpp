#include <QObject>
#include <QTimer>
#include "device/Protocol.h" // a QWidget is not used here
