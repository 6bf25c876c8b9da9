#include "dialogs/parameterstable.h"

#include "dialogs/paramheader.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QKeySequence>
#include <QMetaObject>
#include <QMimeData>
#include <QSet>
#include <algorithm>

namespace Trelvoga {

namespace {

// The property editor's widget for table-valued properties, told of every change of its table.
constexpr const char *tableEditorClass = "Trelvoa::ParametersTable";

bool isTableEditor(const QWidget *widget)
{
    for (const QMetaObject *mo = widget->metaObject(); mo; mo = mo->superClass()) {
        if (qstrcmp(mo->className(), tableEditorClass) == 0)
            return true;
    }
    return false;
}

} // namespace

ParametersTable::ParametersTable(QWidget *parent)
    : QTableWidget(parent)
{
    init();
}

ParametersTable::ParametersTable(int rows, int columns, QWidget *parent)
    : QTableWidget(rows, columns, parent)
{
    init();
}

void ParametersTable::init()
{
    setHorizontalHeader(new ParamHeader(Qt::Horizontal, this));
    setVerticalHeader(new ParamHeader(Qt::Vertical, this));

    const auto addTableAction = [this](const QString &name, const QString &text, const QKeySequence &shortcut,
                                       void (ParametersTable::*slot)()) {
        auto *action = new QAction(text, this);
        action->setObjectName(name);
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, this, slot);
        addAction(action);
    };
    addTableAction(QStringLiteral("copy"), tr("Copy"), QKeySequence::Copy, &ParametersTable::copy);
    addTableAction(QStringLiteral("copy_with_titles"), tr("Copy with titles"),
                   QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_C), &ParametersTable::copy_with_titles);
    addTableAction(QStringLiteral("paste"), tr("Paste"), QKeySequence::Paste, &ParametersTable::paste);
    addTableAction(QStringLiteral("clear"), tr("Remove"), QKeySequence::Delete, &ParametersTable::clear);
    setContextMenuPolicy(Qt::ActionsContextMenu);

    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    setDropIndicatorShown(true);
}

ParamHeader *ParametersTable::paramHeader() const
{
    return qobject_cast<ParamHeader *>(horizontalHeader());
}

