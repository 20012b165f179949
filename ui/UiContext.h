#pragma once

#include "PackCatalog.h"

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

#include <functional>

namespace plinkum {

class DesktopActions;


// What every view reaches: the application state (read and written through its properties), the
// pack catalogue, and the operations the views start. Operations that need the application's own
// types are handed in as `Actions`, so the views never depend on how the core is built.
class UiContext : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The context is provided by the application")
    Q_PROPERTY(QObject *state READ state CONSTANT)
    Q_PROPERTY(plinkum::PackCatalog *catalog READ catalog CONSTANT)
    Q_PROPERTY(QString versionText READ versionText CONSTANT)
    Q_PROPERTY(bool gnomeShell READ gnomeShell CONSTANT)

public:
    struct Actions {
        std::function<void()> preview;
        std::function<void(const QUrl &source)> importPack; // a folder or a zip archive
        std::function<void(const PackInfo &pack)> deletePack;
        std::function<void()> openInputMonitoringSettings;
        std::function<void()> revokeKeyboardAccess;
        std::function<void()> quit;
    };

    UiContext(QObject *state, PackCatalog *catalog, Actions actions, QObject *parent = nullptr);

    [[nodiscard]] QObject *state() const { return m_state; }
    [[nodiscard]] PackCatalog *catalog() const { return m_catalog; }
    [[nodiscard]] static QString versionText();
    // GNOME Shell shows tray icons only through its AppIndicator extension.
    [[nodiscard]] static bool gnomeShell();

    // Plays the selected switch once, as the volume slider is let go.
    Q_INVOKABLE void preview();
    Q_INVOKABLE void importPack(const QUrl &source);
    // Ignores ids that are not (or no longer) user packs.
    Q_INVOKABLE void removePack(const QString &id);
    Q_INVOKABLE void openInputMonitoringSettings();
    Q_INVOKABLE void revokeKeyboardAccess();
    Q_INVOKABLE void quit();
    Q_INVOKABLE void showSettings();

    Q_INVOKABLE void openHelp();
    Q_INVOKABLE void openAcknowledgements();
    Q_INVOKABLE void revealPacksFolder();

signals:
    void settingsRequested();

private:
    QPointer<QObject> m_state;
    QPointer<PackCatalog> m_catalog;
    Actions m_actions;
    DesktopActions *m_desktop;
};

} // namespace plinkum
