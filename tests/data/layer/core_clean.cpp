#include <QObject>
#include <QTimer>
#include "device/protocol/Protocol.h" // a QWidget is not used here
