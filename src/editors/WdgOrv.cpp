#include "editors/WdgOrv.h"

#include "device/model/Catalog.h"
#include "device/session/DeviceSession.h"
#include "gui/GuiResources.h"
#include "gui/MessageBar.h"
#include "editors/OrvObject.h"
#include "ui_WdgOrv.h"

#include <QBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

// ---------------------------------------------------------------------------------------------
// OrvFramePage
// ---------------------------------------------------------------------------------------------

QPixmap OrvFramePage::headerPicture(const QString &path)
{
    return GuiResources::sharedPixmap(QStringLiteral("header:") + path, [&path] {
        const QPixmap picture(path);
        if (picture.isNull() || picture.height() < kPictureScaleFromPx)
            return picture;
        return picture.scaledToHeight(kPictureHeightPx, Qt::SmoothTransformation);
    });
}

QIcon OrvFramePage::buttonIcon(const char *path)
{
    return GuiResources::sharedIcon(QLatin1String(path));
}

void OrvFramePage::showBrand(const Header &header)
{
    header.image->setPixmap(headerPicture(QLatin1String(kBrandPicture)));
    header.name->setText(Catalog::brand());
    header.description->clear();
    header.technology->clear();
}

void OrvFramePage::host(const Header &header, OrvObject *device)
{
    device->setParent(header.container);
    auto *layout = qobject_cast<QBoxLayout *>(header.container->layout());
    if (!layout)
        layout = new QVBoxLayout(header.container);
    layout->setContentsMargins(0, 0, 0, 0);
    if (MessageBar *notes = device->messageBar()) {
        notes->setParent(header.container);
        layout->addWidget(notes);
    }
    layout->addWidget(device);
    device->show();

    header.name->setText(device->displayName());
    header.description->setText(device->description());
    header.technology->setText(device->technologyText());

    // A picture that does not load keeps the brand picture, like a device without one.
    const QString path = device->picturePath();
    if (!path.isEmpty()) {
        const QPixmap picture = headerPicture(path);
        if (!picture.isNull())
            header.image->setPixmap(picture);
    }
}

// ---------------------------------------------------------------------------------------------
// WdgOrv
// ---------------------------------------------------------------------------------------------

WdgOrv::WdgOrv(QWidget *parent) : QWidget(parent), m_ui(new Ui::WdgOrv)
{
    GuiResources::init();
    m_ui->setupUi(this);
    m_ui->pushButton_close->setIcon(OrvFramePage::buttonIcon(OrvFramePage::kCloseIcon));
    m_ui->pushButton_default->setIcon(OrvFramePage::buttonIcon(OrvFramePage::kReloadIcon));
    m_ui->pushButton_reload->setIcon(OrvFramePage::buttonIcon(OrvFramePage::kReloadIcon));
    m_ui->pushButton_apply->setIcon(OrvFramePage::buttonIcon(OrvFramePage::kSaveIcon));
    OrvFramePage::showBrand({m_ui->widget_wdgOrv, m_ui->label_DeviceName, m_ui->label_DeviceDescription,
                             m_ui->label_DeviceTech, m_ui->label_image});
    m_state = new QLabel(this);
    m_state->setObjectName(QStringLiteral("label_loadState"));
    m_state->setAlignment(Qt::AlignCenter);
    m_state->setWordWrap(true);
    QFont font = m_state->font();
    font.setPointSize(font.pointSize() + 2);
    m_state->setFont(font);
    m_state->hide();
    // In the editors' place, above the buttons.
    if (auto *box = qobject_cast<QBoxLayout *>(layout()))
        box->insertWidget(box->indexOf(m_ui->widget_wdgOrv) + 1, m_state);
}

void WdgOrv::setButtonsEnabled(bool apply, bool reload)
{
    m_ui->pushButton_apply->setEnabled(apply);
    m_ui->pushButton_default->setEnabled(apply);
    m_ui->pushButton_reload->setEnabled(reload);
}

void WdgOrv::showLoading()
{
    m_ui->widget_wdgOrv->hide();
    m_state->setText(tr("Reading the configuration from the device..."));
    m_state->show();
    setButtonsEnabled(false, false);
}

void WdgOrv::showLoadState(bool loaded)
{
    m_ui->widget_wdgOrv->setVisible(loaded);
    m_state->setVisible(!loaded);
    m_state->setText(loaded ? QString()
                            : tr("The configuration could not be read from the device.\n"
                                 "Nothing shown here came from it, so nothing can be applied.\n"
                                 "Press \"Reload from ORV\" to read it again."));
    // Default stays possible: it restores the device's own defaults and reads them.
    setButtonsEnabled(loaded, true);
    m_ui->pushButton_default->setEnabled(true);
}

QString WdgOrv::stateText() const
{
    return m_state->isVisible() || m_ui->widget_wdgOrv->isHidden() ? m_state->text() : QString();
}

WdgOrv::~WdgOrv() = default;

OrvObject *WdgOrv::device() const
{
    return m_device;
}

void WdgOrv::setDevice(OrvObject *device, int mode)
{
    if (m_hosting || !device)
        return;
    m_hosting = true;
    m_device = device;
    OrvFramePage::host({m_ui->widget_wdgOrv, m_ui->label_DeviceName, m_ui->label_DeviceDescription,
                        m_ui->label_DeviceTech, m_ui->label_image},
                       device);
    m_ui->pushButton_close->setVisible(mode != ModeUsb);
    connect(device, &OrvObject::configurationLoaded, this, &WdgOrv::showLoadState);
}

int WdgOrv::restoreDefaultsAsked(OrvObject *device)
{
    if (!device)
        return -1;
    if (!device->isOffline() && !DeviceBusyGuard::isBusy()) {
        // The box runs an event loop: the device may be unplugged and deleted before the answer.
        const QPointer<OrvObject> guard(device);
        const int answer = device->messages().question(
            tr("Default configuration"),
            tr("Restore the factory defaults of the device?\nIts current configuration will be lost."),
            Reporter::Yes | Reporter::No, Reporter::No, device);
        if (answer != Reporter::Yes || !guard || !guard->isConnected())
            return -1;
    }
    return device->restoreDefaults();
}

void WdgOrv::on_pushButton_default_clicked()
{
    if (m_device)
        restoreDefaultsAsked(m_device);
}

void WdgOrv::on_pushButton_reload_clicked()
{
    if (m_device)
        m_device->loadFromDevice();
}

void WdgOrv::on_pushButton_apply_clicked()
{
    if (m_device)
        m_device->applyToDevice();
}

void WdgOrv::on_pushButton_close_clicked()
{
    if (m_device)
        emit close();
}
