#pragma once

#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QString>

#include <optional>

namespace plinkum::PackLoader {

// The document of a MechvibesDX pack, config.json with "config_version": "2": sounds keyed by W3C
// key names (KeyA, Space, MouseLeft), each a list of [start, end] windows in milliseconds.
struct MechvibesDxConfig {
    struct Window {
        double start = 0.0; // milliseconds into the recording
        double end = 0.0;   // milliseconds, an end time (Mechvibes' own format wrote durations)
    };
    struct Definition {
        QList<Window> timing;
        std::optional<QString> file; // "multi": the definition's own recording
    };

    QString name;
    std::optional<QString> author;
    // "single": every window is into `audioFile`; "multi": each definition names its own file.
    bool multi = false;
    std::optional<QString> audioFile;
    std::optional<double> recommendedVolume; // a linear gain from 0 to 2
    bool randomPitch = false;
    QMap<QString, Definition> definitions;

    // Documents with a config_version of 2 or more; those above 2 are claimed to be refused.
    static bool claims(const QJsonObject &document);
    // Nothing when the document does not decode or is of a newer version; `error` then says why.
    static std::optional<MechvibesDxConfig> decode(const QJsonObject &document, QString *error = nullptr);
};

} // namespace plinkum::PackLoader
