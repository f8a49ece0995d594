// The serial terminal of the radio module against the simulated device: the bytes each mode
// sends, the output and its colours (white received, green sent, red errors), the Modbus
// request and response displays with their field checks, timeouts, refused requests, polling,
// the input filter, and the device page's opener.

#include "support/SimComm.h"
#include "device/session/DeviceSession.h"
#include "device/family/FamilyParams.h"
#include "editors/OrvObject.h"
#include "sim/SimDevice.h"
#include "support/RecordingReporter.h"
#include "tools/DeviceTools.h"
#include "tools/DlgUartTerm.h"
#include "tools/WdgUartTerm.h"

#include <QComboBox>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextBrowser>
#include <QtTest>

#include <memory>

namespace {

QByteArray hex(const char *h)
{
    return QByteArray::fromHex(h);
}

constexpr quint8 kLinkUsb = 0x75;
constexpr quint8 kCmdWrite = 6;
constexpr quint8 kCmdRead = 7;

template <class T> T *child(const QObject *parent, const QString &name)
{
    T *w = parent->findChild<T *>(name);
    if (!w)
        qFatal("missing child %s", qPrintable(name));
    return w;
}

QString colourTag(const QColor &c)
{
    if (c == QColor(255, 255, 255))
        return QStringLiteral("w");
    if (c == QColor(0, 255, 0))
        return QStringLiteral("g");
    if (c == QColor(255, 0, 0))
        return QStringLiteral("r");
    return c.name();
}

/// The output as text with its colours: each run of one colour as <c>text</c> (w white,
/// g green, r red), one line per output block.
QString markup(const QTextDocument *doc)
{
    QStringList lines;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        QString line;
        QString open;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            const QString tag = colourTag(f.charFormat().foreground().color());
            if (tag != open) {
                if (!open.isEmpty())
                    line += "</" + open + ">";
                line += "<" + tag + ">";
                open = tag;
            }
            line += f.text();
        }
        if (!open.isEmpty())
            line += "</" + open + ">";
        lines << line;
    }
    return lines.join('\n');
}

const QString kTxExample = QStringLiteral(
    "<w>[Tx] -> "
    "[</w><g>01</g><w>][</w><g>03</g><w>][</w><g>0000</g><w>][</w><g>0002</g><w>][</w><g>c40b</g><w>]</w>");

} // namespace

class TestUartTerm : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void form();
    void payloadBytes_data();
    void payloadBytes();
    void modbusExampleShownAllWhiteWhenWhole();
    void exceptionShownOnTimeoutWithItsFunctionInRed();
    void silentSlaveTimesOut();
    void refusedRequestGivesTheButtonBack_data();
    void refusedRequestGivesTheButtonBack();
    void requestOfAnotherLengthIsAFramingError();
    void sendModbusRequest();
    void receivedOutput_data();
    void receivedOutput();
    void pollPeriods();
    void inputFilter_data();
    void inputFilter();
    void modeChange();
    void modbusTimeoutFloor();
    void withoutLinkNothingIsSentOrPolled();
    void openedFromTheDevicePage();
    void notOpenedWithoutTerminal();
    void returnInTheLineSends();

private:
    /// The terminal bound to a session on the simulated device, commands 6 and 7.
    void makeTerminal();
    void selectMode(WdgUartTerm::Mode mode);
    void type(const QString &text);
    void send();
    QString output() const { return markup(child<QTextBrowser>(m_term.get(), "textBrowser")->document()); }
    QPushButton *sendButton() const { return child<QPushButton>(m_term.get(), "pushButton_send"); }
    /// Makes the module's next serial reads hand out these chunks, one per read.
    void moduleSends(const QList<QByteArray> &chunks);

    ScopedRecordingReporter m_rep;
    std::unique_ptr<SimDevice> m_dev;
    std::unique_ptr<DeviceSession> m_session;
    std::unique_ptr<WdgUartTerm> m_term;
};

