#include "editors/WdgOrvVirtual.h"

#include "gui/GuiResources.h"
#include "editors/OrvObject.h"
#include "editors/WdgOrv.h"
#include "ui_WdgOrvVirtual.h"

#include <QIcon>

WdgOrvVirtual::WdgOrvVirtual(QWidget *parent) : QWidget(parent), m_ui(new Ui::WdgOrvVirtual)
{
    GuiResources::init();
    m_ui->setupUi(this);
    m_ui->pushButton_close->setIcon(OrvFramePage::buttonIcon(OrvFramePage::kCloseIcon));
    m_ui->pushButton_reload->setIcon(OrvFramePage::buttonIcon(OrvFramePage::kReloadIcon));
    m_ui->pushButton_save->setIcon(OrvFramePage::buttonIcon(OrvFramePage::kSaveIcon));
    OrvFramePage::showBrand({m_ui->widget_wdgOrv, m_ui->label_DeviceName, m_ui->label_DeviceDescription,
                             m_ui->label_DeviceTech, m_ui->label_image});
}

WdgOrvVirtual::~WdgOrvVirtual() = default;

OrvObject *WdgOrvVirtual::device() const
{
    return m_device;
}

void WdgOrvVirtual::setDevice(OrvObject *device)
{
    if (m_hosting || !device)
        return;
    m_hosting = true;
    m_device = device;
    OrvFramePage::host({m_ui->widget_wdgOrv, m_ui->label_DeviceName, m_ui->label_DeviceDescription,
                        m_ui->label_DeviceTech, m_ui->label_image},
                       device);
}

void WdgOrvVirtual::on_pushButton_reload_clicked()
{
    if (m_device)
        emit reload();
}

void WdgOrvVirtual::on_pushButton_save_clicked()
{
    if (m_device)
        emit save();
}

void WdgOrvVirtual::on_pushButton_close_clicked()
{
    if (m_device)
        emit close();
}
