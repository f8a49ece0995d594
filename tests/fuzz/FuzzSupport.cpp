#include "FuzzSupport.h"

#include "common/Resources.h"

#include <QCoreApplication>
#include <QLoggingCategory>

namespace {

void dropMessage(QtMsgType, const QMessageLogContext &, const QString &) {}

} // namespace

namespace Fuzz {

int QuietReporter::box(const Box &b)
{
    ++boxes;
    if (b.buttons & Open)
        return Open;
    return b.defaultButton != NoButton ? b.defaultButton : Ok;
}

void QuietReporter::status(const QString &text, int timeoutMs)
{
    Q_UNUSED(text)
    Q_UNUSED(timeoutMs)
}

QuietReporter &quietReporter()
{
    static QuietReporter rep;
    return rep;
}

void init(int *argc, char ***argv)
{
    // The application object lives as long as the process: the event loops of the BLE
    // transport need it, and libFuzzer never returns from its main.
    static QCoreApplication *app = new QCoreApplication(*argc, *argv);
    Q_UNUSED(app)
    initCoreResources();
    if (qEnvironmentVariableIsEmpty("PELM_FUZZ_VERBOSE")) {
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
        qInstallMessageHandler(dropMessage);
    }
    setReporter(&quietReporter());
}

} // namespace Fuzz
