// Fuzz target: frame text import and the element decoder behind extractParams.
//
// Input: byte 0 chooses how the rest is read as text (bit 0: UTF-8, else Latin-1), byte 1 the
// payload of the frames built again (8 + 4 * byte). The rest is the frame text. Checked:
// - every line is either a frame or an invalid line, and a frame's bytes make a frame again;
// - exported and imported again, the frames are the same;
// - each frame decodes without a cut element, and its records packed again decode the same;
// - the family's merged records, packed into frames of the chosen payload, decode and merge
//   back into the same records (those that can be packed at all);
// - the device session's frame import takes the same records.

#include "FuzzSupport.h"

#include "device/session/DeviceSession.h"
#include "device/family/FamilyModel.h"
#include "device/family/FamilyParams.h"
#include "frames/OrvFrame.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr quint8 kFlagUtf8 = 0x01;
constexpr int kPayloadStep = 4;

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

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    Fuzz::init(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const quint8 flags = data[0];
    const int payload = OrvFrame::kMinPayload + kPayloadStep * data[1];
    const char *textBytes = reinterpret_cast<const char *>(data + 2);
    const int textSize = int(size - 2);
    const QString text = (flags & kFlagUtf8) ? QString::fromUtf8(textBytes, textSize)
                                             : QString::fromLatin1(textBytes, textSize);

    const FrameImport imported = importText(text);
    const int pieces = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size();
    FUZZ_CHECK(imported.frames.size() + imported.invalidLines.size() == pieces);
    for (const OrvFrame &f : imported.frames) {
        OrvFrame again;
        FUZZ_CHECK(again.setData(f.data()) == f.size());
        FUZZ_CHECK(f.size() > 0);
    }

    // Exported and imported again: the same frames, nothing invalid.
    const FrameImport reimported = importText(exportText(imported.frames));
    FUZZ_CHECK(reimported.invalidLines.isEmpty());
    FUZZ_CHECK(reimported.frames == imported.frames);

    // Each frame on its own: decodes completely, and its records packed again decode the same.
    for (const OrvFrame &f : imported.frames) {
        OrvParamList plain;
        FUZZ_CHECK(f.extractParams(plain, {}, false) > 0);
        OrvFrame packed;
        OrvParamList kept;
        for (OrvParam rec : plain) {
            if (rec.data().isEmpty())
                continue; // an element with an explicit length of 0 packs to nothing
            kept.append(rec);
            FUZZ_CHECK(packed.appendParam(rec) == kept.last().size());
        }
        OrvParamList back;
        FUZZ_CHECK(OrvFrame::decodeElements(packed.data(), back, {}, false) == kept.size());
        FUZZ_CHECK(back == kept);
    }

    // All frames merged as the family's records, packed again and merged back.
    const ParamTables tables = FamilyParams::thermocoupleTables();
    OrvParamList merged;
    for (const OrvFrame &f : imported.frames)
        FUZZ_CHECK(f.extractParams(merged, tables.bufferFlags, true) >= 0);

    OrvParamList toPack = merged;
    const FrameBuild built = buildFrames(toPack, payload);
    FUZZ_CHECK(toPack.isEmpty());
    const int effective = qBound(OrvFrame::kMinPayload, payload, OrvFrame::kMaxPayload);
    OrvParamList back;
    for (const OrvFrame &f : built.frames) {
        FUZZ_CHECK(f.size() > 0 && f.size() <= effective);
        FUZZ_CHECK(f.extractParams(back, tables.bufferFlags, true) >= 0);
    }
    // Records without value bytes (an element with an explicit length of 0, a buffer element
    // holding only its index) pack to nothing; the rejected ones never leave.
    OrvParamList expected;
    for (const OrvParam &p : qAsConst(merged)) {
        if (!p.data().isEmpty() && !built.rejected.contains(p))
            expected.append(p);
    }
    FUZZ_CHECK(sorted(back) == sorted(expected));

    DeviceSession session(Catalog::kAcceptedType, Catalog::kAcceptedMinRev, Catalog::kAcceptedKiv,
                          &Fuzz::quietReporter());
    FamilyParams::registerThermocouple(session.tables(), Catalog::kAcceptedKiv);
    // The device session's import takes the same records, but only configuration parameters:
    // an action, a key or an id the family does not know never reaches a page.
    OrvParamList configuration = merged;
    FamilyModel::leaveOut(configuration, Catalog::kAcceptedKiv);
    FUZZ_CHECK(session.importFrames(imported.frames) == configuration.size());
    FUZZ_CHECK(session.params() == configuration);
    for (const OrvParam &p : session.params())
        FUZZ_CHECK(FamilyModel::isConfigParam(p.id(), Catalog::kAcceptedKiv) &&
                   !FamilyModel::isSecret(p.id()));
    return 0;
}
