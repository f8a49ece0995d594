#include "tools/WdgUartTerm.h"
#include "ui_WdgUartTerm.h"

#include "device/session/DeviceSession.h"
#include "device/terminal/TerminalText.h"

#include <QScrollBar>
#include <QStyle>
#include <QTextCodec>
#include <QTextCursor>
#include <QTextDecoder>

namespace {
const QString kTxHead = QStringLiteral("[Tx] -> ");
const QString kRxHead = QStringLiteral("[Rx] -> ");
const QString kLineEnd(QLatin1Char(TerminalText::kCr));

/// Longest Modbus response: head, 255 data bytes, CRC. A longer collection can never become
/// whole, so older bytes are dropped beyond this.
constexpr int kMaxModbusResponse = Modbus::kResponseHeadSize + 255 + Modbus::kCrcSize;

/// Where the fields of an 8-byte request start and how long they are: slave, function, start
/// address, quantity, CRC.
const struct
{
    int at;
    int size;
} kRequestGroups[] = {{0, 1}, {1, 1}, {2, 2}, {4, 2}, {6, 2}};
} // namespace

WdgUartTerm::WdgUartTerm(QWidget *parent)
    : QWidget(parent), m_ui(new Ui::WdgUartTerm), m_decoder(QTextCodec::codecForName("UTF-8")->makeDecoder())
{
    m_ui->setupUi(this);
    m_ui->pushButton_send->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    m_ui->pushButton_clean->setIcon(style()->standardIcon(QStyle::SP_LineEditClearButton));
    // Return in the line sends it (on_lineEdit_returnPressed); in a dialog it must not also
    // press one of the buttons, the first of which would be "cr".
    for (QPushButton *b : {m_ui->pushButton_cr, m_ui->pushButton_lf, m_ui->pushButton_send, m_ui->pushButton_clean})
        b->setAutoDefault(false);
    // Focusing the terminal means typing into it.
    setFocusProxy(m_ui->lineEdit);
    m_pollTimer.setInterval(kIdlePollMs);
    connect(&m_pollTimer, &QTimer::timeout, this, &WdgUartTerm::_onReceive);
    m_modbusTimer.setSingleShot(true);
    connect(&m_modbusTimer, &QTimer::timeout, this, &WdgUartTerm::_onMbTimeout);
    // The mode's rules for cr/lf from the start ("Ascii").
    on_comboBox_type_currentIndexChanged(m_ui->comboBox_type->currentIndex());
}

WdgUartTerm::~WdgUartTerm() = default;

void WdgUartTerm::setLink(DeviceSession *device, quint8 sendCommand, quint8 receiveCommand)
{
    m_device = device;
    m_sendCommand = sendCommand;
    m_receiveCommand = receiveCommand;
    if (!m_device || m_receiveCommand == 0) {
        m_pollTimer.stop();
        return;
    }
    m_pollTimer.start(kIdlePollMs);
}

int WdgUartTerm::setModbusTimeout(int ms)
{
    m_modbusTimeoutMs = qMax(ms, kIdlePollMs + kModbusMarginMs);
    return m_modbusTimeoutMs;
}

void WdgUartTerm::sendModbusRequest(const QByteArray &request)
{
    m_ui->comboBox_type->setCurrentIndex(ModeModbus);
    m_ui->lineEdit->clear();
    m_ui->lineEdit->setText(TerminalText::lowerHex(request));
    on_pushButton_send_clicked();
}

WdgUartTerm::Mode WdgUartTerm::mode() const
{
    return Mode(qBound(int(ModeAscii), m_ui->comboBox_type->currentIndex(), int(ModeModbus)));
}

QByteArray WdgUartTerm::payloadOfLine() const
{
    const QString text = m_ui->lineEdit->text();
    if (mode() == ModeAscii)
        return TerminalText::asciiPayload(text, m_ui->pushButton_cr->isChecked(),
                                          m_ui->pushButton_lf->isChecked());
    return TerminalText::hexPayload(text);
}

// --- sending --------------------------------------------------------------------------------

void WdgUartTerm::on_pushButton_send_clicked()
{
    m_modbusBuffer.clear();
    if (!m_device || m_sendCommand == 0)
        return;
    const QByteArray payload = payloadOfLine();

    quint8 status = Protocol::kStatusNone;
    {
        // The poll tick and the device page's timers must not start an exchange inside this one.
        DeviceBusyGuard guard;
        if (guard.acquired() && m_device->protocol().sendCommand(m_sendCommand, payload) >= 0) {
            quint8 answer[kSendAckCapacity] = {};
            m_device->protocol().receiveRaw(answer, kSendAckCapacity, kAnswerTimeoutMs, &status);
        }
    }

    switch (mode()) {
    case ModeAscii:
        showText(QString::fromUtf8(payload), sentColour());
        break;
    case ModeHex:
        showText(TerminalText::lowerHex(payload), sentColour());
        break;
    case ModeModbus:
        showModbusRequest(payload);
        break;
    }

    if (status == Protocol::kStatusComplete) {
        setPollPeriod(kBusyPollMs);
        if (mode() == ModeModbus)
            m_modbusTimer.start(m_modbusTimeoutMs);
        return;
    }
    // Not taken: no response will come and no timer would give the send button back.
    showText(tr("[Tx Not accepted]") + kLineEnd, errorColour());
    if (mode() == ModeModbus)
        endModbusExchange();
}