void TestUartTerm::init()
{
    m_dev.reset(new SimDevice);
    m_rep.clear();
}

void TestUartTerm::cleanup()
{
    m_term.reset();
    m_session.reset();
    QVERIFY(!DeviceBusyGuard::isBusy());
    RecordingReporter left = m_rep;
    m_rep.clear();
    VERIFY_NO_PENDING_BOXES(left);
}

void TestUartTerm::makeTerminal()
{
    m_session.reset(new DeviceSession(new SimComm(*m_dev), simulatedDeviceInfo()));
    m_term.reset(new WdgUartTerm);
    m_term->setLink(m_session.get(), kCmdWrite, kCmdRead);
}

void TestUartTerm::selectMode(WdgUartTerm::Mode mode)
{
    child<QComboBox>(m_term.get(), "comboBox_type")->setCurrentIndex(mode);
}

void TestUartTerm::type(const QString &text)
{
    QTest::keyClicks(child<QLineEdit>(m_term.get(), "lineEdit"), text);
}

void TestUartTerm::send()
{
    QTest::mouseClick(sendButton(), Qt::LeftButton);
}

void TestUartTerm::moduleSends(const QList<QByteArray> &chunks)
{
    for (const QByteArray &c : chunks)
        m_dev->scriptAnswers(kCmdRead, {SimDevice::answer(kLinkUsb, 1, c)});
}

void TestUartTerm::form()
{
    DlgUartTerm dlg;
    QCOMPARE(dlg.objectName(), QStringLiteral("DlgUartTerm"));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Kiv terminal"));
    QCOMPARE(dlg.size(), QSize(600, 300));
    QCOMPARE(dlg.minimumSize(), QSize(600, 300));
    QCOMPARE(dlg.layout()->contentsMargins(), QMargins(7, 7, 7, 7));
    WdgUartTerm *term = dlg.terminal();
    QVERIFY(term);
    QCOMPARE(term->objectName(), QStringLiteral("widget"));
    QCOMPARE(dlg.findChild<WdgUartTerm *>("widget"), term);

    auto *combo = child<QComboBox>(term, "comboBox_type");
    QCOMPARE(combo->count(), 3);
    QCOMPARE(combo->itemText(0), QStringLiteral("Ascii"));
    QCOMPARE(combo->itemText(1), QStringLiteral("Hex"));
    QCOMPARE(combo->itemText(2), QStringLiteral("Modbus"));
    auto *browser = child<QTextBrowser>(term, "textBrowser");
    QVERIFY(browser->isReadOnly());
    QCOMPARE(browser->styleSheet(), QStringLiteral("QTextEdit{background-color:rgb(0, 0, 0)}"));
    for (const char *name : {"pushButton_cr", "pushButton_lf"}) {
        auto *b = child<QPushButton>(term, name);
        QVERIFY(b->isCheckable());
        QVERIFY(b->isEnabled());
        QVERIFY(!b->isChecked());
    }
    QCOMPARE(child<QPushButton>(term, "pushButton_cr")->text(), QStringLiteral("cr"));
    QCOMPARE(child<QPushButton>(term, "pushButton_lf")->text(), QStringLiteral("lf"));
    QVERIFY(!child<QPushButton>(term, "pushButton_send")->icon().isNull());
    QVERIFY(!child<QPushButton>(term, "pushButton_clean")->icon().isNull());
    QVERIFY(!term->isPolling()); // no link yet
}

