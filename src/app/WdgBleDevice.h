#pragma once
// One scanned BLE device inside the scan list: product picture, advertised name, address
// and signal strength.

#include <QScopedPointer>
#include <QString>
#include <QWidget>

namespace Ui {
class WdgBleDevice;
}

class WdgBleDevice : public QWidget
{
    Q_OBJECT
public:
    /// Side of the square the product picture is scaled into, in pixels.
    static constexpr int kPictureSizePx = 96;

    explicit WdgBleDevice(QWidget *parent = nullptr);
    ~WdgBleDevice() override;

    void setName(const QString &name);
    void setAddress(const QString &address);
    void setRssi(qint16 rssi);
    /// Shows the picture of the product whose model code the name holds.
    void setPictureFromName(const QString &name);

    /// The picture resource for an advertised name: the first fragment of the picture table
    /// found in the name (ignoring case), or the generic BLE picture.
    static QString pictureForName(const QString &name);

private:
    const QScopedPointer<Ui::WdgBleDevice> m_ui;
};
