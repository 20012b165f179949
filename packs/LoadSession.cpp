#include "packs/LoadSession.h"

#include "packs/DecodeError.h"
#include "common/Log.h"
#include "packs/PackLoader.h"
#include "packs/SampleDecoding.h"
#include "packs/SampleFormat.h"

#include <QDir>
#include <QFileInfo>

#include <limits>

#include <fcntl.h>

namespace plinkum::PackLoader {

namespace {

QString skipReason(const DecodeError &error)
{
    switch (error.kind()) {
    case DecodeError::Kind::Missing:
        return QStringLiteral("missing");
    case DecodeError::Kind::Unreadable:
        return QStringLiteral("unreadable: ") + error.message();
    case DecodeError::Kind::NotAudio:
        return QStringLiteral("not audio: ") + error.message();
    case DecodeError::Kind::TooLong:
    case DecodeError::Kind::TooLarge:
    case DecodeError::Kind::Cancelled:
        break;
    }
    return error.message();
}

} // namespace

LoadSession::LoadSession(QString folder, Names names, LoadReport *report, const std::atomic<bool> *cancelled)
    : m_folder(std::move(folder)), m_names(names), m_report(report), m_cancelled(cancelled)
    , m_resolver(m_folder, names == Names::AsMechvibes ? FolderResolver::Case::Ignored : FolderResolver::Case::Exact)
    , m_framesLeft(2 * std::uint64_t{maxFramesFor(m_cache.byteBudget())})
{
    if (m_report)
        m_report->namesIgnoreCase = names == Names::AsMechvibes;
}

LoadSession::~LoadSession()
{
    if (m_unloggedSkips > 0)
        log(QStringLiteral("skipped %1 more files in %2").arg(m_unloggedSkips).arg(m_folder).toStdString());
}

LoadSession::Resolved LoadSession::resolve(const QString &written)
{
    const QString fileName = m_names == Names::AsMechvibes ? QString(written).replace(u'\\', u'/') : written;
    if (fileName.contains(QChar(u'\0')))
        return {{}, {}, {}, QStringLiteral("outside the folder")};
    // Keyed by the cleaned name, so `a.wav`, `./a.wav` and `x/../a.wav` resolve once; the cache
    // keys samples by the file they resolve to.
    const QString cleaned = QDir::cleanPath(m_folder + u'/' + fileName);
    if (const auto it = m_resolved.constFind(cleaned); it != m_resolved.constEnd())
        return *it;
    Resolved resolved{cleaned, {}, {}, QStringLiteral("outside the folder")};
    if (fileName.toUtf8().size() > FolderResolver::maxNameBytes) {
        resolved.refusal = QStringLiteral("a name longer than %1 bytes").arg(FolderResolver::maxNameBytes);
    } else if (fileName.count(u'/') >= FolderResolver::maxDepth) {
        resolved.refusal = QStringLiteral("a name more than %1 folders deep").arg(FolderResolver::maxDepth);
    } else if (const std::optional<FolderResolver::Resolved> found = m_resolver.resolve(fileName)) {
        resolved.relative = found->relative;
        if (m_report)
            m_report->named.insert(found->relative);
        resolved.path = m_resolver.realFolder() + u'/' + found->relative;
        if (found->caseDiffers && m_caseMismatches++ == 0)
            m_caseExample = QStringLiteral("“%1” for “%2”").arg(fileName, found->relative);
    }
    m_resolved.insert(cleaned, resolved);
    return resolved;
}

SamplePtr LoadSession::fileSample(const QString &fileName)
{
    checkCancelled();
    const Resolved resolved = resolve(fileName);
    if (resolved.path.isEmpty()) {
        skip(fileName, resolved.refusal);
        return nullptr;
    }
    const QString path = resolved.path;
    QString why;
    SamplePtr sample = m_cache.variants(
        path,
        [&](std::size_t maxFrames, QString &reason) -> std::optional<std::vector<float>> {
            std::optional<std::vector<float>> samples = decode(resolved, maxFrames, reason);
            if (samples)
                samples = trimLeadingSilence(std::move(*samples), 0.01f);
            return samples;
        },
        &why);
    if (!sample)
        skip(fileName, why == QLatin1String("no samples") ? QStringLiteral("silent: no samples") : why);
    else
        used(resolved.cleaned, path);
    return sample;
}

SamplePtr LoadSession::sliceSample(const std::optional<QString> &soundName, double start, double duration)
{
    checkCancelled();
    QString why;
    SamplePtr sample = m_cache.variants(
        sliceKey(start, duration),
        [&](std::size_t maxFrames, QString &reason) -> std::optional<std::vector<float>> {
            const std::vector<float> *sound = recording(soundName);
            const std::optional<Window> window =
                sound ? sliceWindow(sound->size(), start, sampleFormat.sampleRate, duration) : std::nullopt;
            if (!window) {
                reason = sound ? QStringLiteral("window out of range") : QStringLiteral("no usable sound recording");
                return std::nullopt;
            }
            // Refused before the copy: a window is as long as the recording at most.
            const std::size_t frames = window->end - window->first;
            if (frames > maxFrames || frames > m_framesLeft) {
                reason = frames > maxFrames ? m_cache.budgetMessage() : workMessage();
                logSkip(QStringLiteral("slice [%1, %2]").arg(start).arg(duration), reason);
                return std::nullopt;
            }
            m_framesLeft -= frames;
            return sliceMilliseconds(sound, start, sampleFormat.sampleRate, duration);
        },
        &why);
    if (!sample) {
        skip(QStringLiteral("slice [%1, %2] of %3").arg(start).arg(duration).arg(soundName.value_or(QStringLiteral("no sound"))),
             why == QLatin1String("no samples") ? QStringLiteral("empty window") : why);
    }
    return sample;
}

void LoadSession::keepFile(const QString &fileName)
{
    const Resolved resolved = resolve(fileName);
    if (!resolved.path.isEmpty() && QFileInfo(resolved.path).isFile())
        used(resolved.cleaned, resolved.path);
}

void LoadSession::skip(const QString &what, const QString &reason)
{
    if (m_report)
        m_report->skipped.append({what, reason});
}

void LoadSession::ignore(const QString &what, const QString &reason)
{
    if (m_report)
        m_report->ignored.append({what, reason});
}

void LoadSession::finish()
{
    if (m_report && m_caseMismatches > 0) {
        m_report->warnings.append(QStringLiteral("%1 sound names differ from their files' names in case, such as %2")
                                      .arg(m_caseMismatches)
                                      .arg(m_caseExample));
    }
}

void LoadSession::used(const QString &cleaned, const QString &path)
{
    if (m_report)
        m_report->files.insert(QDir(m_folder).relativeFilePath(cleaned), path);
}

void LoadSession::checkCancelled() const
{
    if (m_cancelled && m_cancelled->load(std::memory_order_relaxed))
        throw DecodeError(DecodeError::Kind::Cancelled, QStringLiteral("cancelled"));
}

QString LoadSession::workMessage()
{
    return QStringLiteral("the pack asks for more decoding than a pack of key sounds needs");
}

// Skips a user would want to know about (a file too long or too large) go to the log, a few per
// load: a hostile pack could otherwise fill the journal.
void LoadSession::logSkip(const QString &what, const QString &reason)
{
    if (m_loggedSkips >= maxLoggedSkips) {
        ++m_unloggedSkips;
        return;
    }
    ++m_loggedSkips;
    log(QStringLiteral("skipped %1 in %2: %3").arg(what, m_folder, reason).toStdString());
}

// Decodes a resolved file within what the load may still spend.
std::optional<std::vector<float>> LoadSession::decode(const Resolved &file, std::size_t maxFrames, QString &why)
{
    const QString &path = file.path;
    if (m_filesOpened >= maxFiles || m_bytesLeft == 0 || m_framesLeft == 0) {
        why = workMessage();
        logSkip(QFileInfo(path).fileName(), why);
        return std::nullopt;
    }
    ++m_filesOpened;
    const DecodeLimits limits{std::min<std::uint64_t>(maxFrames, m_framesLeft), m_bytesLeft, m_cancelled};
    std::uint64_t bytes = 0;
    try {
        // Opened beneath the folder following no link: a folder swapped for a link since it was
        // resolved leads nowhere. O_NONBLOCK: a FIFO named like a sound would block the open.
        std::vector<float> samples = decodeDescriptor(m_resolver.open(file.relative), limits, &bytes);
        m_bytesLeft -= std::min(bytes, m_bytesLeft);
        m_framesLeft -= std::min<std::uint64_t>(samples.size(), m_framesLeft);
        return samples;
    } catch (const DecodeError &error) {
        const bool overWork = bytes >= m_bytesLeft || maxFrames > m_framesLeft;
        m_bytesLeft -= std::min(bytes, m_bytesLeft);
        switch (error.kind()) {
        case DecodeError::Kind::Cancelled:
            throw;
        case DecodeError::Kind::TooLarge:
            why = overWork ? workMessage() : m_cache.budgetMessage();
            logSkip(QFileInfo(path).fileName(), why);
            break;
        case DecodeError::Kind::TooLong:
            why = skipReason(error);
            logSkip(QFileInfo(path).fileName(), why);
            break;
        default:
            why = skipReason(error);
            break;
        }
        return std::nullopt;
    }
}

// The Mechvibes `sound`, decoded once on first use, so a pack made only of files never decodes a
// recording it does not slice. It is not held by the budget: only its slices are.
const std::vector<float> *LoadSession::recording(const std::optional<QString> &soundName)
{
    if (!m_soundTried && soundName) {
        m_soundTried = true;
        QString why;
        const Resolved resolved = resolve(*soundName);
        if (!resolved.path.isEmpty())
            m_sound = decode(resolved, std::numeric_limits<std::size_t>::max(), why);
        else
            why = resolved.refusal;
        if (!m_sound)
            skip(*soundName, why);
        else
            used(resolved.cleaned, resolved.path);
    }
    return m_sound ? &*m_sound : nullptr;
}

} // namespace plinkum::PackLoader
