#pragma once

#include "trelvoga_global.h"

#include <QStyledItemDelegate>

namespace Trelvoga {

// Vehicle counts: edited with a spin box, stored as integers; 0 means no count and leaves the cell
// empty.
class TRELVOGA_EXPORT CarsCountItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit CarsCountItemDelegate(QObject *parent = nullptr);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
};

} // namespace Trelvoga