void TestUartTerm::payloadBytes_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("cr");
    QTest::addColumn<bool>("lf");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QString>("echo");

    const int ascii = WdgUartTerm::ModeAscii;
    const int hexMode = WdgUartTerm::ModeHex;
    const int modbus = WdgUartTerm::ModeModbus;
    QTest::newRow("ascii text") << ascii << "AT+VER?" << false << false << QByteArray("AT+VER?")
                                << "<g>AT+VER?</g>";
    QTest::newRow("ascii, cr and lf: CR then LF")
        << ascii << "AT" << true << true << QByteArray("AT\r\n") << "<g>AT</g>\n";
    QTest::newRow("ascii, cr only") << ascii << "AT" << true << false << QByteArray("AT\r") << "<g>AT</g>\n";
    QTest::newRow("ascii, lf only: no line break shown")
        << ascii << "AT" << false << true << QByteArray("AT\n") << "<g>AT</g>";
    QTest::newRow("ascii escapes") << ascii << "\\a\\b\\e\\f\\t\\v." << false << false
                                   << hex("07 08 1B 0C 09 0B 2E") << QString(); // control characters
    QTest::newRow("ascii \\r and \\n")
        << ascii << "a\\r\\nb" << false << false << QByteArray("a\r\nb") << "<g>a</g>\n<g>b</g>";
    // The pair becomes one backslash first, which then starts a "\n".
    QTest::newRow("ascii \\\\n") << ascii << "x\\\\n" << false << false << QByteArray("x\n") << "<g>x</g>";
    QTest::newRow("ascii \\\\\\n") << ascii << "x\\\\\\n"
                                   << false << false << QByteArray("x\\\n") << "<g>x\\</g>";
    QTest::newRow("ascii \\\\ alone")
        << ascii << "a\\\\c" << false << false << QByteArray("a\\c") << "<g>a\\c</g>";
    // The same pair before a "b" ends as a backspace: every escape is replaced in turn.
    QTest::newRow("ascii \\\\b") << ascii << "a\\\\b" << false << false << hex("61 08") << QString();
    QTest::newRow("ascii UTF-8") << ascii << QString::fromUtf8("°C") << false << false << hex("C2 B0 43")
                                 << QString::fromUtf8("<g>°C</g>");
    QTest::newRow("hex") << hexMode << "01 aB-ff" << false << false << hex("01 AB FF") << "<g>01abff</g>";
    QTest::newRow("hex, odd count: first digit alone")
        << hexMode << "123" << false << false << hex("01 23") << "<g>0123</g>";
    QTest::newRow("modbus") << modbus << "01 03 00 00 00 02 C4 0B" << false << false
                            << hex("01 03 00 00 00 02 C4 0B") << kTxExample + "\n";
}

void TestUartTerm::payloadBytes()
{
    QFETCH(int, mode);
    QFETCH(QString, typed);
    QFETCH(bool, cr);
    QFETCH(bool, lf);
    QFETCH(QByteArray, sent);
    QFETCH(QString, echo);
    m_dev->setModbusSlave(9); // no response: only what was sent is shown
    makeTerminal();
    selectMode(WdgUartTerm::Mode(mode));
    type(typed);
    if (cr)
        child<QPushButton>(m_term.get(), "pushButton_cr")->click();
    if (lf)
        child<QPushButton>(m_term.get(), "pushButton_lf")->click();
    send();
    QCOMPARE(m_dev->moduleInput().toHex(' '), sent.toHex(' '));
    QCOMPARE(m_dev->commandCount(kCmdWrite), 1);
    if (!echo.isNull())
        QCOMPARE(output(), echo);
    QCOMPARE(m_term->pollPeriod(), WdgUartTerm::kBusyPollMs); // an accepted send polls fast
}

void TestUartTerm::modbusExampleShownAllWhiteWhenWhole()
{
    m_dev->setModbusSlave(9); // the response comes from the script below, in two pieces
    makeTerminal();
    m_term->setModbusTimeout(5000);
    selectMode(WdgUartTerm::ModeModbus);
    type("01 03 00 00 00 02 C4 0B");
    send();
    QCOMPARE(output(), kTxExample + "\n");
    QVERIFY(!sendButton()->isEnabled());
    QCOMPARE(int(m_term->pendingRequest().slave), 1);
    QCOMPARE(int(m_term->pendingRequest().quantity), 2);

    moduleSends({hex("01 03 04 00"), hex("01 00 02 2A 32")});
    // Shown as soon as the 9 bytes are in, long before the response timeout.
    QTRY_VERIFY_WITH_TIMEOUT(output().contains("[Rx]"), 2000);
    QCOMPARE(output(), kTxExample + "\n<w>[Rx] -> [01][03][04][00010002][2a32]</w>\n");
    QVERIFY(sendButton()->isEnabled());
    QVERIFY(!m_term->pendingRequest().isPending());
}

