#include "dialogs/intensitydlga.h"

#include "dialogs/carscountitemdelegate.h"
#include "dialogs/parameterstable.h"
#include "scene/genericgraphicsitem.h"
#include "scene/networkg.h"

#include "customobject.h"
#include "edge.h"
#include "node.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMessageBox>
#include <QSet>
#include <QSpinBox>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidgetItem>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace Trelvoga {

namespace {

const char *const dayGroupName = "DayGroup";
const char *const intensityName = "Intensity";
const char *const fromEdgeName = "FromEdge";
const char *const toEdgeName = "ToEdge";
const char *const timeFormat = "hh:mm";
const char *const addNewProperty = "addNew";
constexpr int defaultDuration = 60;
constexpr int maxDuration = 1440;

// One row of a count table as stored: the row edge and its (column edge, count) cells.
struct Movements
{
    int from = 0;
    QList<QPair<int, int>> to;
    bool operator==(const Movements &other) const { return from == other.from && to == other.to; }
};

Trelvoa::CustomObject *objectOf(const QWidget *page, const char *property)
{
    return qobject_cast<Trelvoa::CustomObject *>(page->property(property).value<QObject *>());
}

int edgeIdOf(const QTableWidgetItem *header)
{
    return header ? header->data(Qt::UserRole).toInt() : 0;
}

// A cell's count; 0 for an empty cell and for anything that is not a positive count (pasted text).
int countOf(const QTableWidget *table, int row, int column)
{
    const QTableWidgetItem *item = table->item(row, column);
    if (!item)
        return 0;
    bool ok = false;
    const int count = item->data(Qt::EditRole).toString().trimmed().toInt(&ok);
    return ok && count > 0 ? count : 0;
}

QList<Movements> tableContent(const QTableWidget *table)
{
    QList<Movements> content;
    for (int r = 0; r < table->rowCount(); ++r) {
        Movements row;
        row.from = edgeIdOf(table->verticalHeaderItem(r));
        for (int c = 0; c < table->columnCount(); ++c) {
            if (const int count = countOf(table, r, c))
                row.to.append({edgeIdOf(table->horizontalHeaderItem(c)), count});
        }
        if (!row.to.isEmpty())
            content.append(row);
    }
    return content;
}

// Whether the intensity's children already hold these counts, whatever their order and however the
// counts are written.
bool holds(const Trelvoa::CustomObject *intensity, const QList<Movements> &content)
{
    QMap<QPair<int, int>, int> wanted;
    for (const Movements &movements : content) {
        for (const auto &cell : movements.to)
            wanted.insert({movements.from, cell.first}, cell.second);
    }
    QMap<QPair<int, int>, int> held;
    QSet<int> rows;
    for (const Trelvoa::CustomObject *from : intensity->customChildren()) {
        const QVariant fromId = from->property("edge_id");
        if (from->objectName() != QLatin1String(fromEdgeName) || fromId.userType() != QMetaType::Int
            || rows.contains(fromId.toInt()))
            return false;
        rows.insert(fromId.toInt());
        for (const Trelvoa::CustomObject *to : from->customChildren()) {
            const QVariant toId = to->property("edge_id");
            const QPair<int, int> key{fromId.toInt(), toId.toInt()};
            bool ok = false;
            const int count = to->text().trimmed().toInt(&ok);
            if (to->objectName() != QLatin1String(toEdgeName) || toId.userType() != QMetaType::Int
                || held.contains(key) || !ok || !to->customChildren().isEmpty())
                return false;
            held.insert(key, count);
        }
    }
    return held == wanted;
}

void setIfDifferent(QObject *object, const char *name, const QVariant &value)
{
    const QVariant current = object->property(name);
    if (current.userType() != value.userType() || current != value)
        object->setProperty(name, value);
}

void setNameIfDifferent(Trelvoa::NetObject *object, const char *name)
{
    if (object->objectName() != QLatin1String(name))
        object->setName(QString::fromLatin1(name));
}

QTabWidget *tabWidgetOf(QWidget *page)
{
    for (QWidget *widget = page ? page->parentWidget() : nullptr; widget; widget = widget->parentWidget()) {
        if (auto *tabs = qobject_cast<QTabWidget *>(widget))
            return tabs;
    }
    return nullptr;
}

// The page (a widget carrying the property) that holds the widget.
QWidget *pageWith(QObject *object, const char *property)
{
    for (auto *widget = qobject_cast<QWidget *>(object); widget; widget = widget->parentWidget()) {
        if (widget->dynamicPropertyNames().contains(property))
            return widget;
    }
    return nullptr;
}

// Restores the flag on leaving a scope that rearranges tabs.
class Rearranging
{
public:
    explicit Rearranging(bool &flag)
        : m_flag(flag)
        , m_old(flag)
    {
        m_flag = true;
    }
    ~Rearranging() { m_flag = m_old; }

private:
    bool &m_flag;
    bool m_old;
};

} // namespace

