#include "gui/MessageBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QToolButton>

MessageBar::MessageBar(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("messageBar"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::ToolTipBase));
    pal.setColor(QPalette::WindowText, pal.color(QPalette::ToolTipText));
    setPalette(pal);

    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("messageBarText"));
    m_label->setWordWrap(true);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_close = new QToolButton(this);
    m_close->setObjectName(QStringLiteral("messageBarClose"));
    m_close->setAutoRaise(true);
    m_close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    m_close->setToolTip(tr("Dismiss"));
    connect(m_close, &QToolButton::clicked, this, &MessageBar::dismiss);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 4, 4, 4);
    layout->addWidget(m_label, 1);
    layout->addWidget(m_close, 0, Qt::AlignTop);
    hide();
}

void MessageBar::showNote(const QString &text)
{
    if (text.isEmpty())
        return;
    QStringList notes;
    if (!isHidden() && !m_label->text().isEmpty())
        notes = m_label->text().split(QLatin1Char('\n'));
    if (!notes.contains(text)) // the same note twice says nothing more
        notes << text;
    m_label->setText(notes.join(QLatin1Char('\n')));
    show();
}

QString MessageBar::text() const
{
    return isHidden() ? QString() : m_label->text();
}

void MessageBar::dismiss()
{
    m_label->clear();
    hide();
}
