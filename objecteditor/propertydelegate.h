#pragma once

#include <QStyledItemDelegate>

class ObjectEditorTree;

namespace ObjectEditor {

// Creates the value editors of ObjectEditorTree and hands their values back to it. Check boxes
// (booleans, flags) are toggled here rather than through the model, so that the write happens
// outside the view's event handling.
class PropertyDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit PropertyDelegate(ObjectEditorTree *tree);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

protected:
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;

private:
    void commitAndClose();
    QRect checkRect(const QStyleOptionViewItem &option, const QModelIndex &index) const;
    static QVariant editorState(const QWidget *editor);

    ObjectEditorTree *m_tree;
    int m_rowHeight = 0;
};

} // namespace ObjectEditor
