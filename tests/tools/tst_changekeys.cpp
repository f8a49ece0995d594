// The LoRaWAN keys dialog: its form, the entries it accepts (complete keys only), the write
// through the device page against the simulated device (exact bytes, a refusal that is not
// shown as a success, the confirmation that empties the fields), and the keys as secrets: no
// clipboard, and not one log line of the whole run carries a key.

#include "device/session/DeviceFactory.h"
#include "support/SimComm.h"
#include "device/session/LoRaWanKeys.h"
#include "editors/OrvThermocouple.h"
#include "sim/SimDevice.h"
#include "support/RecordingReporter.h"
#include "support/SecretScan.h"
#include "tools/DeviceTools.h"
#include "tools/DlgChangeKeys.h"

#include <QApplication>
#include <QClipboard>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMutex>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

// Every category's debug output is on for the whole run (read when logging starts up).
const bool kAllDebugOn = qputenv("QT_LOGGING_RULES", "*.debug=true");

QByteArray hex(const char *h)
{
    return QByteArray::fromHex(h);
}

// Distinctive keys: no run of their digits appears anywhere else by chance.
const QString kAppEuiText = QStringLiteral("D0E1F2A3B4C5D6E7");
const QString kAppKeyText = QStringLiteral("2B7E151628AED2A6ABF7158809CF4F3C");
const QByteArray kAppEui = QByteArray::fromHex(kAppEuiText.toLatin1());
const QByteArray kAppKey = QByteArray::fromHex(kAppKeyText.toLatin1());

template <class T> T *child(const QObject *parent, const QString &name)
{
    T *w = parent->findChild<T *>(name);
    if (!w)
        qFatal("missing child %s", qPrintable(name));
    return w;
}

/// Every message logged in the process, whatever its type and category.
class LogCapture
{
public:
    static LogCapture &instance()
    {
        static LogCapture capture;
        return capture;
    }
    void install() { m_previous = qInstallMessageHandler(&LogCapture::handle); }
    QStringList lines() const
    {
        QMutexLocker lock(&m_mutex);
        return m_lines;
    }

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        LogCapture &c = instance();
        {
            QMutexLocker lock(&c.m_mutex);
            c.m_lines << QString::fromLatin1(context.category ? context.category : "") + QLatin1String(": ") +
                             message;
        }
        // Warnings and worse still reach the test framework (it fails on unexpected ones).
        if (type != QtDebugMsg && type != QtInfoMsg && c.m_previous)
            c.m_previous(type, context, message);
    }

    mutable QMutex m_mutex;
    QStringList m_lines;
    QtMessageHandler m_previous = nullptr;
};

/// The first text that holds a key, whole or in part (empty when none does).
QString findSecret(const QStringList &texts)
{
    return SecretScan::find(texts, {kAppEui, kAppKey});
}

} // namespace

class TestChangeKeys : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void form();
    void devEui_data();
    void devEui();
    void entries_data();
    void entries();
    void typingFollowsTheValidators();
    void shortKeyCompletedByTyping();
    void writeThroughTheDevicePage();
    void refusedKeyIsNoSuccess_data();
    void refusedKeyIsNoSuccess();
    void shortKeysAreNeverSent();
    void keysNeverReachTheClipboard();
    // Last: looks at everything the run logged.
    void keysNeverLogged();

private:
    std::unique_ptr<OrvThermocouple> connectPage();
    /// Runs the device page's keys dialog; inside() works on it while it is shown, then it is
    /// accepted. Returns the dialog's result.
    int runDialog(OrvThermocouple &page, const std::function<void(DlgChangeKeys *)> &inside);
    void typeKeys(DlgChangeKeys *dlg, const QString &appEui, const QString &appKey);
    void press(DlgChangeKeys *dlg);

    RecordingReporter m_rep;
    QStringList m_shown; ///< every box and status text of the run
    std::unique_ptr<SimDevice> m_dev;
};

void TestChangeKeys::initTestCase()
{
    QVERIFY(kAllDebugOn);
    LogCapture::instance().install();
    setReporter(&m_rep);
}

void TestChangeKeys::cleanupTestCase()
{
    setReporter(nullptr);
}

