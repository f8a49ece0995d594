#pragma once
// The serial terminal of the device's radio module. What the user types is sent to the device
// with a pass-through command; what the module answers is fetched by polling the device with a
// second pass-through command. Three modes: "Ascii" (text with escapes and optional CR/LF),
// "Hex" (bytes typed as hexadecimal digits) and "Modbus" (one read request typed in
// hexadecimal, CRC included, whose response is collected, split into its fields and checked).
//
// Output is drawn on black: received data white, echoed sent data green, errors and timeouts
// red; in Modbus displays a field is white when it matches the request and red when not.

#include "device/terminal/Modbus.h"

#include <QByteArray>
#include <QColor>
#include <QScopedPointer>
#include <QTimer>
#include <QWidget>

#include <memory>

class DeviceSession;
class QTextDecoder;

namespace Ui {
class WdgUartTerm;
}

class WdgUartTerm : public QWidget
{
    Q_OBJECT
public:
    /// The modes, in the order of comboBox_type.
    enum Mode
    {
        ModeAscii = 0,
        ModeHex = 1,
        ModeModbus = 2,
    };

    /// Poll interval while nothing arrives.
    static constexpr int kIdlePollMs = 100;
    /// Poll interval after data arrived or after an accepted send.
    static constexpr int kBusyPollMs = 10;
    /// Time allowed for a Modbus response (never less than an idle poll + kModbusMarginMs).
    static constexpr int kModbusTimeoutMs = 200;
    static constexpr int kModbusMarginMs = 100;
    /// Room for the answer of the send command and of the receive command (payload bytes).
    static constexpr int kSendAckCapacity = 16;
    static constexpr int kReceiveCapacity = 256;
    /// Answer timeout of both commands.
    static constexpr int kAnswerTimeoutMs = 500;

    static QColor receivedColour() { return QColor(255, 255, 255); }
    static QColor sentColour() { return QColor(0, 255, 0); }
    static QColor errorColour() { return QColor(255, 0, 0); }

    explicit WdgUartTerm(QWidget *parent = nullptr);
    ~WdgUartTerm() override;

    /// Binds the terminal to a device (not owned) and its two commands. Polling runs at the idle
    /// period from now on, and stops when device is null or receiveCommand is 0.
    void setLink(DeviceSession *device, quint8 sendCommand, quint8 receiveCommand);
    /// Sets the Modbus response timeout to the larger of ms and the idle poll period + 100 ms;
    /// returns the value kept.
    int setModbusTimeout(int ms);
    int modbusTimeout() const { return m_modbusTimeoutMs; }
    /// Selects "Modbus", writes the request's bytes as hexadecimal into the line and sends it.
    void sendModbusRequest(const QByteArray &request);

    /// The current poll interval (ms) and whether polling runs.
    int pollPeriod() const { return m_pollTimer.interval(); }
    bool isPolling() const { return m_pollTimer.isActive(); }
    /// The last Modbus request sent and not yet answered (slave address 0: none).
    const Modbus::Request &pendingRequest() const { return m_pending; }

private slots:
    void on_pushButton_send_clicked();
    void on_pushButton_clean_clicked();
    void on_comboBox_type_currentIndexChanged(int index);
    void on_lineEdit_textChanged(const QString &text);
    /// Return in the line: sends it, as the send button does.
    void on_lineEdit_returnPressed();
    /// Poll tick: fetches what the module sent and shows it.
    void _onReceive();
    /// No (whole) Modbus response in time: shows what came, or "[Rx Timeout]".
    void _onMbTimeout();

private:
    Mode mode() const;
    QByteArray payloadOfLine() const;
    /// Shows the request's five fields, or "[Tx Framing error]" for a request that is not 8
    /// bytes long; a request of 8 bytes becomes the pending one and disables the send button.
    void showModbusRequest(const QByteArray &request);
    /// Shows the collected response checked against the pending request, then forgets both
    /// and enables the send button.
    void showModbusResponse();
    /// Adds text in colour at the end of the output (LF removed) and scrolls to the bottom.
    void showText(const QString &text, const QColor &colour);
    /// A "[", the digits in colour, and a "]" in white.
    void showGroup(const QByteArray &bytes, const QColor &colour);
    void setPollPeriod(int ms);
    void endModbusExchange();

    const QScopedPointer<Ui::WdgUartTerm> m_ui;
    DeviceSession *m_device = nullptr;
    quint8 m_sendCommand = 0;
    quint8 m_receiveCommand = 0;
    int m_modbusTimeoutMs = kModbusTimeoutMs;
    QTimer m_pollTimer;
    QTimer m_modbusTimer;
    Modbus::Request m_pending;
    QByteArray m_modbusBuffer;
    /// Received text is UTF-8 that may be cut anywhere between two polls.
    std::unique_ptr<QTextDecoder> m_decoder;
};
