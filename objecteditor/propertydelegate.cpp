#include "propertydelegate.h"

#include "coloredit.h"
#include "objecteditortree.h"
#include "propertyvalue.h"
#include "stringlistedit.h"

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSpinBox>
#include <limits>

namespace ObjectEditor {

namespace {

// The editor's value as it was shown: a commit without a change writes nothing, so that opening and
// closing an editor never rounds a value to the editor's precision.
const char *const InitialState = "_objecteditor_initial";

constexpr double DoubleRange = 1e15;
constexpr int DefaultDecimals = 6;

} // namespace

PropertyDelegate::PropertyDelegate(ObjectEditorTree *tree)
    : QStyledItemDelegate(tree)
    , m_tree(tree)
{
    // Rows are high enough for the editors, so that opening one does not clip it.
    QSpinBox spin;
    spin.setFrame(false);
    QComboBox combo;
    combo.setFrame(false);
    QLineEdit line;
    line.setFrame(false);
    m_rowHeight = qMax(spin.sizeHint().height(), qMax(combo.sizeHint().height(), line.sizeHint().height()));
}

QWidget *PropertyDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &index) const
{
    using Kind = ObjectEditorTree::Kind;
    const ObjectEditorTree::Row row = m_tree->row(index);
    if (index.column() != 1 || !m_tree->isEditable(row))
        return nullptr;
    auto *self = const_cast<PropertyDelegate *>(this);
    QWidget *editor = nullptr;
    if (row.type == ObjectEditorTree::PointXRow || row.type == ObjectEditorTree::PointYRow || row.kind == Kind::Double) {
        auto *spin = new QDoubleSpinBox(parent);
        spin->setDecimals(DefaultDecimals);
        spin->setRange(-DoubleRange, DoubleRange);
        spin->setFrame(false);
        editor = spin;
    } else {
        switch (row.kind) {
        case Kind::Int: {
            auto *spin = new QSpinBox(parent);
            switch (row.editType) {
            case QMetaType::UInt:
                spin->setRange(0, std::numeric_limits<int>::max());
                break;
            case QMetaType::Short:
                spin->setRange(std::numeric_limits<short>::min(), std::numeric_limits<short>::max());
                break;
            case QMetaType::UShort:
                spin->setRange(0, std::numeric_limits<unsigned short>::max());
                break;
            case QMetaType::SChar:
                spin->setRange(std::numeric_limits<signed char>::min(), std::numeric_limits<signed char>::max());
                break;
            case QMetaType::UChar:
                spin->setRange(0, std::numeric_limits<unsigned char>::max());
                break;
            default:
                spin->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
                break;
            }
            spin->setFrame(false);
            editor = spin;
            break;
        }
        case Kind::StringList: {
            auto *list = new StringListEdit(parent);
            connect(list, &StringListEdit::listEdited, self, &PropertyDelegate::commitAndClose);
            editor = list;
            break;
        }
        case Kind::Color: {
            auto *color = new ColorEdit(parent);
            connect(color, &ColorEdit::colorChosen, self, &PropertyDelegate::commitAndClose);
            editor = color;
            break;
        }
        case Kind::Enum: {
            auto *combo = new QComboBox(parent);
            const QMetaObject *mo = row.object->metaObject();
            for (int i = 0; i < row.enumerator.keyCount(); ++i)
                combo->addItem(m_tree->displayName(mo, QString::fromLatin1(row.enumerator.key(i))), row.enumerator.value(i));
            combo->setFrame(false);
            connect(combo, QOverload<int>::of(&QComboBox::activated), self, &PropertyDelegate::commitAndClose);
            editor = combo;
            break;
        }
        case Kind::String:
        case Kind::Text:
        case Kind::Point:
            editor = new QLineEdit(parent);
            break;
        default:
            return nullptr;
        }
    }
    if (auto *line = qobject_cast<QLineEdit *>(editor))
        line->setFrame(false);
    editor->setAutoFillBackground(true);
    const QVariantMap properties = m_tree->editorProperties(row.name, row.storedType);
    for (auto it = properties.constBegin(); it != properties.constEnd(); ++it) {
        const QByteArray name = it.key().toLatin1();
        if (name != "type" && editor->metaObject()->indexOfProperty(name.constData()) >= 0)
            editor->setProperty(name.constData(), it.value());
    }
    return editor;
}

void PropertyDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    const ObjectEditorTree::Row row = m_tree->row(index);
    if (!row.object)
        return;
    const QVariant value = m_tree->editValue(row);
    if (auto *spin = qobject_cast<QSpinBox *>(editor)) {
        spin->setValue(intValue(value));
    } else if (auto *spin = qobject_cast<QDoubleSpinBox *>(editor)) {
        if (row.type == ObjectEditorTree::PointXRow)
            spin->setValue(value.toPointF().x());
        else if (row.type == ObjectEditorTree::PointYRow)
            spin->setValue(value.toPointF().y());
        else
            spin->setValue(value.toDouble());
    } else if (auto *list = qobject_cast<StringListEdit *>(editor)) {
        list->setList(value.toStringList());
    } else if (auto *color = qobject_cast<ColorEdit *>(editor)) {
        color->setColor(colorFromVariant(value));
    } else if (auto *line = qobject_cast<QLineEdit *>(editor)) {
        line->setText(row.kind == ObjectEditorTree::Kind::Point
                          ? formatPoint(value.toPointF(), m_tree->decimals(row), m_tree->locale())
                          : value.toString());
    } else if (auto *combo = qobject_cast<QComboBox *>(editor)) {
        combo->setCurrentIndex(combo->findData(intValue(value)));
    }
    editor->setProperty(InitialState, editorState(editor));
}

void PropertyDelegate::setModelData(QWidget *editor, QAbstractItemModel *, const QModelIndex &index) const
{
    const ObjectEditorTree::Row row = m_tree->row(index);
    if (!row.object)
        return;
    if (auto *spin = qobject_cast<QAbstractSpinBox *>(editor))
        spin->interpretText();
    if (editorState(editor) == editor->property(InitialState))
        return;
    // Input that is not a value of the property's type is dropped; the row keeps showing the old value.
    QVariant value;
    if (auto *spin = qobject_cast<QSpinBox *>(editor)) {
        value = spin->value();
    } else if (auto *spin = qobject_cast<QDoubleSpinBox *>(editor)) {
        value = spin->value();
    } else if (auto *list = qobject_cast<StringListEdit *>(editor)) {
        value = list->list();
    } else if (auto *color = qobject_cast<ColorEdit *>(editor)) {
        if (!color->color().isValid())
            return;
        value = color->color();
    } else if (auto *line = qobject_cast<QLineEdit *>(editor)) {
        if (row.kind == ObjectEditorTree::Kind::Point) {
            QPointF point;
            if (!parsePoint(line->text(), &point, m_tree->locale()))
                return;
            value = point;
        } else {
            value = line->text();
        }
    } else if (auto *combo = qobject_cast<QComboBox *>(editor)) {
        if (combo->currentIndex() < 0)
            return;
        value = combo->currentData();
    } else {
        return;
    }
    m_tree->commitValue(row, value);
}

void PropertyDelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option, const QModelIndex &) const
{
    editor->setGeometry(option.rect);
}

QSize PropertyDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(qMax(size.height(), m_rowHeight));
    return size;
}

bool PropertyDelegate::editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                                   const QModelIndex &index)
{
    const ObjectEditorTree::Row row = m_tree->row(index);
    if (index.column() != 1 || !m_tree->isCheckable(row))
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    if (!row.writable)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton || !checkRect(option, index).contains(mouse->pos()))
            return false;
        if (event->type() == QEvent::MouseButtonRelease)
            m_tree->toggleLater(row);
        return true;
    }
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key != Qt::Key_Space && key != Qt::Key_Select)
            return false;
        m_tree->toggleLater(row);
        return true;
    }
    default:
        return false;
    }
}

QRect PropertyDelegate::checkRect(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt(option);
    initStyleOption(&opt, index);
    const QWidget *widget = option.widget;
    const QStyle *style = widget ? widget->style() : QApplication::style();
    return style->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, widget);
}

void PropertyDelegate::commitAndClose()
{
    auto *editor = qobject_cast<QWidget *>(sender());
    if (!editor)
        return;
    emit commitData(editor);
    emit closeEditor(editor);
}

QVariant PropertyDelegate::editorState(const QWidget *editor)
{
    if (const auto *spin = qobject_cast<const QSpinBox *>(editor))
        return spin->value();
    if (const auto *spin = qobject_cast<const QDoubleSpinBox *>(editor))
        return spin->value();
    if (const auto *combo = qobject_cast<const QComboBox *>(editor))
        return combo->currentIndex();
    if (const auto *line = qobject_cast<const QLineEdit *>(editor))
        return line->text();
    return QVariant();
}

} // namespace ObjectEditor