void TestChangeKeys::init()
{
    m_dev.reset(new SimDevice);
    SimDevice *dev = m_dev.get();
    DeviceFactory::setUsbTransportFactory([dev]() -> Comm * { return new SimComm(*dev); });
    DeviceFactory::resetUsbAttemptCounter();
    m_rep.clear();
}

void TestChangeKeys::cleanup()
{
    DeviceFactory::setUsbTransportFactory({});
    for (const Reporter::Box &b : m_rep.boxes)
        m_shown << b.title << b.text << b.informativeText;
    m_shown << m_rep.statusTexts();
    RecordingReporter left = m_rep;
    m_rep.clear();
    VERIFY_NO_PENDING_BOXES(left);
}

std::unique_ptr<OrvThermocouple> TestChangeKeys::connectPage()
{
    bool failed = true;
    OrvObject *o = OrvFactory::connectUsb(nullptr, &failed);
    auto *page = qobject_cast<OrvThermocouple *>(o);
    if (!page)
        delete o;
    m_rep.clear();
    m_dev->resetCounters();
    return std::unique_ptr<OrvThermocouple>(page);
}

int TestChangeKeys::runDialog(OrvThermocouple &page, const std::function<void(DlgChangeKeys *)> &inside)
{
    bool ran = false;
    QTimer::singleShot(0, &page, [&] {
        auto *dlg = page.findChild<DlgChangeKeys *>();
        if (!dlg)
            return;
        ran = dlg->isVisible() && dlg->isModal();
        inside(dlg); // a failed check inside returns early; the dialog is closed all the same
        dlg->accept();
    });
    const int result = DeviceTools::openKeysDialog(page);
    return ran ? result : -1;
}

void TestChangeKeys::typeKeys(DlgChangeKeys *dlg, const QString &appEui, const QString &appKey)
{
    QTest::keyClicks(child<QLineEdit>(dlg, "lineEdit_AppEUI"), appEui);
    QTest::keyClicks(child<QLineEdit>(dlg, "lineEdit_AppKey"), appKey);
}

void TestChangeKeys::press(DlgChangeKeys *dlg)
{
    QTest::mouseClick(child<QPushButton>(dlg, "pushButton_Write"), Qt::LeftButton);
}

void TestChangeKeys::form()
{
    DlgChangeKeys dlg;
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Enter new LoRaWan Keys"));
    QCOMPARE(dlg.size(), QSize(440, 115));
    QVERIFY(dlg.findChild<QGridLayout *>("gridLayout_2"));
    QVERIFY(dlg.findChild<QGridLayout *>("gridLayout_3"));
    QCOMPARE(child<QLabel>(&dlg, "label_AppEUI")->text(), QStringLiteral("AppEUI"));
    QCOMPARE(child<QLabel>(&dlg, "label_AppKey")->text(), QStringLiteral("AppKey"));
    QCOMPARE(child<QLabel>(&dlg, "label_DevEUI")->text(), QStringLiteral("--"));
    QCOMPARE(child<QPushButton>(&dlg, "pushButton_Write")->text(), QStringLiteral("Change Keys"));
    QStringList captions;
    for (const QLabel *l : dlg.findChildren<QLabel *>())
        captions << l->text();
    QVERIFY2(captions.contains(QStringLiteral("DevEUI")), qPrintable(captions.join(", ")));
    // Masked unless being typed: a field in normal echo mode would copy its key on selection.
    for (const char *name : {"lineEdit_AppEUI", "lineEdit_AppKey"})
        QCOMPARE(int(child<QLineEdit>(&dlg, name)->echoMode()), int(QLineEdit::Password));
}

void TestChangeKeys::devEui_data()
{
    QTest::addColumn<QByteArray>("devEui");
    QTest::addColumn<QString>("shown");
    QTest::newRow("8 bytes") << hex("70b3d5499a0c1e2f") << QStringLiteral("70B3D5499A0C1E2F");
    QTest::newRow("none") << QByteArray() << QStringLiteral("--");
}

void TestChangeKeys::devEui()
{
    QFETCH(QByteArray, devEui);
    DlgChangeKeys dlg;
    dlg.setDevEui(devEui);
    QTEST(child<QLabel>(&dlg, "label_DevEUI")->text(), "shown");
}

