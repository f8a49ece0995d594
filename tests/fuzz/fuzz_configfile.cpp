// Fuzz target: the configuration file reader. The input is a file's contents; it goes through
// the identity reading, the full reading (for the identity the file names, so the parameters
// are reached), the device session's file reading with the family's tables, and a round trip:
// what was read, written with the file writer's layout and read again, must be the same records.

#include "FuzzSupport.h"

#include "device/files/ConfigFile.h"
#include "device/session/DeviceSession.h"
#include "device/family/FamilyParams.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdint>

namespace {

/// Where the input is written: in memory when the system has a tmpfs at /dev/shm (truncating
/// a file on disk can wait for the device, which makes each run take milliseconds).
QTemporaryDir &scratch()
{
    static QTemporaryDir dir(QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                                 ? QStringLiteral("/dev/shm/pelm-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/pelm-fuzz-XXXXXX"));
    return dir;
}

QString scratchFile(const char *name)
{
    return scratch().filePath(QLatin1String(name));
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

bool lessThan(const OrvParam &a, const OrvParam &b)
{
    if (a.id() != b.id())
        return a.id() < b.id();
    if (a.isBuf() != b.isBuf())
        return a.isBuf() < b.isBuf();
    if (a.index() != b.index())
        return a.index() < b.index();
    return a.data() < b.data();
}

OrvParamList sorted(OrvParamList list)
{
    std::sort(list.begin(), list.end(), lessThan);
    return list;
}

} // namespace

// Qt 5.15's JSON parser loses the earlier value of a key that appears twice in one object when
// that value is an object or an array: a fault of Qt (a few bytes per repeated key), kept out of
// the leak reports. Qt has no frame pointers, and the slow unwinder that would see the parser's
// frames makes each run ten times slower, so the suppression names the library: what Qt itself
// allocates. A leak of this program's objects (allocated here or in core) is still reported.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libQt5Core.so\n";
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    Fuzz::init(argc, argv);
    FUZZ_CHECK(scratch().isValid());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = scratchFile("input.ocf");
    FUZZ_CHECK(writeFile(path, QByteArray(reinterpret_cast<const char *>(data), int(size))));
    Fuzz::QuietReporter &rep = Fuzz::quietReporter();

    ConfigFile::Info info;
    const Reported<int> infoRead = ConfigFile::readInfo(path, &info);
    const int infoResult = infoRead.value;
    FUZZ_CHECK(infoResult == 0 || infoResult == -1);
    // A refused file always says why.
    FUZZ_CHECK(infoResult == 0 || infoRead.outcome.hasBox());

    // The identity the file names when it has one (its parameters are then read), else the
    // offline device of the accepted family.
    DeviceIdentity device;
    device.orvType = infoResult == 0 ? info.orvType : Catalog::kAcceptedType;
    device.orvRev = infoResult == 0 ? info.orvRev : Catalog::kAcceptedMinRev;
    device.kivType = infoResult == 0 ? info.kivType : Catalog::kAcceptedKiv;

    OrvParamList params;
    // A file made for another module is opened, as the session below opens it (its reporter
    // answers Open), so the parser past the question is reached.
    const Reported<int> read = ConfigFile::read(path, false, device, params, ConfigFile::askOn(rep));
    const int n = read.value;
    FUZZ_CHECK(n >= -1);
    FUZZ_CHECK(n >= 1 || read.outcome.lastStatus() == ConfigFile::loadFailedText(path));
    FUZZ_CHECK(n < 1 || n == params.size());

    if (n >= 1) {
        // Writing what was read and reading it back gives the same records.
        const ParamTables tables = FamilyParams::thermocoupleTables();
        const QString copy = scratchFile("copy.ocf");
        FUZZ_CHECK(writeFile(copy, ConfigFile::toJson(device, tables, params)));
        OrvParamList again;
        FUZZ_CHECK(ConfigFile::read(copy, false, device, again, ConfigFile::askOn(rep)).value == n);
        FUZZ_CHECK(sorted(again) == sorted(params));
    }

    // The device session's reading: unknown parameters, buffer records, the page's values.
    DeviceSession session(device.orvType, device.orvRev, device.kivType, &rep);
    FamilyParams::registerThermocouple(session.tables(), device.kivType);
    const int sessionResult = session.readFile(path);
    FUZZ_CHECK(sessionResult == n);
    return 0;
}
