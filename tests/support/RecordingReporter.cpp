#include "support/RecordingReporter.h"

namespace {
int buttonCount(int buttons)
{
    int n = 0;
    for (unsigned v = unsigned(buttons); v; v &= v - 1)
        ++n;
    return n;
}
} // namespace

int RecordingReporter::box(const Box &b)
{
    boxes.append(b);
    if (buttonCount(b.buttons) <= 1)
        return b.buttons ? b.buttons : Ok;
    if (m_answers.isEmpty()) {
        unexpected.append(b.title + QStringLiteral(": ") + b.text);
        return b.defaultButton != NoButton ? b.defaultButton : Cancel;
    }
    return m_answers.takeFirst();
}

void RecordingReporter::status(const QString &text, int timeoutMs)
{
    statuses.append(qMakePair(text, timeoutMs));
}

Reporter::Box RecordingReporter::takeBox()
{
    return boxes.isEmpty() ? Box() : boxes.takeFirst();
}

void RecordingReporter::clear()
{
    boxes.clear();
    statuses.clear();
    unexpected.clear();
    m_answers.clear();
}

QStringList RecordingReporter::statusTexts() const
{
    QStringList out;
    for (const auto &s : statuses)
        out << s.first;
    return out;
}
