// The auto configuration page on the simulated USB device, offscreen: choosing the file, the
// 100 ms poll, a roll-out of devices one after another (accepted, refused parameter, file for
// another device type, module question cancelled, cable pulled during the write, another value
// stored, keys missing) with the log, the record rows and the device after each; the page in
// the main window and the simulator's new-device action. Keys appear nowhere.

#include "gui/FileDialogs.h"
#include "app/MainWindow.h"
#include "app/WdgMain.h"
#include "device/files/ConfigFile.h"
#include "device/session/DeviceFactory.h"
#include "device/rollout/ProvisioningRecord.h"
#include "editors/OrvObject.h"
#include "sim/SimDevice.h"
#include "sim/SimUsbHid.h"
#include "support/LogRecorder.h"
#include "support/RecordingReporter.h"
#include "support/TestData.h"
#include "support/SecretScan.h"
#include "support/TestKeys.h"
#include "tools/WdgAutoCfg.h"

#include <QAction>
#include <QCheckBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QToolButton>
#include <QtTest>

#include <sys/stat.h>

#include <algorithm>
#include <functional>
#include <memory>

namespace {

using namespace TestKeys;

using namespace TestData;

const QByteArray kKeyList = "DevEUI,AppEUI,AppKey\r\n"
                            "70B3D5499A0C1E01,D0E1F2A3B4C5D6E7,2B7E151628AED2A6ABF7158809CF4F3C\r\n"
                            "70B3D5499A0C1E02,A1B2C3D4E5F60718,C0FFEE0BADF00D15DEADBEEF8BADF00D\r\n"
                            "70B3D5499A0C1E03,A1B2C3D4E5F60718,C0FFEE0BADF00D15DEADBEEF8BADF00D\r\n"
                            "70B3D5499A0C1E04,A1B2C3D4E5F60718,C0FFEE0BADF00D15DEADBEEF8BADF00D\r\n"
                            "70B3D5499A0C1E05,A1B2C3D4E5F60718,C0FFEE0BADF00D15DEADBEEF8BADF00D\r\n"
                            "70B3D5499A0C1E06,A1B2C3D4E5F60718,C0FFEE0BADF00D15DEADBEEF8BADF00D\r\n";

/// The colour of the first character of text in the last line of the log.
QColor colourInLastLine(QTextBrowser *log, const QString &text)
{
    QTextBlock block = log->document()->lastBlock();
    while (block.isValid() && block.text().isEmpty())
        block = block.previous();
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment f = it.fragment();
        if (f.text() == text)
            return f.charFormat().foreground().color();
    }
    return QColor();
}

} // namespace

class TestAutoCfg : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startsWithoutFile();
    void choosingTheFile_data();
    void choosingTheFile();
    void rollOut();
    void rollOutWritesTheFileAsItStands_data();
    void rollOutWritesTheFileAsItStands();
    void oneDeviceAtATime();
    void anotherFileConfiguresThePluggedDeviceAgain();
    void recordThatIsNoRecordIsRefused();
    void mainWindowOpensAndClosesThePage();
    void nothingWrittenBeforeStart();
    void simulatorPlugsANewDeviceEachTime();

private:
    QLabel *label(const char *name) { return m_page->findChild<QLabel *>(QLatin1String(name)); }
    QTextBrowser *log() { return m_page->findChild<QTextBrowser *>("textBrowser"); }
    QStringList logLines() const
    {
        QStringList lines = m_page->findChild<QTextBrowser *>("textBrowser")->toPlainText().split('\n');
        while (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }
    void click(const char *button) { m_page->findChild<QAbstractButton *>(QLatin1String(button))->click(); }
    /// Chooses the file with its button and presses Start.
    void chooseFile(const QString &path)
    {
        m_dialogs->setNextFileName(path);
        click("toolButton_selectFile");
        if (m_page->findChild<QAbstractButton *>("pushButton_start")->isEnabled())
            click("pushButton_start");
    }
    /// A new device, fresh from the factory, plugged in.
    void plugNew(const QByteArray &devEui)
    {
        m_dev->becomeNewDevice(devEui);
        m_dev->resetCounters(); // what this device received, not the ones before
        m_dev->setPlugged(true);
    }

    ScopedRecordingReporter m_rep;
    std::unique_ptr<SimDevice> m_dev;
    std::unique_ptr<ScriptedFileDialogs> m_dialogs;
    std::unique_ptr<WdgAutoCfg> m_page;
    QTemporaryDir m_dir;
};

