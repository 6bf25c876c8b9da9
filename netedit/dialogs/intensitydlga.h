#pragma once

#include "trelvoga_global.h"

#include <QColor>
#include <QDialog>
#include <QList>
#include <QPointer>
#include <QTime>

class QDialogButtonBox;
class QTabWidget;
class QTableWidget;
class QVBoxLayout;

namespace Trelvoa {
class CustomObject;
class Edge;
class NetObject;
} // namespace Trelvoa

namespace Trelvoga {

class Networkg;

// Measured vehicle counts of one junction, per movement (from edge, to edge), in groups of days and
// time intervals. The data are custom objects of the network: "DayGroup" objects (shared by every
// junction) holding "Intensity" objects (one junction's interval), holding "FromEdge" objects holding
// "ToEdge" objects with the count as text. Nothing in the network changes before OK.
class TRELVOGA_EXPORT IntensityDlga : public QDialog
{
    Q_OBJECT

public:
    IntensityDlga(Networkg *net, int nodeId, QWidget *parent = nullptr);
    ~IntensityDlga() override;

    // The junction's edges, in the order of the count tables' rows and columns.
    QList<Trelvoa::Edge *> edges() const;

public slots:
    void accept() override;
    void reject() override;

    void groupNameChnaged(const QString &name);
    void startTimeChanged(const QTime &time);
    void durationChanged(int minutes);
    void groupDeleteRequest(int index);
    void intensityDeleteRequest(int index);
    void currentGroupChanged(int index);
    void currentIntensityPageChanged(int index);
    void intensityTableCurCellChanged(int currentRow, int currentColumn, int previousRow, int previousColumn);

private:
    QWidget *addGroupPage(Trelvoa::CustomObject *group, int at);
    QWidget *addIntensityPage(QTabWidget *intensities, Trelvoa::CustomObject *intensity, int at);
    void addNewTab(QTabWidget *tabs);
    // The page of `tabs` that holds the widget, or null.
    static QWidget *pageOf(QTabWidget *tabs, QWidget *widget);
    static bool isAddNewPage(const QWidget *page);
    void retitleIntensity(QWidget *page);
    void fillTable(QTableWidget *table, Trelvoa::CustomObject *intensity);
    void saveIntensity(QWidget *page, Trelvoa::CustomObject *group);
    // Makes a new page in front of "Add new" when it is the tab the user went to.
    void openAddNew(QTabWidget *tabs, int index);
    void removePage(QTabWidget *tabs, int index);
    void highlight(QTableWidget *table, int row, int column);
    void clearHighlight();
    void selectEdge(int edgeId, const QColor &color);
    QTableWidget *currentTable() const;

    QVBoxLayout *m_verticalLayout = nullptr;
    QTabWidget *m_dayGroups = nullptr;
    QDialogButtonBox *m_buttonBox = nullptr;
    Networkg *m_net = nullptr;
    int m_nodeId = 0;
    QList<QPointer<Trelvoa::Edge>> m_edges;
    // Deleted on OK; a group going takes its intervals with it, hence the guarded pointers.
    QList<QPointer<Trelvoa::NetObject>> m_deleted;
    // Tabs are being rearranged by the dialog, not chosen by the user.
    bool m_rearranging = false;

    QPointer<QTableWidget> m_highlightTable;
    int m_highlightRow = -1;
    int m_highlightColumn = -1;
    QList<int> m_highlightedEdges;
};

} // namespace Trelvoga
