#pragma once
// Records the warnings logged while it exists (e.g. by QMetaObject::connectSlotsByName while a
// form is built); every message still reaches the handler that was installed before.

#include <QStringList>
#include <QtGlobal>

class WarningRecorder
{
public:
    WarningRecorder();
    ~WarningRecorder();
    WarningRecorder(const WarningRecorder &) = delete;
    WarningRecorder &operator=(const WarningRecorder &) = delete;

    /// The warnings logged so far.
    QStringList warnings() const { return m_warnings; }

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &message);

    QStringList m_warnings;
    QtMessageHandler m_previous = nullptr;
    WarningRecorder *m_outer = nullptr;
};
