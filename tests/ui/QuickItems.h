#pragma once

#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>

// The first item in a view's visual tree with this objectName, depth first.
inline QQuickItem *findNamed(QQuickItem *item, const QString &name)
{
    if (item->objectName() == name)
        return item;
    for (QQuickItem *child : item->childItems()) {
        if (QQuickItem *found = findNamed(child, name))
            return found;
    }
    return nullptr;
}

// A left click on the item, at its centre unless told where.
inline void click(QQuickWindow *window, QQuickItem *item, QPointF at = {-1, -1})
{
    if (at.x() < 0)
        at = QPointF(item->width() / 2, item->height() / 2);
    QTest::mouseClick(window, Qt::LeftButton, {}, item->mapToScene(at).toPoint());
}
