// Fuzz target: the Modbus RTU response checks of the serial terminal.
//
// Input: the first 8 bytes are the request the user typed, the rest the bytes the radio module
// sent back (collected as the terminal collects them, in pieces). Checked:
// - a request parses exactly when it has 8 bytes, and its fields are the bytes it holds;
// - the response's fields cover the collected bytes once, in order, without a byte more
//   (a fourth byte waits until the fifth tells data from CRC);
// - a whole response announces exactly the bytes it holds, and its CRC field matches exactly
//   when the CRC of the bytes before it is the one sent;
// - a response built from the request with its CRC appended is whole and matches field by field.

#include "FuzzSupport.h"

#include "device/terminal/Modbus.h"

#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    Fuzz::init(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray all(reinterpret_cast<const char *>(data), int(size));
    const QByteArray typed = all.left(Modbus::kRequestSize);
    const QByteArray received = all.mid(Modbus::kRequestSize);

    Modbus::Request request;
    const bool parsed = Modbus::parseRequest(typed, &request);
    FUZZ_CHECK(parsed == (typed.size() == Modbus::kRequestSize));
    if (!parsed) {
        FUZZ_CHECK(!request.isPending());
        return 0;
    }
    FUZZ_CHECK(request.slave == quint8(typed.at(0)));
    FUZZ_CHECK(request.function == quint8(typed.at(1)));
    FUZZ_CHECK(request.start == quint16((quint8(typed.at(2)) << 8) | quint8(typed.at(3))));
    FUZZ_CHECK(request.quantity == quint16((quint8(typed.at(4)) << 8) | quint8(typed.at(5))));

    // The response as the terminal collects it: every prefix is checked as it grows.
    for (int n = 0; n <= received.size(); ++n) {
        const QByteArray buffer = received.left(n);
        const QVector<Modbus::Field> fields = Modbus::checkResponse(buffer, request);
        QByteArray joined;
        for (const Modbus::Field &f : fields)
            joined += f.bytes;
        // A fourth byte waits for the fifth: data and CRC are told apart from 5 bytes on.
        const int shown =
            buffer.size() == Modbus::kResponseHeadSize + 1 ? Modbus::kResponseHeadSize : buffer.size();
        FUZZ_CHECK(joined == buffer.left(shown));
        if (Modbus::isCompleteResponse(buffer)) {
            FUZZ_CHECK(buffer.size() >= Modbus::kResponseHeadSize + Modbus::kCrcSize);
            FUZZ_CHECK(buffer.size() == Modbus::kResponseHeadSize + quint8(buffer.at(2)) + Modbus::kCrcSize);
            const QByteArray body = buffer.left(buffer.size() - Modbus::kCrcSize);
            FUZZ_CHECK(fields.last().matches == (Modbus::withCrc(body) == buffer));
        }
    }

    // A well-made answer to the request: head, the expected count of data bytes, CRC.
    const int count = Modbus::expectedByteCount(request);
    if (request.function >= Modbus::kReadCoils && request.function <= Modbus::kReadInputRegisters &&
        count >= 1 && count <= 0xFF) {
        QByteArray body;
        body.append(char(request.slave));
        body.append(char(request.function));
        body.append(char(count));
        body += received.leftJustified(count, '\0', true);
        const QByteArray answer = Modbus::withCrc(body);
        FUZZ_CHECK(Modbus::isCompleteResponse(answer));
        for (const Modbus::Field &f : Modbus::checkResponse(answer, request))
            FUZZ_CHECK(f.matches);
    }
    return 0;
}
