#include "dialogs/carscountitemdelegate.h"

#include <QSpinBox>

namespace Trelvoga {

namespace {
constexpr int maxCount = 1000000;
}

CarsCountItemDelegate::CarsCountItemDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

QWidget *CarsCountItemDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                             const QModelIndex &index) const
{
    Q_UNUSED(option)
    Q_UNUSED(index)
    auto *editor = new QSpinBox(parent);
    editor->setObjectName(QStringLiteral("countEditor"));
    editor->setRange(0, maxCount);
    editor->setFrame(false);
    return editor;
}

void CarsCountItemDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto *spin = qobject_cast<QSpinBox *>(editor);
    if (!spin)
        return;
    // Pasted cells hold text; anything that is not a count shows as 0.
    spin->setValue(index.data(Qt::EditRole).toString().trimmed().toInt());
    spin->selectAll();
}

void CarsCountItemDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    auto *spin = qobject_cast<QSpinBox *>(editor);
    if (!spin)
        return;
    spin->interpretText();
    const int value = spin->value();
    model->setData(index, value == 0 ? QVariant() : QVariant(value), Qt::EditRole);
}

} // namespace Trelvoga
