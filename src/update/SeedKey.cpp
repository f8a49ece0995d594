#include "update/SeedKey.h"

#include <QLibrary>

#include <vector>

constexpr char SeedKeyLibrary::kSymbol[];

SeedKeyLibrary::SeedKeyLibrary() = default;

SeedKeyLibrary::~SeedKeyLibrary()
{
    // Keep the library mapped: unloading a library a process loaded once gains nothing and
    // can pull code from under a caller.
    m_compute = nullptr;
}

bool SeedKeyLibrary::load(const QString &path)
{
    m_compute = nullptr;
    m_error.clear();
    if (path.isEmpty()) {
        m_error = QStringLiteral("no seed-and-key library given");
        return false;
    }
    m_library = std::make_unique<QLibrary>(path);
    if (!m_library->load()) {
        m_error = m_library->errorString();
        return false;
    }
    m_compute = reinterpret_cast<ComputeFn>(m_library->resolve(kSymbol));
    if (!m_compute) {
        m_error = m_library->errorString();
        return false;
    }
    return true;
}

bool SeedKeyLibrary::computeKey(quint8 resource, const QByteArray &seed, int keyRoom, QByteArray *key) const
{
    if (!m_compute || !key || seed.size() > 255 || keyRoom <= 0)
        return false;
    const int room = qMin(keyRoom, 255);
    std::vector<quint8> buffer(size_t(room), 0);
    quint8 length = quint8(room);
    const quint32 rc = m_compute(resource, quint8(seed.size()),
                                 reinterpret_cast<const quint8 *>(seed.constData()), &length, buffer.data());
    if (rc != kAck || length == 0 || length > room)
        return false;
    *key = QByteArray(reinterpret_cast<const char *>(buffer.data()), length);
    return true;
}
