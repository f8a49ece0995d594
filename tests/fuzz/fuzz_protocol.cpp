// Fuzz target: the handling of device answers, from the transport up to the device session.
//
// Input: byte 0 picks the exchange (low 3 bits) and the transport (bit 3: BLE link code,
// bit 4: whole reads as on BLE); byte 1 the buffer size of the exchanges that do not identify
// the device first (8 + 4 * byte). The rest is what the device sends back, read by a fuzz-fed
// transport without any waiting. The exchanges: identification followed by a load and an
// apply of what was loaded, a load, an apply of parameters spread over several frames
// (refusal bitmaps), a default restore, the clock actions, the bootloader query, the terminal
// probe with the live readings, and the raw parameter exchange with its bitmap decoding.

#include "FuzzComm.h"
#include "FuzzSupport.h"

#include "device/session/DeviceSession.h"
#include "device/family/FamilyParams.h"

#include <cstdint>

namespace {

constexpr quint8 kOpMask = 0x07;
constexpr quint8 kFlagBle = 0x08;
constexpr quint8 kFlagWholeReads = 0x10;
constexpr int kBufferStep = 4;
constexpr int kMinBuffer = 8;
constexpr int kIdsPerBitmapByte = 8;
/// A timeout for the calls that take one: the fuzz transport never waits anyway.
constexpr int kTimeoutMs = 500;

enum Op : quint8
{
    kOpConnect,
    kOpLoad,
    kOpApply,
    kOpRestore,
    kOpClock,
    kOpBootloader,
    kOpTerminalAndLive,
    kOpRawExchange,
};

/// Parameters an apply sends: ordinary values of each length code and buffers long enough to
/// need several frames and chunks.
OrvParamList applyParams()
{
    QByteArray radio(40, '\0');
    for (int i = 0; i < radio.size(); ++i)
        radio[i] = char(i * 3 + 1);
    QByteArray logging(200, '\0');
    for (int i = 0; i < logging.size(); ++i)
        logging[i] = char(0xA0 ^ i);
    OrvParamList list;
    list.append(OrvParam(3, quint8(60)));
    list.append(OrvParam(11, quint8(1)));
    list.append(OrvParam(24, quint16(0x1234)));
    list.append(OrvParam(25, QByteArray::fromHex("00803F01")));
    list.append(OrvParam(27, QByteArray::fromHex("010203")));
    list.append(OrvParam(4, radio, 0));
    list.append(OrvParam(20, logging, 16));
    list.append(OrvParam(58, quint8(2)));
    return list;
}

/// The refused entries of an apply result, after the checks every result of an answered apply
/// must pass: one entry per id sent, padding included, so a non-zero multiple of 8.
int refusedCount(const ApplyResults &results)
{
    FUZZ_CHECK(!results.isEmpty() && results.size() % kIdsPerBitmapByte == 0);
    int refused = 0;
    for (const ApplyResult &r : results)
        refused += r.refused ? 1 : 0;
    return refused;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    Fuzz::init(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const quint8 control = data[0];
    const int bufferSize = kMinBuffer + kBufferStep * data[1];
    const quint8 link = (control & kFlagBle) ? Comm::kLinkBle : Comm::kLinkUsbHid;
    auto *comm = new FuzzComm(link, control & kFlagWholeReads, data + 2, size - 2);

    Fuzz::QuietReporter &rep = Fuzz::quietReporter();
    DeviceInfo info;
    info.orvType = Catalog::kAcceptedType;
    info.orvRev = Catalog::kAcceptedMinRev;
    info.kivType = Catalog::kAcceptedKiv;
    info.kivRev = 0x0203;
    info.versionWord = 0x0120;
    info.bufferSize = bufferSize;
    DeviceSession session(comm, info, &rep); // owns comm
    FamilyParams::registerThermocouple(session.tables(), info.kivType);

    switch (Op(control & kOpMask)) {
    case kOpConnect: {
        // What a connection does, then a load and the apply of what was loaded.
        const bool identified = session.identify(true);
        FUZZ_CHECK(identified == session.info().identified());
        if (!identified)
            break;
        // What the connection shows of the identity (status line, catalog, refusal box).
        FUZZ_CHECK(!session.identityText().isEmpty());
        session.catalogLabel();
        FUZZ_CHECK(!Catalog::unknownDeviceText(session.identity()).isEmpty());
        FUZZ_CHECK(session.bufferSize() >= 0 && session.bufferSize() <= 0xFFFF);
        if (session.loadFromDevice() == 0) {
            FUZZ_CHECK(!session.pageParams().isEmpty());
            if (session.applyToDevice() == 0)
                refusedCount(session.lastApplyResults()); // refusals don't fail an apply
            else
                FUZZ_CHECK(session.lastApplyResults().isEmpty());
        }
        break;
    }
    case kOpLoad: {
        const int n = session.load(kTimeoutMs);
        FUZZ_CHECK(n == -1 ? session.params().isEmpty() : n == session.params().size());
        break;
    }
    case kOpApply: {
        session.params() = applyParams();
        ApplyResults results;
        const int refused = session.apply(results, kTimeoutMs);
        if (refused < 0)
            FUZZ_CHECK(refused == -1 && results.isEmpty());
        else
            FUZZ_CHECK(refused == refusedCount(results));
        FUZZ_CHECK(session.params().isEmpty()); // the list is consumed
        break;
    }
    case kOpRestore: {
        const int r = session.restoreDefaults();
        FUZZ_CHECK(r == 0 || r == -1);
        break;
    }
    case kOpClock: {
        QDateTime t;
        if (session.readDeviceClock(&t))
            FUZZ_CHECK(t.isValid());
        session.setDeviceClock(QDateTime::fromSecsSinceEpoch(1580893687, Qt::UTC));
        session.shiftDeviceClock(-3600);
        break;
    }
    case kOpBootloader: {
        session.hasBootloader();
        for (const quint8 tag : {Protocol::kTagSerialModule, Protocol::kTagDevice, Protocol::kTagBleModule}) {
            const int kind = session.bootloaderTag(tag);
            FUZZ_CHECK(kind >= -1 && kind <= Protocol::kTagValueMask);
        }
        break;
    }
    case kOpTerminalAndLive: {
        session.terminalAvailable();
        for (const quint8 command :
             {Protocol::kCmdTemperature, Protocol::kCmdCurrent, Protocol::kCmdBatteryVoltage}) {
            QByteArray value;
            if (session.readLiveValue(command, &value))
                FUZZ_CHECK(value.size() == Protocol::kLiveValueSize);
        }
        break;
    }
    case kOpRawExchange: {
        Protocol &protocol = session.protocol();
        OrvParamList params = applyParams();
        QByteArray sentIds;
        const QByteArray result = protocol.exchangeParams(params, &sentIds, kTimeoutMs, true);
        FUZZ_CHECK(params.isEmpty());
        FUZZ_CHECK(sentIds.size() % kIdsPerBitmapByte == 0);
        if (!result.isEmpty())
            FUZZ_CHECK(protocol.lastExchangeAcknowledged());
        const ApplyResults results = Protocol::decodeBitmap(sentIds, result);
        if (!results.isEmpty()) {
            FUZZ_CHECK(results.size() == sentIds.size());
            for (int i = 0; i < results.size(); ++i)
                FUZZ_CHECK(results.at(i).id == quint8(sentIds.at(i)));
        }
        // Identification records and answers to other questions, from what is left.
        DeviceInfo decoded;
        if (Protocol::decodeIdentification(result, &decoded))
            FUZZ_CHECK(result.size() >= Protocol::kIdentRecordSize);
        Protocol::Answer answer = protocol.receiveAnswer(kTimeoutMs);
        FUZZ_CHECK(answer.payload.size() <= Protocol::kMaxAnswerPayload);
        quint8 raw[Protocol::kBootloaderCapacity];
        quint8 status = 0;
        const int n = protocol.receiveRaw(raw, int(sizeof raw), kTimeoutMs, &status);
        FUZZ_CHECK(n >= -1 && n <= int(sizeof raw));
        break;
    }
    }
    return 0;
}
