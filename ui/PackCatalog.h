#pragma once

#include "packs/PackInfo.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>
#include <QVariantList>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

namespace plinkum {

class PackLibrary;

// The keyboard pack lists of the library as the views read them: built-in packs (in their order),
// their family groups, and the user's packs; packs with click sounds only are left out. Each pack reaches QML as a map with its id, name, type,
// tile texts, swatch colour and where its sounds come from. Fed by whoever owns the library;
// views never change it.
class PackCatalog : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The catalog is provided by the application")
    Q_PROPERTY(QVariantList builtIn READ builtInList NOTIFY changed)
    Q_PROPERTY(QVariantList custom READ customList NOTIFY changed)
    Q_PROPERTY(QVariantList groups READ groupList NOTIFY changed)
    Q_PROPERTY(QUrl folder READ folder NOTIFY changed)
    Q_PROPERTY(QStringList recordedNames READ recordedNames NOTIFY changed)
    Q_PROPERTY(QStringList derivedNames READ derivedNames NOTIFY changed)

public:
    struct Group {
        QString title;
        QList<PackInfo> packs;
    };

    using QObject::QObject;

    void setPacks(QList<PackInfo> builtIn, QList<Group> groups, QList<PackInfo> custom);
    void setFolder(const QUrl &folder);
    // Shows the library's lists now and again whenever its user packs change.
    void track(const PackLibrary &library);

    [[nodiscard]] const QList<PackInfo> &builtIn() const { return m_builtIn; }
    [[nodiscard]] const QList<Group> &groups() const { return m_groups; }
    [[nodiscard]] const QList<PackInfo> &custom() const { return m_custom; }
    [[nodiscard]] QUrl folder() const { return m_folder; }
    // Names of the built-in packs recorded from their switch and of those derived from recordings
    // of related switches, in pack order, as their descriptors say (PackInfo::source), so the views
    // never claim more than the packs hold.
    [[nodiscard]] const QStringList &recordedNames() const { return m_recordedNames; }
    [[nodiscard]] const QStringList &derivedNames() const { return m_derivedNames; }

    // Built-in packs, then user packs.
    [[nodiscard]] QList<PackInfo> all() const;
    // The first pack of `all` with exactly this id.
    [[nodiscard]] std::optional<PackInfo> find(const QString &id) const;
    // The map of that pack, or an empty map.
    Q_INVOKABLE [[nodiscard]] QVariantMap pack(const QString &id) const;

    [[nodiscard]] QVariantMap toMap(const PackInfo &pack) const;
    [[nodiscard]] QVariantList toList(const QList<PackInfo> &packs) const;

signals:
    void changed();

private:
    [[nodiscard]] QVariantList builtInList() const { return toList(m_builtIn); }
    [[nodiscard]] QVariantList customList() const { return toList(m_imported); }
    [[nodiscard]] QVariantList groupList() const;

    QList<PackInfo> m_builtIn;
    QList<Group> m_groups;
    QList<PackInfo> m_custom;
    QList<PackInfo> m_imported; // m_custom and the imported mouse packs
    QUrl m_folder;
    QStringList m_recordedNames;
    QStringList m_derivedNames;
};

} // namespace plinkum
