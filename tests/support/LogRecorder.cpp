#include "support/LogRecorder.h"

#include <QLoggingCategory>

namespace {
LogRecorder *g_recorder = nullptr;
} // namespace

LogRecorder::LogRecorder(const QString &rules)
{
    Q_ASSERT(!g_recorder);
    g_recorder = this;
    m_previous = qInstallMessageHandler(&LogRecorder::handle);
    QLoggingCategory::setFilterRules(rules);
}

LogRecorder::~LogRecorder()
{
    QLoggingCategory::setFilterRules(QString());
    qInstallMessageHandler(m_previous);
    g_recorder = nullptr;
}

QStringList LogRecorder::lines(const QString &category) const
{
    QMutexLocker lock(&m_mutex);
    QStringList out;
    for (const auto &l : m_lines) {
        if (l.first == category)
            out << l.second;
    }
    return out;
}

QStringList LogRecorder::all() const
{
    QMutexLocker lock(&m_mutex);
    QStringList out;
    for (const auto &l : m_lines)
        out << l.first + QLatin1String(": ") + l.second;
    return out;
}

void LogRecorder::clear()
{
    QMutexLocker lock(&m_mutex);
    m_lines.clear();
}

void LogRecorder::handle(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    LogRecorder *r = g_recorder;
    if (type == QtDebugMsg && r) {
        QMutexLocker lock(&r->m_mutex);
        r->m_lines.append({QString::fromLatin1(context.category ? context.category : ""), message});
        return;
    }
    if (r && r->m_previous)
        r->m_previous(type, context, message);
}
