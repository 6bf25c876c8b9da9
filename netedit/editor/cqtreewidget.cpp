#include "editor/cqtreewidget.h"

namespace Trelvoga {

CQTreeWidget::CQTreeWidget(QWidget *parent)
    : QTreeWidget(parent)
{
}

void CQTreeWidget::showItem(QTreeWidgetItem *item)
{
    if (item)
        scrollToItem(item, QAbstractItemView::PositionAtCenter);
}

QVector<int> CQTreeWidget::rowPath(const QTreeWidgetItem *item) const
{
    QVector<int> path;
    for (QModelIndex index = indexFromItem(item); index.isValid(); index = index.parent())
        path.prepend(index.row());
    return path;
}

} // namespace Trelvoga
