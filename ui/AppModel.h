#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

namespace plinkum {

// What the views see of the application: the state they show and the settings they change, as
// properties, and the operations they start. The application's state implements it; the views
// depend on nothing else of the core, and qmllint checks every binding against it.
class AppModel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The state is provided by the application")
    Q_PROPERTY(bool hasPermission READ hasPermission NOTIFY hasPermissionChanged)
    Q_PROPERTY(bool isLoadingPack READ isLoadingPack NOTIFY isLoadingPackChanged)
    Q_PROPERTY(QString importError READ importError WRITE setImportError NOTIFY importErrorChanged)
    Q_PROPERTY(bool isImporting READ isImporting NOTIFY importProgressChanged)
    Q_PROPERTY(double importProgress READ importProgress NOTIFY importProgressChanged)
    Q_PROPERTY(bool isEnabled READ isEnabled WRITE setIsEnabled NOTIFY isEnabledChanged)
    Q_PROPERTY(double volume READ volume WRITE setVolume NOTIFY volumeChanged)
    Q_PROPERTY(bool playKeyUp READ playKeyUp WRITE setPlayKeyUp NOTIFY playKeyUpChanged)
    Q_PROPERTY(bool stereo READ stereo WRITE setStereo NOTIFY stereoChanged)
    Q_PROPERTY(bool pitchVariation READ pitchVariation WRITE setPitchVariation NOTIFY pitchVariationChanged)
    Q_PROPERTY(bool builtInSpeakers READ builtInSpeakers WRITE setBuiltInSpeakers NOTIFY builtInSpeakersChanged)
    Q_PROPERTY(QString selectedPackID READ selectedPackID WRITE setSelectedPackID NOTIFY selectedPackIDChanged)
    Q_PROPERTY(QString selectedPackName READ selectedPackName NOTIFY selectedPackIDChanged)
    Q_PROPERTY(bool launchAtLogin READ launchAtLogin WRITE setLaunchAtLogin NOTIFY launchAtLoginChanged)
    Q_PROPERTY(QString muteShortcut READ muteShortcut WRITE setMuteShortcut NOTIFY muteShortcutChanged)
    Q_PROPERTY(bool shouldShowOnboarding READ shouldShowOnboarding NOTIFY shouldShowOnboardingChanged)
    Q_PROPERTY(bool hasTrayHost READ hasTrayHost NOTIFY hasTrayHostChanged)
    Q_PROPERTY(QString accessRequest READ accessRequest NOTIFY accessRequestChanged)
    Q_PROPERTY(bool accessRuleInstalled READ accessRuleInstalled NOTIFY keyboardAccessChanged)
    Q_PROPERTY(QString accessThrough READ accessThrough NOTIFY keyboardAccessChanged)
    // The import's result beyond success or failure, and import from other apps.
    Q_PROPERTY(QStringList importWarnings READ importWarnings WRITE setImportWarnings NOTIFY importWarningsChanged)
    Q_PROPERTY(QVariantList peerPacks READ peerPacks NOTIFY peerPacksChanged)
    Q_PROPERTY(bool isFindingPeerPacks READ isFindingPeerPacks NOTIFY peerPacksChanged)
    // Mouse clicks
    Q_PROPERTY(bool mouseClicks READ mouseClicks WRITE setMouseClicks NOTIFY mouseClicksChanged)
    Q_PROPERTY(QString mousePackID READ mousePackID WRITE setMousePackID NOTIFY mousePackIDChanged)
    Q_PROPERTY(QString mousePackName READ mousePackName NOTIFY mousePackIDChanged)
    Q_PROPERTY(QVariantList mousePackChoices READ mousePackChoices NOTIFY mousePackChoicesChanged)
    Q_PROPERTY(double mouseVolume READ mouseVolume WRITE setMouseVolume NOTIFY mouseVolumeChanged)

public:
    using QObject::QObject;

    [[nodiscard]] virtual bool hasPermission() const = 0;
    [[nodiscard]] virtual bool isLoadingPack() const = 0;
    [[nodiscard]] virtual QString importError() const = 0;
    [[nodiscard]] virtual bool isImporting() const = 0;
    // Share of the files copied, 0 to 1, while importing.
    [[nodiscard]] virtual double importProgress() const = 0;
    [[nodiscard]] virtual bool isEnabled() const = 0;
    [[nodiscard]] virtual double volume() const = 0;
    [[nodiscard]] virtual bool playKeyUp() const = 0;
    [[nodiscard]] virtual bool stereo() const = 0;
    [[nodiscard]] virtual bool pitchVariation() const = 0;
    [[nodiscard]] virtual bool builtInSpeakers() const = 0;
    [[nodiscard]] virtual QString selectedPackID() const = 0;
    // Empty when the selection names no pack.
    [[nodiscard]] virtual QString selectedPackName() const = 0;
    [[nodiscard]] virtual bool launchAtLogin() const = 0;
    // The keys that switch the sounds on and off: "bothShifts", "scrollLockTwice" or "off".
    [[nodiscard]] virtual QString muteShortcut() const = 0;
    // True while access is missing, while the first-run window was left open, and on the very
    // first start until that window has been shown.
    [[nodiscard]] virtual bool shouldShowOnboarding() const = 0;
    // Whether the desktop shows Plinkum's tray icon.
    [[nodiscard]] virtual bool hasTrayHost() const = 0;
    // The request for keyboard access: "notAsked", "asking", "granted" or "refused".
    [[nodiscard]] virtual QString accessRequest() const = 0;
    // Plinkum's udev rule is installed, so "Remove Access" has something to remove.
    [[nodiscard]] virtual bool accessRuleInstalled() const = 0;
    // How the keyboard is heard: "x11", "rule", "group", "other"; empty without access.
    [[nodiscard]] virtual QString accessThrough() const = 0;

