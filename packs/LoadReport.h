#pragma once

#include <QList>
#include <QString>

namespace plinkum::PackLoader {

// What a load did besides building the pack, for a pack author (plinkum-pack check): the
// format it read, the files and slices that gave no sample, and the document entries it did not
// use. Loading without a report skips these silently.
struct LoadReport {
    struct Entry {
        QString what;
        QString reason;
    };

    QString format;
    QList<Entry> skipped;
    QList<Entry> ignored;
};

} // namespace plinkum::PackLoader
