#include "dialogs/readonlydelegate.h"

namespace Trelvoga {

QWidget *ReadOnlyDelegate::createEditor(QWidget *, const QStyleOptionViewItem &, const QModelIndex &) const
{
    return nullptr;
}

} // namespace Trelvoga