void TestChangeKeys::entries_data()
{
    QTest::addColumn<QString>("appEui");
    QTest::addColumn<QString>("appKey");
    QTest::addColumn<QString>("problem"); // empty: the keys are sent

    QTest::newRow("complete") << kAppEuiText << kAppKeyText << QString();
    QTest::newRow("lower case") << kAppEuiText.toLower() << kAppKeyText.toLower() << QString();
    QTest::newRow("AppEUI of 15 digits") << kAppEuiText.left(15) << kAppKeyText
                                         << QStringLiteral("The AppEUI must have 16 hexadecimal digits.");
    QTest::newRow("AppEUI of 7 bytes") << kAppEuiText.left(14) << kAppKeyText
                                       << QStringLiteral("The AppEUI must have 16 hexadecimal digits.");
    QTest::newRow("AppKey of 31 digits") << kAppEuiText << kAppKeyText.left(31)
                                         << QStringLiteral("The AppKey must have 32 hexadecimal digits.");
    QTest::newRow("both empty") << QString() << QString()
                                << QStringLiteral("The AppEUI must have 16 hexadecimal digits.\n"
                                                  "The AppKey must have 32 hexadecimal digits.");
    // Text put in without typing (as a paste does) passes no validator: checked all the same.
    QTest::newRow("separators") << QStringLiteral("D0 E1 F2 A3 B4 C5 D6 E7") << kAppKeyText
                                << QStringLiteral("The AppEUI must have 16 hexadecimal digits.");
}

void TestChangeKeys::entries()
{
    QFETCH(QString, appEui);
    QFETCH(QString, appKey);
    QFETCH(QString, problem);
    DlgChangeKeys dlg;
    QSignalSpy written(&dlg, &DlgChangeKeys::writeNewKeys);
    child<QLineEdit>(&dlg, "lineEdit_AppEUI")->setText(appEui);
    child<QLineEdit>(&dlg, "lineEdit_AppKey")->setText(appKey);
    press(&dlg);

    if (problem.isEmpty()) {
        QCOMPARE(written.count(), 1);
        QCOMPARE(written.first().at(0).toByteArray(), kAppEui);
        QCOMPARE(written.first().at(1).toByteArray(), kAppKey);
        QVERIFY(!m_rep.hasBoxes());
    } else {
        QCOMPARE(written.count(), 0);
        const Reporter::Box box = m_rep.takeBox();
        QCOMPARE(int(box.icon), int(Reporter::Warning));
        QCOMPARE(box.title, QStringLiteral("Change LoRaWAN keys"));
        QCOMPARE(box.text, problem);
        QCOMPARE(box.parent, static_cast<QObject *>(&dlg));
    }
    // The dialog stays open either way; the fields keep what was typed.
    QCOMPARE(child<QLineEdit>(&dlg, "lineEdit_AppEUI")->text(), appEui);
}

void TestChangeKeys::typingFollowsTheValidators()
{
    DlgChangeKeys dlg;
    auto *eui = child<QLineEdit>(&dlg, "lineEdit_AppEUI");
    auto *key = child<QLineEdit>(&dlg, "lineEdit_AppKey");
    QTest::keyClicks(eui, QStringLiteral("d0-e1 g") + kAppEuiText); // non-digits and digits past 16 dropped
    QTest::keyClicks(key, kAppKeyText + QStringLiteral("00"));
    QCOMPARE(eui->text(), QStringLiteral("d0e1") + kAppEuiText.left(12));
    QCOMPARE(key->text(), kAppKeyText);
}

