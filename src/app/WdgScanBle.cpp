#include "app/WdgScanBle.h"

#include "gui/GuiResources.h"
#include "links/BleSeam.h"
#include "app/WdgBleDevice.h"

#include "ui_WdgScanBle.h"

#include <QBluetoothAddress>
#include <QIcon>
#include <QListWidgetItem>

namespace {
constexpr char kRefreshIcon[] = ":/MainWindow/img/software-update.png";
} // namespace

WdgScanBle::WdgScanBle(QWidget *parent) : QWidget(parent), m_ui(new Ui::WdgScanBle)
{
    m_ui->setupUi(this);
    // One icon for every connection page (a new page is built after each unplug).
    m_ui->button_refreshBleScan->setIcon(GuiResources::sharedIcon(QLatin1String(kRefreshIcon)));
    m_ui->label_scanHint->hide();
    m_ui->bleConnectButton->setText(tr("Connect"));
    m_ui->bleConnectButton->setEnabled(false);

    connect(m_ui->listWidget_scannedDevices, &QListWidget::itemClicked, this,
            &WdgScanBle::_onSelectBleDevice);
    connect(m_ui->listWidget_scannedDevices, &QListWidget::itemDoubleClicked, this,
            &WdgScanBle::_onOrvBleDoubleClicked);
    connect(m_ui->bleConnectButton, &QPushButton::clicked, this, &WdgScanBle::_onOrvBleConnect);
    connect(m_ui->button_refreshBleScan, &QPushButton::clicked, this, &WdgScanBle::_onRefreshBleScan);

    m_agent = bleBackend().createDiscoveryAgent(this);
    connect(m_agent, &BleDiscoveryAgent::deviceDiscovered, this, &WdgScanBle::_onBleDeviceDiscovered);
    connect(m_agent, &BleDiscoveryAgent::deviceUpdated, this, &WdgScanBle::_onBleDeviceUpdated);
    // Before start(): without an adapter the error comes inside that call.
    connect(m_agent, &BleDiscoveryAgent::errorOccurred, this, &WdgScanBle::_onScanError);

    startScan();
}

WdgScanBle::~WdgScanBle()
{
    m_agent->disconnect(this);
    m_agent->stop();
}

void WdgScanBle::startScan()
{
    m_ui->label_scanHint->hide();
    // Before start(): a scan that can't run says so inside that call (_onScanError).
    m_ui->bleConnectButton->setText(tr("Scanning ..."));
    m_agent->setLowEnergyDiscoveryTimeout(0);
    m_agent->start(QBluetoothDeviceDiscoveryAgent::LowEnergyMethod);
}

void WdgScanBle::_onScanError(QBluetoothDeviceDiscoveryAgent::Error error)
{
    QString hint;
    switch (error) {
    case QBluetoothDeviceDiscoveryAgent::NoError:
        return;
    case QBluetoothDeviceDiscoveryAgent::PoweredOffError:
        hint = tr("Bluetooth is turned off: BLE devices can't be scanned.");
        break;
    case QBluetoothDeviceDiscoveryAgent::InputOutputError:
    case QBluetoothDeviceDiscoveryAgent::InvalidBluetoothAdapterError:
        hint = tr("No Bluetooth adapter found: BLE devices can't be scanned.");
        break;
    default:
        hint = tr("BLE scan failed: %1").arg(m_agent->errorString());
        break;
    }
    m_ui->label_scanHint->setText(hint);
    m_ui->label_scanHint->show();
    // Nothing scans now: the button must not say it does (a device picked before stays).
    if (m_selected < 0)
        m_ui->bleConnectButton->setText(tr("Not scanning"));
}

void WdgScanBle::_onBleDeviceDiscovered(const QBluetoothDeviceInfo &info)
{
    if (!(info.coreConfigurations() & QBluetoothDeviceInfo::LowEnergyCoreConfiguration) || info.rssi() == 0)
        return;
    const QString name = info.name();
    if (name.indexOf(QLatin1String(kOrvMarker), 0, Qt::CaseInsensitive) < 0 &&
        name.indexOf(QLatin1String(kKivMarker), 0, Qt::CaseInsensitive) < 0)
        return;

    auto *entry = new WdgBleDevice;
    entry->setName(name);
    entry->setAddress(info.address().toString());
    entry->setRssi(info.rssi());
    entry->setPictureFromName(name);

    auto *item = new QListWidgetItem(m_ui->listWidget_scannedDevices);
    item->setSizeHint(entry->sizeHint());
    m_ui->listWidget_scannedDevices->setItemWidget(item, entry);

    ++m_entryCount;
    m_devices.append(info);
}

void WdgScanBle::_onBleDeviceUpdated(const QBluetoothDeviceInfo &info,
                                     QBluetoothDeviceInfo::Fields updatedFields)
{
    Q_UNUSED(updatedFields)
    const QString address = info.address().toString();
    for (int row = 0; row < m_devices.size(); ++row) {
        if (m_devices.at(row).address().toString() != address)
            continue;
        if (info.rssi() != m_devices.at(row).rssi()) {
            QWidget *entry =
                m_ui->listWidget_scannedDevices->itemWidget(m_ui->listWidget_scannedDevices->item(row));
            if (auto *device = qobject_cast<WdgBleDevice *>(entry))
                device->setRssi(info.rssi());
        }
        return;
    }
}

int WdgScanBle::selectableRow(const QListWidgetItem *item) const
{
    const int row = item ? m_ui->listWidget_scannedDevices->row(item) : -1;
    if (row < 0 || row >= m_devices.size())
        return -1;
    if (m_ui->bleConnectButton->text() == tr("Connection In progress ..."))
        return -1;
    return row;
}

void WdgScanBle::_onSelectBleDevice(const QListWidgetItem *item)
{
    const int row = selectableRow(item);
    if (row < 0) {
        m_selected = -1;
        return;
    }
    m_ui->bleConnectButton->setEnabled(true);
    m_ui->bleConnectButton->setText(tr("Connect"));
    m_selected = row;
}

void WdgScanBle::_onOrvBleDoubleClicked(const QListWidgetItem *item)
{
    if (selectableRow(item) < 0) {
        m_selected = -1;
        return;
    }
    _onOrvBleConnect();
}

void WdgScanBle::_onOrvBleConnect()
{
    if (m_selected < 0 || m_selected >= m_devices.size())
        return;
    m_agent->stop();
    m_ui->bleConnectButton->setText(tr("Connection In progress ..."));
    m_ui->bleConnectButton->setEnabled(false);

    const QBluetoothDeviceInfo &device = m_devices.at(m_selected);
    const QString address = device.address().toString();
    if (device.name().indexOf(QLatin1String(kOrvMarker), 0, Qt::CaseInsensitive) >= 0)
        emit OnOrvBlePicked(address);
    else
        emit OnKivBlePicked(address);
}

void WdgScanBle::_onRefreshBleScan()
{
    m_agent->stop();
    m_selected = -1;
    m_devices.clear();
    m_ui->listWidget_scannedDevices->clear();
    m_ui->bleConnectButton->setEnabled(false);
    startScan();
}
