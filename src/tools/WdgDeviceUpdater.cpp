#include "tools/WdgDeviceUpdater.h"

#include "gui/FileDialogs.h"
#include "common/Logging.h"
#include "device/model/Catalog.h"
#include "device/session/DeviceSession.h"
#include "gui/GuiResources.h"
#include "links/Comm.h"
#include "links/CommBle.h"

#include "ui_WdgDeviceUpdater.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPixmap>
#include <QPointer>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

const char kLogo[] = ":MainWindow/img/pelm/iconpelm";
const char kPlayIcon[] = ":/MainWindow/img/play.png";
const char kStopIcon[] = ":/MainWindow/img/stop.png";
/// The logo is scaled down to this height when it is taller.
constexpr int kLogoHeightPx = 50;
/// The size the form was designed for.
constexpr int kDesignWidthPx = 640;
constexpr int kDesignHeightPx = 560;

void flowLog(const char *line)
{
    qCDebug(lcUpdate).noquote() << line;
}

} // namespace

constexpr char WdgDeviceUpdater::kFilterProperty[];

WdgDeviceUpdater::WdgDeviceUpdater(Comm *link, const DeviceInfo &info, const QString &bleAddress,
                                   QWidget *parent)
    : QWidget(parent), m_ui(new Ui::WdgDeviceUpdater), m_link(link), m_bleAddress(bleAddress), m_info(info)
{
    setUpWidgets();
    initialise(false);
}

WdgDeviceUpdater::WdgDeviceUpdater(CommBle *link, const QString &bleAddress, QWidget *parent)
    : QWidget(parent), m_ui(new Ui::WdgDeviceUpdater), m_link(link), m_bleAddress(bleAddress)
{
    setUpWidgets();
    initialise(false);
}

WdgDeviceUpdater::~WdgDeviceUpdater()
{
    // The flow and the device object use the link: they go first.
    m_updater.reset();
    m_session.reset();
    m_link.reset();
}

void WdgDeviceUpdater::setUpWidgets()
{
    GuiResources::init();
    m_ui->setupUi(this);

    QPixmap logo(QString::fromLatin1(kLogo));
    if (logo.height() > kLogoHeightPx)
        logo = logo.scaledToHeight(kLogoHeightPx, Qt::SmoothTransformation);
    m_ui->label_image->setPixmap(logo);

    m_sections[0] = {
        FirmwareUpdater::kTargetDevice, m_ui->verticalWidget_Orv, m_ui->label_OrvFw, m_ui->lineEdit_Orv,
        m_ui->FirmwarePB_Orv,           m_ui->StartPB_Orv};
    m_sections[1] = {FirmwareUpdater::kTargetSerialModule,
                     m_ui->verticalWidget_Kiv,
                     m_ui->label_KivFw,
                     m_ui->lineEdit_Kiv,
                     m_ui->FirmwarePB_Kiv,
                     m_ui->StartPB_Kiv};
    m_sections[2] = {FirmwareUpdater::kTargetBleModule,
                     m_ui->verticalWidget_KivBle,
                     m_ui->label_KivBleFw,
                     m_ui->lineEdit_KivBle,
                     m_ui->FirmwarePB_KivBle,
                     m_ui->StartPB_KivBle};

    connect(m_ui->FirmwarePB_Orv, &QPushButton::clicked, this, &WdgDeviceUpdater::_selectFirmwareOrv);
    connect(m_ui->FirmwarePB_Kiv, &QPushButton::clicked, this, &WdgDeviceUpdater::_selectFirmwareKiv);
    connect(m_ui->FirmwarePB_KivBle, &QPushButton::clicked, this, &WdgDeviceUpdater::_selectFirmwareKivBle);
    connect(m_ui->StartPB_Orv, &QPushButton::clicked, this, &WdgDeviceUpdater::_startUpdateOrv);
    connect(m_ui->StartPB_Kiv, &QPushButton::clicked, this, &WdgDeviceUpdater::_startUpdateKiv);
    connect(m_ui->StartPB_KivBle, &QPushButton::clicked, this, &WdgDeviceUpdater::_startUpdateKivBle);
}

QSize WdgDeviceUpdater::sizeHint() const
{
    return QWidget::sizeHint().expandedTo(QSize(kDesignWidthPx, kDesignHeightPx));
}

void WdgDeviceUpdater::setTiming(const FirmwareUpdater::Timing &timing)
{
    m_timing = timing;
    if (m_updater)
        m_updater->setTiming(timing);
}

void WdgDeviceUpdater::setYmodemTiming(const YmodemUpdate::Timing &timing)
{
    m_ymodemTiming = timing;
    if (m_updater)
        m_updater->setYmodemTiming(timing);
}

