#include "common/Outcome.h"

void Outcome::box(const Reporter::Box &b)
{
    Message m;
    m.isBox = true;
    m.box = b;
    m_messages.append(m);
}

void Outcome::critical(const QString &title, const QString &text)
{
    box(Reporter::oneButtonBox(Reporter::Critical, title, text));
}

void Outcome::warning(const QString &title, const QString &text)
{
    box(Reporter::oneButtonBox(Reporter::Warning, title, text));
}

void Outcome::status(const QString &text, int timeoutMs)
{
    Message m;
    m.status = text;
    m.timeoutMs = timeoutMs;
    m_messages.append(m);
}

void Outcome::append(const Outcome &other)
{
    m_messages += other.m_messages;
}

bool Outcome::hasBox() const
{
    for (const Message &m : m_messages) {
        if (m.isBox)
            return true;
    }
    return false;
}

QStringList Outcome::boxTexts() const
{
    QStringList out;
    for (const Message &m : m_messages) {
        if (!m.isBox)
            continue;
        QString text = m.box.title;
        if (!m.box.text.isEmpty())
            text += QStringLiteral(": ") + m.box.text;
        out << text;
    }
    return out;
}

QString Outcome::lastStatus() const
{
    for (int i = m_messages.size() - 1; i >= 0; --i) {
        if (!m_messages.at(i).isBox)
            return m_messages.at(i).status;
    }
    return QString();
}

void Outcome::present(Reporter &rep, QObject *parent) const
{
    for (const Message &m : m_messages) {
        if (!m.isBox) {
            rep.status(m.status, m.timeoutMs);
            continue;
        }
        Reporter::Box b = m.box;
        if (!b.parent)
            b.parent = parent;
        rep.box(b);
    }
}