void TestUartTerm::exceptionShownOnTimeoutWithItsFunctionInRed()
{
    m_dev->setModbusException(2); // illegal data address: 01 83 02 C0 F1
    makeTerminal();
    m_term->setModbusTimeout(1500);
    selectMode(WdgUartTerm::ModeModbus);
    type("010300000002c40b");
    send();
    // The exception response is fetched at once, but it is never whole: it waits for the timer.
    QTRY_VERIFY(m_dev->commandCount(kCmdRead) >= 2);
    QTest::qWait(200);
    QVERIFY2(!output().contains("[Rx]"), qPrintable(output()));
    QVERIFY(!sendButton()->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(output().contains("[Rx]"), 3000);
    QCOMPARE(output(), kTxExample + "\n<w>[Rx] -> [01][</w><r>83</r><w>][</w><r>02</r><w>][][c0f1]</w>\n");
    QVERIFY(sendButton()->isEnabled());
}

void TestUartTerm::silentSlaveTimesOut()
{
    m_dev->setModbusSlave(9);
    makeTerminal();
    selectMode(WdgUartTerm::ModeModbus);
    type("010300000002c40b");
    send();
    QVERIFY(!sendButton()->isEnabled());
    QTRY_VERIFY(sendButton()->isEnabled());
    QCOMPARE(output(), kTxExample + "\n<r>[Rx Timeout]</r>\n");
}

void TestUartTerm::refusedRequestGivesTheButtonBack_data()
{
    QTest::addColumn<bool>("silent");
    QTest::newRow("not acknowledged") << false;
    QTest::newRow("no answer") << true;
}

void TestUartTerm::refusedRequestGivesTheButtonBack()
{
    QFETCH(bool, silent);
    makeTerminal();
    m_term->setModbusTimeout(300);
    selectMode(WdgUartTerm::ModeModbus);
    if (silent)
        m_dev->setFault(SimFault(SimFault::Silent).onCommand(kCmdWrite));
    else
        m_dev->scriptAnswers(kCmdWrite, {SimDevice::answer(kLinkUsb, 255, QByteArray())});
    type("010300000002c40b");
    send();
    // At once: the button is usable, and the output says the request did not go.
    QVERIFY(sendButton()->isEnabled());
    QVERIFY(!m_term->pendingRequest().isPending());
    QCOMPARE(output(), kTxExample + "\n<r>[Tx Not accepted]</r>\n");
    QCOMPARE(m_term->pollPeriod(), WdgUartTerm::kIdlePollMs);
    // No timer was started for it: nothing more is reported.
    QTest::qWait(600);
    QCOMPARE(output(), kTxExample + "\n<r>[Tx Not accepted]</r>\n");
}

void TestUartTerm::requestOfAnotherLengthIsAFramingError()
{
    makeTerminal();
    selectMode(WdgUartTerm::ModeModbus);
    type("01 03 00 00 00");
    send();
    QCOMPARE(m_dev->moduleInput(), hex("01 03 00 00 00")); // sent all the same
    QCOMPARE(output(), QStringLiteral("<r>[Tx Framing error]</r>\n"));
    QVERIFY(sendButton()->isEnabled());
    QVERIFY(!m_term->pendingRequest().isPending());
}

void TestUartTerm::sendModbusRequest()
{
    makeTerminal();
    m_term->sendModbusRequest(hex("01 03 00 00 00 02 C4 0B"));
    QCOMPARE(child<QComboBox>(m_term.get(), "comboBox_type")->currentText(), QStringLiteral("Modbus"));
    QCOMPARE(child<QLineEdit>(m_term.get(), "lineEdit")->text(), QStringLiteral("010300000002c40b"));
    QCOMPARE(m_dev->moduleInput(), hex("01 03 00 00 00 02 C4 0B"));
    QTRY_VERIFY(output().contains("[Rx]"));
    QCOMPARE(output(), kTxExample + "\n<w>[Rx] -> [01][03][04][00010002][2a32]</w>\n");
}

void TestUartTerm::receivedOutput_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QString>("plain");
    QTest::addColumn<QString>("shown");

    const int ascii = WdgUartTerm::ModeAscii;
    QTest::newRow("CR LF pairs: one break each; a lone LF: none")
        << ascii << QList<QByteArray>{"AB\r\nCD\nEF\r\n"} << "AB\nCDEF\n"
        << "<w>AB</w>\n<w>CDEF</w>\n";
    QTest::newRow("CR LF split between reads") << ascii << QList<QByteArray>{"AB\r", "\nCD"} << "AB\nCD"
                                               << "<w>AB</w>\n<w>CD</w>";
    QTest::newRow("UTF-8 split between reads")
        << ascii << QList<QByteArray>{hex("32 31 C2"), hex("B0 43")} << QString::fromUtf8("21°C")
        << QString::fromUtf8("<w>21°C</w>");
    QTest::newRow("hex: lower case digits")
        << int(WdgUartTerm::ModeHex) << QList<QByteArray>{hex("0D 0A FF"), hex("10")} << "0d0aff10"
        << "<w>0d0aff10</w>";
}

