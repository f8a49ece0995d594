#include "app/WdgPickOrv.h"

#include "app/WdgPickOrvDevice.h"
#include "device/model/Catalog.h"
#include "ui_WdgPickOrv.h"

#include <QScrollBar>

WdgPickOrv::WdgPickOrv(QWidget *parent) : QWidget(parent), m_ui(new Ui::WdgPickOrv)
{
    m_ui->setupUi(this);

    // The catalog gives the unknown-device picture for a row whose picture is missing.
    const OrvList &catalog = OrvList::instance();
    for (int row = 0; row < catalog.count(); ++row) {
        const int type = catalog.typeAt(row);
        const int rev = catalog.revAt(row);
        const int kiv = catalog.kivAt(row);
        addDevice(type, rev, kiv, catalog.label(type, rev, kiv), catalog.picture(type, rev, kiv));
    }
}

WdgPickOrv::~WdgPickOrv() = default;

void WdgPickOrv::addDevice(int orvType, int orvRev, int kivType, const QString &label, const QString &picture)
{
    for (WdgPickOrvDevice *device : qAsConst(m_devices)) {
        if (device->orvType() == orvType) {
            device->addVariant(orvRev, kivType, label, picture);
            return;
        }
    }

    auto *device = new WdgPickOrvDevice(orvType, m_ui->scrollAreaWidgetContents);
    device->addVariant(orvRev, kivType, label, picture);
    m_devices.append(device);
    // Entries go above the closing spacer, which keeps them at the top of the list.
    m_ui->verticalLayout_devices->insertWidget(m_devices.size() - 1, device);
    connect(device, &WdgPickOrvDevice::OnOrvPicked, this, &WdgPickOrv::_onOrvPickedFromWdgPickOrvDevice);
    // The list never scrolls sideways: the picker is as wide as its widest entry.
    m_ui->scrollAreaWidgetContents->adjustSize();
    m_ui->scrollArea->setMinimumWidth(m_ui->scrollAreaWidgetContents->minimumSizeHint().width() +
                                      m_ui->scrollArea->verticalScrollBar()->sizeHint().width());
    adjustSize();
}

void WdgPickOrv::_onOrvPickedFromWdgPickOrvDevice(int orvType, int orvRev, int kivType)
{
    emit OnOrvPicked(orvType, orvRev, kivType);
}