void TestAutoCfg::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName("PelmTest");
    QCoreApplication::setApplicationName("Pelm Configurator");
}

void TestAutoCfg::init()
{
    m_dev.reset(new SimDevice);
    m_dev->setPlugged(false);
    SimUsbHid::install(m_dev.get());
    DeviceFactory::resetUsbAttemptCounter();
    m_dialogs.reset(new ScriptedFileDialogs);
    m_page.reset(new WdgAutoCfg);
    m_rep.clear();
}

void TestAutoCfg::cleanup()
{
    m_page.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    SimUsbHid::uninstall();
    m_dev.reset();
    m_dialogs.reset();
    RecordingReporter left = m_rep;
    m_rep.clear();
    VERIFY_NO_PENDING_BOXES(left);
}

void TestAutoCfg::startsWithoutFile()
{
    QCOMPARE(m_page->size(), QSize(335, 332));
    QCOMPARE(label("label_3")->text(), QStringLiteral("Auto Config Tool"));
    QCOMPARE(label("label_3")->font().pointSize(), 15);
    QCOMPARE(label("label_DeviceName")->text(), QStringLiteral("Pelm-Device"));
    QCOMPARE(label("label_DeviceName")->font().pointSize(), 12);
    QCOMPARE(label("label_selectFile")->text(), QStringLiteral("Select a Pelm config file"));
    QVERIFY(!label("label_selectFile")->isEnabled());
    QCOMPARE(label("label_help")->text(), QStringLiteral("Select a Pelm config file"));
    QCOMPARE(m_page->findChild<QPushButton *>("pushButton_close")->text(), QStringLiteral("Close Tool"));
    const QPixmap image = label("label_image")->pixmap(Qt::ReturnByValue);
    QVERIFY(!image.isNull() && image.height() <= 50);
    QVERIFY(!m_page->pollTimer().isActive());
    QVERIFY(m_page->findChild<QCheckBox *>("checkBox_verify")->isChecked());

    // Nothing is looked for without a file, even with a device plugged in.
    m_dev->setPlugged(true);
    QTest::qWait(250);
    QCOMPARE(m_dev->requestCount(), 0);

    QSignalSpy closed(m_page.get(), &WdgAutoCfg::close);
    click("pushButton_close");
    QCOMPARE(closed.count(), 1);
}

void TestAutoCfg::choosingTheFile_data()
{
    QTest::addColumn<QString>("file"); // "" cancels; "missing", "noname", "good"
    QTest::addColumn<QString>("boxTitle");
    QTest::addColumn<QString>("boxText"); // %1: the path
    QTest::addColumn<bool>("polling");
    QTest::addColumn<QString>("deviceName");
    QTest::addColumn<QString>("help");

    QTest::newRow("cancelled") << ""
                               << ""
                               << "" << false << "Pelm-Device"
                               << "Select a Pelm config file";
    QTest::newRow("unreadable") << "missing"
                                << "File error"
                                << "Can't open file '%1'!" << false << "Pelm-Device"
                                << "Select a Pelm config file";
    // A pipe would hold the window until someone writes to it; a huge file is no configuration.
    QTest::newRow("a pipe") << "fifo"
                            << "File error"
                            << "Can't open file '%1'!" << false << "Pelm-Device"
                            << "Select a Pelm config file";
    QTest::newRow("too large") << "large"
                               << "File error"
                               << "The file '%1' is too large for a configuration file (more than 4 MiB)! It "
                                  "can't be loaded."
                               << false << "Pelm-Device"
                               << "Select a Pelm config file";
    QTest::newRow("no device name") << "noname"
                                    << "No Pelm name found"
                                    << "No Pelm name found in the file '%1'!" << false << "Pelm-Device"
                                    << "Select a Pelm config file";
    QTest::newRow("good") << "good"
                          << ""
                          << "" << true << "Pelm/PTC-CT"
                          << "Press Start to configure the Pelm devices plugged in";
}

