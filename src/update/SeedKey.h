#pragma once
// The key routine of the XCP session: a seed-and-key library with the usual XCP export
//
//   extern "C" uint32_t XCP_ComputeKeyFromSeed(uint8_t privilege, uint8_t seedLength,
//                                              const uint8_t *seed, uint8_t *keyLength,
//                                              uint8_t *key);
//
// loaded at run time. The caller puts the room of key into *keyLength; the library writes
// the key and its length there and returns 0, or returns non-zero when it can't compute one
// (1: privilege not offered, 2: bad seed length, 3: key buffer too small).

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

class QLibrary;

/// Computes a key from a seed for a resource; false when no key can be given.
using KeyRoutine = std::function<bool(quint8 resource, const QByteArray &seed, QByteArray *key)>;

class SeedKeyLibrary
{
public:
    /// Name of the exported function.
    static constexpr char kSymbol[] = "XCP_ComputeKeyFromSeed";
    /// Result of the exported function when it gave a key.
    static constexpr quint32 kAck = 0;

    SeedKeyLibrary();
    ~SeedKeyLibrary();
    SeedKeyLibrary(const SeedKeyLibrary &) = delete;
    SeedKeyLibrary &operator=(const SeedKeyLibrary &) = delete;

    /// Loads the library and resolves the function; false (errorString set) otherwise.
    bool load(const QString &path);
    bool isLoaded() const { return m_compute != nullptr; }
    QString errorString() const { return m_error; }

    /// Calls the function with room for keyRoom bytes; false when it refused or gave no key
    /// (or a key longer than the room).
    bool computeKey(quint8 resource, const QByteArray &seed, int keyRoom, QByteArray *key) const;

private:
    using ComputeFn = quint32 (*)(quint8, quint8, const quint8 *, quint8 *, quint8 *);
    std::unique_ptr<QLibrary> m_library;
    ComputeFn m_compute = nullptr;
    QString m_error;
};
