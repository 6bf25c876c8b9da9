#pragma once

#include "trelvoga_global.h"

#include <QStyledItemDelegate>

namespace Trelvoga {

// Shows cells as usual but opens no editor on them.
class TRELVOGA_EXPORT ReadOnlyDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

} // namespace Trelvoga