WdgDeviceUpdater::Section *WdgDeviceUpdater::section(quint8 code)
{
    for (Section &s : m_sections) {
        if (s.code == code)
            return &s;
    }
    return nullptr;
}

void WdgDeviceUpdater::print(const QString &text)
{
    // A step's outcome ends the step's line: "Erasing ... bytes...[OK]".
    QTextDocument *doc = m_ui->UpdaterPrint->document();
    if (text.startsWith(QLatin1String("[OK]")) || text.startsWith(QLatin1String("[ERROR]"))) {
        // Also when a line of the page's own came in between ("Stopping the update...").
        const QTextBlock step = doc->findBlockByNumber(m_stepBlock);
        QTextCursor cursor(doc);
        if (step.isValid()) {
            cursor = QTextCursor(step);
            cursor.movePosition(QTextCursor::EndOfBlock);
        } else {
            cursor.movePosition(QTextCursor::End);
        }
        cursor.insertText(text);
        m_stepBlock = -1;
    } else {
        m_ui->UpdaterPrint->append(text);
        m_stepBlock = text.endsWith(QLatin1String("...")) ? doc->blockCount() - 1 : -1;
    }
    QScrollBar *bar = m_ui->UpdaterPrint->verticalScrollBar();
    bar->setValue(bar->maximum());
}

void WdgDeviceUpdater::note(const QString &text)
{
    m_ui->UpdaterPrint->append(text);
    QScrollBar *bar = m_ui->UpdaterPrint->verticalScrollBar();
    bar->setValue(bar->maximum());
}

bool WdgDeviceUpdater::initialise(bool reread)
{
    if (!m_link)
        return false;
    if (!m_bleAddress.isEmpty() && !m_link->isConnected() && !m_link->open()) {
        print(QCoreApplication::translate("FirmwareUpdater", "Ble Connection failed. Please retry."));
        return false;
    }

    if (reread) {
        // The device again, with the revisions of its new firmware; the identity it had is
        // kept when it does not answer.
        DeviceSession probe(m_link.get(), DeviceInfo());
        probe.setOwnsTransport(false);
        if (probe.identify(false))
            m_info = probe.info();
    }
    m_updater.reset();
    m_session = std::make_unique<DeviceSession>(m_link.get(), m_info);
    m_session->setOwnsTransport(false);
    m_updater = std::make_unique<FirmwareUpdater>(m_session.get(), m_bleAddress);
    m_updater->setTiming(m_timing);
    m_updater->setYmodemTiming(m_ymodemTiming);
    m_updater->setSeedKeyLibrary(FirmwareUpdater::seedKeyLibraryFromSettings());
    connect(m_updater.get(), &FirmwareUpdater::message, this, &WdgDeviceUpdater::print);
    connect(m_updater.get(), &FirmwareUpdater::progress, m_ui->progressBar, &QProgressBar::setValue);
    connect(m_updater.get(), &FirmwareUpdater::finished, this, [this] { m_finishedSeen = true; });
    connect(m_updater.get(), &FirmwareUpdater::stateChanged, this, [this](FirmwareUpdater::State state) {
        // The reconnection after an update can't be stopped.
        m_reconnecting = state == FirmwareUpdater::State::Reconnecting;
        updateButtons();
    });

    QString name = QStringLiteral("Pelm-") + Catalog::typeName(m_info.orvType);
    if (!m_bleAddress.isEmpty())
        name += QStringLiteral(" (") + m_bleAddress + QLatin1Char(')');
    m_ui->label_OrvName->setText(name);

    for (Section &s : m_sections) {
        s.box->setEnabled(false);
        s.box->hide();
    }
    const QList<FirmwareUpdater::Bootloader> bootloaders = m_updater->readBootloaders();
    for (const FirmwareUpdater::Bootloader &b : bootloaders) {
        Section *s = section(b.code);
        if (!s)
            continue;
        s->label->setText(m_updater->sectionText(b.code));
        s->select->setProperty(kFilterProperty, FirmwareUpdater::fileFilter(b.kind));
        s->box->setEnabled(true);
        s->box->show();
    }
    if (bootloaders.isEmpty())
        print(tr("The device reports no bootloader: it has nothing to update."));
    updateButtons();
    return true;
}

