#include "app/WdgBleDevice.h"

#include "common/Resources.h"

#include "ui_WdgBleDevice.h"

#include <QPixmap>

namespace {

const QString kPtcCtPicture = QStringLiteral(":/orv/imgs/ptc-ct.png");
/// Products of the range without a picture of their own yet.
const QString kUnknownProductPicture = QStringLiteral(":/orv/imgs/orv_unknow.png");
/// A listed device whose name holds no known model code.
const QString kGenericBlePicture = QStringLiteral(":/MainWindow/img/BLE_big.png");

struct PictureEntry
{
    const char *fragment; ///< lower-case model code
    const QString *picture;
};

// Model codes of the BLE products, the longer and more specific ones first; the configurable
// sensor marker "qmx" comes last.
const PictureEntry kPictureTable[] = {
    {"pelmtc08", &kUnknownProductPicture}, // thermocouple logger, 8 channels
    {"pelmct16", &kUnknownProductPicture}, // current logger, 16 channels
    {"pelmtc2", &kUnknownProductPicture},  // dual thermocouple sensor
    {"pelmct2", &kUnknownProductPicture},  // dual current sensor
    {"pelmlv1", &kUnknownProductPicture},  // level sensor
    {"pelmpt1", &kUnknownProductPicture},  // PT100 sensor
    {"kiv", &kUnknownProductPicture},      // BLE radio module
    {"t4", &kUnknownProductPicture},       // 4-20 mA transmitter
    {"c4", &kUnknownProductPicture},       // pulse counter
    {"qmx", &kPtcCtPicture},               // thermocouple and current sensor (PTC-CT)
};

} // namespace

WdgBleDevice::WdgBleDevice(QWidget *parent) : QWidget(parent), m_ui(new Ui::WdgBleDevice)
{
    initCoreResources();
    m_ui->setupUi(this);
}

WdgBleDevice::~WdgBleDevice() = default;

void WdgBleDevice::setName(const QString &name)
{
    m_ui->label_advName->setText(name);
}

void WdgBleDevice::setAddress(const QString &address)
{
    m_ui->label_bleAddr->setText(address);
}

void WdgBleDevice::setRssi(qint16 rssi)
{
    m_ui->label_bleRssi->setText(QString::number(rssi));
}

QString WdgBleDevice::pictureForName(const QString &name)
{
    for (const PictureEntry &entry : kPictureTable) {
        if (name.indexOf(QLatin1String(entry.fragment), 0, Qt::CaseInsensitive) >= 0)
            return *entry.picture;
    }
    return kGenericBlePicture;
}

void WdgBleDevice::setPictureFromName(const QString &name)
{
    QPixmap picture(pictureForName(name));
    if (picture.isNull())
        picture.load(kUnknownProductPicture);
    m_ui->label_image->setPixmap(
        picture.scaled(kPictureSizePx, kPictureSizePx, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}
