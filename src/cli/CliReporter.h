#pragma once
// How pelm-cli presents what the desktop program would show in boxes and the status bar.

#include "common/Reporter.h"

#include <QTextStream>

/// Prints boxes and status messages to standard error; questions take their default button.
class CliReporter : public Reporter
{
public:
    explicit CliReporter(QTextStream &err) : m_err(err) {}
    int box(const Box &b) override
    {
        m_err << b.title << ": " << b.text;
        if (!b.informativeText.isEmpty())
            m_err << ' ' << b.informativeText;
        m_err << '\n';
        if (b.defaultButton != NoButton)
            return b.defaultButton;
        return (b.buttons & Cancel) ? Cancel : ((b.buttons & No) ? No : Ok);
    }
    /// Status messages are printed too: they say whether a transaction succeeded. An empty
    /// one only takes a message back: nothing to print.
    void status(const QString &text, int) override
    {
        if (!text.isEmpty())
            m_err << text << '\n';
    }

private:
    QTextStream &m_err;
};
