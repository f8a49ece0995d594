#pragma once
// The simulated device: the device side of the command protocol for a type-28 device.
// It takes whole request messages (link code, command, length, payload) and returns the
// answer messages (4-byte header + payload) the device sends back; the transport plugs
// (USB HID reports, BLE notifications) cut these into their own packets.
//
// Contract used by the transport plugs (kept stable):
//   QList<QByteArray> handleRequest(const QByteArray &request);  // answers, in order; empty = silence
//   bool isPlugged() const;                                       // false: the link is gone
//
// Answers carry the link code of the request, so the same device serves USB and BLE. The
// parameter store starts from the family's default configuration; writes are validated per
// parameter (value length, range, buffer bounds) and refused ones flagged in the bitmap.
// Faults are set by tests (or the command line) with setFault; counters record what the
// host sent.

#include "device/model/OrvParam.h"
#include "sim/SimFault.h"
#include "sim/SimRadioModule.h"

#include <functional>
#include <QByteArray>
#include <QDeadlineTimer>
#include <QList>
#include <QMap>
#include <QSet>

#include <memory>

class SimBootloaders;

class SimDevice
{
public:
    /// Link code written into answers when the request has none usable.
    static constexpr quint8 kDefaultLinkCode = 0x75;
    static constexpr int kDefaultBufferSize = 64;
    static constexpr int kDefaultVersionWord = 0x0120;
    static constexpr int kDefaultRevision = 0x0100;
    static constexpr int kDefaultKivRevision = 0x0102;
    static constexpr int kDeviceType = 28;
    static constexpr int kKivType = 14;
    /// The serial terminal hands out at most this many module bytes per read.
    static constexpr int kModuleReadChunk = 256;
    /// The device keeps this many of the latest requests, written elements, clock sets and
    /// shifts and bootloader requests (a demo session plugs it in again and again).
    static constexpr int kHistoryLength = 256;
    /// Latest bytes kept of what the radio module received.
    static constexpr int kModuleInputHistoryBytes = SimRadioModule::kInputHistoryBytes;

    SimDevice();
    virtual ~SimDevice();

    /// Handles one request message; returns the answer messages in order (empty: no answer).
    QList<QByteArray> handleRequest(const QByteArray &request);
    /// Called with the command and the action (command 5; 0 for parameter writes, -1 for other
    /// commands) of each well-formed request, before it is answered: tests look at the host's
    /// state while an exchange runs.
    void setRequestObserver(std::function<void(int command, int action)> observer)
    {
        m_requestObserver = std::move(observer);
    }

    /// Whether the device is plugged in (reachable). An unplugged device answers nothing and
    /// the transport plugs report a broken link.
    bool isPlugged() const { return m_plugged && m_absentUntil.hasExpired(); }
    void setPlugged(bool plugged)
    {
        if (plugged && !m_plugged)
            ++m_plugIns;
        m_plugged = plugged;
    }
    /// How long the device is gone from USB when its main controller boots its application
    /// after a bootloader: it then enumerates again, as a new device (handles opened before
    /// are dead). Default kReenumerationMs.
    void setReenumerationMs(int ms) { m_reenumerationMs = ms; }
    /// The main controller's new firmware starts from the restore-defaults values: an update
    /// that loses the configuration.
    void setUpdateRestoresDefaults(bool on) { m_updateRestoresDefaults = on; }
    static constexpr int kReenumerationMs = 300;
    /// Turns the device into another one fresh from the factory, unplugged: the given DevEUI,
    /// the default configuration, no keys, no fault, no refused parameter. Plugging it in then
    /// shows a new device to the host (demo mode's roll-out of a series of devices).
    void becomeNewDevice(const QByteArray &identifier);
    /// How often the device was plugged back in. Each plug-in is a new device to the host
    /// (the USB plug lists it at a new path; handles of an earlier plug-in stay dead).
    int plugIns() const { return m_plugIns; }

