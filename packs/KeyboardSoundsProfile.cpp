#include "packs/KeyboardSoundsProfile.h"

#include "keys/LinuxKeyCodes.h"
#include "packs/DocumentReader.h"
#include "packs/KeyboardSoundsKeys.h"
#include "packs/LoadSession.h"

#include <QDir>
#include <QJsonArray>

#include <array>

namespace plinkum::PackLoader {

namespace {

using Assignments = KeyboardSoundsProfile::Assignments;
QString quote(const QString &name)
{
    return DocumentReader::quote(name);
}

QString quote(const QString &name, const QString &parent)
{
    return DocumentReader::quote(name, parent);
}

// `"name" of ` the member or entry `parent` describes.
QString of(const QString &name, const QString &parent)
{
    return quote(name) + QStringLiteral(" of ") + parent;
}

std::optional<QString> text(DocumentReader &reader, const QJsonObject &object, const QString &name, const QString &parent,
                            bool required)
{
    const QJsonValue value = object.value(name);
    if (value.isUndefined() || value.isNull()) {
        if (required)
            reader.fail(of(name, parent), QStringLiteral("is missing"));
        return std::nullopt;
    }
    if (!value.isString()) {
        reader.fail(of(name, parent), QStringLiteral("must be text"));
        return std::nullopt;
    }
    return value.toString();
}

// One name, or a list of them: both forms are used for source ids, keys and buttons.
std::optional<QStringList> names(DocumentReader &reader, const QJsonValue &value, const QString &where)
{
    if (value.isString())
        return QStringList{value.toString()};
    QStringList list;
    bool allText = value.isArray();
    for (const QJsonValue &item : value.toArray()) {
        allText = allText && item.isString();
        list.append(item.toString());
    }
    if (!allText) {
        reader.fail(where, QStringLiteral("must be a name or a list of names"));
        return std::nullopt;
    }
    return list;
}

// X11 numbers its buttons; 4 to 7 are wheel steps, which stay numbers and are reported unused.
QString buttonName(const QString &member)
{
    const bool digit = member.size() == 1 && member.front().isDigit();
    const std::optional<PointerButton> button = digit ? LinuxKeyCodes::buttonFromX11(member.front().digitValue()) : std::nullopt;
    return button ? QString::fromLatin1(rawValue(*button)) : member;
}

// The `keys` or `buttons` section; `listName` is the member of an `other` entry that lists them.
std::optional<Assignments> assignments(DocumentReader &reader, const QJsonObject &document, const QString &section,
                                       const QString &listName)
{
    Assignments result;
    const std::optional<QJsonObject> object = reader.object(document, section, false);
    if (!object)
        return reader.failed() ? std::nullopt : std::optional(result);
    for (auto it = object->begin(); it != object->end(); ++it) {
        if (it.value().isNull())
            continue;
        const QString where = quote(it.key(), section);
        if (it.key() == QLatin1String("default")) {
            result.defaults = names(reader, it.value(), where);
            if (!result.defaults)
                return std::nullopt;
        } else if (it.key() == QLatin1String("other")) {
            if (!it.value().isArray()) {
                reader.fail(where, QStringLiteral("must be a list"));
                return std::nullopt;
            }
            const QJsonArray entries = it.value().toArray();
            for (qsizetype i = 0; i < entries.size(); ++i) {
                const QString entryName = QStringLiteral("entry %1 of %2").arg(i + 1).arg(where);
                const QJsonObject entry = entries[i].toObject();
                if (!entries[i].isObject() || !entry.contains(QLatin1String("sound"))) {
                    reader.fail(entryName, QStringLiteral("must be a mapping with a \"sound\""));
                    return std::nullopt;
                }
                const std::optional<QStringList> sounds = names(reader, entry.value(QLatin1String("sound")), entryName);
                const QJsonValue listed = entry.value(listName);
                const std::optional<QStringList> named =
                    listed.isUndefined() || listed.isNull() ? QStringList() : names(reader, listed, entryName);
                if (!sounds || !named)
                    return std::nullopt;
                result.other.append({*sounds, *named});
            }
        } else if (section == QLatin1String("buttons")) {
            // Some shipped mouse profiles map buttons directly: '1': click_left.
            const std::optional<QStringList> sounds = names(reader, it.value(), where);
            if (!sounds)
                return std::nullopt;
            result.other.append({*sounds, {buttonName(it.key())}});
        }
    }
    return result;
}

// Every source decoded once, drawn from by the sections that name it.
class SourceSamples {
public:
    SourceSamples(const KeyboardSoundsProfile &profile, LoadSession &loading) : m_loading(loading)
    {
        for (const QString &id : profile.sourceIds) {
            const KeyboardSoundsProfile::Source &source = profile.sources[id];
            m_samples.insert(id, {loading.fileSample(source.press),
                                  source.release ? loading.fileSample(*source.release) : nullptr});
        }
    }

