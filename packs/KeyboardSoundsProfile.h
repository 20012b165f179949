#pragma once

#include "packs/LoadReport.h"
#include "packs/LoadedPack.h"
#include "packs/PackInfo.h"

#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <optional>

namespace plinkum::PackLoader {

// A keyboardsounds profile (profile.yaml): named sources of sound files, and which keys (a
// keyboard profile) or mouse buttons (a mouse profile) play which sources.
struct KeyboardSoundsProfile {
    // A press file and, when the source is a pair, a release file.
    struct Source {
        QString press;
        std::optional<QString> release;
    };
    // Keys or buttons by name, and the sources they draw from at random.
    struct Mapping {
        QStringList sounds;
        QStringList names;
    };
    struct Assignments {
        // For what no mapping lists; absent: every source for keys, nothing for buttons.
        std::optional<QStringList> defaults;
        QList<Mapping> other;
    };

    QString name;
    bool mouse = false;
    QStringList sourceIds; // in the document's order
    QHash<QString, Source> sources;
    Assignments keys;
    // `other`, and the X11 button numbers some mouse profiles map instead, translated.
    Assignments buttons;

    // Nothing when the document does not decode; `error` then names the member.
    static std::optional<KeyboardSoundsProfile> decode(const QJsonObject &document, QString *error);

    // The pack, not yet checked for playability. A key or button listed by several mappings
    // draws from all their sources; unknown names and source ids are left out and reported.
    LoadedPackPtr load(const PackInfo &info, LoadReport *report, const std::atomic<bool> *cancelled) const;
};

} // namespace plinkum::PackLoader
