#pragma once

#include <QByteArray>
#include <QStringList>

namespace plinkum::PackLoader {

// Undoes what hand-editing does to the JSON of other programs' packs, which their own readers
// accept: a byte order mark, comments (// and /* */) and trailing commas before } or ]. Text
// inside strings is never touched, and nothing else is guessed at: a document broken in any
// other way stays broken and fails to parse with its own message.
class JsonRepair {
public:
    explicit JsonRepair(const QByteArray &data);

    const QByteArray &repaired() const { return m_repaired; }
    // What was undone, for the pack's author ("a byte order mark", "comments", "trailing commas").
    const QStringList &repairs() const { return m_repairs; }

private:
    QByteArray m_repaired;
    QStringList m_repairs;
};

} // namespace plinkum::PackLoader
