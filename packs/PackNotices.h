#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

namespace plinkum {

// The pack's licence and readme files beside its documents, which its licence may require to
// travel with it: a few, each small, so a folder of text files is not copied whole.
class PackNotices {
public:
    static constexpr int maxNotices = 16;
    static constexpr qint64 maxNoticeBytes = 1 << 20;

    // Whether a file of that name, beside the documents, is one (whatever its case).
    static bool isNotice(const QString &fileName);
    // Of the files `fileNames` beside the documents, those kept: the notices, the first maxNotices
    // in name order whatever their case.
    static QStringList chosen(QStringList fileNames);
    // The notices in `folder` of at most maxNoticeBytes, as chosen, by name, each resolved inside it.
    static QMap<QString, QString> in(const QString &folder);
};

} // namespace plinkum