IntensityDlga::IntensityDlga(Networkg *net, int nodeId, QWidget *parent)
    : QDialog(parent)
    , m_net(net)
    , m_nodeId(nodeId)
{
    Rearranging building(m_rearranging);
    setObjectName(QStringLiteral("IntensityDlga"));
    resize(700, 500);
    m_verticalLayout = new QVBoxLayout(this);
    m_verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    m_dayGroups = new QTabWidget(this);
    m_dayGroups->setObjectName(QStringLiteral("dayGroups"));
    m_dayGroups->setTabsClosable(true);
    m_dayGroups->tabBar()->setSelectionBehaviorOnRemove(QTabBar::SelectLeftTab);
    m_verticalLayout->addWidget(m_dayGroups);
    m_buttonBox = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_buttonBox->setObjectName(QStringLiteral("buttonBox"));
    m_verticalLayout->addWidget(m_buttonBox);
    connect(m_buttonBox, &QDialogButtonBox::accepted, this, &IntensityDlga::accept);
    connect(m_buttonBox, &QDialogButtonBox::rejected, this, &IntensityDlga::reject);
    connect(m_dayGroups, &QTabWidget::tabCloseRequested, this, &IntensityDlga::groupDeleteRequest);
    connect(m_dayGroups, &QTabWidget::currentChanged, this, &IntensityDlga::currentGroupChanged);
    connect(m_dayGroups, &QTabWidget::tabBarClicked, this, [this](int index) { openAddNew(m_dayGroups, index); });

    auto *node = m_net ? m_net->findObject<Trelvoa::Node>(nodeId) : nullptr;
    setWindowTitle(tr("Measurement data: %1").arg(node ? node->printableName() : QString::number(nodeId)));
    if (node) {
        for (int i = 0; i < node->edgesCount(); ++i) {
            if (Trelvoa::Edge *edge = node->edge(i))
                m_edges.append(edge);
        }
    }
    if (m_net) {
        for (auto *group : m_net->findChildren<Trelvoa::CustomObject *>(QString::fromLatin1(dayGroupName),
                                                                        Qt::FindDirectChildrenOnly))
            addGroupPage(group, m_dayGroups->count());
    }
    addNewTab(m_dayGroups);
    m_dayGroups->setCurrentIndex(0);
}

IntensityDlga::~IntensityDlga()
{
    clearHighlight();
}

QList<Trelvoa::Edge *> IntensityDlga::edges() const
{
    QList<Trelvoa::Edge *> list;
    for (const QPointer<Trelvoa::Edge> &edge : m_edges) {
        if (edge)
            list.append(edge);
    }
    return list;
}

bool IntensityDlga::isAddNewPage(const QWidget *page)
{
    return page && page->property(addNewProperty).toBool();
}

