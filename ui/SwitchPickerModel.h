#pragma once

#include "packs/PackInfo.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

namespace plinkum {

class PackCatalog;

// The filter chips and the packs the switch grid shows for the chosen chip. The filter is kept
// as chosen even when its chip disappears, so its (possibly empty) list still shows.
class SwitchPickerModel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(plinkum::PackCatalog *catalog READ catalog WRITE setCatalog NOTIFY catalogChanged)
    Q_PROPERTY(QString filter READ filter WRITE setFilter NOTIFY filterChanged)
    Q_PROPERTY(QStringList chips READ chips NOTIFY chipsChanged)
    Q_PROPERTY(QVariantList visiblePacks READ visiblePackList NOTIFY visiblePacksChanged)

public:
    explicit SwitchPickerModel(QObject *parent = nullptr);

    [[nodiscard]] PackCatalog *catalog() const { return m_catalog; }
    void setCatalog(PackCatalog *catalog);
    [[nodiscard]] QString filter() const { return m_filter; }
    void setFilter(const QString &filter);

    // "All", the family titles in the library's order, and "Custom" when there are user packs.
    [[nodiscard]] QStringList chips() const;
    [[nodiscard]] QList<PackInfo> visiblePacks() const;

signals:
    void catalogChanged();
    void filterChanged();
    void chipsChanged();
    void visiblePacksChanged();

private:
    [[nodiscard]] QVariantList visiblePackList() const;
    void packsChanged();

    QPointer<PackCatalog> m_catalog;
    QString m_filter;
};

} // namespace plinkum
