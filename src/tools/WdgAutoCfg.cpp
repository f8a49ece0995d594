#include "tools/WdgAutoCfg.h"

#include "gui/FileDialogs.h"
#include "common/Reporter.h"
#include "device/model/Catalog.h"
#include "device/files/ConfigFile.h"
#include "device/session/DeviceSession.h"
#include "editors/OrvObject.h"

#include "ui_WdgAutoCfg.h"

#include <QFileInfo>
#include <QPixmap>
#include <QScrollBar>
#include <QTextCharFormat>
#include <QTextCursor>

namespace {
const char kBrandImage[] = ":MainWindow/img/pelm/iconpelm";
} // namespace

WdgAutoCfg::WdgAutoCfg(QWidget *parent) : QWidget(parent), m_ui(new Ui::WdgAutoCfg)
{
    m_ui->setupUi(this);
    const QPixmap image{QString(QLatin1String(kBrandImage))};
    m_ui->label_image->setPixmap(image.height() > kImageHeightPx
                                     ? image.scaledToHeight(kImageHeightPx, Qt::SmoothTransformation)
                                     : image);
    showNoFile();
    m_run.setVerify(m_ui->checkBox_verify->isChecked());
    m_pollTimer.setInterval(kPollIntervalMs);
    connect(&m_pollTimer, &QTimer::timeout, this, &WdgAutoCfg::onTime);
}

WdgAutoCfg::~WdgAutoCfg()
{
    m_pollTimer.stop();
    dropDevice();
}

void WdgAutoCfg::showNoFile()
{
    const QString brand = Catalog::brand();
    m_ui->label_DeviceName->setText(tr("%1-Device").arg(brand));
    m_ui->label_selectFile->setText(tr("Select a %1 config file").arg(brand));
    m_ui->label_selectFile->setEnabled(false);
    m_ui->label_help->setText(tr("Select a %1 config file").arg(brand));
}

void WdgAutoCfg::dropDevice()
{
    m_device.reset();
}

void WdgAutoCfg::on_toolButton_selectFile_clicked()
{
    pause();
    const QString brand = Catalog::brand();
    const QString path =
        fileDialogs().getOpenFileName(this, tr("Open %1 config").arg(brand), QString(),
                                      tr("%1 config file (*.ocf);;All Files (*)").arg(brand));
    if (path.isEmpty())
        return; // paused until a file is chosen
    chooseConfigFile(path);
}

bool WdgAutoCfg::chooseConfigFile(const QString &path)
{
    pause();
    const QString brand = Catalog::brand();
    // Only a regular file of reasonable size is read: a pipe would hold the window.
    ConfigFile::Document doc;
    if (ConfigFile::load(path, path, &doc).presentTo(reporter(), this) != ConfigFile::LoadError::None)
        return false;
    const QString name = ConfigFile::deviceName(doc);
    if (name.isEmpty()) {
        reporter().critical(tr("No %1 name found").arg(brand),
                            tr("No %1 name found in the file '%2'!").arg(brand, path), this);
        m_run.setConfigFile(QString());
        showNoFile();
        showRunState();
        return false;
    }

    // A device still plugged in is configured again with the new file once started.
    dropDevice();
    m_run.setConfigFile(path);
    m_ui->label_DeviceName->setText(name);
    m_ui->label_selectFile->setText(path);
    m_ui->label_selectFile->setEnabled(true);
    showRunState();
    return true;
}

void WdgAutoCfg::on_pushButton_start_clicked()
{
    if (m_running)
        pause();
    else
        start();
}

void WdgAutoCfg::start()
{
    if (m_run.configFile().isEmpty())
        return;
    m_running = true;
    showRunState();
    m_pollTimer.start(kPollIntervalMs);
}

void WdgAutoCfg::pause()
{
    m_pollTimer.stop();
    m_running = false;
    showRunState();
}

void WdgAutoCfg::showRunState()
{
    const QString brand = Catalog::brand();
    const bool hasFile = !m_run.configFile().isEmpty();
    m_ui->pushButton_start->setEnabled(hasFile);
    m_ui->pushButton_start->setText(m_running ? tr("Stop") : tr("Start"));
    if (!hasFile)
        m_ui->label_help->setText(tr("Select a %1 config file").arg(brand));
    else if (!m_running)
        m_ui->label_help->setText(tr("Press Start to configure the %1 devices plugged in").arg(brand));
    else if (m_device)
        m_ui->label_help->setText(tr("Disconnect %1 device").arg(brand));
    else
        m_ui->label_help->setText(tr("Connect %1 device").arg(brand));
}

void WdgAutoCfg::on_pushButton_close_clicked()
{
    emit close();
}