    // The import's result beyond success or failure, and import from other apps.
    // What the author of the pack just imported should fix, one line each; empty otherwise.
    [[nodiscard]] virtual QStringList importWarnings() const = 0;
    virtual void setImportWarnings(const QStringList &warnings) = 0;
    // What the last search found in other programs' folders, one map per pack: name, format,
    // program, path, imported (bool), problem (empty when it can be imported).
    [[nodiscard]] virtual QVariantList peerPacks() const = 0;
    [[nodiscard]] virtual bool isFindingPeerPacks() const = 0;
    // Searches those folders again, in the background.
    Q_INVOKABLE virtual void findPeerPacks() = 0;
    // Imports the found packs at `paths` one after another, as importPack does, reporting through
    // isImporting, importProgress, importError and importWarnings; false when an import runs or
    // none of them can be imported.
    Q_INVOKABLE virtual bool importPeerPacks(const QStringList &paths) = 0;
    // Mouse clicks: whether buttons sound at all, from which pack, how loud.
    [[nodiscard]] virtual bool mouseClicks() const = 0;
    // The pack clicks sound from: a pack id, "sameAsKeyboard", or empty when there is none.
    [[nodiscard]] virtual QString mousePackID() const = 0;
    // The pack's name; empty for "sameAsKeyboard" and none.
    [[nodiscard]] virtual QString mousePackName() const = 0;
    // What clicks can sound from, as {value: id, text: name} maps: "Same as keyboard", then the
    // packs with click sounds, built-in first.
    [[nodiscard]] virtual QVariantList mousePackChoices() const = 0;
    [[nodiscard]] virtual double mouseVolume() const = 0;
    virtual void setMouseClicks(bool on) = 0;
    // A pack without click sounds is ignored.
    virtual void setMousePackID(const QString &id) = 0;
    virtual void setMouseVolume(double volume) = 0;
    // Plays a left click from the mouse pack once.
    Q_INVOKABLE virtual void previewMouse() = 0;

    virtual void setImportError(const QString &error) = 0;
    virtual void setIsEnabled(bool enabled) = 0;
    // Clamped to 0..1; not a number is ignored.
    virtual void setVolume(double volume) = 0;
    virtual void setPlayKeyUp(bool playKeyUp) = 0;
    virtual void setStereo(bool stereo) = 0;
    virtual void setPitchVariation(bool pitchVariation) = 0;
    virtual void setBuiltInSpeakers(bool builtInSpeakers) = 0;
    virtual void setSelectedPackID(const QString &id) = 0;
    virtual void setLaunchAtLogin(bool launchAtLogin) = 0;
    // An unknown name is ignored.
    virtual void setMuteShortcut(const QString &name) = 0;

    // Plays the selected switch once.
    Q_INVOKABLE virtual void preview() = 0;
    // Starts copying a local pack folder or zip archive into the user packs, in the background;
    // false when an import runs already or the source is not a local file.
    Q_INVOKABLE virtual bool importPack(const QUrl &source) = 0;
    Q_INVOKABLE virtual void deletePack(const QString &id) = 0;
    // Sets an imported pack's level trim, dB (rounded to half a dB, within ±12); heard at once
    // when it is the selected pack.
    Q_INVOKABLE virtual void setPackTrim(const QString &id, double trimDb) = 0;
    // Offers the user the way to let Plinkum read keyboards.
    Q_INVOKABLE virtual void requestKeyboardAccess() = 0;
    // Removes what the request installed, then listens again through what is left.
    Q_INVOKABLE virtual void revokeKeyboardAccess() = 0;
    // Written by the first-run window: true while it is shown, false once closed.
    Q_INVOKABLE virtual void setOnboardingOpen(bool open) = 0;

signals:
    void hasPermissionChanged();
    void isLoadingPackChanged();
    void importErrorChanged();
    void importProgressChanged();
    void isEnabledChanged();
    void volumeChanged();
    void playKeyUpChanged();
    void stereoChanged();
    void pitchVariationChanged();
    void builtInSpeakersChanged();
    void selectedPackIDChanged();
    void launchAtLoginChanged();
    void muteShortcutChanged();
    void shouldShowOnboardingChanged();
    void hasTrayHostChanged();
    void accessRequestChanged();
    void keyboardAccessChanged();
    void importWarningsChanged();
    void peerPacksChanged();
    void mouseClicksChanged();
    void mousePackIDChanged();
    void mousePackChoicesChanged();
    void mouseVolumeChanged();
};

} // namespace plinkum
