#pragma once

#include "tests/support/TestPacks.h"

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>

#include <optional>

// A home laid out as other keyboard-sound programs leave it: Mechvibes packs in both of its
// folders (one a copy of a pack the user imported before and renamed, one sharing only its name and edited by hand,
// one whose config.json is cut short, one folder holding no pack), MechvibesDX keyboard and mouse
// packs, and keyboardsounds profiles in keyboardsounds-pro's folder and in a per-user Python
// install of the older program.
namespace PeerHome {

inline const QByteArray topre = R"({"name":"Topre","sound":"click.wav","defines":{"30":[0,20],"57":[20,20]}})";

// HOME and the XDG folders the programs use, all inside `home`.
inline QList<std::pair<const char *, QString>> variables(const QString &home)
{
    return {{"HOME", home}, {"XDG_CONFIG_HOME", home + "/.config"}, {"XDG_DATA_HOME", home + "/.local/share"}};
}

inline void point(QProcessEnvironment &environment, const QString &home)
{
    for (const auto &[name, value] : variables(home))
        environment.insert(QString::fromLatin1(name), value);
}

// Points this process at `home` while it lives, then restores what was there.
class Pointing {
public:
    explicit Pointing(const QString &home)
    {
        for (const auto &[name, value] : variables(home)) {
            m_before.append({name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt});
            qputenv(name, QFile::encodeName(value));
        }
    }
    ~Pointing()
    {
        for (const auto &[name, value] : m_before)
            value ? qputenv(name, *value) : qunsetenv(name);
    }
    Pointing(const Pointing &) = delete;
    Pointing &operator=(const Pointing &) = delete;

private:
    QList<std::pair<const char *, std::optional<QByteArray>>> m_before;
};

// The user packs folder of a Plinkum running in that home.
inline QString userPacks(const QString &home)
{
    return home + "/.local/share/Plinkum/Packs";
}

inline bool write(const QString &home)
{
    using TestPacks::Files;
    using TestPacks::wav;
    const QString mechvibes = home + "/.config/Mechvibes/custom/";
    const QString dx = home + "/.local/share/mechvibes/soundpacks/";
    const QByteArray profile = R"(profile: {name: Alpaca, author: kbsim, description: test, device: keyboard}
sources:
  - id: key1
    source: {press: press.wav, release: release.wav}
  - id: space
    source: space.wav
keys:
  default: [key1]
  other:
    - sound: space
      keys: [space]
)";
    const Files profileFiles{{"profile.yaml", profile}, {"press.wav", wav}, {"release.wav", wav}, {"space.wav", wav}};
    return TestPacks::writeFolder(mechvibes + "cherry-blue",
                                  {{"config.json", R"({"name":"Cherry Blue","sound":"click.wav","defines":{"30":[0,20]}})"},
                                   {"click.wav", wav}})
        && TestPacks::writeFolder(mechvibes + "topre", {{"config.json", topre}, {"click.wav", wav}})
        && TestPacks::writeFolder(userPacks(home) + "/My Topre", {{"config.json", topre}, {"click.wav", wav}})
        && TestPacks::writeFolder(home + "/mechvibes_custom/Topre",
                                  {{"config.json", R"({"name":"Topre","sound":"click.wav","defines":{"30":[0,40],}})"},
                                   {"click.wav", wav}})
        && TestPacks::writeFolder(mechvibes + "broken", {{"config.json", R"({"name":"Broken","defines":)"}, {"click.wav", wav}})
        && TestPacks::writeFolder(mechvibes + "notes", {{"README.txt", "not a pack"}})
        && TestPacks::writeFolder(dx + "keyboard/eg-oreo",
                                  {{"config.json", R"({"id":"keyboard-oreo","name":"EG Oreo","author":"me","config_version":"2",
                                      "definition_method":"single","audio_file":"oreo.wav","options":{"recommended_volume":1.0},
                                      "definitions":{"KeyA":{"timing":[[0,20],[20,45]]},"Space":{"timing":[[0,45]]}}})"},
                                   {"oreo.wav", wav}})
        && TestPacks::writeFolder(dx + "mouse/wooden",
                                  {{"config.json", R"({"id":"mouse-wooden","name":"Wooden","author":"me","config_version":"2",
                                      "definition_method":"multi","soundpack_type":"Mouse",
                                      "definitions":{"MouseLeft":{"audio_file":"left.wav"}}})"},
                                   {"left.wav", wav}})
        && TestPacks::writeFolder(home + "/keyboardsounds-pro/profiles/alpaca", profileFiles)
        && TestPacks::writeFolder(home + "/.local/lib/python3.11/site-packages/keyboardsounds/profiles/red-ink", profileFiles);
}

// Every file under the programs' folders with its bytes, to show nothing there changed.
inline QMap<QString, QByteArray> sources(const QString &home)
{
    QMap<QString, QByteArray> files;
    for (const QString &folder : {QStringLiteral("/.config/Mechvibes"), QStringLiteral("/mechvibes_custom"),
                                  QStringLiteral("/.local/share/mechvibes"), QStringLiteral("/keyboardsounds-pro"),
                                  QStringLiteral("/.local/lib")}) {
        for (const QString &path : TestPacks::contents(home + folder))
            files.insert(folder + '/' + path, TestPacks::readFile(home + folder + '/' + path));
    }
    return files;
}

} // namespace PeerHome
