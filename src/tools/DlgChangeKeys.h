#pragma once
// The LoRaWAN keys dialog: the user types a new AppEUI and AppKey for the connected device,
// sees its DevEUI for reference, and asks the device object to write the two keys.
//
// The keys are secrets. The fields show what is typed only while it is typed (and never let
// it be copied, so no key reaches a clipboard), nothing is logged or stored, and after the
// device confirmed the write both fields are emptied together with their undo history.

#include <QByteArray>
#include <QDialog>
#include <QScopedPointer>
#include <QTimer>

namespace Ui {
class DlgChangeKeys;
}

class DlgChangeKeys : public QDialog
{
    Q_OBJECT
public:
    /// How long "Success" stays on the button.
    static constexpr int kSuccessShownMs = 3000;

    explicit DlgChangeKeys(QWidget *parent = nullptr);
    ~DlgChangeKeys() override;

    /// Shows the device's DevEUI as upper-case hexadecimal ("--" while it is empty).
    void setDevEui(const QByteArray &devEui);

signals:
    /// The user asked for complete keys to be written (8 and 16 bytes).
    void writeNewKeys(const QByteArray &appEui, const QByteArray &appKey);

public slots:
    /// The device took both keys: the button shows "Success" on green for 3 s, and both fields
    /// are emptied.
    void writeSuccessSlot();

protected:
    /// The key fields: shown in normal echo mode only from a typed character on, until the
    /// field loses the focus, is clicked, or a key other than typing, Backspace or Delete is
    /// pressed; what was typed before stays (a short key can be completed).
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    /// Sends the keys when both are complete; otherwise sends nothing and says why.
    void on_pushButton_Write_pressed();
    void restoreButton();

private:
    const QScopedPointer<Ui::DlgChangeKeys> m_ui;
    QTimer m_successTimer;
};
