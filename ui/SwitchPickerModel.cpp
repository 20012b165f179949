#include "ui/SwitchPickerModel.h"

#include "ui/PackCatalog.h"

namespace plinkum {

namespace {
const QString allChip = QStringLiteral(QT_TRANSLATE_NOOP("Chip", "All"));
const QString customChip = QStringLiteral(QT_TRANSLATE_NOOP("Chip", "Custom"));
} // namespace

SwitchPickerModel::SwitchPickerModel(QObject *parent)
    : QObject(parent)
    , m_filter(allChip)
{
}

void SwitchPickerModel::setCatalog(PackCatalog *catalog)
{
    if (catalog == m_catalog)
        return;
    if (m_catalog)
        disconnect(m_catalog, nullptr, this, nullptr);
    m_catalog = catalog;
    if (m_catalog)
        connect(m_catalog, &PackCatalog::changed, this, &SwitchPickerModel::packsChanged);
    emit catalogChanged();
    packsChanged();
}

void SwitchPickerModel::setFilter(const QString &filter)
{
    if (filter == m_filter)
        return;
    m_filter = filter;
    emit filterChanged();
    emit visiblePacksChanged();
}

QStringList SwitchPickerModel::chips() const
{
    QStringList chips{allChip};
    if (!m_catalog)
        return chips;
    for (const auto &group : m_catalog->groups())
        chips.append(group.title);
    if (!m_catalog->custom().isEmpty())
        chips.append(customChip);
    return chips;
}

QList<PackInfo> SwitchPickerModel::visiblePacks() const
{
    if (!m_catalog)
        return {};
    if (m_filter == allChip)
        return m_catalog->all();
    if (m_filter == customChip)
        return m_catalog->custom();
    QList<PackInfo> packs;
    for (const PackInfo &pack : m_catalog->builtIn()) {
        if (pack.type && *pack.type == m_filter)
            packs.append(pack);
    }
    return packs;
}

QVariantList SwitchPickerModel::visiblePackList() const
{
    return m_catalog ? m_catalog->toList(visiblePacks()) : QVariantList();
}

void SwitchPickerModel::packsChanged()
{
    emit chipsChanged();
    emit visiblePacksChanged();
}

} // namespace plinkum
