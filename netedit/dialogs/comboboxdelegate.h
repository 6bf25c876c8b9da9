#pragma once

#include "trelvoga_global.h"

#include <QSize>
#include <QStringList>
#include <QStyledItemDelegate>
#include <QVariantList>

namespace Trelvoga {

// Cells holding one of a fixed set of values, edited with a combo box of the texts that stand for
// them. Without values the texts themselves are stored.
class TRELVOGA_EXPORT ComboBoxDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    ComboBoxDelegate(QObject *parent, const QStringList &texts, const QVariantList &values = QVariantList());

    // The text that stands for a value; empty when the value is none of the values.
    QString textFor(const QVariant &value) const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    int valuePosition(const QVariant &value) const;

    QStringList m_texts;
    QVariantList m_values;
    QSize m_sizeHint;
};

} // namespace Trelvoga
