#pragma once

#include "trelvoga_global.h"

#include <QTreeWidget>
#include <QVector>

namespace Trelvoga {

// The object tree. Its rows are built and kept current by the editor; the widget itself only keeps the
// current row in view when rows are inserted above it.
class TRELVOGA_EXPORT CQTreeWidget : public QTreeWidget
{
    Q_OBJECT

public:
    explicit CQTreeWidget(QWidget *parent = nullptr);

    // Scrolls to an item without moving the current index.
    void showItem(QTreeWidgetItem *item);
    QModelIndex indexFromItemPublic(const QTreeWidgetItem *item, int column = 0) const
    {
        return indexFromItem(item, column);
    }
    QTreeWidgetItem *itemFromIndexPublic(const QModelIndex &index) const { return itemFromIndex(index); }
    // The rows from the top level down to the item: sorting by it gives the tree's order.
    QVector<int> rowPath(const QTreeWidgetItem *item) const;
};

} // namespace Trelvoga
