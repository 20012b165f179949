#include "packs/PackArchive.h"

#include "packs/DecodeError.h"
#include "packs/DocumentReader.h"
#include "packs/NameRules.h"
#include "packs/PackFolderSearch.h"
#include "packs/PackFormat.h"
#include "packs/PackLoader.h"
#include "packs/PackNotices.h"
#include "packs/StagingFolder.h"
#include "packs/ZipDirectory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringList>

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plinkum {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("PackArchive", text);
}

struct ArchiveFree {
    void operator()(archive *a) const { archive_read_free(a); }
};
using Archive = std::unique_ptr<archive, ArchiveFree>;

// Folders and other entries besides files, for which the listing must still be read.
constexpr int maxEntries = 4 * StagingFolder::maxFiles;
// What the central directory may claim before any of it is read: a few times what a pack of
// maxFiles sounds in folders needs.
constexpr std::uint64_t maxDirectoryEntries = 16384;
constexpr std::uint64_t maxDirectoryBytes = 8 << 20;

QString cancelledMessage()
{
    return tr("The import was cancelled.");
}

// The archive file, opened once for the checks and both passes, so all read the same file; its
// reads stop as soon as the import is cancelled, even within libarchive's reading of a listing.
struct Source {
    QString name;
    int fd = -1;
    const std::atomic<bool> *cancelled = nullptr;
    std::vector<char> buffer = std::vector<char>(64 * 1024);

    ~Source()
    {
        if (fd >= 0)
            ::close(fd);
    }
    bool isCancelled() const { return cancelled && cancelled->load(std::memory_order_relaxed); }

    static la_ssize_t read(archive *a, void *data, const void **block)
    {
        auto *source = static_cast<Source *>(data);
        if (source->isCancelled()) {
            archive_set_error(a, ECANCELED, "cancelled");
            return -1;
        }
        *block = source->buffer.data();
        for (;;) {
            const ssize_t got = ::read(source->fd, source->buffer.data(), source->buffer.size());
            if (got >= 0)
                return got;
            if (errno != EINTR) {
                archive_set_error(a, errno, "read failed");
                return -1;
            }
        }
    }
    static la_int64_t seek(archive *, void *data, la_int64_t offset, int whence)
    {
        const off_t at = ::lseek(static_cast<Source *>(data)->fd, offset, whence);
        return at < 0 ? ARCHIVE_FATAL : at;
    }
};

// libarchive converts names to the thread's locale, and under the C locale refuses every name
// that is not ASCII; its reading runs in C.UTF-8 instead, on this thread only.
class Utf8Locale {
public:
    Utf8Locale() : m_locale(::newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{})) { m_previous = m_locale ? ::uselocale(m_locale) : nullptr; }
    ~Utf8Locale()
    {
        if (m_locale) {
            ::uselocale(m_previous);
            ::freelocale(m_locale);
        }
    }
    Utf8Locale(const Utf8Locale &) = delete;
    Utf8Locale &operator=(const Utf8Locale &) = delete;

private:
    locale_t m_locale;
    locale_t m_previous;
};

