#include "packs/PackArchive.h"

#include "packs/PackFolderSearch.h"
#include "packs/StagingFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <archive.h>
#include <archive_entry.h>

#include <memory>

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

Archive openArchive(const QString &path, QString *error)
{
    Archive a(archive_read_new());
    // Zip only: the seekable reader trusts the central directory, as unzip tools do.
    archive_read_support_format_zip(a.get());
    if (archive_read_open_filename(a.get(), QFile::encodeName(path).constData(), 64 * 1024) != ARCHIVE_OK) {
        *error = tr("“%1” cannot be read as a zip archive.").arg(QFileInfo(path).fileName());
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
    const QString name = utf8 ? QString::fromUtf8(utf8) : QFile::decodeName(raw ? raw : "");
    auto refuse = [](const QString &why) { return EntryPlan{EntryPlan::Action::Refuse, {}, why}; };

    if (name.startsWith(u'/'))
        return refuse(tr("The archive holds an absolute path (“%1”).").arg(name));
    QStringList parts;
    for (const QString &part : name.split(u'/', Qt::SkipEmptyParts)) {
        if (part == QStringLiteral(".."))
            return refuse(tr("The archive holds a path leading out of it (“%1”).").arg(name));
        for (QChar c : part) {
            if (c.unicode() < 0x20 || c.unicode() == 0x7f)
                return refuse(tr("The archive holds a file name with control characters."));
        }
        if (part != QStringLiteral("."))
            parts.append(part);
    }
    // Archivers on macOS add resource forks and folder settings that no pack needs.
    if (parts.isEmpty() || parts.first() == QStringLiteral("__MACOSX") || parts.last() == QStringLiteral(".DS_Store"))
        return {};

    if (archive_entry_hardlink(entry) || archive_entry_filetype(entry) == AE_IFLNK)
        return refuse(tr("The archive holds a link (“%1”); packs are made of plain files.").arg(name));
    switch (archive_entry_filetype(entry)) {
    case AE_IFDIR:
        // Folders come with the files inside them; an empty one is of no use to a pack.
        return {};
    case AE_IFREG:
        return {EntryPlan::Action::File, parts.join(u'/'), {}};
    default:
        return refuse(tr("The archive holds a special file (“%1”); packs are made of plain files.").arg(name));
    }
}

QString tooLarge()
{
    return tr("The archive unpacks to more than a sound pack can hold (%1 files, %2 MiB per file, %3 MiB in all).")
        .arg(StagingFolder::maxFiles)
        .arg(StagingFolder::maxFileBytes >> 20)
        .arg(StagingFolder::maxTotalBytes >> 20);
}

// Reads the listing only: every refusal that needs no inflating happens here.
bool survey(const QString &archivePath, QString *error)
{
    Archive a = openArchive(archivePath, error);
    if (!a)
        return false;
    int entries = 0;
    int files = 0;
    qint64 total = 0;
    archive_entry *entry = nullptr;
    int status;
    while ((status = archive_read_next_header(a.get(), &entry)) == ARCHIVE_OK) {
        const EntryPlan entryPlan = plan(entry);
        if (entryPlan.action == EntryPlan::Action::Refuse) {
            *error = entryPlan.refusal;
            return false;
        }
        const qint64 size = archive_entry_size_is_set(entry) ? archive_entry_size(entry) : 0;
        if (entryPlan.action == EntryPlan::Action::File) {
            ++files;
            total += size;
        }
        if (++entries > maxEntries || files > StagingFolder::maxFiles || size > StagingFolder::maxFileBytes
            || total > StagingFolder::maxTotalBytes) {
            *error = tooLarge();
            return false;
        }
    }
    if (status != ARCHIVE_EOF) {
        *error = damaged(a.get());
        return false;
    }
    return true;
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
    if (!survey(archivePath, &reason))
        return fail();
    Archive a = openArchive(archivePath, &reason);
    if (!a)
        return fail();

    // Everything goes below a folder named after the archive, which is the pack's when the
    // documents sit at the archive's root.
    QString name = QFileInfo(archivePath).completeBaseName();
    if (name.isEmpty() || name.startsWith(u'.'))
        name = tr("Imported pack");
    archive_entry *entry = nullptr;
    int status;
    while ((status = archive_read_next_header(a.get(), &entry)) == ARCHIVE_OK) {
        // Checked again: the file may have changed since the survey.
        const EntryPlan entryPlan = plan(entry);
        if (entryPlan.action == EntryPlan::Action::Refuse) {
            reason = entryPlan.refusal;
            return fail();
        }
        if (entryPlan.action == EntryPlan::Action::Skip)
            continue;
        bool readFailed = false;
        const auto read = [&](char *buffer, std::size_t size) -> std::int64_t {
            const la_ssize_t got = archive_read_data(a.get(), buffer, size);
            readFailed = got < 0;
            return got;
        };
        const qint64 declared = archive_entry_size_is_set(entry) ? archive_entry_size(entry) : 0;
        if (!staging.addFile(name + u'/' + entryPlan.path, declared, read, cancelled)) {
            reason = readFailed ? damaged(a.get()) : staging.error();
            return fail();
        }
    }
    if (status != ARCHIVE_EOF) {
        reason = damaged(a.get());
        return fail();
    }

    const QString root = staging.path() + u'/' + name;
    const PackFolderSearch search(root);
    if (search.packFolder()) {
        // A zip holding one folder holding the pack is how packs are shared: only deeper is odd.
        if (warning && search.relativePath().contains(u'/'))
            *warning = search.deeperWarning();
        return search.packFolder();
    }
    reason = search.packsFound() > 1
                 ? tr("The archive holds several packs; unpack it and import them one at a time.")
                 : tr("The archive holds no pack: no pack.json or config.json was found in it.");
    return fail();
}

} // namespace plinkum
