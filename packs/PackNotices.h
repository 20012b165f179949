#pragma once

#include <QMap>
#include <QString>

namespace plinkum {

// The pack's licence and readme files beside its documents, which its licence may require to
// travel with it: a few, each small, so a folder of text files is not copied whole.
class PackNotices {
public:
    static constexpr int maxNotices = 16;
    static constexpr qint64 maxNoticeBytes = 1 << 20;

    // Whether a file of that name, beside the documents, is one (whatever its case).
    static bool isNotice(const QString &fileName);
    // The notices in `folder`, by name, each resolved inside it; at most maxNotices, in name order.
    static QMap<QString, QString> in(const QString &folder);
};

} // namespace plinkum
