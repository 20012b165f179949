#include "packs/MechvibesDxLoader.h"

#include "keys/KeyTables.h"
#include "packs/DocumentReader.h"
#include "packs/LoadSession.h"

#include <QDir>

#include <algorithm>
#include <iterator>

namespace plinkum::PackLoader {

namespace {

struct Sounds {
    SampleList press;
    SampleList release;
};

// A definition's sounds: in a "multi" pack its own file, whole; otherwise its windows of the
// pack's recording.
Sounds definitionSounds(const MechvibesDxConfig &config, const MechvibesDxConfig::Definition &definition,
                        const QString &member, LoadSession &loading)
{
    Sounds sounds;
    if (config.multi) {
        if (!definition.file) {
            loading.ignore(member, QStringLiteral("no \"audio_file\" in a multi pack"));
            return sounds;
        }
        if (!definition.timing.isEmpty())
            loading.ignore(QStringLiteral("\"timing\" of ") + member, QStringLiteral("a multi pack's file plays whole"));
        if (SamplePtr sample = loading.fileSample(*definition.file))
            sounds.press.push_back(std::move(sample));
        return sounds;
    }
    if (definition.timing.isEmpty())
        loading.ignore(member, QStringLiteral("no \"timing\""));
    SampleList windows;
    for (const MechvibesDxConfig::Window &window : definition.timing)
        windows.push_back(loading.sliceSample(config.audioFile, window.start, window.end - window.start));
    // Two windows are a press and its release; one, or more than two, presses to draw from.
    if (windows.size() == 2) {
        if (windows[1])
            sounds.release = {windows[1]};
        windows.pop_back();
    }
    std::copy_if(windows.begin(), windows.end(), std::back_inserter(sounds.press), [](const SamplePtr &s) { return s != nullptr; });
    return sounds;
}

} // namespace

std::optional<PointerButton> mechvibesDxButton(const QString &name)
{
    static const QMap<QString, PointerButton> buttons{
        {QStringLiteral("MouseLeft"), PointerButton::Left},   {QStringLiteral("MouseRight"), PointerButton::Right},
        {QStringLiteral("MouseMiddle"), PointerButton::Middle}, {QStringLiteral("Mouse4"), PointerButton::Back},
        {QStringLiteral("Mouse5"), PointerButton::Forward},
    };
    const auto it = buttons.constFind(name);
    return it == buttons.constEnd() ? std::nullopt : std::optional<PointerButton>(*it);
}

LoadedPackPtr loadMechvibesDx(const MechvibesDxConfig &config, const PackInfo &info, LoadReport *report,
                              const std::atomic<bool> *cancelled)
{
    LoadSession loading(QDir::cleanPath(info.url.toLocalFile()), LoadSession::Names::AsMechvibes, report, cancelled);
    if (config.randomPitch)
        loading.ignore(QStringLiteral("\"random_pitch\" of \"options\""), QStringLiteral("pitch variation follows Plinkum's own setting"));

    LoadedPack::CategoryMap down;
    LoadedPack::CategoryMap up;
    LoadedPack::KeyMap keyDown;
    LoadedPack::KeyMap keyUp;
    LoadedPack::ButtonMap buttonDown;
    LoadedPack::ButtonMap buttonUp;
    for (auto it = config.definitions.begin(); it != config.definitions.end(); ++it) {
        const QString member = DocumentReader::quote(it.key(), QStringLiteral("definitions"));
        const std::optional<KeyCode> keyCode = KeyTables::w3cKey(it.key().toStdString());
        const std::optional<PointerButton> button = mechvibesDxButton(it.key());
        if (!keyCode && !button) {
            loading.ignore(member, it.key().startsWith(QLatin1String("Mouse")) ? QStringLiteral("a mouse button Plinkum does not play")
                                                                                 : QStringLiteral("not a key Plinkum hears"));
            // Kept with the pack all the same, for a reader that knows the key.
            if (config.multi && it.value().file)
                loading.keepFile(*it.value().file);
            continue;
        }
        Sounds sounds = definitionSounds(config, it.value(), member, loading);
        if (sounds.press.empty())
            continue;
        if (button) {
            buttonDown[std::size_t(*button)] = std::move(sounds.press);
            buttonUp[std::size_t(*button)] = std::move(sounds.release);
            continue;
        }
        // Keys the pack leaves out play their category's sounds.
        const KeyCategory category = keyCategory(*keyCode);
        SampleList &pool = down[category];
        pool.insert(pool.end(), sounds.press.begin(), sounds.press.end());
        keyDown[*keyCode] = std::move(sounds.press);
        if (!sounds.release.empty()) {
            up[category].push_back(sounds.release.front());
            keyUp[*keyCode] = std::move(sounds.release);
        }
    }
    if (!config.multi && config.audioFile)
        loading.keepFile(*config.audioFile);
    loading.finish();
    return std::make_shared<const LoadedPack>(info, std::move(down), std::move(up), std::move(keyDown), std::move(keyUp),
                                              std::move(buttonDown), std::move(buttonUp));
}

} // namespace plinkum::PackLoader
