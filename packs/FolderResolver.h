#pragma once

#include <QHash>
#include <QString>

#include <optional>

namespace plinkum::PackLoader {

// Names below one pack folder, resolved by what the file system holds, walking from the folder's
// descriptor one component at a time: links are followed only while they stay inside, and what
// cannot be resolved (a loop, a path too long, an unreadable folder) is refused, never guessed.
// Every entry is looked at once per resolver, so thousands of names in the same folders cost
// one look each. Files are opened beneath the descriptor with no link followed, so a folder
// swapped for a link after resolving cannot lead outside.
class FolderResolver {
public:
    // Longest and deepest name taken; nothing a pack needs comes near.
    static constexpr int maxNameBytes = 4096;
    static constexpr int maxDepth = 64;

    // Case::Ignored finds files as Windows and macOS do. Either way a name matches its file in
    // any Unicode normalisation (macOS writes names decomposed, most tools composed).
    enum class Case { Exact, Ignored };

    explicit FolderResolver(const QString &folder, Case names = Case::Exact);
    ~FolderResolver();
    FolderResolver(const FolderResolver &) = delete;
    FolderResolver &operator=(const FolderResolver &) = delete;

    struct Resolved {
        QString relative;         // below the real folder, without links; a missing file as named
        bool caseDiffers = false; // found only by ignoring case
    };
    // Nothing when `name` leaves the folder, names the folder itself or cannot be resolved.
    std::optional<Resolved> resolve(const QString &name);
    // The folder with its links resolved; empty when it cannot be opened.
    QString realFolder() const { return m_real; }
    // Opens a resolved path for reading beneath the folder, following no link: a descriptor, or
    // -1 with errno.
    int open(const QString &relative) const;

private:
    enum class Kind { Missing, Folder, Link, File, Unresolvable };
    struct Entry {
        Kind kind = Kind::Missing;
        QString target;
    };
    // Where walking some names led: a folder, or a missing name or file (nothing below it exists).
    struct Walk {
        QStringList parts;
        bool isFolder = true;
        bool caseDiffers = false;
    };
    struct Listing {
        QHash<QString, QString> composed; // by NFC
        QHash<QString, QString> folded;   // by NFC, case folded
    };
    std::optional<Walk> walk(QStringList done, QStringList pending);
    const Entry &entry(const QString &relative);
    const Listing &listing(const QString &folder);
    std::optional<QString> respell(const QString &folder, const QString &name, bool *caseDiffers);

    int m_fd = -1;
    QString m_lexical;
    QString m_real;
    Case m_case;
    QHash<QString, Entry> m_entries;
    QHash<QString, std::optional<Walk>> m_folders; // by the name's lexical folder
    QHash<QString, Listing> m_listings;
};

} // namespace plinkum::PackLoader
