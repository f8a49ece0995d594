#pragma once
// The reporter of the desktop program: real message boxes and the main status bar.

#include "common/Reporter.h"

#include <QMainWindow>
#include <QPointer>

class GuiReporter : public Reporter
{
public:
    int box(const Box &b) override;
    /// Status messages go to the status bar the window shows at that moment (none: dropped).
    void status(const QString &text, int timeoutMs) override;
    void setWindow(QMainWindow *window) { m_window = window; }

private:
    QPointer<QMainWindow> m_window;
};
