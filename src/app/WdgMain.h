#pragma once
// The connection page: shown while no device page is open. A USB device is picked up by the
// main window's poll; a BLE device is chosen in the embedded scan; an offline device type in
// the picker on the right. The page only forwards these choices as signals.

#include <QScopedPointer>
#include <QString>
#include <QWidget>

class WdgPickOrv;
class WdgScanBle;

namespace Ui {
class WdgMain;
}

class WdgMain : public QWidget
{
    Q_OBJECT
public:
    static constexpr char kLogo[] = ":MainWindow/img/pelm/logopelm";
    static constexpr char kUsbPicture[] = ":/MainWindow/img/USB.png";
    static constexpr char kBlePicture[] = ":/MainWindow/img/BLE_big.png";
    /// The logo is fitted into a square of this size, the USB and BLE pictures into kLinkPictureSizePx.
    static constexpr int kLogoSizePx = 150;
    static constexpr int kLinkPictureSizePx = 50;

    explicit WdgMain(QWidget *parent = nullptr);
    ~WdgMain() override;

    /// The embedded BLE scan and the offline picker.
    WdgScanBle *scanBle() const;
    WdgPickOrv *pickOrv() const;

signals:
    /// An offline device combination was chosen in the picker.
    void OnOrvPicked(int orvType, int orvRev, int kivType);
    /// A configurable BLE device was chosen in the scan (its address).
    void OnOrvBlePicked(const QString &address);
    /// A BLE radio module was chosen in the scan (its address).
    void OnKivBlePicked(const QString &address);

private slots:
    /// Each re-emits its signal.
    void _onOrvPicked(int orvType, int orvRev, int kivType);
    void _onOrvBlePicked(const QString &address);
    void _onKivBlePicked(const QString &address);

private:
    const QScopedPointer<Ui::WdgMain> m_ui;
};
