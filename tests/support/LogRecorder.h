#pragma once
// Records the debug lines logged while it exists, with the filter rules it was given switched
// on (by default the debug output of every "pelm." category); other messages still reach the
// handler installed before. It clears the program's filter rules when it goes.

#include <QMutex>
#include <QString>
#include <QStringList>
#include <QtGlobal>

class LogRecorder
{
public:
    explicit LogRecorder(const QString &rules = QStringLiteral("pelm.*.debug=true"));
    ~LogRecorder();
    LogRecorder(const LogRecorder &) = delete;
    LogRecorder &operator=(const LogRecorder &) = delete;

    /// The messages of one category, in order.
    QStringList lines(const QString &category) const;
    /// Every line as "category: message", in order.
    QStringList all() const;
    void clear();

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &message);

    mutable QMutex m_mutex;
    QList<QPair<QString, QString>> m_lines;
    QtMessageHandler m_previous = nullptr;
};
