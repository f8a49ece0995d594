#include "gui/GuiReporter.h"

#include "gui/OpenWindow.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QStatusBar>

int GuiReporter::box(const Box &b)
{
    QWidget *parent = qobject_cast<QWidget *>(b.parent);
    if (b.icon == About) {
        QMessageBox::about(parent, b.title, b.text);
        return Ok;
    }
    QMessageBox mb(static_cast<QMessageBox::Icon>(b.icon), b.title, b.text,
                   static_cast<QMessageBox::StandardButtons>(b.buttons), parent);
    if (!b.informativeText.isEmpty())
        mb.setInformativeText(b.informativeText);
    for (auto it = b.buttonTexts.constBegin(); it != b.buttonTexts.constEnd(); ++it) {
        if (QAbstractButton *button = mb.button(static_cast<QMessageBox::StandardButton>(it.key())))
            button->setText(it.value());
    }
    if (b.defaultButton != NoButton)
        mb.setDefaultButton(static_cast<QMessageBox::StandardButton>(b.defaultButton));
    if (b.text.startsWith(QLatin1String("<")))
        mb.setTextFormat(Qt::RichText);
    // A box of a device's window is closed with it when the device goes (no answer given).
    const OpenWindow open(&mb);
    if (open.closed())
        return NoButton;
    const int answer = mb.exec();
    return open.closed() ? int(NoButton) : answer;
}

void GuiReporter::status(const QString &text, int timeoutMs)
{
    if (m_window)
        m_window->statusBar()->showMessage(text, timeoutMs == kUntilDismissed ? 0 : timeoutMs);
}
