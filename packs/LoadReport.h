#pragma once

#include <QList>
#include <QMap>
#include <QString>

namespace plinkum::PackLoader {

// What a load did besides building the pack, for a pack author (plinkum-pack check): the
// format it read, the files and slices that gave no sample, the document entries it did not
// use, and the files it used (what an import copies). Loading without a report skips these silently.
struct LoadReport {
    struct Entry {
        QString what;
        QString reason;
    };

    QString format;
    QList<Entry> skipped;
    QList<Entry> ignored;
    // The files the pack's sounds came from: each name as the pack writes it, cleaned and
    // relative to the folder, and the file it resolves to.
    QMap<QString, QString> files;
};

} // namespace plinkum::PackLoader