void WdgAutoCfg::onTime()
{
    // A box of a device exchange runs a nested event loop: no second exchange inside it.
    // Before Start (or once paused) no device is looked for.
    if (DeviceBusyGuard::isBusy() || !m_running)
        return;
    m_pollTimer.stop();
    if (!m_device) {
        bool failed = false;
        OrvObject *device = OrvFactory::connectUsb(this, &failed);
        if (device) {
            m_device.reset(device);
            handleDevice();
        }
    } else if (!m_device->isConnected()) {
        dropDevice();
        showRunState();
    }
    // The roll-out may have been paused meanwhile (a box's event loop let the user choose).
    if (m_running && !m_run.configFile().isEmpty())
        m_pollTimer.start(kPollIntervalMs);
}

void WdgAutoCfg::handleDevice()
{
    OrvObject *device = m_device.get();
    m_ui->label_help->setText(tr("Disconnect %1 device").arg(Catalog::brand()));
    m_ui->textBrowser->moveCursor(QTextCursor::End);

    const Provisioning::Outcome outcome = m_run.provision(*device);
    appendLog(device->displayName(), outcome.successful, Provisioning::devEuiText(device->identifier()),
              outcome.reason);

    if (m_record.isOpen()) {
        QString why;
        if (!m_record.append(m_run.row(*device, outcome), &why))
            appendLogLine(tr("Not recorded: %1").arg(why), failureColour());
    }
}

void WdgAutoCfg::appendLog(const QString &name, bool successful, const QString &devEui, const QString &reason)
{
    QTextCursor cursor(m_ui->textBrowser->document());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat normal;
    normal.setForeground(m_ui->textBrowser->palette().color(QPalette::Text));
    QTextCharFormat result = normal;
    result.setForeground(successful ? successColour() : failureColour());

    cursor.insertText(name + QStringLiteral(" - "), normal);
    cursor.insertText(successful ? tr("successful") : tr("failed"), result);
    QString rest;
    if (!devEui.isEmpty())
        rest += QStringLiteral(" - DevEUI ") + devEui;
    if (!reason.isEmpty())
        rest += QStringLiteral(": ") + reason;
    cursor.insertText(rest + QLatin1Char('\n'), normal);
    m_ui->textBrowser->verticalScrollBar()->setValue(m_ui->textBrowser->verticalScrollBar()->maximum());
}

void WdgAutoCfg::appendLogLine(const QString &text, const QColor &colour)
{
    QTextCursor cursor(m_ui->textBrowser->document());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat format;
    format.setForeground(colour);
    cursor.insertText(text + QLatin1Char('\n'), format);
    m_ui->textBrowser->verticalScrollBar()->setValue(m_ui->textBrowser->verticalScrollBar()->maximum());
}

void WdgAutoCfg::on_toolButton_selectRecord_clicked()
{
    pause();
    const QString path = fileDialogs().getAppendFileName(this, tr("Provisioning record"), QString(),
                                                         tr("CSV file (*.csv);;All Files (*)"));
    if (!path.isEmpty())
        chooseRecord(path);
}

bool WdgAutoCfg::chooseRecord(const QString &path)
{
    pause();
    QString why;
    if (!m_record.open(path, &why)) {
        reporter().critical(tr("Provisioning record"), why, this);
        on_toolButton_clearRecord_clicked();
        return false;
    }
    m_ui->label_selectRecord->setText(tr("Record: %1").arg(path));
    m_ui->label_selectRecord->setEnabled(true);
    m_ui->toolButton_clearRecord->setEnabled(true);
    return true;
}

void WdgAutoCfg::on_toolButton_clearRecord_clicked()
{
    pause();
    m_record.close();
    m_ui->label_selectRecord->setText(tr("No provisioning record"));
    m_ui->label_selectRecord->setEnabled(false);
    m_ui->toolButton_clearRecord->setEnabled(false);
}

void WdgAutoCfg::on_toolButton_selectKeys_clicked()
{
    pause();
    const QString path = fileDialogs().getOpenFileName(this, tr("Open key list"), QString(),
                                                       tr("Key list (*.csv);;All Files (*)"));
    if (!path.isEmpty())
        chooseKeyList(path);
}

bool WdgAutoCfg::chooseKeyList(const QString &path)
{
    pause();
    KeyList keys;
    QString why;
    if (!keys.load(path, &why)) {
        // The list chosen before (or none) stays.
        reporter().critical(tr("Key list"), why, this);
        return false;
    }
    m_run.setKeyList(keys);
    m_ui->label_selectKeys->setText(tr("Keys of %n device(s): %1", nullptr, keys.size()).arg(path));
    m_ui->label_selectKeys->setEnabled(true);
    m_ui->toolButton_clearKeys->setEnabled(true);
    return true;
}

void WdgAutoCfg::on_toolButton_clearKeys_clicked()
{
    pause();
    m_run.setKeyList(KeyList());
    m_ui->label_selectKeys->setText(tr("No key list: keys are not written"));
    m_ui->label_selectKeys->setEnabled(false);
    m_ui->toolButton_clearKeys->setEnabled(false);
}

void WdgAutoCfg::on_checkBox_verify_toggled(bool on)
{
    m_run.setVerify(on);
}
