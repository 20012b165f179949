#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

namespace plinkum::PackLoader {

// The document of a Mechvibes pack, config.json: each key's sound is either a window of one long
// recording or a file of its own, keyed by Mechvibes key numbers.
struct MechvibesConfig {
    struct Define {
        enum class Kind { Slice, File };
        Kind kind = Kind::File;
        double start = 0.0;    // slice, milliseconds into `sound`
        double duration = 0.0; // slice, milliseconds
        QString file;          // file, relative to the pack folder

        static Define slice(double start, double duration) { return {Kind::Slice, start, duration, {}}; }
        static Define fileNamed(QString file) { return {Kind::File, 0.0, 0.0, std::move(file)}; }
    };

    std::optional<QString> name;
    std::optional<QString> sound;
    // Key text to define; a null value is kept as an undefined key.
    QMap<QString, std::optional<Define>> defines;

    // Mechvibes' version 2 packs ("version": 2 with "key_define_type": "multi"), as we read them:
    // `sound` is then the default press file, not a recording to slice, and `soundup` the
    // default release file; either may name a range of files with {a-b}.
    bool versionTwoMulti = false;
    std::optional<QString> soundUp;

    // Nothing when the document does not decode; `error` then names the file and the member.
    static std::optional<MechvibesConfig> decode(const QByteArray &json, QString *error = nullptr);

    // A Mechvibes key number: an optional sign and decimal digits within 64 bits.
    static std::optional<long long> codeFromText(QStringView text);

    // The file names a version 2 default names: the first {a-b} (decimal, a <= b, fewer than 100
    // numbers) gives one name per number from a to b; otherwise the text is the one name.
    static QStringList expandRange(const QString &fileName);
};

} // namespace plinkum::PackLoader