QWidget *IntensityDlga::addGroupPage(Trelvoa::CustomObject *group, int at)
{
    Rearranging rearranging(m_rearranging);
    auto *page = new QWidget;
    page->setProperty(dayGroupName, QVariant::fromValue<QObject *>(group));
    auto *layout = new QVBoxLayout(page);
    auto *nameRow = new QHBoxLayout;
    auto *label = new QLabel(tr("Group name:"), page);
    auto *name = new QLineEdit(page);
    name->setObjectName(QStringLiteral("name"));
    name->setText(group ? group->property("group_name").toString() : tr("New group"));
    label->setBuddy(name);
    nameRow->addWidget(label);
    nameRow->addWidget(name, 1);
    layout->addLayout(nameRow);

    auto *intensities = new QTabWidget(page);
    intensities->setObjectName(QStringLiteral("intensities"));
    intensities->setTabsClosable(true);
    intensities->tabBar()->setSelectionBehaviorOnRemove(QTabBar::SelectLeftTab);
    layout->addWidget(intensities, 1);
    bool any = false;
    if (group) {
        for (Trelvoa::CustomObject *child : group->customChildren()) {
            if (child->objectName() == QLatin1String(intensityName) && child->property("node").toInt() == m_nodeId) {
                addIntensityPage(intensities, child, intensities->count());
                any = true;
            }
        }
    }
    if (!any)
        addIntensityPage(intensities, nullptr, 0);
    addNewTab(intensities);
    intensities->setCurrentIndex(0);
    connect(intensities, &QTabWidget::tabCloseRequested, this, &IntensityDlga::intensityDeleteRequest);
    connect(intensities, &QTabWidget::currentChanged, this, &IntensityDlga::currentIntensityPageChanged);
    connect(intensities, &QTabWidget::tabBarClicked, this,
            [this, intensities](int index) { openAddNew(intensities, index); });

    m_dayGroups->insertTab(at, page, name->text());
    connect(name, &QLineEdit::textChanged, this, &IntensityDlga::groupNameChnaged);
    return page;
}

QWidget *IntensityDlga::addIntensityPage(QTabWidget *intensities, Trelvoa::CustomObject *intensity, int at)
{
    Rearranging rearranging(m_rearranging);
    auto *page = new QWidget;
    page->setProperty(intensityName, QVariant::fromValue<QObject *>(intensity));
    auto *layout = new QVBoxLayout(page);
    auto *fields = new QHBoxLayout;
    auto *beginLabel = new QLabel(tr("Begin:"), page);
    auto *time = new QTimeEdit(page);
    time->setObjectName(QStringLiteral("time"));
    time->setDisplayFormat(QString::fromLatin1(timeFormat));
    beginLabel->setBuddy(time);
    auto *durationLabel = new QLabel(tr("Duration, minutes:"), page);
    auto *duration = new QSpinBox(page);
    duration->setObjectName(QStringLiteral("duration"));
    duration->setRange(1, maxDuration);
    duration->setValue(defaultDuration);
    durationLabel->setBuddy(duration);
    fields->addWidget(beginLabel);
    fields->addWidget(time);
    fields->addWidget(durationLabel);
    fields->addWidget(duration);
    fields->addStretch(1);
    layout->addLayout(fields);

    auto *table = new ParametersTable(m_edges.size(), m_edges.size(), page);
    table->setObjectName(QStringLiteral("table"));
    table->setItemDelegate(new CarsCountItemDelegate(table));
    for (int i = 0; i < m_edges.size(); ++i) {
        const Trelvoa::Edge *edge = m_edges.at(i);
        for (bool row : {true, false}) {
            auto *header = new QTableWidgetItem(edge ? edge->printableName() : QString());
            header->setData(Qt::UserRole, edge ? edge->id() : 0);
            if (row)
                table->setVerticalHeaderItem(i, header);
            else
                table->setHorizontalHeaderItem(i, header);
        }
    }
    layout->addWidget(table, 1);

    if (intensity) {
        const QString begin = intensity->property("time").toString().trimmed();
        QTime start = QTime::fromString(begin, QString::fromLatin1(timeFormat));
        if (!start.isValid())
            start = QTime::fromString(begin, Qt::ISODate);
        time->setTime(start.isValid() ? start : QTime(0, 0));
        bool ok = false;
        const int minutes = intensity->property("duration").toString().trimmed().toInt(&ok);
        duration->setValue(ok && minutes > 0 ? minutes : defaultDuration);
        fillTable(table, intensity);
    }
    connect(time, &QTimeEdit::timeChanged, this, &IntensityDlga::startTimeChanged);
    connect(duration, QOverload<int>::of(&QSpinBox::valueChanged), this, &IntensityDlga::durationChanged);
    connect(table, &QTableWidget::currentCellChanged, this, &IntensityDlga::intensityTableCurCellChanged);

    intensities->insertTab(at, page, QString());
    retitleIntensity(page);
    return page;
}

void IntensityDlga::addNewTab(QTabWidget *tabs)
{
    Rearranging rearranging(m_rearranging);
    auto *page = new QWidget;
    page->setProperty(addNewProperty, true);
    const int index = tabs->addTab(page, tr("Add new"));
    // "Add new" is not a page of data: nothing to close.
    const auto side = static_cast<QTabBar::ButtonPosition>(
        tabs->style()->styleHint(QStyle::SH_TabBar_CloseButtonPosition, nullptr, tabs->tabBar()));
    if (QWidget *button = tabs->tabBar()->tabButton(index, side))
        button->hide();
}