void TestUartTerm::receivedOutput()
{
    QFETCH(int, mode);
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QString, plain);
    QFETCH(QString, shown);
    makeTerminal();
    selectMode(WdgUartTerm::Mode(mode));
    moduleSends(chunks);
    auto *browser = child<QTextBrowser>(m_term.get(), "textBrowser");
    QTRY_COMPARE(browser->toPlainText(), plain);
    QCOMPARE(output(), shown);
}

void TestUartTerm::pollPeriods()
{
    makeTerminal();
    QVERIFY(m_term->isPolling());
    QCOMPARE(m_term->pollPeriod(), WdgUartTerm::kIdlePollMs);
    // Poll ticks by hand: the busy period lasts a single 10 ms tick.
    moduleSends({"x"});
    QVERIFY(QMetaObject::invokeMethod(m_term.get(), "_onReceive"));
    QCOMPARE(m_term->pollPeriod(), WdgUartTerm::kBusyPollMs); // data came
    QCOMPARE(output(), QStringLiteral("<w>x</w>"));
    QVERIFY(QMetaObject::invokeMethod(m_term.get(), "_onReceive"));
    QCOMPARE(m_term->pollPeriod(), WdgUartTerm::kIdlePollMs); // a poll brought nothing
    // A failed read command ends its poll and changes nothing.
    moduleSends({"y"});
    QVERIFY(QMetaObject::invokeMethod(m_term.get(), "_onReceive"));
    m_dev->setPlugged(false);
    QVERIFY(QMetaObject::invokeMethod(m_term.get(), "_onReceive"));
    QCOMPARE(m_term->pollPeriod(), WdgUartTerm::kBusyPollMs);
    m_dev->setPlugged(true);
    const int polls = m_dev->commandCount(kCmdRead);
    QTest::qWait(450);
    // About 4 idle polls; a poll period stuck at 10 ms would give some 45.
    QVERIFY2(m_dev->commandCount(kCmdRead) - polls < 10,
             qPrintable(QString::number(m_dev->commandCount(kCmdRead) - polls)));
}