QString ParametersTable::selectionText(bool withTitles) const
{
    const QModelIndexList selected = selectedIndexes();
    if (selected.isEmpty())
        return QString();
    int top = rowCount(), left = columnCount(), bottom = -1, right = -1;
    for (const QModelIndex &index : selected) {
        top = std::min(top, index.row());
        bottom = std::max(bottom, index.row());
        left = std::min(left, index.column());
        right = std::max(right, index.column());
    }
    QList<int> columns;
    for (int c = left; c <= right; ++c) {
        if (!isColumnHidden(c))
            columns.append(c);
    }
    QString text;
    if (withTitles) {
        QStringList titles;
        for (int c : columns)
            titles << model()->headerData(c, Qt::Horizontal).toString();
        text += QLatin1Char('\t') + titles.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    for (int r = top; r <= bottom; ++r) {
        if (isRowHidden(r))
            continue;
        QStringList cells;
        for (int c : columns)
            cells << model()->index(r, c).data(Qt::DisplayRole).toString();
        if (withTitles)
            text += model()->headerData(r, Qt::Vertical).toString() + QLatin1Char('\t');
        text += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return text;
}

void ParametersTable::copy()
{
    const QString text = selectionText(false);
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

void ParametersTable::copy_with_titles()
{
    const QString text = selectionText(true);
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

void ParametersTable::paste()
{
    QString text = QApplication::clipboard()->text();
    text.remove(QLatin1Char('\r'));
    if (text.isEmpty())
        return;
    QStringList lines = text.split(QLatin1Char('\n'));
    // The line feed that ends the last line starts no line of its own.
    if (lines.last().isEmpty())
        lines.removeLast();

    int top = -1, left = -1;
    const QModelIndexList selected = selectedIndexes();
    for (const QModelIndex &index : selected) {
        top = top < 0 ? index.row() : std::min(top, index.row());
        left = left < 0 ? index.column() : std::min(left, index.column());
    }
    if (top < 0) {
        if (!currentIndex().isValid())
            return;
        top = currentIndex().row();
        left = currentIndex().column();
    }
    // Hidden rows and columns are skipped, as copying skips them.
    int row = top;
    for (const QString &line : qAsConst(lines)) {
        while (row < rowCount() && isRowHidden(row))
            ++row;
        if (row >= rowCount())
            break;
        int column = left;
        for (const QString &cell : line.split(QLatin1Char('\t'))) {
            while (column < columnCount() && isColumnHidden(column))
                ++column;
            if (column >= columnCount())
                break;
            const QModelIndex index = model()->index(row, column);
            if (model()->flags(index) & Qt::ItemIsEditable)
                model()->setData(index, cell.isEmpty() ? QVariant() : QVariant(cell), Qt::EditRole);
            ++column;
        }
        ++row;
    }
}

void ParametersTable::clear()
{
    const QModelIndexList selected = selectedIndexes();
    for (const QModelIndex &index : selected) {
        if (model()->flags(index) & Qt::ItemIsEditable)
            model()->setData(index, QVariant(), Qt::EditRole);
    }
}

void ParametersTable::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                                  const QVector<int> &roles)
{
    QTableWidget::dataChanged(topLeft, bottomRight, roles);
    for (QWidget *widget = parentWidget(); widget; widget = widget->parentWidget()) {
        if (isTableEditor(widget)) {
            if (widget->metaObject()->indexOfMethod("dataChanged()") >= 0)
                QMetaObject::invokeMethod(widget, "dataChanged", Qt::DirectConnection);
            break;
        }
    }
}

QStringList ParametersTable::mimeTypes() const
{
    return {QString::fromLatin1(rowsMimeType())};
}

QMimeData *ParametersTable::mimeData(const QList<QTableWidgetItem *> items) const
{
    QSet<int> rowSet;
    for (const QModelIndex &index : selectedIndexes())
        rowSet.insert(index.row());
    if (rowSet.isEmpty()) {
        for (const QTableWidgetItem *item : items) {
            if (item)
                rowSet.insert(item->row());
        }
    }
    if (rowSet.isEmpty())
        return nullptr;
    QList<int> rows = rowSet.values();
    std::sort(rows.begin(), rows.end());
    QStringList lines;
    for (int row : qAsConst(rows))
        lines << QString::number(row);
    auto *data = new QMimeData;
    data->setData(QString::fromLatin1(rowsMimeType()), lines.join(QLatin1Char('\n')).toUtf8());
    return data;
}

void ParametersTable::startDrag(Qt::DropActions supportedActions)
{
    Q_UNUSED(supportedActions)
    // The base drag goes through the items and would not carry empty rows.
    QMimeData *data = mimeData(selectedItems());
    if (!data)
        return;
    auto *drag = new QDrag(this);
    drag->setMimeData(data);
    drag->exec(Qt::MoveAction);
}

bool ParametersTable::acceptsRows(const QDropEvent *event) const
{
    // Row numbers mean nothing in another table.
    return event->mimeData()->hasFormat(QString::fromLatin1(rowsMimeType()))
           && (!event->source() || event->source() == this);
}

void ParametersTable::dragEnterEvent(QDragEnterEvent *event)
{
    if (acceptsRows(event)) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
        return;
    }
    event->ignore();
}

void ParametersTable::dragMoveEvent(QDragMoveEvent *event)
{
    if (acceptsRows(event)) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
        return;
    }
    event->ignore();
}

void ParametersTable::dropEvent(QDropEvent *event)
{
    if (!acceptsRows(event)) {
        event->ignore();
        return;
    }
    QList<int> rows;
    const QString text = QString::fromUtf8(event->mimeData()->data(QString::fromLatin1(rowsMimeType())));
    for (const QString &line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int row = line.trimmed().toInt(&ok);
        if (ok && row >= 0 && row < rowCount() && !rows.contains(row))
            rows.append(row);
    }
    int before = rowAt(event->pos().y());
    if (before < 0) {
        before = rowCount();
    } else {
        const QRect rect = visualRect(model()->index(before, 0));
        if (event->pos().y() > rect.center().y())
            ++before;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
    if (moveRows(rows, before))
        emit rowOrderChanged();
}

bool ParametersTable::moveRows(QList<int> rows, int before)
{
    if (rows.isEmpty())
        return false;
    std::sort(rows.begin(), rows.end());
    QList<int> order;
    for (int r = 0; r < rowCount(); ++r) {
        if (!rows.contains(r))
            order.append(r);
    }
    int at = 0;
    while (at < order.size() && order.at(at) < before)
        ++at;
    for (int i = 0; i < rows.size(); ++i)
        order.insert(at + i, rows.at(i));
    bool changed = false;
    for (int r = 0; r < order.size(); ++r)
        changed = changed || order.at(r) != r;
    if (!changed)
        return false;

    struct Row
    {
        QTableWidgetItem *header;
        QList<QTableWidgetItem *> cells;
        bool hidden;
    };
    QList<Row> taken;
    for (int r = 0; r < rowCount(); ++r) {
        Row row{takeVerticalHeaderItem(r), {}, isRowHidden(r)};
        for (int c = 0; c < columnCount(); ++c)
            row.cells.append(takeItem(r, c));
        taken.append(row);
    }
    clearSelection();
    for (int r = 0; r < order.size(); ++r) {
        const Row &row = taken.at(order.at(r));
        if (row.header)
            setVerticalHeaderItem(r, row.header);
        for (int c = 0; c < row.cells.size(); ++c) {
            if (row.cells.at(c))
                setItem(r, c, row.cells.at(c));
        }
        setRowHidden(r, row.hidden);
    }
    // The moved rows stay selected where they went.
    for (int i = 0; i < rows.size(); ++i) {
        const QModelIndex first = model()->index(at + i, 0);
        const QModelIndex last = model()->index(at + i, columnCount() - 1);
        selectionModel()->select(QItemSelection(first, last), QItemSelectionModel::Select);
    }
    return true;
}

} // namespace Trelvoga