void TestChangeKeys::shortKeyCompletedByTyping()
{
    DlgChangeKeys dlg;
    for (const char *name : {"lineEdit_AppEUI", "lineEdit_AppKey"}) {
        auto *edit = child<QLineEdit>(&dlg, name);
        const QString key = name == QLatin1String("lineEdit_AppEUI") ? kAppEuiText : kAppKeyText;
        QTest::keyClicks(edit, key.left(key.size() - 2));
        QCOMPARE(edit->displayText(), key.left(key.size() - 2)); // shown while typed
        QFocusEvent out(QEvent::FocusOut);
        QCoreApplication::sendEvent(edit, &out);      // the user looks elsewhere, then comes back
        QVERIFY(edit->displayText() != edit->text()); // masked
        QFocusEvent in(QEvent::FocusIn);
        QCoreApplication::sendEvent(edit, &in);
        QVERIFY(edit->displayText() != edit->text()); // still masked until a digit is typed

        QTest::keyClicks(edit, key.right(2)); // the missing digits, after the others
        QCOMPARE(edit->text(), key);
        QCOMPARE(edit->displayText(), key);
        // Selecting masks again, by keyboard as by mouse.
        QTest::keyClick(edit, Qt::Key_Home, Qt::ShiftModifier);
        QVERIFY(edit->displayText() != edit->text());
        QTest::keyClicks(edit, "0");
        QCOMPARE(edit->text(), QStringLiteral("0")); // typed over the selection, shown again
        QCOMPARE(edit->displayText(), QStringLiteral("0"));
        QTest::mouseDClick(edit, Qt::LeftButton);
        QVERIFY(edit->displayText() != edit->text());
    }
}

void TestChangeKeys::writeThroughTheDevicePage()
{
    auto page = connectPage();
    QVERIFY(page);
    QByteArray request;
    const int result = runDialog(*page, [&](DlgChangeKeys *dlg) {
        QCOMPARE(child<QLabel>(dlg, "label_DevEUI")->text(), QStringLiteral("70B3D5499A0C1E2F"));
        QCOMPARE(dlg->parentWidget(), static_cast<QWidget *>(page.get()));
        auto *button = child<QPushButton>(dlg, "pushButton_Write");
        typeKeys(dlg, kAppEuiText.toLower(), kAppKeyText);
        press(dlg);

        QCOMPARE(m_dev->commandCount(5), 1);
        request = m_dev->requests().last();
        QCOMPARE(page->statusBar()->currentMessage(),
                 QStringLiteral("Apply configuration to Pelm, has succeeded !"));
        QCOMPARE(button->text(), QStringLiteral("Success"));
        QCOMPARE(button->styleSheet(), QStringLiteral("background-color: green;"));
        // Confirmed: both fields are empty, and undo can't bring a key back.
        for (const char *name : {"lineEdit_AppEUI", "lineEdit_AppKey"}) {
            auto *edit = child<QLineEdit>(dlg, name);
            QVERIFY(edit->text().isEmpty());
            QVERIFY(!edit->isUndoAvailable());
        }
        QVERIFY(dlg->isVisible()); // the dialog stays open
        QTRY_COMPARE_WITH_TIMEOUT(button->text(), QStringLiteral("Change Keys"),
                                  2 * DlgChangeKeys::kSuccessShownMs);
        QCOMPARE(button->styleSheet(), QString());
    });
    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(request.toHex(' '),
             (hex("75 05 1E 00 C6 09 00") + kAppEui + hex("C7 11 00") + kAppKey).toHex(' '));
    QCOMPARE(m_dev->appEui(), kAppEui);
    QCOMPARE(m_dev->appKey(), kAppKey);
    QVERIFY(!page->findChild<DlgChangeKeys *>()); // gone with what was typed
}

void TestChangeKeys::refusedKeyIsNoSuccess_data()
{
    QTest::addColumn<int>("refusedId");
    QTest::addColumn<QString>("line");
    QTest::newRow("AppEUI") << 6 << QStringLiteral("    - AppEUI (6): Can't set AppEUI !\n");
    QTest::newRow("AppKey") << 7 << QStringLiteral("    - AppKey (7): Can't set AppKey !\n");
}

void TestChangeKeys::refusedKeyIsNoSuccess()
{
    QFETCH(int, refusedId);
    QFETCH(QString, line);
    auto page = connectPage();
    QVERIFY(page);
    m_dev->setRefused(quint8(refusedId));
    const int result = runDialog(*page, [&](DlgChangeKeys *dlg) {
        auto *button = child<QPushButton>(dlg, "pushButton_Write");
        typeKeys(dlg, kAppEuiText, kAppKeyText);
        press(dlg);
        QCOMPARE(m_dev->commandCount(5), 1);
        const Reporter::Box box = m_rep.takeBox();
        QCOMPARE(box.title, QStringLiteral("Apply configuration failed"));
        QCOMPARE(box.text, QStringLiteral("Some parameter of the configuration as failed:\n\n") + line);
        QCOMPARE(button->text(), QStringLiteral("Change Keys"));
        QCOMPARE(button->styleSheet(), QString());
        // Not confirmed: what was typed stays, so the user can try again.
        QCOMPARE(child<QLineEdit>(dlg, "lineEdit_AppKey")->text(), kAppKeyText);
    });
    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(page->statusBar()->currentMessage(),
             QStringLiteral("Apply configuration to Pelm, has failed !"));
}

