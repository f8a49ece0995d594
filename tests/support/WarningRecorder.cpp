#include "support/WarningRecorder.h"

namespace {
WarningRecorder *g_current = nullptr;
QtMessageHandler g_previous = nullptr;
} // namespace

WarningRecorder::WarningRecorder() : m_outer(g_current)
{
    m_previous = qInstallMessageHandler(&WarningRecorder::handle);
    if (!m_outer)
        g_previous = m_previous;
    g_current = this;
}

WarningRecorder::~WarningRecorder()
{
    g_current = m_outer;
    qInstallMessageHandler(m_previous);
}

void WarningRecorder::handle(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg) {
        for (WarningRecorder *r = g_current; r; r = r->m_outer)
            r->m_warnings << message;
    }
    if (g_previous)
        g_previous(type, context, message);
}