    // --- identity -----------------------------------------------------------------------
    int orvType() const { return m_orvType; }
    void setOrvType(int type) { m_orvType = type; }
    int orvRev() const { return m_orvRev; }
    void setOrvRev(int rev) { m_orvRev = rev; }
    int kivType() const { return m_kivType; }
    void setKivType(int type) { m_kivType = type; }
    int kivRev() const { return m_kivRev; }
    void setKivRev(int rev) { m_kivRev = rev; }
    /// DevEUI reported after the revisions; empty: reported as all 0xFF (no identifier).
    QByteArray identifier() const { return m_identifier; }
    void setIdentifier(const QByteArray &id) { m_identifier = id; }
    /// Extended identification record (second module type and revision).
    void setExtendedIdentification(bool on, int secondType = 12, int secondRev = 0x0110);
    int versionWord() const { return m_versionWord; }
    void setVersionWord(int word) { m_versionWord = word; }
    int bufferSize() const { return m_bufferSize; }
    void setBufferSize(int bytes) { m_bufferSize = bytes; }
    /// Largest payload of one answer packet (kind bytes included); 0: the buffer size.
    void setMaxPacketPayload(int bytes) { m_maxPacketPayload = bytes; }
    int maxPacketPayload() const;
    /// Closes every command-5 acknowledgement with a packet holding only the kind bytes
    /// (status 1); the packets carrying data before it all have status 2.
    void setBareClosingPacket(bool on) { m_bareClosingPacket = on; }
    /// Answers command 5 with kind 7 and this qualifier byte; -1: kind 6 (the default).
    void setQualifier(int qualifier) { m_qualifier = qualifier; }
    /// Capability bytes answered to the bootloader query (tag in bits 7..5, kind in 4..0).
    QByteArray bootloaderCaps() const { return m_bootCaps; }
    void setBootloaderCaps(const QByteArray &caps) { m_bootCaps = caps; }
    /// Result byte of the restore-defaults action (0 = restored).
    void setRestoreResult(quint8 result) { m_restoreResult = result; }

    // --- live readings (commands 20, 21, 22) --------------------------------------------
    void setTemperature(qint16 centiDegrees) { m_temperature = centiDegrees; }
    void setCurrent(quint16 centiAmperes) { m_current = centiAmperes; }
    void setBatteryVoltage(quint16 millivolts) { m_vbat = millivolts; }

    // --- parameter store --------------------------------------------------------------
    /// Whole stored values by id (buffer parameters as one value).
    const QMap<quint8, QByteArray> &params() const { return m_params; }
    QByteArray param(quint8 id) const { return m_params.value(id); }
    void setParam(quint8 id, const QByteArray &value) { m_params.insert(id, value); }
    void removeParam(quint8 id) { m_params.remove(id); }
    /// The values restored by the restore-defaults action.
    const QMap<quint8, QByteArray> &defaults() const { return m_defaults; }
    /// Makes the restore-defaults action restore value for id.
    void setDefaultParam(quint8 id, const QByteArray &value) { m_defaults.insert(id, value); }
    /// Makes the device refuse every write of id (whatever the value).
    void setRefused(quint8 id, bool refused = true);
    /// Whether id is a buffer parameter of the device.
    static bool isBufferParam(quint8 id);
    /// The device's buffer flags (for decoding its answers).
    static QMap<quint8, bool> bufferFlags();
    /// LoRaWAN keys written (parameters 6 and 7; never part of the configuration answer).
    QByteArray appEui() const { return m_appEui; }
    QByteArray appKey() const { return m_appKey; }

    // --- clock ---------------------------------------------------------------------------
    /// The device clock, seconds since 1970-01-01 UTC.
    qint64 clockSeconds() const;

    // --- faults --------------------------------------------------------------------------
    void setFault(const SimFault &fault);
    void clearFault() { setFault(SimFault()); }
    const SimFault &fault() const { return m_fault; }
    /// The next request of command gets exactly these answer messages (once per call, in order).
    void scriptAnswers(quint8 command, const QList<QByteArray> &answers);
    /// Builds an answer message (header + payload).
    static QByteArray answer(quint8 linkCode, quint8 status, const QByteArray &payload);