// Opens the archive and refuses it when its end records claim a directory too large, before
// libarchive reads (and holds) the directory whole.
bool openSource(const QString &path, Source &source, QString *error)
{
    const QString &name = source.name;
    // O_NONBLOCK: a FIFO named like an archive must not block the open; it is refused below.
    source.fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat status {};
    if (source.fd < 0 || ::fstat(source.fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        *error = tr("“%1” cannot be read as a zip archive.").arg(NameRules::quoted(name));
        return false;
    }
    if (const std::optional<ZipDirectory> directory = ZipDirectory::read(source.fd);
        directory && (directory->entries > maxDirectoryEntries || directory->bytes > maxDirectoryBytes)) {
        *error = tr("“%1” lists more than a sound pack holds (%2 entries, %3 MiB of listing at most).")
                     .arg(NameRules::quoted(name))
                     .arg(maxDirectoryEntries)
                     .arg(maxDirectoryBytes >> 20);
        return false;
    }
    return true;
}

Archive openArchive(Source &source, QString *error)
{
    Archive a(archive_read_new());
    // Zip only: the seekable reader trusts the central directory, as unzip tools do.
    archive_read_support_format_zip(a.get());
    // Names without the zip's UTF-8 flag are UTF-8 too: macOS and most tools write them so.
    archive_read_set_format_option(a.get(), "zip", "hdrcharset", "UTF-8");
    archive_read_set_read_callback(a.get(), &Source::read);
    archive_read_set_seek_callback(a.get(), &Source::seek);
    archive_read_set_callback_data(a.get(), &source);
    if (::lseek(source.fd, 0, SEEK_SET) != 0 || archive_read_open1(a.get()) != ARCHIVE_OK) {
        *error = source.isCancelled() ? cancelledMessage() : tr("“%1” cannot be read as a zip archive.").arg(NameRules::quoted(source.name));
        return nullptr;
    }
    return a;
}

QString damaged(archive *a)
{
    const char *message = archive_error_string(a);
    return tr("The archive is damaged: %1").arg(QString::fromUtf8(message ? message : "unknown error"));
}

// What an entry becomes: a file written at `path` below the pack, nothing, or the reason to refuse
// the whole archive.
struct EntryPlan {
    enum class Action { File, Skip, Refuse } action = Action::Skip;
    QString path;
    QString refusal;
};

EntryPlan plan(archive_entry *entry)
{
    const char *utf8 = archive_entry_pathname_utf8(entry);
    const char *raw = archive_entry_pathname(entry);
    if (!utf8 && !raw)
        return {EntryPlan::Action::Refuse, {}, tr("The archive holds a file name that is not UTF-8.")};
    const QString name = utf8 ? QString::fromUtf8(utf8) : QFile::decodeName(raw);
    auto refuse = [](const QString &why) { return EntryPlan{EntryPlan::Action::Refuse, {}, why}; };

    if (name.startsWith(u'/'))
        return refuse(tr("The archive holds an absolute path (“%1”).").arg(NameRules::quoted(name)));
    QStringList parts;
    for (const QString &part : name.split(u'/', Qt::SkipEmptyParts)) {
        if (part == QStringLiteral(".."))
            return refuse(tr("The archive holds a path leading out of it (“%1”).").arg(NameRules::quoted(name)));
        if (!NameRules::acceptable(part))
            return refuse(tr("The archive holds a file name with control characters or characters that reorder text (“%1”).").arg(NameRules::quoted(name)));
        if (part != QStringLiteral("."))
            parts.append(part);
    }
    // Archivers on macOS add resource forks and folder settings that no pack needs.
    if (parts.isEmpty() || parts.first() == QStringLiteral("__MACOSX") || parts.last() == QStringLiteral(".DS_Store"))
        return {};

    if (archive_entry_hardlink(entry) || archive_entry_filetype(entry) == AE_IFLNK)
        return refuse(tr("The archive holds a link (“%1”); packs are made of plain files.").arg(NameRules::quoted(name)));
    switch (archive_entry_filetype(entry)) {
    case AE_IFDIR:
        // Folders come with the files inside them; an empty one is of no use to a pack.
        return {};
    case AE_IFREG:
        return {EntryPlan::Action::File, parts.join(u'/'), {}};
    default:
        return refuse(tr("The archive holds a special file (“%1”); packs are made of plain files.").arg(NameRules::quoted(name)));
    }
}

QString tooLarge()
{
    return tr("The archive unpacks to more than a sound pack can hold (%1 files, %2 MiB per file, %3 MiB in all).")
        .arg(StagingFolder::maxFiles)
        .arg(StagingFolder::maxFileBytes >> 20)
        .arg(StagingFolder::maxTotalBytes >> 20);
}

// The next entry. A name libarchive cannot convert comes with a warning and no name, which
// `plan` refuses with a message of its own.
int nextHeader(archive *a, archive_entry **entry)
{
    const int status = archive_read_next_header(a, entry);
    return status == ARCHIVE_WARN ? ARCHIVE_OK : status;
}

QString failure(archive *a, const Source &source)
{
    return source.isCancelled() ? cancelledMessage() : damaged(a);
}

// Whether `path` (below the archive's root) is a document where PackFolderSearch looks for one:
// not in a hidden folder, nor deeper than it goes.
bool searchedDocument(const QString &path)
{
    const QStringList parts = path.split(u'/');
    return PackLoader::PackFormat::isDocument(parts.last()) && parts.size() - 1 <= PackFolderSearch::maxDepth
           && std::none_of(parts.begin(), parts.end() - 1, [](const QString &folder) { return folder.startsWith(u'.'); });
}

// Reads the listing only: every refusal that needs no inflating happens here.
bool survey(Source &source, QString *error)
{
    Archive a = openArchive(source, error);
    if (!a)
        return false;
    int entries = 0;
    int files = 0;
    qint64 total = 0;
    archive_entry *entry = nullptr;
    int status;
    while ((status = nextHeader(a.get(), &entry)) == ARCHIVE_OK) {
        if (source.isCancelled()) {
            *error = cancelledMessage();
            return false;
        }
        const EntryPlan entryPlan = plan(entry);
        if (entryPlan.action == EntryPlan::Action::Refuse) {
            *error = entryPlan.refusal;
            return false;
        }
        const qint64 size = archive_entry_size_is_set(entry) ? std::max<qint64>(archive_entry_size(entry), 0) : 0;
        // Each size is checked before it is added, so the total cannot overflow.
        if (++entries > maxEntries || size > StagingFolder::maxFileBytes) {
            *error = tooLarge();
            return false;
        }
        if (entryPlan.action == EntryPlan::Action::File) {
            ++files;
            total += size;
            // Documents are unpacked before anything else, so one no load would read is refused here.
            if (size > PackLoader::DocumentReader::maxDocumentBytes && searchedDocument(entryPlan.path)) {
                *error = tr("“%1” is larger than %2 MiB, more than a pack's document holds.")
                             .arg(NameRules::quoted(entryPlan.path))
                             .arg(PackLoader::DocumentReader::maxDocumentBytes >> 20);
                return false;
            }
        }
        if (files > StagingFolder::maxFiles || total > StagingFolder::maxTotalBytes) {
            *error = tooLarge();
            return false;
        }
    }
    if (status != ARCHIVE_EOF) {
        *error = failure(a.get(), source);
        return false;
    }
    return true;
}

// Which entries a pass writes, by their path below the archive's root and declared size.
using Wanted = std::function<bool(const QString &path, qint64 declared)>;

// Writes the entries `wanted` takes below `root` in the staging folder; false, with `reason`,
// when the archive has changed into one to refuse, an entry cannot be written or the import is
// cancelled.
bool extract(Source &source, StagingFolder &staging, const QString &root, const Wanted &wanted, QString *reason)
{
    Archive a = openArchive(source, reason);
    if (!a)
        return false;
    archive_entry *entry = nullptr;
    int status;
    while ((status = nextHeader(a.get(), &entry)) == ARCHIVE_OK) {
        // Checked again: the file may have changed since the survey.
        const EntryPlan entryPlan = plan(entry);
        if (entryPlan.action == EntryPlan::Action::Refuse) {
            *reason = entryPlan.refusal;
            return false;
        }
        const qint64 declared = archive_entry_size_is_set(entry) ? archive_entry_size(entry) : 0;
        if (entryPlan.action == EntryPlan::Action::Skip || !wanted(entryPlan.path, declared))
            continue;
        bool readFailed = false;
        const auto read = [&](char *buffer, std::size_t size) -> std::int64_t {
            const la_ssize_t got = archive_read_data(a.get(), buffer, size);
            readFailed = got < 0;
            return got;
        };
        if (!staging.addFile(root + u'/' + entryPlan.path, declared, read, source.cancelled)) {
            *reason = readFailed ? failure(a.get(), source) : staging.error();
            return false;
        }
    }
    if (status != ARCHIVE_EOF) {
        *reason = failure(a.get(), source);
        return false;
    }
    return true;
}

// How a name below the pack is matched to the names its document uses: in any Unicode
// normalisation, and whatever its case where the format finds files so.
QString matchKey(const QString &relative, bool ignoreCase)
{
    const QString composed = relative.normalized(QString::NormalizationForm_C);
    return ignoreCase ? composed.toCaseFolded() : composed;
}

// What the document in `packFolder` names, as matchKey gives, learnt by loading the pack while
// only its documents are there; nothing when it names nothing or does not decode (then the
// folder import says what is wrong with it) or the import is cancelled.
QSet<QString> namedFiles(const QString &packFolder, bool *ignoreCase, const std::atomic<bool> *cancelled)
{
    const std::optional<PackInfo> info = PackLoader::readInfo(packFolder, false);
    if (!info)
        return {};
    PackLoader::LoadReport report;
    try {
        PackLoader::load(*info, &report, cancelled);
    } catch (const DecodeError &) {
        return {};
    }
    *ignoreCase = report.namesIgnoreCase;
    QSet<QString> keys;
    for (const QString &name : std::as_const(report.named))
        keys.insert(matchKey(name, *ignoreCase));
    return keys;
}

} // namespace

