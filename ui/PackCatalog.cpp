#include "ui/PackCatalog.h"

#include "packs/PackLibrary.h"
#include "ui/PackOrigin.h"
#include "ui/StyleKit.h"
#include "ui/TitleParts.h"

#include <QCoreApplication>

namespace plinkum {

// Packs with click sounds only are the mouse's to choose (Settings, General), never the keyboard's.
static void keepKeyboardPacks(QList<PackInfo> &packs)
{
    packs.removeIf([](const PackInfo &pack) { return !pack.keyboard; });
}

void PackCatalog::setPacks(QList<PackInfo> builtIn, QList<Group> groups, QList<PackInfo> custom)
{
    // Settings lists every imported pack, mouse packs too, to trim and remove.
    m_imported = custom;
    keepKeyboardPacks(builtIn);
    keepKeyboardPacks(custom);
    for (Group &group : groups)
        keepKeyboardPacks(group.packs);
    groups.removeIf([](const Group &group) { return group.packs.isEmpty(); });
    if (builtIn != m_builtIn) {
        m_recordedNames.clear();
        m_derivedNames.clear();
        for (const PackInfo &pack : builtIn) {
            if (pack.source == QLatin1String("recorded"))
                m_recordedNames << pack.name;
            else if (pack.source == QLatin1String("derived"))
                m_derivedNames << pack.name;
        }
    }
    m_builtIn = std::move(builtIn);
    m_groups = std::move(groups);
    m_custom = std::move(custom);
    emit changed();
}

void PackCatalog::setFolder(const QUrl &folder)
{
    if (folder == m_folder)
        return;
    m_folder = folder;
    emit changed();
}

void PackCatalog::track(const PackLibrary &library)
{
    const auto refresh = [this, &library] {
        QList<Group> groups;
        for (const PackLibrary::Group &group : library.grouped())
            groups.append({group.title, group.packs});
        setPacks(library.builtIn(), groups, library.custom());
    };
    setFolder(QUrl::fromLocalFile(library.folder()));
    refresh();
    connect(&library, &PackLibrary::customChanged, this, refresh);
}

QList<PackInfo> PackCatalog::all() const { return m_builtIn + m_custom; }

std::optional<PackInfo> PackCatalog::find(const QString &id) const
{
    // Imported click-only packs too: Settings lists them to trim and remove.
    for (const auto *list : {&m_builtIn, &m_imported}) {
        for (const PackInfo &pack : *list) {
            if (pack.id == id)
                return pack;
        }
    }
    return std::nullopt;
}

QVariantMap PackCatalog::pack(const QString &id) const
{
    const auto found = find(id);
    return found ? toMap(*found) : QVariantMap{};
}

QVariantMap PackCatalog::toMap(const PackInfo &pack) const
{
    const TitleParts parts = TitleParts::fromName(pack.name);
    // A tile always has a second line: the name's own, else the family, else "Custom".
    QString subtitle;
    if (parts.subtitle)
        subtitle = *parts.subtitle;
    else if (pack.type)
        subtitle = QCoreApplication::translate("Family", pack.type->toUtf8().constData());
    else
        subtitle = QCoreApplication::translate("Family", "Custom");

    return {
        {QStringLiteral("id"), pack.id},
        {QStringLiteral("name"), pack.name},
        {QStringLiteral("type"), pack.type.value_or(QString())},
        {QStringLiteral("isBuiltIn"), pack.isBuiltIn},
        {QStringLiteral("title"), parts.title},
        {QStringLiteral("subtitle"), subtitle},
        {QStringLiteral("color"), StyleKit::stemColor(pack.id)},
        {QStringLiteral("origin"), PackOrigin::kind(pack.source.value_or(QString()))},
        {QStringLiteral("originLine"), PackOrigin::line(pack.source.value_or(QString()), pack.credit.value_or(QString()))},
        {QStringLiteral("trimDb"), pack.trimDb},
        {QStringLiteral("keyboard"), pack.keyboard},
    };
}

QVariantList PackCatalog::toList(const QList<PackInfo> &packs) const
{
    QVariantList list;
    list.reserve(packs.size());
    for (const PackInfo &pack : packs)
        list.append(toMap(pack));
    return list;
}

QVariantList PackCatalog::groupList() const
{
    QVariantList list;
    for (const Group &group : m_groups) {
        list.append(QVariantMap{{QStringLiteral("title"), group.title},
                                {QStringLiteral("packs"), toList(group.packs)}});
    }
    return list;
}

} // namespace plinkum