void IntensityDlga::fillTable(QTableWidget *table, Trelvoa::CustomObject *intensity)
{
    const auto rowOf = [](const QTableWidget *t, int edgeId, bool row) {
        const int count = row ? t->rowCount() : t->columnCount();
        for (int i = 0; i < count; ++i) {
            if (edgeIdOf(row ? t->verticalHeaderItem(i) : t->horizontalHeaderItem(i)) == edgeId)
                return i;
        }
        return -1;
    };
    for (Trelvoa::CustomObject *from : intensity->customChildren()) {
        if (from->objectName() != QLatin1String(fromEdgeName))
            continue;
        const int row = rowOf(table, from->property("edge_id").toInt(), true);
        if (row < 0)
            continue;
        for (Trelvoa::CustomObject *to : from->customChildren()) {
            if (to->objectName() != QLatin1String(toEdgeName))
                continue;
            const int column = rowOf(table, to->property("edge_id").toInt(), false);
            bool ok = false;
            const int count = to->text().trimmed().toInt(&ok);
            if (column < 0 || !ok || count <= 0)
                continue;
            auto *item = new QTableWidgetItem;
            item->setData(Qt::EditRole, count);
            table->setItem(row, column, item);
        }
    }
}

void IntensityDlga::retitleIntensity(QWidget *page)
{
    QTabWidget *tabs = tabWidgetOf(page);
    auto *time = page->findChild<QTimeEdit *>(QStringLiteral("time"));
    auto *duration = page->findChild<QSpinBox *>(QStringLiteral("duration"));
    if (!tabs || !time || !duration)
        return;
    const QTime begin = time->time();
    const QTime end = begin.addSecs(duration->value() * 60);
    const QString format = QString::fromLatin1(timeFormat);
    tabs->setTabText(tabs->indexOf(page), begin.toString(format) + QStringLiteral(" - ") + end.toString(format));
}

void IntensityDlga::groupNameChnaged(const QString &name)
{
    QWidget *page = pageWith(sender(), dayGroupName);
    const int index = page ? m_dayGroups->indexOf(page) : -1;
    if (index >= 0)
        m_dayGroups->setTabText(index, name);
}

void IntensityDlga::startTimeChanged(const QTime &time)
{
    Q_UNUSED(time)
    if (QWidget *page = pageWith(sender(), intensityName))
        retitleIntensity(page);
}

void IntensityDlga::durationChanged(int minutes)
{
    Q_UNUSED(minutes)
    if (QWidget *page = pageWith(sender(), intensityName))
        retitleIntensity(page);
}

void IntensityDlga::groupDeleteRequest(int index)
{
    QWidget *page = m_dayGroups->widget(index);
    if (!page || isAddNewPage(page))
        return;
    const QString question = tr("This action will remove all of the data for the group in the other objects.\n"
                                "Delete group of days '%1'?")
                                 .arg(m_dayGroups->tabText(index));
    if (QMessageBox::question(this, tr("Group remove"), question, QMessageBox::Yes | QMessageBox::No)
        != QMessageBox::Yes)
        return;
    if (Trelvoa::CustomObject *group = objectOf(page, dayGroupName))
        m_deleted.append(group);
    removePage(m_dayGroups, index);
}

void IntensityDlga::intensityDeleteRequest(int index)
{
    auto *tabs = qobject_cast<QTabWidget *>(sender());
    QWidget *page = tabs ? tabs->widget(index) : nullptr;
    if (!page || isAddNewPage(page))
        return;
    if (QMessageBox::question(this, tr("Data remove"), tr("Delete current intensity data?"),
                              QMessageBox::Yes | QMessageBox::No)
        != QMessageBox::Yes)
        return;
    if (Trelvoa::CustomObject *intensity = objectOf(page, intensityName))
        m_deleted.append(intensity);
    removePage(tabs, index);
}

void IntensityDlga::removePage(QTabWidget *tabs, int index)
{
    QWidget *page = tabs->widget(index);
    if (m_highlightTable && page->isAncestorOf(m_highlightTable))
        clearHighlight();
    {
        // Removing a page must not make a new one through "Add new" becoming current.
        Rearranging rearranging(m_rearranging);
        tabs->removeTab(index);
        delete page;
    }
    if (QTableWidget *table = currentTable())
        highlight(table, table->currentRow(), table->currentColumn());
}

