#pragma once

#include <QObject>
#include <QUrl>

namespace plinkum {

// Hands places to the desktop: the help page and the acknowledgements (who made each recording,
// under which licence) that ship with Plinkum, and a folder shown selected in the file manager.
// Nothing here leaves the machine: there is no address of the project's own to send anyone to.
class DesktopActions : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // In the data folder next to the executable (share/plinkum).
    [[nodiscard]] static QString helpPagePath();
    [[nodiscard]] static QString acknowledgementsPath();

    // Each does nothing when its file is missing.
    Q_INVOKABLE static void openHelp();
    Q_INVOKABLE static void openAcknowledgements();
    // Asks the file manager to show `folder` selected in its parent; without a file manager
    // service it opens the parent folder.
    Q_INVOKABLE void revealFolder(const QUrl &folder);
};

} // namespace plinkum
