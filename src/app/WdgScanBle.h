#pragma once
// The BLE scan page: scans continuously, lists the maker's configurable devices and BLE radio
// modules with picture, name, address and signal strength, and hands the chosen device's
// address on with OnOrvBlePicked (configurable device) or OnKivBlePicked (radio module).

#include <QBluetoothDeviceDiscoveryAgent>
#include <QBluetoothDeviceInfo>
#include <QList>
#include <QScopedPointer>
#include <QWidget>

class BleDiscoveryAgent;
class QListWidgetItem;

namespace Ui {
class WdgScanBle;
}

class WdgScanBle : public QWidget
{
    Q_OBJECT
public:
    /// Name markers, compared ignoring case.
    static constexpr char kOrvMarker[] = "qmx";     ///< configurable sensor device
    static constexpr char kKivMarker[] = "kiv_ble"; ///< BLE radio module

    explicit WdgScanBle(QWidget *parent = nullptr);
    ~WdgScanBle() override;

signals:
    /// A configurable device was chosen; its address as text.
    void OnOrvBlePicked(QString address);
    /// A BLE radio module was chosen; its address as text.
    void OnKivBlePicked(QString address);

private slots:
    void _onBleDeviceDiscovered(const QBluetoothDeviceInfo &info);
    void _onSelectBleDevice(const QListWidgetItem *item);
    void _onOrvBleDoubleClicked(const QListWidgetItem *item);
    void _onOrvBleConnect();
    void _onRefreshBleScan();
    void _onBleDeviceUpdated(const QBluetoothDeviceInfo &info, QBluetoothDeviceInfo::Fields updatedFields);
    /// The scan could not run (no adapter, adapter off): says so above the empty list.
    void _onScanError(QBluetoothDeviceDiscoveryAgent::Error error);

private:
    void startScan();
    /// Row of the item when it lies within the device list and no connection is in progress; -1 otherwise.
    int selectableRow(const QListWidgetItem *item) const;

    const QScopedPointer<Ui::WdgScanBle> m_ui;
    BleDiscoveryAgent *m_agent = nullptr; ///< owned (child)
    QList<QBluetoothDeviceInfo> m_devices;
    int m_entryCount = 0;
    int m_selected = -1; ///< index into m_devices of the device Connect acts on
};