std::optional<QString> PackArchive::unpack(const QString &archivePath, StagingFolder &staging, QString *error,
                                           const std::atomic<bool> *cancelled, QString *warning)
{
    QString reason;
    auto fail = [&]() -> std::optional<QString> {
        if (error)
            *error = reason;
        return std::nullopt;
    };
    const Utf8Locale utf8;
    Source source;
    source.name = QFileInfo(archivePath).fileName();
    source.cancelled = cancelled;
    if (!openSource(archivePath, source, &reason) || !survey(source, &reason))
        return fail();

    // Everything goes below a folder named after the archive, which is the pack's when the
    // documents sit at the archive's root.
    QString name = QFileInfo(archivePath).completeBaseName();
    if (name.isEmpty() || name.startsWith(u'.'))
        name = tr("Imported pack");

    // The documents first, to find the pack and learn what it uses; then only that and the
    // pack's notices, so an import does not store the archive's other files even for a while.
    QStringList noticeFiles;
    const auto documents = [&](const QString &path, qint64 declared) {
        if (PackNotices::isNotice(path.section(u'/', -1)) && declared <= PackNotices::maxNoticeBytes)
            noticeFiles.append(path);
        return searchedDocument(path);
    };
    if (!extract(source, staging, name, documents, &reason))
        return fail();
    const PackFolderSearch search(staging.path() + u'/' + name);
    if (!search.packFolder()) {
        reason = search.packsFound() > 1
                     ? tr("The archive holds several packs; unpack it and import them one at a time.")
                     : tr("The archive holds no pack: no pack.json or config.json was found in it.");
        return fail();
    }
    const QString packPrefix = search.relativePath().isEmpty() ? QString() : search.relativePath() + u'/';
    bool ignoreCase = false;
    const QSet<QString> named = namedFiles(*search.packFolder(), &ignoreCase, cancelled);
    if (source.isCancelled()) {
        reason = cancelledMessage();
        return fail();
    }
    // The notices the folder import keeps, of those beside the documents.
    QStringList beside;
    for (const QString &path : std::as_const(noticeFiles)) {
        if (path.startsWith(packPrefix) && path.indexOf(u'/', packPrefix.size()) < 0)
            beside.append(path.mid(packPrefix.size()));
    }
    QSet<QString> notices;
    for (const QString &fileName : PackNotices::chosen(beside))
        notices.insert(packPrefix + fileName);
    const auto used = [&](const QString &path, qint64) {
        if (!path.startsWith(packPrefix) || searchedDocument(path))
            return false;
        return named.contains(matchKey(path.mid(packPrefix.size()), ignoreCase)) || notices.contains(path);
    };
    if (!extract(source, staging, name, used, &reason))
        return fail();

    // A zip holding one folder holding the pack is how packs are shared: only deeper is odd.
    if (warning && search.relativePath().contains(u'/'))
        *warning = search.deeperWarning();
    return search.packFolder();
}

} // namespace plinkum