    // Adds the press and release samples of the sources `ids` (named by member `where`).
    void draw(const QStringList &ids, const QString &where, SampleList &down, SampleList &up) const
    {
        for (const QString &id : ids) {
            const auto it = m_samples.constFind(id);
            if (it == m_samples.cend()) {
                m_loading.ignore(quote(id, where), QStringLiteral("not a source id"));
                continue;
            }
            if (it->first)
                down.push_back(it->first);
            if (it->second)
                up.push_back(it->second);
        }
    }

private:
    LoadSession &m_loading;
    QHash<QString, std::pair<SamplePtr, SamplePtr>> m_samples;
};

void append(SampleList &to, const SampleList &from)
{
    to.insert(to.end(), from.begin(), from.end());
}

// The `profile` section: the name, and whether the profile is for a mouse.
bool decodeAbout(DocumentReader &reader, const QJsonObject &document, KeyboardSoundsProfile &profile)
{
    const QString section = quote(QStringLiteral("profile"));
    const std::optional<QJsonObject> about = reader.object(document, QStringLiteral("profile"), true);
    const std::optional<QString> name = about ? text(reader, *about, QStringLiteral("name"), section, true) : std::nullopt;
    if (!name)
        return false;
    profile.name = *name;
    const QString device = text(reader, *about, QStringLiteral("device"), section, false).value_or(QStringLiteral("keyboard"));
    if (device != QLatin1String("keyboard") && device != QLatin1String("mouse"))
        reader.fail(of(QStringLiteral("device"), section), QStringLiteral("must be \"keyboard\" or \"mouse\""));
    profile.mouse = device == QLatin1String("mouse");
    // Older profiles may cut their sounds from a video, which Plinkum does not decode.
    const std::optional<QString> type = text(reader, *about, QStringLiteral("type"), section, false);
    if (type && *type != QLatin1String("files"))
        reader.fail(of(QStringLiteral("type"), section), QStringLiteral("must be \"files\": only profiles of sound files are read"));
    return !reader.failed();
}

// The `sources` list: ids and their files; a later source of an id replaces an earlier one.
bool decodeSources(DocumentReader &reader, const QJsonObject &document, KeyboardSoundsProfile &profile)
{
    const std::optional<QJsonValue> sources = reader.member(document, QStringLiteral("sources"), true);
    if (sources && !sources->isArray())
        reader.fail(quote(QStringLiteral("sources")), QStringLiteral("must be a list"));
    const QJsonArray list = sources ? sources->toArray() : QJsonArray();
    for (qsizetype i = 0; i < list.size() && !reader.failed(); ++i) {
        const QString entry = QStringLiteral("entry %1 of \"sources\"").arg(i + 1);
        const QJsonObject object = list[i].toObject();
        const std::optional<QString> id = text(reader, object, QStringLiteral("id"), entry, true);
        const QJsonValue file = object.value(QLatin1String("source"));
        KeyboardSoundsProfile::Source source;
        if (file.isString()) {
            source.press = file.toString();
        } else {
            const QString pair = of(QStringLiteral("source"), entry);
            source.press = text(reader, file.toObject(), QStringLiteral("press"), pair, true).value_or(QString());
            source.release = text(reader, file.toObject(), QStringLiteral("release"), pair, false);
        }
        if (!id || reader.failed())
            return false;
        if (!profile.sources.contains(*id))
            profile.sourceIds.append(*id);
        profile.sources.insert(*id, source);
    }
    return !reader.failed();
}

} // namespace

std::optional<KeyboardSoundsProfile> KeyboardSoundsProfile::decode(const QJsonObject &document, QString *error)
{
    DocumentReader reader(QStringLiteral("profile.yaml"));
    KeyboardSoundsProfile profile;
    std::optional<Assignments> assigned;
    if (decodeAbout(reader, document, profile) && decodeSources(reader, document, profile)) {
        assigned = profile.mouse ? assignments(reader, document, QStringLiteral("buttons"), QStringLiteral("buttons"))
                                 : assignments(reader, document, QStringLiteral("keys"), QStringLiteral("keys"));
    }
    if (!assigned) {
        if (error)
            *error = reader.error();
        return std::nullopt;
    }
    (profile.mouse ? profile.buttons : profile.keys) = *assigned;
    return profile;
}

LoadedPackPtr KeyboardSoundsProfile::load(const PackInfo &info, LoadReport *report, const std::atomic<bool> *cancelled) const
{
    LoadSession loading(QDir::cleanPath(info.url.toLocalFile()), LoadSession::Names::Exact, report, cancelled);
    const SourceSamples samples(*this, loading);
    LoadedPack::CategoryMap down;
    LoadedPack::CategoryMap up;
    LoadedPack::KeyMap keyDown;
    LoadedPack::KeyMap keyUp;
    LoadedPack::ButtonMap buttonDown;
    LoadedPack::ButtonMap buttonUp;

    if (mouse) {
        std::array<bool, pointerButtonCount> listed{};
        for (const Mapping &mapping : buttons.other) {
            SampleList press;
            SampleList release;
            samples.draw(mapping.sounds, QStringLiteral("sound"), press, release);
            for (const QString &name : mapping.names) {
                const std::optional<PointerButton> button = pointerButtonFromRaw(name.toLower().toStdString());
                if (!button) {
                    loading.ignore(quote(name, QStringLiteral("buttons")), QStringLiteral("not a mouse button"));
                    continue;
                }
                const auto index = static_cast<std::size_t>(*button);
                append(buttonDown[index], press);
                append(buttonUp[index], release);
                listed[index] = true;
            }
        }
        SampleList press;
        SampleList release;
        samples.draw(buttons.defaults.value_or(QStringList()), QStringLiteral("default"), press, release);
        for (std::size_t index = 0; index < pointerButtonCount; ++index) {
            if (!listed[index]) {
                buttonDown[index] = press;
                buttonUp[index] = release;
            }
        }
    } else {
        SampleList press;
        SampleList release;
        samples.draw(keys.defaults.value_or(sourceIds), QStringLiteral("default"), press, release);
        if (!press.empty())
            down[KeyCategory::Standard] = std::move(press);
        if (!release.empty())
            up[KeyCategory::Standard] = std::move(release);
        for (const Mapping &mapping : keys.other) {
            SampleList keyPress;
            SampleList keyRelease;
            samples.draw(mapping.sounds, QStringLiteral("sound"), keyPress, keyRelease);
            for (const QString &name : mapping.names) {
                const std::optional<std::vector<KeyCode>> codes = KeyboardSoundsKeys::keyCodes(name);
                if (!codes || codes->empty()) {
                    loading.ignore(quote(name, QStringLiteral("keys")),
                                   codes ? QStringLiteral("a key Plinkum does not hear") : QStringLiteral("not a key name"));
                    continue;
                }
                // Empty lists stay out: a key without samples falls back to the defaults.
                for (const KeyCode code : *codes) {
                    if (!keyPress.empty())
                        append(keyDown[code], keyPress);
                    if (!keyRelease.empty())
                        append(keyUp[code], keyRelease);
                }
            }
        }
    }
    loading.finish();
    return std::make_shared<const LoadedPack>(info, std::move(down), std::move(up), std::move(keyDown), std::move(keyUp),
                                              std::move(buttonDown), std::move(buttonUp));
}

} // namespace plinkum::PackLoader
