#pragma once
// A frame: parameter records packed one after another as self-describing elements
// (header with length code and id, optional length byte, value), bounded in size.
// The same element encoding is used on the device link, in frame text and in QR codes.

#include "device/model/OrvParam.h"

#include <QList>
#include <QStringList>

class OrvFrame
{
public:
    static constexpr quint32 kNoLimit = 0xFFFFFFFFu;
    static constexpr int kMinPayload = 8;
    static constexpr int kMaxPayload = 1024;
    /// An element's length is one byte: the longest buffer chunk (index byte included) is 255.
    static constexpr int kMaxChunk = 254;
    static constexpr int kMaxValue = 255;

    explicit OrvFrame(quint32 maxSize = kNoLimit) : m_maxSize(maxSize) {}
    OrvFrame(const OrvFrame &) = default;
    OrvFrame &operator=(const OrvFrame &) = default;
    virtual ~OrvFrame() = default;

    void clear() { m_data.clear(); }
    const QByteArray &data() const { return m_data; }
    int size() const { return m_data.size(); }
    quint32 maxSize() const { return m_maxSize; }
    /// Upper-case hexadecimal digits, no separators.
    QString toHexString() const;

    /// Packs one ordinary parameter, or the next chunk of a buffer parameter (which is consumed:
    /// the chunk leaves its value and its index advances). Returns the number of value bytes
    /// taken (chunk length without the index byte), 0 when nothing fits.
    int appendParam(OrvParam &param);

    /// Replaces the bytes when they form a frame: too long -> 0; otherwise the decoding result
    /// when it yields no parameter (0) or a truncated element (-1); else the byte count.
    int setData(const QByteArray &bytes);

    /// Decodes the elements and appends one record per element to list (buffer records
    /// recognised through bufferFlags; merged with earlier records of the same id when merge
    /// is set). Returns the growth of the list (0 when joining chunks shrank it), or -1 at a
    /// truncated element (records decoded before it stay in the list).
    int extractParams(OrvParamList &list, const QMap<quint8, bool> &bufferFlags, bool merge) const;

    /// The element decoder behind extractParams and setData, for raw bytes that are not (yet) a
    /// frame, such as a device answer. Same results as extractParams.
    static int decodeElements(const QByteArray &bytes, OrvParamList &list,
                              const QMap<quint8, bool> &bufferFlags, bool merge);

    bool operator==(const OrvFrame &o) const { return m_data == o.m_data && m_maxSize == o.m_maxSize; }

private:
    QByteArray m_data;
    quint32 m_maxSize;
};

using OrvFrameList = QList<OrvFrame>;

/// Merges rec into list as a decoded record of a frame import would be: an ordinary record
/// replaces earlier records of its id (and moves to the end); a buffer chunk joins the chunks
/// of its id that touch or overlap it. Appends the result.
void mergeParam(OrvParamList &list, OrvParam rec);

/// The result of packing a parameter list into frames.
struct FrameBuild
{
    OrvFrameList frames;
    /// Records that can never be packed (empty value, or an element larger than an empty frame
    /// can hold); they stay out of the frames.
    OrvParamList rejected;
};

/// Packs the list, in order and first-fit, into frames of at most maxPayload bytes (raised to
/// at least 8, capped at 1024). The list is consumed.
FrameBuild buildFrames(OrvParamList &list, int maxPayload);

/// Frame text: each frame's upper-case hex, frames separated by CR LF, nothing after the last.
QString exportText(const OrvFrameList &frames);

/// The result of reading frame text.
struct FrameImport
{
    OrvFrameList frames;      ///< valid frames, in line order
    QStringList invalidLines; ///< lines as received that did not make a frame
};

/// Reads frame text: one candidate frame per non-empty line (split at LF).
FrameImport importText(const QString &text);

/// The message for an invalid frame line: "The frame: '<line>' is invalid !".
QString invalidFrameText(const QString &line);
/// Title of that message.
QString invalidFramesTitle();
