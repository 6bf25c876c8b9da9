#include "dialogs/comboboxdelegate.h"

#include <QApplication>
#include <QComboBox>
#include <QPainter>
#include <QStyle>

namespace Trelvoga {

ComboBoxDelegate::ComboBoxDelegate(QObject *parent, const QStringList &texts, const QVariantList &values)
    : QStyledItemDelegate(parent)
    , m_texts(texts)
    , m_values(values)
{
    QComboBox sizer;
    sizer.setSizeAdjustPolicy(QComboBox::AdjustToContents);
    sizer.addItems(m_texts);
    m_sizeHint = sizer.sizeHint();
}

int ComboBoxDelegate::valuePosition(const QVariant &value) const
{
    if (!value.isValid())
        return -1;
    // Cells filled by pasting hold the value as text.
    for (int i = 0; i < m_values.size() && i < m_texts.size(); ++i) {
        if (m_values.at(i) == value || m_values.at(i).toString() == value.toString())
            return i;
    }
    return -1;
}

QString ComboBoxDelegate::textFor(const QVariant &value) const
{
    const int position = valuePosition(value);
    return position < 0 ? QString() : m_texts.at(position);
}

void ComboBoxDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const int position = valuePosition(index.data(Qt::EditRole));
    if (position >= 0)
        opt.text = m_texts.at(position);
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
}

QWidget *ComboBoxDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                        const QModelIndex &index) const
{
    Q_UNUSED(option)
    Q_UNUSED(index)
    auto *editor = new QComboBox(parent);
    editor->setObjectName(QStringLiteral("comboEditor"));
    editor->addItems(m_texts);
    return editor;
}

void ComboBoxDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto *combo = qobject_cast<QComboBox *>(editor);
    if (!combo)
        return;
    int position = valuePosition(index.data(Qt::EditRole));
    if (position < 0)
        position = m_texts.indexOf(index.data(Qt::DisplayRole).toString());
    if (position >= 0)
        combo->setCurrentIndex(position);
}

void ComboBoxDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    auto *combo = qobject_cast<QComboBox *>(editor);
    if (!combo)
        return;
    const int position = combo->currentIndex();
    model->setData(index, combo->currentText(), Qt::DisplayRole);
    if (position >= 0 && position < m_values.size())
        model->setData(index, m_values.at(position), Qt::EditRole);
}

QSize ComboBoxDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    Q_UNUSED(option)
    Q_UNUSED(index)
    return m_sizeHint;
}

} // namespace Trelvoga
