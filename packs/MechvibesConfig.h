#pragma once

#include <QByteArray>
#include <QJsonObject>
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

    // "version": 2, Mechvibes' second format.
    bool versionTwo = false;
    // Its version 2 packs ("version": 2 with "key_define_type": "multi"), as we read them:
    // `sound` is then the default press file, not a recording to slice, and `soundup` the
    // default release file; either may name a range of files with {a-b}.
    bool versionTwoMulti = false;
    std::optional<QString> soundUp;

    // Nothing when the document does not decode; `error` then names the file and the member.
    // What hand-editing leaves (a byte order mark, comments, trailing commas) is read as
    // Mechvibes reads it, and listed in `repairs`.
    static std::optional<MechvibesConfig> decode(const QByteArray &json, QString *error = nullptr,
                                                 QStringList *repairs = nullptr);
    static std::optional<MechvibesConfig> decode(const QJsonObject &document, QString *error = nullptr);
    static bool isVersionTwo(const QJsonObject &document);

    // A key text of `defines`: its Mechvibes number, and whether it names the release sound
    // ("30-up", or "0030" as a fork of Mechvibes writes it). Nothing when it is no number.
    struct KeyText {
        long long number = 0;
        bool release = false;
    };
    static std::optional<KeyText> keyFromText(QStringView text);

    // A Mechvibes key number: an optional sign and decimal digits within 64 bits.
    static std::optional<long long> codeFromText(QStringView text);

    // The file names a version 2 default names: the first {a-b} (decimal, a <= b, fewer than 100
    // numbers) gives one name per number from a to b; otherwise the text is the one name.
    static QStringList expandRange(const QString &fileName);
};

} // namespace plinkum::PackLoader
