#pragma once

#include <QObject>
#include <QUrl>

namespace plinkum {

// Hands places to the desktop: the web site, a support mail, the acknowledgements file of the
// built-in packs, and a folder shown selected in the file manager.
class DesktopActions : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    static constexpr auto website = "https://plinkum.org";
    static constexpr auto supportMail = "mailto:support@plinkum.org";

    // Packs/ACKNOWLEDGEMENTS.txt in the data folder next to the executable (share/plinkum).
    [[nodiscard]] static QString acknowledgementsPath();

    Q_INVOKABLE static void openWebsite();
    Q_INVOKABLE static void contactSupport();
    // Does nothing when the file is missing.
    Q_INVOKABLE static void openAcknowledgements();
    // Asks the file manager to show `folder` selected in its parent; without a file manager
    // service it opens the parent folder.
    Q_INVOKABLE void revealFolder(const QUrl &folder);
};

} // namespace plinkum