void IntensityDlga::openAddNew(QTabWidget *tabs, int index)
{
    if (m_rearranging || !isAddNewPage(tabs->widget(index)))
        return;
    QWidget *page = nullptr;
    {
        Rearranging rearranging(m_rearranging);
        page = tabs == m_dayGroups ? addGroupPage(nullptr, index) : addIntensityPage(tabs, nullptr, index);
        tabs->setCurrentIndex(index);
    }
    if (auto *name = page->findChild<QLineEdit *>(QStringLiteral("name"))) {
        name->setFocus();
        name->selectAll();
    }
    if (QTableWidget *table = currentTable())
        highlight(table, table->currentRow(), table->currentColumn());
}

void IntensityDlga::currentGroupChanged(int index)
{
    if (m_rearranging)
        return;
    openAddNew(m_dayGroups, index);
    QTableWidget *table = currentTable();
    highlight(table, table ? table->currentRow() : -1, table ? table->currentColumn() : -1);
}

void IntensityDlga::currentIntensityPageChanged(int index)
{
    if (m_rearranging)
        return;
    if (auto *tabs = qobject_cast<QTabWidget *>(sender()))
        openAddNew(tabs, index);
    QTableWidget *table = currentTable();
    highlight(table, table ? table->currentRow() : -1, table ? table->currentColumn() : -1);
}

QTableWidget *IntensityDlga::currentTable() const
{
    QWidget *group = m_dayGroups->currentWidget();
    auto *intensities = group ? group->findChild<QTabWidget *>(QStringLiteral("intensities")) : nullptr;
    QWidget *page = intensities ? intensities->currentWidget() : nullptr;
    return page ? page->findChild<QTableWidget *>(QStringLiteral("table")) : nullptr;
}

void IntensityDlga::intensityTableCurCellChanged(int currentRow, int currentColumn, int previousRow,
                                                 int previousColumn)
{
    Q_UNUSED(previousRow)
    Q_UNUSED(previousColumn)
    highlight(qobject_cast<QTableWidget *>(sender()), currentRow, currentColumn);
}

void IntensityDlga::highlight(QTableWidget *table, int row, int column)
{
    clearHighlight();
    if (!table || row < 0 || column < 0)
        return;
    m_highlightTable = table;
    if (QTableWidgetItem *header = table->verticalHeaderItem(row)) {
        header->setBackground(QColor(Qt::green));
        selectEdge(edgeIdOf(header), Qt::green);
    }
    if (QTableWidgetItem *header = table->horizontalHeaderItem(column)) {
        header->setBackground(QColor(Qt::red));
        selectEdge(edgeIdOf(header), Qt::red);
    }
}

void IntensityDlga::selectEdge(int edgeId, const QColor &color)
{
    auto *edge = m_net ? m_net->findObject<Trelvoa::Edge>(edgeId) : nullptr;
    GenericGraphicsItem *item = edge ? m_net->object2item(edge) : nullptr;
    if (!item)
        return;
    item->setColor(color);
    item->setSelected(true);
    m_highlightedEdges.append(edgeId);
}

void IntensityDlga::clearHighlight()
{
    if (m_highlightTable) {
        // Rows may have been dragged since: every header cell goes back to normal.
        for (int r = 0; r < m_highlightTable->rowCount(); ++r) {
            if (QTableWidgetItem *header = m_highlightTable->verticalHeaderItem(r))
                header->setBackground(QBrush());
        }
        for (int c = 0; c < m_highlightTable->columnCount(); ++c) {
            if (QTableWidgetItem *header = m_highlightTable->horizontalHeaderItem(c))
                header->setBackground(QBrush());
        }
    }
    m_highlightTable = nullptr;
    for (int edgeId : qAsConst(m_highlightedEdges)) {
        auto *edge = m_net ? m_net->findObject<Trelvoa::Edge>(edgeId) : nullptr;
        if (GenericGraphicsItem *item = edge ? m_net->object2item(edge) : nullptr) {
            item->resetColor();
            item->setSelected(false);
        }
    }
    m_highlightedEdges.clear();
}

void IntensityDlga::reject()
{
    clearHighlight();
    QDialog::reject();
}

