#include "app/WdgMain.h"

#include "gui/GuiResources.h"
#include "app/WdgPickOrv.h"
#include "app/WdgScanBle.h"
#include "ui_WdgMain.h"

#include <QPixmap>

namespace {
QPixmap fitted(const char *resource, int sizePx)
{
    return QPixmap(QLatin1String(resource))
        .scaled(sizePx, sizePx, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}
} // namespace

WdgMain::WdgMain(QWidget *parent) : QWidget(parent), m_ui(new Ui::WdgMain)
{
    // The form's labels and the embedded widgets take their pictures from the resources.
    GuiResources::init();
    m_ui->setupUi(this);

    m_ui->label_logo->setPixmap(fitted(kLogo, kLogoSizePx));
    m_ui->label_usb->setPixmap(fitted(kUsbPicture, kLinkPictureSizePx));
    m_ui->label_ble->setPixmap(fitted(kBlePicture, kLinkPictureSizePx));

    connect(m_ui->widgetPickOrv, &WdgPickOrv::OnOrvPicked, this, &WdgMain::_onOrvPicked);
    connect(m_ui->widgetScanBle, &WdgScanBle::OnOrvBlePicked, this, &WdgMain::_onOrvBlePicked);
    connect(m_ui->widgetScanBle, &WdgScanBle::OnKivBlePicked, this, &WdgMain::_onKivBlePicked);
}

WdgMain::~WdgMain() = default;

WdgScanBle *WdgMain::scanBle() const
{
    return m_ui->widgetScanBle;
}

WdgPickOrv *WdgMain::pickOrv() const
{
    return m_ui->widgetPickOrv;
}

void WdgMain::_onOrvPicked(int orvType, int orvRev, int kivType)
{
    emit OnOrvPicked(orvType, orvRev, kivType);
}

void WdgMain::_onOrvBlePicked(const QString &address)
{
    emit OnOrvBlePicked(address);
}

void WdgMain::_onKivBlePicked(const QString &address)
{
    emit OnKivBlePicked(address);
}
