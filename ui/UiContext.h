#pragma once

#include "ui/AppModel.h"
#include "ui/PackCatalog.h"

#include <QObject>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

namespace plinkum {

class DesktopActions;

// What every view reaches: the application state (read and written through its properties, its
// operations called directly), the pack catalogue, and what the views do on the desktop.
class UiContext : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The context is provided by the application")
    Q_PROPERTY(plinkum::AppModel *state READ state CONSTANT)
    Q_PROPERTY(plinkum::PackCatalog *catalog READ catalog CONSTANT)
    Q_PROPERTY(QString versionText READ versionText CONSTANT)
    Q_PROPERTY(bool gnomeShell READ gnomeShell CONSTANT)

public:
    UiContext(AppModel *state, PackCatalog *catalog, QObject *parent = nullptr);

    [[nodiscard]] AppModel *state() const { return m_state; }
    [[nodiscard]] PackCatalog *catalog() const { return m_catalog; }
    [[nodiscard]] static QString versionText();
    // GNOME Shell shows tray icons only through its AppIndicator extension.
    [[nodiscard]] static bool gnomeShell();

    // Ignores ids that are not (or no longer) user packs.
    Q_INVOKABLE void removePack(const QString &id);
    Q_INVOKABLE void quit();
    Q_INVOKABLE void showSettings();

    Q_INVOKABLE void openHelp();
    Q_INVOKABLE void openAcknowledgements();
    Q_INVOKABLE void revealPacksFolder();

signals:
    void settingsRequested();

private:
    QPointer<AppModel> m_state;
    QPointer<PackCatalog> m_catalog;
    DesktopActions *m_desktop;
};

} // namespace plinkum
