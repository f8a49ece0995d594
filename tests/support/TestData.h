#pragma once
// Files and bytes the tests make: the family's default configuration file of the source tree,
// copies of it with another identity or other edits, files written into a temporary folder,
// and reproducible pseudo-random bytes.

#include <QByteArray>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <optional>

namespace TestData {

/// The thermocouple family's default configuration file, as the source tree has it.
inline const QString kDefaultConfig =
    QStringLiteral(PELM_SOURCE_DIR "/resources/orv/configs/PTC-CT/PTC-CT_1.0.0.ocf");

/// The bytes of a file; empty when it cannot be read.
inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

/// Writes content to the file name in dir; its path, or an empty text when it was not written whole.
inline QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &content)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
        return QString();
    return path;
}

/// Writes a copy of the default configuration, changed by edit, to the file name in dir; its
/// path, or an empty text when the default could not be read or the copy not written.
inline QString editedConfig(const QTemporaryDir &dir, const QString &name,
                            const std::function<void(QJsonObject &doc)> &edit)
{
    QFile in(kDefaultConfig);
    if (!in.open(QIODevice::ReadOnly))
        return QString();
    QJsonObject doc = QJsonDocument::fromJson(in.readAll()).object();
    edit(doc);
    const QString path = dir.filePath(name);
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return QString();
    out.write(QJsonDocument(doc).toJson());
    return path;
}

/// A copy of the default configuration for another identity (device type, radio module type);
/// with orvName, the device name it states is that text.
inline QString configFor(const QTemporaryDir &dir, const QString &name, int orvType, int kivType,
                         const std::optional<QString> &orvName = std::nullopt)
{
    return editedConfig(dir, name, [&](QJsonObject &doc) {
        QJsonObject orv = doc.value("orv").toObject();
        orv.insert("orvType", orvType);
        orv.insert("kivType", kivType);
        if (orvName)
            orv.insert("orvName", *orvName);
        doc.insert("orv", orv);
    });
}

/// n pseudo-random bytes, the same for the same seed.
inline QByteArray randomBytes(int n, quint32 seed)
{
    QRandomGenerator rng(seed);
    QByteArray b(n, '\0');
    for (char &c : b)
        c = char(rng.bounded(256));
    return b;
}

} // namespace TestData