void WdgDeviceUpdater::updateButtons()
{
    const QIcon play = GuiResources::sharedIcon(QString::fromLatin1(kPlayIcon));
    const QIcon stop = GuiResources::sharedIcon(QString::fromLatin1(kStopIcon));
    for (Section &s : m_sections) {
        const bool running = m_running == s.code;
        s.start->setIcon(running ? stop : play);
        s.start->setText(running ? tr("Stop") : tr("Start"));
        s.start->setToolTip(running ? tr("Stop the update") : tr("Start the update"));
        if (m_running)
            s.start->setEnabled(running && !m_reconnecting);
        else
            s.start->setEnabled(!s.file->text().isEmpty());
        s.select->setEnabled(!m_running);
    }
    m_ui->pushButton_close->setEnabled(!m_running);
}

// ---------------------------------------------------------------------------------------------
// Firmware files

void WdgDeviceUpdater::selectFirmware(Section &s)
{
    if (m_running)
        return;
    const QString path = fileDialogs().getOpenFileName(this, tr("Select Firmware to load"), s.file->text(),
                                                       s.select->property(kFilterProperty).toString());
    if (path.isEmpty())
        return;
    s.file->setText(path);
    updateButtons();
}

void WdgDeviceUpdater::_selectFirmwareOrv()
{
    selectFirmware(m_sections[0]);
}

void WdgDeviceUpdater::_selectFirmwareKiv()
{
    selectFirmware(m_sections[1]);
}

void WdgDeviceUpdater::_selectFirmwareKivBle()
{
    selectFirmware(m_sections[2]);
}

// ---------------------------------------------------------------------------------------------
// The update

void WdgDeviceUpdater::startUpdate(quint8 code)
{
    if (m_running) {
        // The running section's start button is its stop button; the others are disabled.
        if (code == m_running && !m_reconnecting && m_updater) {
            note(tr("Stopping the update..."));
            m_updater->requestAbort();
        }
        return;
    }
    Section *s = section(code);
    if (!s || !m_updater || s->file->text().isEmpty())
        return;

    m_running = code;
    m_reconnecting = false;
    m_finishedSeen = false;
    m_ui->progressBar->setValue(0);
    updateButtons();

    // The flow stays alive until start returns: the device object and the flow are made again
    // only below, once it has.
    const QPointer<WdgDeviceUpdater> self(this);
    const bool ok = m_updater->start(code, s->file->text());
    if (!self)
        return;
    const bool started = m_finishedSeen;
    m_running = 0;
    m_reconnecting = false;
    if (!started) {
        _stopUpdate(code); // refused before anything was asked of the device
        return;
    }
    if (code == FirmwareUpdater::kTargetDevice)
        ok ? _endUpdateOrv() : _abortUpdateOrv();
    else
        ok ? _endUpdateKivBle() : _abortUpdateKivBle();
}

void WdgDeviceUpdater::_startUpdateOrv()
{
    startUpdate(FirmwareUpdater::kTargetDevice);
}

void WdgDeviceUpdater::_startUpdateKiv()
{
    // No transfer exists for the serial radio module.
}

void WdgDeviceUpdater::_startUpdateKivBle()
{
    startUpdate(FirmwareUpdater::kTargetBleModule);
}

void WdgDeviceUpdater::_stopUpdate(int microType)
{
    Q_UNUSED(microType)
    // Every section's button is worked out from the state: the one that ran shows play again
    // and the others come back where a file is chosen.
    updateButtons();
}

void WdgDeviceUpdater::_endUpdateOrv()
{
    _stopUpdate(FirmwareUpdater::kTargetDevice);
    flowLog("Init Widget");
    // A device that did not come back is not shown with the identity it had: the flow said
    // why it could not be read.
    if (!m_updater || !m_updater->deviceAnswered())
        return;
    // The flow read the device again: its identity with the revisions of its new firmware.
    m_info = m_session->info();
    if (initialise(false))
        printDevice();
}

void WdgDeviceUpdater::_endUpdateKivBle()
{
    _stopUpdate(FirmwareUpdater::kTargetBleModule);
    flowLog("ReInit Widget");
    if (!m_updater || !m_updater->deviceAnswered())
        return;
    // The flow read the device again: its identity with the revisions of its new firmware.
    m_info = m_session->info();
    if (initialise(false))
        printDevice();
}

void WdgDeviceUpdater::printDevice()
{
    print(tr("Device after the update: %1").arg(m_session->identityText()));
}

void WdgDeviceUpdater::_abortUpdateOrv()
{
    // The controller stays in its bootloader: the device object is kept (its flow no longer
    // waits for the link to drop when the update is started again).
    _stopUpdate(FirmwareUpdater::kTargetDevice);
}

void WdgDeviceUpdater::_abortUpdateKivBle()
{
    _stopUpdate(FirmwareUpdater::kTargetBleModule);
}

void WdgDeviceUpdater::on_pushButton_close_clicked()
{
    if (m_running)
        return;
    emit close();
}
