#include "common/Reporter.h"

#include <QDebug>

Reporter::Box Reporter::oneButtonBox(Icon icon, const QString &title, const QString &text, QObject *parent)
{
    Box b;
    b.icon = icon;
    b.title = title;
    b.text = text;
    b.parent = parent;
    return b;
}

void Reporter::information(const QString &title, const QString &text, QObject *parent)
{
    box(oneButtonBox(Information, title, text, parent));
}

void Reporter::warning(const QString &title, const QString &text, QObject *parent)
{
    box(oneButtonBox(Warning, title, text, parent));
}

void Reporter::critical(const QString &title, const QString &text, QObject *parent)
{
    box(oneButtonBox(Critical, title, text, parent));
}

void Reporter::about(const QString &title, const QString &text, QObject *parent)
{
    box(oneButtonBox(About, title, text, parent));
}

int Reporter::question(const QString &title, const QString &text, int buttons, int defaultButton,
                       QObject *parent)
{
    Box b = oneButtonBox(Question, title, text, parent);
    b.buttons = buttons;
    b.defaultButton = defaultButton;
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
    void status(const QString &text, int) override
    {
        if (!text.isEmpty())
            qInfo().noquote() << text;
    }
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