void TestChangeKeys::shortKeysAreNeverSent()
{
    auto page = connectPage();
    QVERIFY(page);
    const int result = runDialog(*page, [&](DlgChangeKeys *dlg) {
        typeKeys(dlg, kAppEuiText.left(14), kAppKeyText);
        press(dlg);
        QCOMPARE(m_dev->requestCount(), 0);
        QCOMPARE(m_rep.takeBox().text, QStringLiteral("The AppEUI must have 16 hexadecimal digits."));
        QCOMPARE(child<QPushButton>(dlg, "pushButton_Write")->text(), QStringLiteral("Change Keys"));
    });
    QCOMPARE(result, int(QDialog::Accepted));
    QVERIFY(m_dev->appEui().isEmpty());
}

void TestChangeKeys::keysNeverReachTheClipboard()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    const QString before = QStringLiteral("clipboard before");

    // The environment's clipboard takes what a plain field copies: the check below can fail.
    QLineEdit plain;
    plain.setText(QStringLiteral("plain text"));
    plain.selectAll();
    clipboard->setText(before);
    plain.copy();
    QCOMPARE(clipboard->text(), QStringLiteral("plain text"));

    DlgChangeKeys dlg;
    for (const char *name : {"lineEdit_AppEUI", "lineEdit_AppKey"}) {
        auto *edit = child<QLineEdit>(&dlg, name);
        QTest::keyClicks(edit, name == QLatin1String("lineEdit_AppEUI") ? kAppEuiText : kAppKeyText);
        clipboard->setText(before);
        if (clipboard->supportsSelection())
            clipboard->setText(before, QClipboard::Selection);
        edit->selectAll();
        edit->copy();
        edit->cut();
        QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboard->text(), before);
        if (clipboard->supportsSelection())
            QCOMPARE(clipboard->text(QClipboard::Selection), before);
    }
}

void TestChangeKeys::keysNeverLogged()
{
    // The capture sees debug output of any category.
    QLoggingCategory probeCategory("pelm.test.probe");
    qCDebug(probeCategory) << "probe line";
    const QStringList lines = LogCapture::instance().lines();
    QVERIFY(lines.contains(QStringLiteral("pelm.test.probe: probe line")));

    // The dialog's write, a refusal and a device without answer once more, then everything the
    // run logged and showed.
    auto page = connectPage();
    QVERIFY(page);
    m_dev->setRefused(7);
    const int result = runDialog(*page, [&](DlgChangeKeys *dlg) {
        typeKeys(dlg, kAppEuiText, kAppKeyText);
        press(dlg);
        m_dev->setRefused(7, false);
        m_dev->setFault(SimFault(SimFault::NotAcknowledged));
        press(dlg);
        m_dev->clearFault();
        press(dlg);
    });
    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(m_dev->appKey(), kAppKey);
    for (const Reporter::Box &b : m_rep.boxes)
        m_shown << b.title << b.text << b.informativeText;
    m_shown << m_rep.statusTexts();
    m_rep.clear();

    const QStringList all = LogCapture::instance().lines();
    const QString logged = findSecret(all);
    QVERIFY2(logged.isEmpty(), qPrintable("a key was logged: " + logged));
    const QString shown = findSecret(m_shown);
    QVERIFY2(shown.isEmpty(), qPrintable("a key was shown: " + shown));
    // The search finds a key where there is one, in the forms it may take.
    QString debugPrinted;
    QDebug(&debugPrinted) << "value" << kAppKey.mid(3);
    for (const QString &text : {QStringLiteral("x ") + kAppKeyText.toLower().mid(6, 8) + " y",
                                QString::fromLatin1(kAppEui.toHex(' ')), debugPrinted})
        QVERIFY2(!findSecret({text}).isEmpty(), qPrintable(text));
}

QTEST_MAIN(TestChangeKeys)
#include "tst_changekeys.moc"