void TestUartTerm::inputFilter_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::newRow("hex: ASCII non-digits removed") << int(WdgUartTerm::ModeHex) << "0x1G z;F"
                                                   << "01F";
    QTest::newRow("hex: other characters stay")
        << int(WdgUartTerm::ModeHex) << QString::fromUtf8("a°b") << QString::fromUtf8("a°b");
    QTest::newRow("modbus: blanks removed") << int(WdgUartTerm::ModeModbus) << "01 03 00"
                                            << "010300";
    QTest::newRow("ascii: left alone") << int(WdgUartTerm::ModeAscii) << "0x1G z"
                                       << "0x1G z";
}

void TestUartTerm::inputFilter()
{
    QFETCH(int, mode);
    QFETCH(QString, typed);
    makeTerminal();
    selectMode(WdgUartTerm::Mode(mode));
    child<QLineEdit>(m_term.get(), "lineEdit")->setText(typed); // as a paste
    QTEST(child<QLineEdit>(m_term.get(), "lineEdit")->text(), "kept");

    // A character typed in the middle keeps the cursor in place.
    if (mode == WdgUartTerm::ModeHex) {
        auto *line = child<QLineEdit>(m_term.get(), "lineEdit");
        line->setText(QStringLiteral("0123"));
        line->setCursorPosition(2);
        QTest::keyClicks(line, QStringLiteral(" a"));
        QCOMPARE(line->text(), QStringLiteral("01a23"));
        QCOMPARE(line->cursorPosition(), 3);
    }
}

void TestUartTerm::modeChange()
{
    makeTerminal();
    auto *cr = child<QPushButton>(m_term.get(), "pushButton_cr");
    auto *lf = child<QPushButton>(m_term.get(), "pushButton_lf");
    auto *line = child<QLineEdit>(m_term.get(), "lineEdit");
    cr->click();
    lf->click();
    type("AT");
    send();
    QVERIFY(!output().isEmpty());

    selectMode(WdgUartTerm::ModeHex);
    QVERIFY(line->text().isEmpty());
    QVERIFY(output().isEmpty());
    for (QPushButton *b : {cr, lf}) {
        QVERIFY(!b->isChecked());
        QVERIFY(!b->isEnabled());
    }
    selectMode(WdgUartTerm::ModeModbus);
    QVERIFY(!cr->isEnabled() && !lf->isEnabled());
    selectMode(WdgUartTerm::ModeAscii);
    for (QPushButton *b : {cr, lf}) {
        QVERIFY(!b->isChecked());
        QVERIFY(b->isEnabled());
    }
}

void TestUartTerm::modbusTimeoutFloor()
{
    WdgUartTerm term;
    QCOMPARE(term.modbusTimeout(), 200);
    QCOMPARE(term.setModbusTimeout(50), 200);
    QCOMPARE(term.setModbusTimeout(350), 350);
    QCOMPARE(term.modbusTimeout(), 350);
}

void TestUartTerm::withoutLinkNothingIsSentOrPolled()
{
    makeTerminal();
    QVERIFY(m_term->isPolling());
    m_term->setLink(m_session.get(), kCmdWrite, 0);
    QVERIFY(!m_term->isPolling());
    m_term->setLink(nullptr, kCmdWrite, kCmdRead);
    QVERIFY(!m_term->isPolling());
    m_dev->resetCounters();
    type("AT");
    send();
    QTest::qWait(150);
    QCOMPARE(m_dev->requestCount(), 0);
    QVERIFY(output().isEmpty());
}