void IntensityDlga::accept()
{
    clearHighlight();
    if (!m_net) {
        QDialog::accept();
        return;
    }
    for (const QPointer<Trelvoa::NetObject> &object : qAsConst(m_deleted))
        delete object.data();
    m_deleted.clear();

    for (int g = 0; g < m_dayGroups->count(); ++g) {
        QWidget *page = m_dayGroups->widget(g);
        if (isAddNewPage(page))
            continue;
        const auto *name = page->findChild<QLineEdit *>(QStringLiteral("name"));
        const QString groupName = name ? name->text() : QString();
        Trelvoa::CustomObject *group = objectOf(page, dayGroupName);
        if (!group) {
            group = new Trelvoa::CustomObject(m_net);
            group->setObjectName(QString::fromLatin1(dayGroupName));
            group->setProperty("group_name", groupName);
            if (!m_net->addItem(group)) {
                qWarning("IntensityDlga: %s", qPrintable(m_net->errorString()));
                delete group;
                continue;
            }
            page->setProperty(dayGroupName, QVariant::fromValue<QObject *>(group));
        } else {
            if (group->parent() != m_net)
                group->setParent(m_net);
            setNameIfDifferent(group, dayGroupName);
            setIfDifferent(group, "group_name", groupName);
        }
        auto *intensities = page->findChild<QTabWidget *>(QStringLiteral("intensities"));
        for (int i = 0; intensities && i < intensities->count(); ++i) {
            QWidget *intensityPage = intensities->widget(i);
            if (!isAddNewPage(intensityPage))
                saveIntensity(intensityPage, group);
        }
    }
    QDialog::accept();
}

void IntensityDlga::saveIntensity(QWidget *page, Trelvoa::CustomObject *group)
{
    Trelvoa::CustomObject *intensity = objectOf(page, intensityName);
    const auto *table = page->findChild<QTableWidget *>(QStringLiteral("table"));
    const QList<Movements> content = table ? tableContent(table) : QList<Movements>();
    if (content.isEmpty()) {
        // An interval without counts is not kept.
        delete intensity;
        page->setProperty(intensityName, QVariant::fromValue<QObject *>(nullptr));
        return;
    }
    const auto *time = page->findChild<QTimeEdit *>(QStringLiteral("time"));
    const auto *duration = page->findChild<QSpinBox *>(QStringLiteral("duration"));
    const QString begin = time ? time->text() : QString();
    const QString minutes = duration ? duration->text() : QString();

    const auto makeRows = [&content](Trelvoa::CustomObject *parent) {
        QList<Trelvoa::CustomObject *> rows;
        for (const Movements &movements : content) {
            auto *from = new Trelvoa::CustomObject(parent);
            from->setObjectName(QString::fromLatin1(fromEdgeName));
            from->setProperty("edge_id", movements.from);
            for (const auto &cell : movements.to) {
                auto *to = new Trelvoa::CustomObject(from);
                to->setObjectName(QString::fromLatin1(toEdgeName));
                to->setProperty("edge_id", cell.first);
                to->setText(QString::number(cell.second));
            }
            rows.append(from);
        }
        return rows;
    };

    if (!intensity) {
        intensity = new Trelvoa::CustomObject(group);
        intensity->setObjectName(QString::fromLatin1(intensityName));
        intensity->setProperty("time", begin);
        intensity->setProperty("duration", minutes);
        intensity->setProperty("node", m_nodeId);
        makeRows(intensity);
        if (!m_net->addItem(intensity)) {
            qWarning("IntensityDlga: %s", qPrintable(m_net->errorString()));
            delete intensity;
            return;
        }
        page->setProperty(intensityName, QVariant::fromValue<QObject *>(intensity));
        return;
    }
    setNameIfDifferent(intensity, intensityName);
    setIfDifferent(intensity, "time", begin);
    setIfDifferent(intensity, "duration", minutes);
    setIfDifferent(intensity, "node", m_nodeId);
    // Unchanged counts keep their objects (and ids).
    if (holds(intensity, content))
        return;
    qDeleteAll(intensity->customChildren());
    for (Trelvoa::CustomObject *from : makeRows(intensity)) {
        if (!m_net->addItem(from)) {
            qWarning("IntensityDlga: %s", qPrintable(m_net->errorString()));
            delete from;
        }
    }
}

} // namespace Trelvoga
