#pragma once

#include "trelvoga_global.h"

#include <QList>
#include <QStringList>
#include <QTableWidget>
#include <QVector>

class QMimeData;

namespace Trelvoga {

class ParamHeader;

// A table for table-valued data with clipboard exchange (tab-separated text, as spreadsheets use) and
// row reordering by drag and drop. The clipboard actions are shortcuts of the table alone, and are also
// its context menu.
class TRELVOGA_EXPORT ParametersTable : public QTableWidget
{
    Q_OBJECT

public:
    // The MIME type of a row drag: the row numbers as text, one per line.
    static const char *rowsMimeType() { return "application/rows.text.list"; }

    explicit ParametersTable(QWidget *parent = nullptr);
    ParametersTable(int rows, int columns, QWidget *parent = nullptr);

    ParamHeader *paramHeader() const;

public slots:
    // The bounding rectangle of the selected cells (visible rows and columns only) as tab-separated
    // lines on the clipboard.
    void copy();
    // The same with the column titles as first line and the row title before each line.
    void copy_with_titles();
    // The clipboard's tab-separated text into the cells from the top-left selected (or current) cell,
    // clipped at the table's edges.
    void paste();
    // Empties the selected cells. Hides QTableWidget::clear(), which would drop the headers too.
    void clear();

signals:
    void rowOrderChanged();

protected slots:
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QVector<int> &roles = QVector<int>()) override;

protected:
    QStringList mimeTypes() const override;
    // The rows of the selected cells (of the items when nothing is selected).
    QMimeData *mimeData(const QList<QTableWidgetItem *> items) const override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void init();
    QString selectionText(bool withTitles) const;
    bool acceptsRows(const QDropEvent *event) const;
    // Moves the rows (with their header items) so that they stand, in their order, before the row that
    // is now `before` (rowCount(): at the end). False when the order did not change.
    bool moveRows(QList<int> rows, int before);
};

} // namespace Trelvoga
