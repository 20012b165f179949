#pragma once

#include <QList>
#include <QString>

namespace plinkum {

// Finds the packs users kept in other keyboard-sound programs, in the folders those programs use
// on Linux, and says which of them the user packs hold already. Reads only: nothing there is
// ever changed. Slow on a large home (every candidate's documents are read): call it off the
// main thread; it touches no shared state.
class PeerPackFinder {
public:
    // A folder a program keeps one pack per subfolder in.
    struct Place {
        QString program; // as users know it: "Mechvibes", "MechvibesDX", "keyboardsounds"
        QString folder;
    };

    struct Found {
        QString program;
        QString path;   // the subfolder as found, what an import takes
        QString name;   // the pack's own name; the folder's when it cannot be read
        QString format; // the format that reads it (PackInfo::format); empty when none does
        // Its document is byte for byte that of a user pack: imported before, under any name.
        bool imported = false;
        QString problem; // why it cannot be imported; empty when it can

        bool importable() const { return problem.isEmpty() && !imported; }
        friend bool operator==(const Found &, const Found &) = default;
    };

    // Subfolders looked at in each place at most, so a huge folder costs little.
    static constexpr int maxPerPlace = 500;

    // The places of this user, from $HOME, $XDG_CONFIG_HOME and $XDG_DATA_HOME, whether they
    // exist or not.
    static QList<Place> defaultPlaces();

    explicit PeerPackFinder(QList<Place> places = defaultPlaces());

    // The packs in every place that exists, by place then by name; `userPacksFolder` decides
    // `imported`. A subfolder holding no document of any format is not a pack and is left out; one
    // that cannot be opened or whose document does not decode is listed with its problem.
    QList<Found> find(const QString &userPacksFolder) const;

    const QList<Place> &places() const { return m_places; }

private:
    QList<Place> m_places;
};

} // namespace plinkum