void TestUartTerm::openedFromTheDevicePage()
{
    std::unique_ptr<OrvObject> page(new OrvObject(new SimComm(*m_dev), simulatedDeviceInfo()));
    FamilyParams::registerThermocouple(page->tables(), SimDevice::kKivType);
    page->startUpdates(10000);
    bool ran = false;
    QTimer::singleShot(0, page.get(), [&] {
        auto *dlg = page->findChild<DlgUartTerm *>();
        if (!dlg)
            return;
        ran = dlg->isVisible() && dlg->isModal();
        [&] {
            QCOMPARE(dlg->parentWidget(), static_cast<QWidget *>(page.get()));
            QVERIFY(!page->updatesRunning()); // the live readings pause meanwhile
            WdgUartTerm *term = dlg->terminal();
            QVERIFY(term->isPolling());
            QTest::keyClicks(child<QLineEdit>(term, "lineEdit"), "AT");
            QTest::mouseClick(child<QPushButton>(term, "pushButton_send"), Qt::LeftButton);
            QCOMPARE(m_dev->moduleInput(), QByteArray("AT"));
            QTRY_VERIFY(markup(child<QTextBrowser>(term, "textBrowser")->document()).contains("<w>AT</w>"));
        }();
        dlg->accept();
    });
    m_dev->resetCounters();
    DeviceTools::openKivTerminal(*page);
    QVERIFY(ran);
    // Probed with an empty write and an empty read before it opened.
    QCOMPARE(m_dev->requests().at(0).toHex(' '), QByteArray("75 06 00 00"));
    QCOMPARE(m_dev->requests().at(1).toHex(' '), QByteArray("75 07 00 00"));
    QVERIFY(!page->findChild<DlgUartTerm *>());
    QVERIFY(page->updatesRunning());
}

void TestUartTerm::notOpenedWithoutTerminal()
{
    std::unique_ptr<OrvObject> page(new OrvObject(new SimComm(*m_dev), simulatedDeviceInfo()));
    m_dev->scriptAnswers(kCmdRead, {SimDevice::answer(kLinkUsb, 255, QByteArray())});
    bool shown = false;
    QTimer::singleShot(0, page.get(), [&] {
        if (auto *dlg = page->findChild<DlgUartTerm *>()) {
            shown = true;
            dlg->reject();
        }
    });
    DeviceTools::openKivTerminal(*page);
    QCoreApplication::processEvents();
    QVERIFY(!shown);
    QVERIFY(!page->findChild<DlgUartTerm *>());
    QCOMPARE(m_dev->commandCount(kCmdWrite), 1); // only the probe
    QVERIFY(page->updatesRunning());             // the refresh runs again in every case
}

void TestUartTerm::returnInTheLineSends()
{
    // In the dialog as the device page opens it: the user types at once and ends with Return.
    m_dev->setModbusSlave(9); // no response: only what was sent counts
    m_session.reset(new DeviceSession(new SimComm(*m_dev), simulatedDeviceInfo()));
    DlgUartTerm dlg;
    WdgUartTerm *term = dlg.terminal();
    term->setLink(m_session.get(), kCmdWrite, kCmdRead);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    auto *line = child<QLineEdit>(term, "lineEdit");
    auto *cr = child<QPushButton>(term, "pushButton_cr");
    QCOMPARE(dlg.focusWidget(), static_cast<QWidget *>(line));

    QTest::keyClicks(dlg.focusWidget(), "AT");
    QTest::keyClick(dlg.focusWidget(), Qt::Key_Return);
    QCOMPARE(m_dev->moduleInput(), QByteArray("AT"));
    QVERIFY(!cr->isChecked()); // Return pressed no button of the dialog
    QVERIFY(dlg.isVisible());
    line->clear();
    QTest::keyClicks(line, "B");
    QTest::keyClick(line, Qt::Key_Enter);
    QCOMPARE(m_dev->moduleInput(), QByteArray("ATB")); // still no CR added to later payloads
    QCOMPARE(m_dev->commandCount(kCmdWrite), 2);

    // A Modbus request waiting for its response is not sent again.
    child<QComboBox>(term, "comboBox_type")->setCurrentIndex(WdgUartTerm::ModeModbus);
    QTest::keyClicks(line, "01 03 00 00 00 02 C4 0B");
    QTest::keyClick(line, Qt::Key_Return);
    QTest::keyClick(line, Qt::Key_Return);
    QCOMPARE(m_dev->commandCount(kCmdWrite), 3);
    QVERIFY(term->pendingRequest().isPending());
    dlg.reject();
}

QTEST_MAIN(TestUartTerm)
#include "tst_uartterm.moc"