    // --- counters and recent history -----------------------------------------------------
    // The counters count everything since the last resetCounters; the lists keep the latest
    // kHistoryLength entries (oldest first), the module input its latest bytes.
    /// Requests received (also those no longer in requests()).
    int requestCount() const { return m_requestTotal; }
    /// The latest requests, whole messages.
    const QList<QByteArray> &requests() const { return m_requests; }
    int commandCount(quint8 command) const { return m_commandCounts.value(command); }
    int actionCount(quint8 action) const { return m_actionCounts.value(action); }
    /// The latest parameter elements received in writes, decoded (buffer chunks with their index).
    const OrvParamList &writtenParams() const { return m_written; }
    /// Values of the latest clock sets (seconds) and shifts, in order.
    const QList<quint32> &clockSets() const { return m_clockSets; }
    const QList<qint16> &clockShifts() const { return m_clockShifts; }
    /// The latest bytes received for the radio module (command 6).
    const QByteArray &moduleInput() const { return m_module.input(); }
    /// Controller codes of the latest restart-into-bootloader requests (command 8 with one byte).
    const QList<quint8> &bootloaderRequests() const { return m_bootRequests; }
    /// The bootloaders: a restart request switches the device into the one its capability
    /// byte names for that controller (see SimBootloaders).
    SimBootloaders &bootloaders() { return *m_bootloaders; }
    void resetCounters();

    // --- the radio module's serial port (commands 6 and 7): see SimRadioModule ----------
    static constexpr quint8 kDefaultModbusSlave = SimRadioModule::kDefaultModbusSlave;
    void setModbusSlave(quint8 address) { m_module.setModbusSlave(address); }
    /// Answers every request to the slave with this exception code; 0: answer normally.
    void setModbusException(quint8 code) { m_module.setModbusException(code); }

private:
    struct Request
    {
        quint8 link = kDefaultLinkCode;
        quint8 command = 0;
        QByteArray payload;
        int action = -1; ///< command 5: the action, 0 for writes, -1 for an undecodable frame
        OrvParamList elements;
    };

    bool faultApplies(const Request &req) const;
    /// One "pelm.sim" debug line per request: command, action or written ids, fault.
    void logRequest(const Request &req) const;
    QList<QByteArray> dispatch(const Request &req, bool faulty);
    QList<QByteArray> handleParams(const Request &req, bool faulty);
    QByteArray runAction(quint8 action, const QByteArray &args, bool *ok, quint8 *errorCode);
    QByteArray writeParams(const OrvParamList &elements, bool faulty);
    bool storeParam(const OrvParam &p);
    QByteArray configurationElements(bool faulty);
    QByteArray identificationRecord() const;
    QList<QByteArray> packets(quint8 link, const QByteArray &kindBytes, const QByteArray &data) const;
    QList<QByteArray> applyTransportFaults(QList<QByteArray> answers, bool faulty);
    void loadDefaults();

    bool m_plugged = true;
    bool m_updateRestoresDefaults = false;
    int m_plugIns = 0;
    QDeadlineTimer m_absentUntil; ///< expired unless the device enumerates again
    int m_reenumerationMs = kReenumerationMs;

    int m_orvType = kDeviceType;
    int m_orvRev = kDefaultRevision;
    int m_kivType = kKivType;
    int m_kivRev = kDefaultKivRevision;
    QByteArray m_identifier;
    std::function<void(int, int)> m_requestObserver;
    bool m_extended = false;
    int m_secondType = 12;
    int m_secondRev = 0x0110;
    int m_versionWord = kDefaultVersionWord;
    int m_bufferSize = kDefaultBufferSize;
    int m_maxPacketPayload = 0;
    int m_qualifier = -1;
    bool m_bareClosingPacket = false;
    QByteArray m_bootCaps;
    quint8 m_restoreResult = 0;

    qint16 m_temperature = 2150;
    quint16 m_current = 1234;
    quint16 m_vbat = 3600;

    QMap<quint8, QByteArray> m_params;
    QMap<quint8, QByteArray> m_defaults;
    QSet<quint8> m_refused;
    QByteArray m_appEui;
    QByteArray m_appKey;
    qint64 m_clockOffset = 0; ///< device clock minus host clock, seconds

    SimRadioModule m_module;

    SimFault m_fault;
    int m_faultBudget = 0; ///< requests or packets left before an unplug fault strikes
    QMap<quint8, QList<QList<QByteArray>>> m_scripted;

    int m_requestTotal = 0;
    QList<QByteArray> m_requests;
    QMap<quint8, int> m_commandCounts;
    QMap<quint8, int> m_actionCounts;
    OrvParamList m_written;
    QList<quint32> m_clockSets;
    QList<qint16> m_clockShifts;
    QList<quint8> m_bootRequests;
    std::unique_ptr<SimBootloaders> m_bootloaders;
};