void WdgUartTerm::on_lineEdit_returnPressed()
{
    // As the send button: not while a Modbus request waits for its response.
    if (m_ui->pushButton_send->isEnabled())
        on_pushButton_send_clicked();
}

void WdgUartTerm::showModbusRequest(const QByteArray &request)
{
    Modbus::Request parsed;
    if (!Modbus::parseRequest(request, &parsed)) {
        // The bytes went out all the same; there is just nothing to wait for.
        showText(tr("[Tx Framing error]") + kLineEnd, errorColour());
        return;
    }
    m_ui->pushButton_send->setEnabled(false);
    m_pending = parsed;
    showText(kTxHead, receivedColour());
    for (const auto &g : kRequestGroups)
        showGroup(request.mid(g.at, g.size), sentColour());
    showText(kLineEnd, receivedColour());
}

// --- receiving ----------------------------------------------------------------------------

void WdgUartTerm::_onReceive()
{
    if (!m_device || m_receiveCommand == 0)
        return;
    QByteArray data;
    {
        DeviceBusyGuard guard;
        if (!guard.acquired())
            return; // another exchange runs: the next tick tries again
        if (m_device->protocol().sendCommand(m_receiveCommand) < 0)
            return;
        quint8 buffer[kReceiveCapacity] = {};
        quint8 status = Protocol::kStatusNone;
        const int n = m_device->protocol().receiveRaw(buffer, kReceiveCapacity, kAnswerTimeoutMs, &status);
        if (n > 0)
            data = QByteArray(reinterpret_cast<const char *>(buffer), n);
    }
    if (data.isEmpty()) {
        setPollPeriod(kIdlePollMs);
        return;
    }
    switch (mode()) {
    case ModeAscii:
        showText(m_decoder->toUnicode(data), receivedColour());
        break;
    case ModeHex:
        showText(TerminalText::lowerHex(data), receivedColour());
        break;
    case ModeModbus:
        m_modbusBuffer += data;
        if (m_modbusBuffer.size() > kMaxModbusResponse)
            m_modbusBuffer.remove(0, m_modbusBuffer.size() - kMaxModbusResponse);
        if (Modbus::isCompleteResponse(m_modbusBuffer))
            showModbusResponse();
        break;
    }
    setPollPeriod(kBusyPollMs);
}

void WdgUartTerm::_onMbTimeout()
{
    if (!m_modbusBuffer.isEmpty()) {
        showModbusResponse();
        return;
    }
    if (m_pending.isPending())
        showText(tr("[Rx Timeout]") + kLineEnd, errorColour());
    endModbusExchange();
}

void WdgUartTerm::showModbusResponse()
{
    showText(kRxHead, receivedColour());
    for (const Modbus::Field &f : Modbus::checkResponse(m_modbusBuffer, m_pending))
        showGroup(f.bytes, f.matches ? receivedColour() : errorColour());
    showText(kLineEnd, receivedColour());
    endModbusExchange();
}

void WdgUartTerm::endModbusExchange()
{
    m_modbusTimer.stop();
    m_pending = Modbus::Request();
    m_modbusBuffer.clear();
    m_ui->pushButton_send->setEnabled(true);
}

// --- output ---------------------------------------------------------------------------------

void WdgUartTerm::showText(const QString &text, const QColor &colour)
{
    QTextCursor cursor = m_ui->textBrowser->textCursor();
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat format;
    format.setForeground(colour);
    cursor.insertText(TerminalText::forDisplay(text), format);
    m_ui->textBrowser->setTextCursor(cursor);
    QScrollBar *bar = m_ui->textBrowser->verticalScrollBar();
    bar->setValue(bar->maximum());
}

void WdgUartTerm::showGroup(const QByteArray &bytes, const QColor &colour)
{
    showText(QStringLiteral("["), receivedColour());
    showText(TerminalText::lowerHex(bytes), colour);
    showText(QStringLiteral("]"), receivedColour());
}

void WdgUartTerm::setPollPeriod(int ms)
{
    // Setting the interval restarts a running timer: only when it changes.
    if (m_pollTimer.interval() != ms)
        m_pollTimer.setInterval(ms);
}

// --- controls -------------------------------------------------------------------------------

void WdgUartTerm::on_pushButton_clean_clicked()
{
    m_ui->textBrowser->clear();
}

void WdgUartTerm::on_comboBox_type_currentIndexChanged(int index)
{
    Q_UNUSED(index)
    m_ui->lineEdit->clear();
    m_ui->textBrowser->clear();
    m_decoder.reset(QTextCodec::codecForName("UTF-8")->makeDecoder());
    const bool ascii = mode() == ModeAscii;
    for (QPushButton *b : {m_ui->pushButton_cr, m_ui->pushButton_lf}) {
        b->setChecked(false);
        b->setEnabled(ascii);
    }
}

void WdgUartTerm::on_lineEdit_textChanged(const QString &text)
{
    if (mode() == ModeAscii)
        return;
    const QString kept = TerminalText::filterHexInput(text);
    if (kept == text)
        return;
    // Keep the cursor where it was, less the characters removed before it.
    const int cursor = m_ui->lineEdit->cursorPosition();
    const int removedBefore = cursor - TerminalText::filterHexInput(text.left(cursor)).size();
    m_ui->lineEdit->setText(kept);
    m_ui->lineEdit->setCursorPosition(cursor - removedBefore);
}
