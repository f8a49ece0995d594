#pragma once
// What a core operation has to tell the user, as a value: its boxes and status texts in the
// order they arose. Core fills it and returns it with its result; the caller presents it (the
// GUI as boxes and status-bar messages, the command line as printed lines, the fleet roll-out
// as a device's reason) or decides on it.

#include "common/Reporter.h"

#include <QString>
#include <QStringList>
#include <QVector>

class Outcome
{
public:
    /// One box or one status message.
    struct Message
    {
        bool isBox = false;
        Reporter::Box box; ///< when isBox
        QString status;    ///< when !isBox (empty: takes back the message shown)
        int timeoutMs = 0; ///< of a status
    };

    void box(const Reporter::Box &b);
    void critical(const QString &title, const QString &text);
    void warning(const QString &title, const QString &text);
    void status(const QString &text, int timeoutMs);
    /// Appends the messages of another outcome after these.
    void append(const Outcome &other);

    const QVector<Message> &messages() const { return m_messages; }
    bool isEmpty() const { return m_messages.isEmpty(); }
    bool hasBox() const;
    /// "title: text" of each box, in order.
    QStringList boxTexts() const;
    /// The last status text (empty when none).
    QString lastStatus() const;

    /// Shows the messages on rep in order; boxes without a parent get parent.
    void present(Reporter &rep, QObject *parent = nullptr) const;

private:
    QVector<Message> m_messages;
};

/// A result with what the operation has to tell about it.
template <typename T> struct Reported
{
    T value;
    Outcome outcome;

    /// Presents the outcome on rep and gives the value (for callers that only pass it on).
    T presentTo(Reporter &rep, QObject *parent = nullptr) const
    {
        outcome.present(rep, parent);
        return value;
    }
};
