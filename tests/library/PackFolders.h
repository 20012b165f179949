#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

// Pack folders for the library tests, written from a map of relative path to content.
namespace PackFolders {

using Files = QMap<QString, QByteArray>;

// The content that makes writeFolder put a short audible WAV in place.
inline const QByteArray wav = QByteArrayLiteral("<wav>");

// Creates `folder` with `files`; false when anything could not be written.
bool writeFolder(const QString &folder, const Files &files);

// A pack.json whose standard sounds are click.wav.
QByteArray manifest(const QByteArray &name, const QByteArray &type = {}, int order = 0);

// pack.json and the click.wav it names.
Files validPack(const QByteArray &name);

// Every path under `folder`, hidden ones included, relative and sorted.
QStringList contents(const QString &folder);

} // namespace PackFolders