void TestAutoCfg::choosingTheFile()
{
    QFETCH(QString, file);
    QFETCH(QString, boxTitle);
    QFETCH(QString, boxText);
    QFETCH(bool, polling);
    QFETCH(QString, deviceName);
    QFETCH(QString, help);

    // A file chosen before is running: each case starts from a running tool.
    const QString good = configFor(m_dir, "good.ocf", 28, 14);
    chooseFile(good);
    QVERIFY(m_page->pollTimer().isActive());

    QString path;
    if (file == "missing")
        path = m_dir.filePath("missing.ocf");
    else if (file == "noname")
        path = configFor(m_dir, "noname.ocf", 28, 14, QString());
    else if (file == "good")
        path = good;
    else if (file == "fifo") {
        path = m_dir.filePath("pipe.ocf");
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (file == "large") {
        // The good file's text, padded past the limit with spaces (still valid JSON).
        QByteArray text = readAll(good);
        text.append(QByteArray(ConfigFile::kMaxFileBytes + 1 - text.size(), ' '));
        path = writeFile(m_dir, "large.ocf", text);
    }
    // Choosing pauses the roll-out: nothing is written before Start.
    m_dialogs->setNextFileName(path);
    click("toolButton_selectFile");
    QVERIFY(!m_page->isRunning());
    QVERIFY(!m_page->pollTimer().isActive());
    const ScriptedFileDialogs::Request request = m_dialogs->requests.last();
    QCOMPARE(request.caption, QStringLiteral("Open Pelm config"));
    QCOMPARE(request.dir, QString());
    QCOMPARE(request.filter, QStringLiteral("Pelm config file (*.ocf);;All Files (*)"));

    if (!boxTitle.isEmpty()) {
        const Reporter::Box box = m_rep.takeBox();
        QCOMPARE(box.title, boxTitle);
        QCOMPARE(box.text, boxText.arg(path));
        QCOMPARE(int(box.icon), int(Reporter::Critical));
    }
    // Start is offered once a file names its device.
    QCOMPARE(m_page->findChild<QAbstractButton *>("pushButton_start")->isEnabled(), file != "noname");
    if (polling) {
        click("pushButton_start");
        QVERIFY(m_page->pollTimer().isActive());
        QCOMPARE(m_page->pollTimer().interval(), 100);
        QCOMPARE(label("label_help")->text(), QStringLiteral("Connect Pelm device"));
        QCOMPARE(m_page->findChild<QAbstractButton *>("pushButton_start")->text(), QStringLiteral("Stop"));
        click("pushButton_start");
        QVERIFY(!m_page->pollTimer().isActive());
    }
    if (file == "noname" || file == "good") {
        // labels follow the file; after an unreadable file or a cancel they stay as they were
        QCOMPARE(label("label_DeviceName")->text(), deviceName);
        QCOMPARE(label("label_help")->text(), help);
        QCOMPARE(label("label_selectFile")->isEnabled(), polling);
        QCOMPARE(label("label_selectFile")->text(),
                 polling ? path : QStringLiteral("Select a Pelm config file"));
    } else {
        QCOMPARE(label("label_DeviceName")->text(), QStringLiteral("Pelm/PTC-CT"));
    }
}

void TestAutoCfg::rollOut()
{
    const QString site = configFor(m_dir, "site.ocf", 28, 14);
    const QString type27 = configFor(m_dir, "type27.ocf", 27, 14);
    const QString kiv13 = configFor(m_dir, "kiv13.ocf", 28, 13);
    const QString record = m_dir.filePath("record.csv");
    m_dialogs->setNextFileName(record);
    click("toolButton_selectRecord");
    QCOMPARE(label("label_selectRecord")->text(), QStringLiteral("Record: %1").arg(record));
    m_dialogs->setNextFileName(writeFile(m_dir, "keys.csv", kKeyList));
    click("toolButton_selectKeys");
    QCOMPARE(label("label_selectKeys")->text(),
             QStringLiteral("Keys of 6 device(s): %1").arg(m_dir.filePath("keys.csv")));
    LogRecorder debugLog;

    struct Step
    {
        const char *what;
        QString file;
        QByteArray devEui;
        std::function<void(SimDevice &)> setup;
        int answer; ///< answer to a question, 0: none asked
        QStringList boxes;
        bool successful;
        QString reason;
        bool configWritten; ///< the device holds the file's values
        QByteArray appKey;  ///< what the device holds as its AppKey afterwards
    };
    const auto none = [](SimDevice &) {};
    const QString pre = QStringLiteral("Pelm-PTC-CT - ");
    // A successful device's line says what the write changed.
    const QString kBleChanged = QStringLiteral("changed: Ble period: 0100 → D40D");
    const QList<Step> steps{
        {"accepted",
         site,
         QByteArray::fromHex("70B3D5499A0C1E01"),
         none,
         0,
         {},
         true,
         kBleChanged,
         true,
         kAppKey},
        {"refused parameter",
         site,
         QByteArray::fromHex("70B3D5499A0C1E02"),
         [](SimDevice &d) { d.setRefused(22); },
         0,
         {"Apply configuration failed"},
         false,
         "parameters refused: Tempreature threshold (22): Bad threshold configuration",
         false,
         QByteArray()},
        {"another device type",
         type27,
         QByteArray::fromHex("70B3D5499A0C1E03"),
         none,
         0,
         {"No ORV matched"},
         false,
         "configuration file refused: No ORV matched: The specified file is for ORV 'PINC-3', your present "
         "ORV is "
         "'PTC-CT'.You must specifies or connect the same ORV type.",
         false,
         QByteArray()},
        {"module question cancelled",
         kiv13,
         QByteArray::fromHex("70B3D5499A0C1E04"),
         none,
         Reporter::Cancel,
         {"No KIV matched"},
         false,
         "configuration file refused: No KIV matched: The specified file is for KIV 'KLSB', your present KIV "
         "is "
         "''.You must specifies or connect the same KIV type.",
         false,
         QByteArray()},
        {"cable pulled during the write",
         site,
         QByteArray::fromHex("70B3D5499A0C1E05"),
         [](SimDevice &d) { d.setFault(SimFault::unplugAfterRequests(0).onAction(0)); },
         0,
         {"Apply configuration failed !"},
         false,
         "write failed: Apply configuration failed !: No/Bad response from device! Please retry to apply the "
         "configuration.",
         false,
         QByteArray()},
        {"another value stored",
         site,
         QByteArray::fromHex("70B3D5499A0C1E06"),
         [](SimDevice &d) { d.setFault(SimFault::storesOtherValue(28)); },
         0,
         {},
         false,
         "read-back differs: Ble period (28): Bad Ble period",
         false,
         QByteArray()},
        {"keys missing",
         site,
         QByteArray::fromHex("70B3D5499A0C1EFF"),
         none,
         0,
         {},
         false,
         "DevEUI 70B3D5499A0C1EFF is not in the key list",
         false,
         QByteArray()},
        {"accepted after the failures",
         site,
         QByteArray::fromHex("70B3D5499A0C1E02"),
         none,
         0,
         {},
         true,
         kBleChanged,
         true,
         kOtherAppKey},
    };

    QStringList expectedLines;
    QString currentFile;
    for (const Step &step : steps) {
        const QString context = QString::fromLatin1(step.what);
        if (step.file != currentFile) {
            chooseFile(step.file);
            currentFile = step.file;
        }
        plugNew(step.devEui);
        // the file sets a BLE period the fresh device does not hold
        m_dev->setParam(FamilyParams::ParamBlePeriod, QByteArray::fromHex("0100"));
        step.setup(*m_dev);
        if (step.answer)
            m_rep.answer(step.answer);
        m_page->onTime();
        QVERIFY2(m_page->currentDevice(), qPrintable(context));
        QCOMPARE(label("label_help")->text(), QStringLiteral("Disconnect Pelm device"));

        QStringList titles;
        while (m_rep.hasBoxes())
            titles << m_rep.takeBox().title;
        QVERIFY2(titles == step.boxes, qPrintable(context + ": " + titles.join(" | ")));

        QString line = pre + (step.successful ? "successful" : "failed") + " - DevEUI " +
                       QString::fromLatin1(step.devEui.toHex().toUpper());
        if (!step.reason.isEmpty())
            line += ": " + step.reason;
        expectedLines << line;
        QCOMPARE(logLines(), expectedLines);
        QCOMPARE(colourInLastLine(log(), step.successful ? "successful" : "failed"),
                 step.successful ? QColor(0, 255, 0) : QColor(255, 0, 0));
        QCOMPARE(colourInLastLine(log(), pre), log()->palette().color(QPalette::Text));

        // the device as it is left
        if (step.file != site || step.what == QLatin1String("keys missing")) {
            QVERIFY2(m_dev->writtenParams().isEmpty(), qPrintable(context)); // nothing was sent to it
        }
        QCOMPARE(m_dev->param(28) == QByteArray::fromHex("0100"),
                 !step.configWritten && step.what != QLatin1String("another value stored") &&
                     step.what != QLatin1String("refused parameter"));
        QCOMPARE(m_dev->appKey(), step.appKey);

        // the record has the row, on disk already
        QVector<ProvisioningRecord::Row> rows;
        QString error;
        QVERIFY2(ProvisioningRecord::parse(readAll(record), &rows, &error), qPrintable(error));
        QCOMPARE(rows.size(), expectedLines.size());
        const ProvisioningRecord::Row &row = rows.last();
        QCOMPARE(row.devEui, QString::fromLatin1(step.devEui.toHex().toUpper()));
        QCOMPARE(row.successful, step.successful);
        QCOMPARE(row.reason, step.reason);
        QCOMPARE(row.configFile, QFileInfo(step.file).fileName());
        QCOMPARE(row.identity, m_page->currentDevice()->identityText());

        // polls while it stays plugged in change nothing; unplugging frees the page
        const int requests = m_dev->requestCount();
        if (m_dev->isPlugged()) {
            m_page->onTime();
            QCOMPARE(m_dev->requestCount(), requests);
            QVERIFY(m_page->currentDevice());
        }
        m_dev->setPlugged(false);
        m_page->onTime();
        QVERIFY(!m_page->currentDevice());
        QCOMPARE(label("label_help")->text(), QStringLiteral("Connect Pelm device"));
        QVERIFY(m_page->pollTimer().isActive());
    }

    const QString secret =
        SecretScan::find(QStringList{log()->toPlainText(), QString::fromUtf8(readAll(record))}
                             << debugLog.all() << m_rep.statusTexts(),
                         {kAppEui, kAppKey, kOtherAppEui, kOtherAppKey});
    QVERIFY2(secret.isEmpty(), qPrintable(secret));
}

namespace {
/// A file of the family holding exactly these params members.
QString fileWith(const QTemporaryDir &dir, const QString &name, const QJsonObject &params)
{
    return editedConfig(dir, name, [&params](QJsonObject &doc) { doc.insert("params", params); });
}

QJsonObject member(int id, const char *hex, bool isBuf = false)
{
    return QJsonObject{{"param", id}, {"index", 0}, {"isBuf", isBuf}, {"data", QString::fromLatin1(hex)}};
}
} // namespace

void TestAutoCfg::rollOutWritesTheFileAsItStands_data()
{
    // The file's members; the ids the device must have received, in any order (empty: nothing
    // was sent); the log line's end after "successful"/"failed - DevEUI ...".
    QTest::addColumn<QJsonObject>("params");
    QTest::addColumn<QList<int>>("sent");
    QTest::addColumn<bool>("successful");
    QTest::addColumn<QString>("reason");
    QTest::newRow("only the keep-alive period")
        << QJsonObject{{"Keep alive", member(3, "05")}} << QList<int>{3} << true
        << QStringLiteral("changed: Keep alive: 00 → 05");
    QTest::newRow("thresholds and calibration")
        << QJsonObject{{"Current threshold", member(23, "e803c80014000500", true)},
                       {"Current coefficient", member(29, "4c04")},
                       {"Temperature Offset", member(24, "0aff")}}
        << QList<int>{23, 24, 29} << true
        << QStringLiteral(
               "changed: Current threshold high: 15.00 A → 10.00 A; Current threshold low: 0.50 A → "
               "2.00 A; Current threshold hysteresis: 0.10 A → 0.20 A; Current threshold duration: off "
               "→ 5 s; Temperature Offset: 0.00 °C → -2.46 °C; Current coefficient: 1.000 → 1.100");
    QTest::newRow("the action id") << QJsonObject{{"Keep alive", member(3, "05")},
                                                  {"Restore", member(1, "03")}}
                                   << QList<int>{3} << true
                                   << "parameter 1 is not a configuration parameter and was left out; "
                                      "changed: Keep alive: 00 → 05";
    QTest::newRow("keys of another device")
        << QJsonObject{{"Timestamp", member(11, "01")},
                       {"AppKey", member(7, "2b7e151628aed2a6abf7158809cf4f3c", true)}}
        << QList<int>{11} << true
        << "parameter 7 (AppKey) is a LoRaWAN key and was left out; changed: Timestamp: Disable → Enable";
    QTest::newRow("current coefficient 1.200")
        << QJsonObject{{"Keep alive", member(3, "05")}, {"Current coefficient", member(29, "b004")}}
        << QList<int>{} << false
        << "configuration refused, nothing written: Current coefficient (29): 1200 is out of range (900 to "
           "1100)";
}

void TestAutoCfg::rollOutWritesTheFileAsItStands()
{
    QFETCH(QJsonObject, params);
    QFETCH(QList<int>, sent);
    QFETCH(bool, successful);
    QFETCH(QString, reason);
    const QString file = fileWith(m_dir, "partial.ocf", params);
    QVERIFY(!file.isEmpty());
    const QByteArray devEui = QByteArray::fromHex("70B3D5499A0C1E01");

    // The page's roll-out.
    chooseFile(file);
    plugNew(devEui);
    m_page->onTime();
    QVERIFY(m_page->currentDevice());
    QVERIFY(!m_rep.hasBoxes());
    QString line = QStringLiteral("Pelm-PTC-CT - ") + (successful ? "successful" : "failed") +
                   " - DevEUI 70B3D5499A0C1E01";
    if (!reason.isEmpty())
        line += ": " + reason;
    QCOMPARE(logLines(), QStringList{line});
    QList<int> received;
    for (const OrvParam &p : m_dev->writtenParams())
        received << p.id();
    std::sort(received.begin(), received.end());
    QCOMPARE(received, sent);
    const QMap<quint8, QByteArray> byPage = m_dev->params();
    const OrvParamList writtenByPage = m_dev->writtenParams();

    // The same file through the session pelm-cli uses, on a device fresh from the factory.
    m_dev->setPlugged(false);
    m_page->onTime();
    plugNew(devEui);
    m_page.reset(); // the page doesn't poll meanwhile
    bool failed = false;
    std::unique_ptr<DeviceSession> session(DeviceFactory::connectUsb(&failed, nullptr));
    QVERIFY(session);
    Provisioning::Run run;
    run.setConfigFile(file);
    const Provisioning::Outcome outcome = run.provision(*session);
    QCOMPARE(outcome.successful, successful);
    QCOMPARE(outcome.reason, reason);
    QCOMPARE(m_dev->writtenParams(), writtenByPage);
    QCOMPARE(m_dev->params(), byPage);
}

void TestAutoCfg::oneDeviceAtATime()
{
    chooseFile(configFor(m_dir, "site.ocf", 28, 14));
    plugNew(QByteArray::fromHex("70B3D5499A0C1E01"));
    // The real timer drives it: configured once, then nothing while it stays plugged in.
    QTRY_VERIFY(m_page->currentDevice());
    QTest::qWait(350);
    QCOMPARE(logLines().size(), 1);
    QCOMPARE(m_dev->commandCount(5), m_dev->commandCount(5)); // settle
    const int requests = m_dev->requestCount();
    QTest::qWait(250);
    QCOMPARE(m_dev->requestCount(), requests);
    // Unplugged and the next one plugged in between two polls: the page first lets the old one
    // go, then configures the new one.
    plugNew(QByteArray::fromHex("70B3D5499A0C1E02"));
    QTRY_COMPARE(logLines().size(), 2);
    QVERIFY(logLines().last().contains("70B3D5499A0C1E02"));
    QVERIFY(m_page->pollTimer().isActive());
}

void TestAutoCfg::anotherFileConfiguresThePluggedDeviceAgain()
{
    const QString site = configFor(m_dir, "site.ocf", 28, 14);
    chooseFile(site);
    plugNew(QByteArray::fromHex("70B3D5499A0C1E01"));
    m_page->onTime();
    QVERIFY(m_page->currentDevice());
    chooseFile(site);
    QVERIFY(!m_page->currentDevice());
    QCOMPARE(label("label_help")->text(), QStringLiteral("Connect Pelm device"));
    m_page->onTime();
    QCOMPARE(logLines(), QStringList({"Pelm-PTC-CT - successful - DevEUI 70B3D5499A0C1E01: nothing changed",
                                      "Pelm-PTC-CT - successful - DevEUI 70B3D5499A0C1E01: nothing changed; "
                                      "DevEUI already provisioned in "
                                      "this run"}));
}

void TestAutoCfg::recordThatIsNoRecordIsRefused()
{
    const QString keys = writeFile(m_dir, "keys.csv", kKeyList);
    m_dialogs->setNextFileName(keys);
    click("toolButton_selectRecord");
    const Reporter::Box box = m_rep.takeBox();
    QCOMPARE(box.title, QStringLiteral("Provisioning record"));
    QVERIFY2(box.text.startsWith(QStringLiteral("The file '%1' can't be appended to").arg(keys)),
             qPrintable(box.text));
    QCOMPARE(label("label_selectRecord")->text(), QStringLiteral("No provisioning record"));
    QCOMPARE(readAll(keys), kKeyList);

    // A broken key list keeps the tool without keys, and its box quotes no key.
    m_dialogs->setNextFileName(
        writeFile(m_dir, "broken.csv", QByteArray(kKeyList).replace(",2B7E", ",XB7E")));
    click("toolButton_selectKeys");
    const Reporter::Box keyBox = m_rep.takeBox();
    QCOMPARE(keyBox.title, QStringLiteral("Key list"));
    QCOMPARE(keyBox.text,
             QStringLiteral("Line 2 of the key list: the AppKey must have 32 hexadecimal digits."));
    QVERIFY(m_page->run().keyList().isEmpty());
}

void TestAutoCfg::nothingWrittenBeforeStart()
{
    // The device is plugged in before anything is chosen: choosing the file writes nothing, the
    // record and key list chosen afterwards apply to it once Start is pressed.
    m_dev->becomeNewDevice(QByteArray::fromHex("70B3D5499A0C1E01"));
    m_dev->setPlugged(true);
    m_dialogs->setNextFileName(configFor(m_dir, "site.ocf", 28, 14));
    click("toolButton_selectFile");
    m_page->onTime();
    QVERIFY(!m_page->currentDevice());
    QCOMPARE(m_dev->requestCount(), 0);
    const QString record = m_dir.filePath("start-record.csv");
    QVERIFY(m_page->chooseRecord(record));
    QVERIFY(m_page->chooseKeyList(writeFile(m_dir, "keys.csv", kKeyList)));
    m_page->onTime();
    QCOMPARE(m_dev->requestCount(), 0);
    QVERIFY(logLines().isEmpty());

    click("pushButton_start");
    m_page->onTime();
    QVERIFY(m_page->currentDevice());
    QCOMPARE(logLines(), QStringList{"Pelm-PTC-CT - successful - DevEUI 70B3D5499A0C1E01: nothing changed"});
    QCOMPARE(m_dev->appKey(), kAppKey);
    QVector<ProvisioningRecord::Row> rows;
    QVERIFY(ProvisioningRecord::parse(readAll(record), &rows, nullptr));
    QCOMPARE(rows.size(), 1);

    // The provisioning station's start: everything chosen at once, then started.
    m_page.reset();
    m_dev->setPlugged(false);
    MainWindow window;
    QVERIFY(window.startAutoConfig(configFor(m_dir, "site.ocf", 28, 14), record, m_dir.filePath("keys.csv")));
    auto *page = qobject_cast<WdgAutoCfg *>(window.centralWidget());
    QVERIFY(page);
    QVERIFY(page->isRunning());
    QCOMPARE(page->findChild<QLabel *>("label_selectRecord")->text(),
             QStringLiteral("Record: %1").arg(record));
    QCOMPARE(page->run().keyList().size(), 6);
    // A file that can't be read starts nothing (its box says why).
    QVERIFY(!window.startAutoConfig(m_dir.filePath("missing.ocf")));
    QCOMPARE(m_rep.takeBox().title, QStringLiteral("File error"));
    page = qobject_cast<WdgAutoCfg *>(window.centralWidget());
    QVERIFY(page && !page->isRunning());
}

void TestAutoCfg::mainWindowOpensAndClosesThePage()
{
    m_page.reset();
    MainWindow window;
    QVERIFY(window.pollTimer().isActive());
    window.findChild<QAction *>("actionAuto_Conf")->trigger();
    auto *page = qobject_cast<WdgAutoCfg *>(window.centralWidget());
    QVERIFY(page);
    QVERIFY(!window.pollTimer().isActive());
    QVERIFY(!window.device());
    // Nothing replaces the page while it may be writing a device: no file opened, no second page.
    const QStringList pageSwitches{"actionOpen", "actionRecent_Files", "actionAuto_Conf"};
    for (const QString &name : pageSwitches)
        QVERIFY2(!window.findChild<QAction *>(name)->isEnabled(), qPrintable(name));

    // While the page is shown the window's poll does not take the device.
    m_dialogs->setNextFileName(configFor(m_dir, "site.ocf", 28, 14));
    page->findChild<QToolButton *>("toolButton_selectFile")->click();
    page->findChild<QPushButton *>("pushButton_start")->click();
    m_dev->setPlugged(true);
    page->onTime();
    QVERIFY(page->currentDevice());
    QVERIFY(!window.device());

    QSignalSpy gone(page, &QObject::destroyed);
    page->findChild<QPushButton *>("pushButton_close")->click();
    QVERIFY(qobject_cast<WdgMain *>(window.centralWidget()));
    QVERIFY(window.pollTimer().isActive());
    QCOMPARE(window.pollTimer().interval(), MainWindow::kUsbPollMs);
    for (const QString &name : pageSwitches)
        QVERIFY2(window.findChild<QAction *>(name)->isEnabled(), qPrintable(name));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(gone.count(), 1);
}

void TestAutoCfg::simulatorPlugsANewDeviceEachTime()
{
    m_page.reset();
    MainWindow window;
    window.setSimulated(true);
    QAction *plugNewAction = window.findChild<QAction *>("actionSimulatorPlugNew");
    QAction *unplug = window.findChild<QAction *>("actionSimulatorUnplug");
    QVERIFY(plugNewAction && unplug);
    QCOMPARE(plugNewAction->text(), QStringLiteral("Plug in a new device (USB)"));
    m_dev->setParam(FamilyParams::ParamBlePeriod, QByteArray::fromHex("0100"));
    m_dev->setRefused(22);

    plugNewAction->trigger();
    QVERIFY(m_dev->isPlugged());
    QCOMPARE(m_dev->identifier(), QByteArray::fromHex("70B3D5499A0C1E30"));
    QCOMPARE(m_dev->param(28), m_dev->defaults().value(28)); // fresh from the factory
    QVERIFY(window.findChild<QAction *>("actionSimulatorPlugged")->isChecked());
    unplug->trigger();
    QVERIFY(!m_dev->isPlugged());
    QVERIFY(!window.findChild<QAction *>("actionSimulatorPlugged")->isChecked());
    plugNewAction->trigger();
    QCOMPARE(m_dev->identifier(), QByteArray::fromHex("70B3D5499A0C1E31"));

    // The new device is taken by the page as a device of its own.
    window.findChild<QAction *>("actionAuto_Conf")->trigger();
    auto *page = qobject_cast<WdgAutoCfg *>(window.centralWidget());
    QVERIFY(page);
    m_dialogs->setNextFileName(configFor(m_dir, "site.ocf", 28, 14));
    page->findChild<QToolButton *>("toolButton_selectFile")->click();
    page->findChild<QPushButton *>("pushButton_start")->click();
    page->onTime();
    plugNewAction->trigger(); // pulled and the next one plugged in between two polls
    page->onTime();
    page->onTime();
    const QStringList lines = page->findChild<QTextBrowser *>("textBrowser")->toPlainText().split('\n');
    QCOMPARE(lines.mid(0, 2),
             QStringList({"Pelm-PTC-CT - successful - DevEUI 70B3D5499A0C1E31: nothing changed",
                          "Pelm-PTC-CT - successful - DevEUI 70B3D5499A0C1E32: nothing changed"}));
}

QTEST_MAIN(TestAutoCfg)
#include "tst_autocfg.moc"
