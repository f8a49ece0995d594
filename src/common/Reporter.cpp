#include "common/Reporter.h"

#include <QDebug>

void Reporter::information(const QString &title, const QString &text, QObject *parent)
{
    Box b;
    b.icon = Information;
    b.title = title;
    b.text = text;
    b.parent = parent;
    box(b);
}

void Reporter::warning(const QString &title, const QString &text, QObject *parent)
{
    Box b;
    b.icon = Warning;
    b.title = title;
    b.text = text;
    b.parent = parent;
    box(b);
}

void Reporter::critical(const QString &title, const QString &text, QObject *parent)
{
    Box b;
    b.icon = Critical;
    b.title = title;
    b.text = text;
    b.parent = parent;
    box(b);
}

void Reporter::about(const QString &title, const QString &text, QObject *parent)
{
    Box b;
    b.icon = About;
    b.title = title;
    b.text = text;
    b.parent = parent;
    box(b);
}

int Reporter::question(const QString &title, const QString &text, int buttons, int defaultButton,
                       QObject *parent)
{
    Box b;
    b.icon = Question;
    b.title = title;
    b.text = text;
    b.buttons = buttons;
    b.defaultButton = defaultButton;
    b.parent = parent;
    return box(b);
}

int ForwardingReporter::box(const Box &b)
{
    return m_boxes ? m_boxes->box(b) : reporter().box(b);
}

void ForwardingReporter::status(const QString &text, int timeoutMs)
{
    if (m_sink)
        m_sink(text, timeoutMs);
    else
        reporter().status(text, timeoutMs);
}

namespace {
class LogReporter : public Reporter
{
public:
    int box(const Box &b) override
    {
        qInfo().noquote() << b.title << ":" << b.text << b.informativeText;
        if (b.defaultButton != NoButton)
            return b.defaultButton;
        return b.buttons & Cancel ? Cancel : (b.buttons & No ? No : Ok);
    }
    void status(const QString &text, int) override { qInfo().noquote() << text; }
};

LogReporter g_logReporter;
Reporter *g_reporter = nullptr;
} // namespace

Reporter &reporter()
{
    return g_reporter ? *g_reporter : g_logReporter;
}

void setReporter(Reporter *r)
{
    g_reporter = r;
}
