#pragma once

#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

namespace plinkum::PackLoader {

// What a load did besides building the pack, for a pack author (plinkum-pack check): the
// format it read, the files and slices that gave no sample, the document entries it did not
// use, and the files it used (what an import copies). Loading without a report skips these silently.
struct LoadReport {
    struct Entry {
        QString what;
        QString reason;
    };

    // The format's name, as users know it ("Mechvibes v1").
    QString format;
    // What the pack does that its own program accepts but a careful author would fix: a document
    // that is not strict JSON, sound names differing in case from the files, a pack one folder
    // deeper than expected.
    QStringList warnings;
    QList<Entry> skipped;
    QList<Entry> ignored;
    // The files the pack's sounds came from: each name as the pack writes it, cleaned and
    // relative to the folder, and the file it resolves to.
    QMap<QString, QString> files;
    // Every file the document names inside the folder, found or not, cleaned and below it, and
    // whether the format finds files whatever their case: what an archive import unpacks.
    QSet<QString> named;
    bool namesIgnoreCase = false;
};

} // namespace plinkum::PackLoader
