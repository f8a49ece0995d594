#pragma once
// The bytes of the device command protocol: command codes, actions, answer status and kinds,
// device error codes, bootloader capability tags and the header layout. Protocol takes them
// as its own names (Protocol::kCmdParams); the trace reads them without the protocol class.

#include <QtGlobal>

struct ProtocolCodes
{
    /// Command codes (byte 1 of a request).
    enum Command : quint8
    {
        kCmdBufferSize = 3,      ///< answer: 2 bytes, largest parameter frame, little-endian
        kCmdParams = 5,          ///< parameter exchange: one frame of parameter elements
        kCmdSerialWrite = 6,     ///< bytes for the radio module's serial port; empty = probe
        kCmdSerialRead = 7,      ///< bytes received from the radio module's serial port
        kCmdBootloader = 8,      ///< empty: capability query; one byte: restart into bootloader
        kCmdTemperature = 20,    ///< live reading, signed 16-bit, 1/100 degree
        kCmdCurrent = 21,        ///< live reading, unsigned 16-bit, 1/100 A
        kCmdBatteryVoltage = 22, ///< live reading, unsigned 16-bit, mV
    };

    /// Actions: the first value byte of parameter 1 in a command-5 frame.
    enum Action : quint8
    {
        kActRestart = 1,         ///< restart the device; no result
        kActIdentify = 2,        ///< result: identification record
        kActRestoreDefaults = 3, ///< result: 1 byte, 0 = defaults restored
        kActLoadConfig = 4,      ///< result: the whole configuration as parameter elements
        kActVersion = 7,         ///< result: 2 bytes, version word, little-endian
        kActClock = 8,           ///< read (no argument), set (4 bytes) or shift (2 bytes) the clock
    };

    /// The parameter id reserved for actions.
    static constexpr quint8 kActionParamId = 1;

    /// Status byte of an answer.
    enum Status : quint8
    {
        kStatusNone = 0,              ///< no usable answer (also: nothing arrived)
        kStatusComplete = 1,          ///< last (or only) packet of the answer
        kStatusMore = 2,              ///< more packets follow for this request
        kStatusNotAcknowledged = 255, ///< the device did not take the request
    };

    /// First payload byte of a command-5 answer.
    enum AnswerKind : quint8
    {
        kKindAck = 6,          ///< 6, data
        kKindQualifiedAck = 7, ///< 7, qualifier, data
        kKindError = 8,        ///< 8, device error code
    };

    /// Device error codes of an answer of kind 8.
    enum DeviceError : quint8
    {
        kErrFraming = 1,
        kErrUnknownCommand = 2,
        kErrUnknownParams = 3,
        kErrCantRun = 4,
        kErrBadBuffer = 5,
    };

    /// Tags of the bootloader capability bytes (bits 7..5; the value is bits 4..0).
    enum BootloaderTag : quint8
    {
        kTagSerialModule = 0x20, ///< the serial radio module
        kTagDevice = 0x40,       ///< the device's main controller
        kTagBleModule = 0x60,    ///< the BLE radio module
    };
    static constexpr quint8 kTagMask = 0xE0;
    static constexpr quint8 kTagValueMask = 0x1F;

    /// Bytes of the header of a request and of an answer.
    enum HeaderByte : int
    {
        kHdrLinkCode = 0,        ///< the transport's link code
        kHdrCommandOrStatus = 1, ///< command of a request, status of an answer
        kHdrLengthLow = 2,       ///< payload length, little-endian
        kHdrLengthHigh = 3,
    };
    static constexpr int kHeaderSize = 4;
    /// Largest answer payload the general receive operation takes.
    static constexpr int kMaxAnswerPayload = 1024;
    /// Identification records are at least this long; an extended one has 3 more bytes.
    static constexpr int kIdentRecordSize = 6;
    static constexpr int kIdentExtendedSize = 9;
    static constexpr quint8 kIdentExtendedFlag = 0x80;
};
