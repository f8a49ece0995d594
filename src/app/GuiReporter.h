#pragma once
// The reporter of the desktop program: real message boxes and the main status bar.

#include "common/Reporter.h"

class QStatusBar;

class GuiReporter : public Reporter
{
public:
    int box(const Box &b) override;
    /// Status messages go to the status bar set here (none: dropped).
    void status(const QString &text, int timeoutMs) override;
    void setStatusBar(QStatusBar *bar) { m_bar = bar; }

private:
    QStatusBar *m_bar = nullptr;
};
