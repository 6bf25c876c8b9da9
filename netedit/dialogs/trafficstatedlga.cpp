#include "dialogs/trafficstatedlga.h"

#include "dialogs/readonlydelegate.h"
#include "dialogs/turnarrowitem.h"
#include "dialogs/vehicletypes.h"
#include "scene/genericgraphicsitem.h"
#include "scene/layer.h"
#include "scene/networkg.h"

#include "connection.h"
#include "edge.h"
#include "lane.h"
#include "node.h"
#include "taz.h"
#include "trafficstate.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFormLayout>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimeEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cstdlib>

namespace Trelvoga {

namespace {

constexpr int percentColumn = 2;
constexpr int defaultRole = Qt::UserRole;
constexpr int idRole = Qt::UserRole + 1;
constexpr int maxFlow = 1000000;
constexpr int maxZoom = 30;
const char *const fixValueProperty = "fix_value";

QColor manoeuvreColor(int manoeuvre)
{
    switch (manoeuvre) {
    case Trelvoa::TurnPercentage::Turnaround:
        return QColor(150, 60, 190, 200);
    case Trelvoa::TurnPercentage::Left:
        return QColor(30, 110, 230, 200);
    case Trelvoa::TurnPercentage::Straight:
        return QColor(20, 150, 60, 200);
    case Trelvoa::TurnPercentage::Right:
        return QColor(235, 130, 20, 200);
    default:
        return QColor(110, 110, 110, 200);
    }
}

// The manoeuvre's icon from the resources; drawn when the resources do not have it.
QIcon manoeuvreIcon(int manoeuvre)
{
    static const char *const names[] = {"turn_turnaround", "turn_left", "turn_straight", "turn_right"};
    if (manoeuvre < 0 || manoeuvre > 3)
        return QIcon();
    const QString resource = QStringLiteral(":/trelvoga/images/%1.png").arg(QLatin1String(names[manoeuvre]));
    if (QFile::exists(resource))
        return QIcon(resource);
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(manoeuvreColor(manoeuvre).darker(120), 2);
    painter.setPen(pen);
    QPainterPath path(QPointF(8, 15));
    QPointF tip;
    QLineF headBase;
    switch (manoeuvre) {
    case Trelvoa::TurnPercentage::Turnaround:
        path.lineTo(10, 6);
        path.arcTo(QRectF(4, 2, 6, 6), 0, 180);
        path.lineTo(4, 11);
        tip = QPointF(4, 13);
        headBase = QLineF(1, 10, 7, 10);
        break;
    case Trelvoa::TurnPercentage::Left:
        path.lineTo(8, 7);
        path.lineTo(3, 7);
        tip = QPointF(1, 7);
        headBase = QLineF(4, 4, 4, 10);
        break;
    case Trelvoa::TurnPercentage::Right:
        path.lineTo(8, 7);
        path.lineTo(13, 7);
        tip = QPointF(15, 7);
        headBase = QLineF(12, 4, 12, 10);
        break;
    default:
        path.lineTo(8, 3);
        tip = QPointF(8, 1);
        headBase = QLineF(5, 4, 11, 4);
        break;
    }
    painter.drawPath(path);
    painter.setBrush(pen.color());
    painter.setPen(Qt::NoPen);
    painter.drawPolygon(QPolygonF(QVector<QPointF>{headBase.p1(), tip, headBase.p2()}));
    return QIcon(pixmap);
}

// Input flows in vehicles per hour; an empty cell is no flow, which is not the same as a flow of 0.
class FlowDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        auto *edit = new QLineEdit(parent);
        edit->setFrame(false);
        edit->setValidator(new QIntValidator(0, maxFlow, edit));
        return edit;
    }
    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        static_cast<QLineEdit *>(editor)->setText(index.data(Qt::EditRole).toString());
    }
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override
    {
        bool ok = false;
        const int flow = static_cast<QLineEdit *>(editor)->text().trimmed().toInt(&ok);
        model->setData(index, ok && flow >= 0 ? QVariant(flow) : QVariant(), Qt::EditRole);
    }
};

QSpinBox *percentBox(const char *name, int value, QWidget *parent)
{
    auto *box = new QSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(0, 100);
    box->setValue(value);
    return box;
}

int percentOf(const QTreeWidgetItem *item)
{
    return item->data(percentColumn, Qt::EditRole).toInt();
}

} // namespace

TrafficStateDlga::TrafficStateDlga(Networkg *net, Trelvoa::TrafficState *state, QWidget *parent, const NetEdit *edit)
    : QDialog(parent)
    , m_net(net)
    , m_state(state)
    , m_newState(!state)
{
    m_loading = true;
    buildForm();
    fillVehicleTypes(m_vehType, edit);
    Trelvoa::TurnPercentage defaults = Trelvoa::TurnPercentage::defaultValue();
    if (state) {
        m_name->setText(state->objectName());
        selectVehicleType(m_vehType, state->vehicleType());
        m_startTime->setTime(state->startTime());
        m_duration->setValue(state->duration());
        defaults = state->defaultTurnPercentage();
        connect(state, &QObject::destroyed, this, [this] { reject(); });
    } else {
        selectVehicleType(m_vehType, 1);
        m_duration->setValue(3600);
    }
    m_defTurnaround->setValue(defaults.turnaround());
    m_defLeft->setValue(defaults.left());
    m_defStraight->setValue(defaults.straight());
    m_defRight->setValue(defaults.right());

    fillTurnTree();
    fillInputFlows();

    m_defTimer.setSingleShot(true);
    m_defTimer.setInterval(defaultsInterval);
    for (QSpinBox *box : defaultBoxes())
        connect(box, QOverload<int>::of(&QSpinBox::valueChanged), this, &TrafficStateDlga::onDefValueChanged);
    connect(&m_defTimer, &QTimer::timeout, this, &TrafficStateDlga::onDefValueChangedTimeout);
    connectViews();
    QMetaObject::connectSlotsByName(this);
    m_loading = false;
}

TrafficStateDlga::~TrafficStateDlga()
{
    for (const QList<TurnArrowItem *> &arrows : qAsConst(m_arrows))
        qDeleteAll(arrows);
}

void TrafficStateDlga::buildForm()
{
    setObjectName(QStringLiteral("TrafficStateDlg"));
    resize(810, 522);
    setWindowTitle(tr("Traffic state data"));
    auto *layout = new QVBoxLayout(this);

    auto *top = new QHBoxLayout;
    auto *form = new QFormLayout;
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("name"));
    form->addRow(tr("Name:"), m_name);
    m_vehType = new QComboBox(this);
    m_vehType->setObjectName(QStringLiteral("vehType"));
    form->addRow(tr("Vehicle type:"), m_vehType);
    m_startTime = new QTimeEdit(this);
    m_startTime->setObjectName(QStringLiteral("startTime"));
    m_startTime->setDisplayFormat(QStringLiteral("hh:mm:ss"));
    form->addRow(tr("Time:"), m_startTime);
    m_duration = new QSpinBox(this);
    m_duration->setObjectName(QStringLiteral("duration"));
    m_duration->setRange(0, 86400);
    form->addRow(tr("Duration, sec:"), m_duration);
    auto *zoomRow = new QHBoxLayout;
    m_lockZoom = new QCheckBox(this);
    m_lockZoom->setObjectName(QStringLiteral("lockZoom"));
    m_lockedZoom = new QSpinBox(this);
    m_lockedZoom->setObjectName(QStringLiteral("lockedZoom"));
    m_lockedZoom->setRange(0, maxZoom);
    m_lockedZoom->setValue(unlockedZoom);
    m_lockedZoom->setEnabled(false);
    connect(m_lockZoom, &QCheckBox::toggled, m_lockedZoom, &QWidget::setEnabled);
    zoomRow->addWidget(m_lockZoom);
    zoomRow->addWidget(m_lockedZoom, 1);
    form->addRow(tr("Lock zoom:"), zoomRow);
    m_currentZoom = new QSpinBox(this);
    m_currentZoom->setObjectName(QStringLiteral("currentZoom"));
    m_currentZoom->setRange(0, maxZoom);
    m_currentZoom->setReadOnly(true);
    m_currentZoom->setButtonSymbols(QAbstractSpinBox::NoButtons);
    form->addRow(tr("Current map zoom:"), m_currentZoom);
    top->addLayout(form, 1);

    auto *defaults = new QGroupBox(tr("Default turning percentage"), this);
    defaults->setObjectName(QStringLiteral("defaultTurning"));
    auto *grid = new QGridLayout(defaults);
    m_defTurnaround = percentBox("def_turnaround", 1, defaults);
    m_defLeft = percentBox("def_left", 9, defaults);
    m_defStraight = percentBox("def_straight", 70, defaults);
    m_defRight = percentBox("def_right", 20, defaults);
    grid->addWidget(new QLabel(tr("turnaround:"), defaults), 0, 0);
    grid->addWidget(m_defTurnaround, 0, 1);
    grid->addWidget(new QLabel(tr("left:"), defaults), 1, 0);
    grid->addWidget(m_defLeft, 1, 1);
    grid->addWidget(new QLabel(tr("straight:"), defaults), 2, 0);
    grid->addWidget(m_defStraight, 2, 1);
    grid->addWidget(new QLabel(tr("right:"), defaults), 3, 0);
    grid->addWidget(m_defRight, 3, 1);
    m_fixDefValues = new QCheckBox(tr("Fix values"), defaults);
    m_fixDefValues->setObjectName(QStringLiteral("fixDefValues"));
    m_fixDefValues->setChecked(true);
    grid->addWidget(m_fixDefValues, 4, 0, 1, 2);
    top->addWidget(defaults);
    layout->addLayout(top);

    auto *tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("tabWidget"));
    auto *turnPage = new QWidget(tabs);
    auto *turnLayout = new QVBoxLayout(turnPage);
    m_fixValues = new QCheckBox(tr("Fix values"), turnPage);
    m_fixValues->setObjectName(QStringLiteral("fixValues"));
    m_fixValues->setChecked(true);
    turnLayout->addWidget(m_fixValues);
    m_turnDataTree = new QTreeWidget(turnPage);
    m_turnDataTree->setObjectName(QStringLiteral("turnDataTree"));
    m_turnDataTree->setColumnCount(3);
    m_turnDataTree->setHeaderLabels({tr("Junction"), tr("Maneuver"), tr("Turning pecentage")});
    m_turnDataTree->setItemDelegateForColumn(0, new ReadOnlyDelegate(m_turnDataTree));
    m_turnDataTree->setItemDelegateForColumn(1, new ReadOnlyDelegate(m_turnDataTree));
    m_turnDataTree->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                                    | QAbstractItemView::AnyKeyPressed);
    // Long junction names must not push the percentages out of sight.
    m_turnDataTree->setColumnWidth(0, 240);
    m_turnDataTree->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    turnLayout->addWidget(m_turnDataTree);
    tabs->addTab(turnPage, tr("Turning percentage"));

    m_inputFlowTable = new QTableWidget(0, 2, tabs);
    m_inputFlowTable->setObjectName(QStringLiteral("inputFlowTable"));
    m_inputFlowTable->setHorizontalHeaderLabels({tr("TAZ"), tr("flow, veh/h")});
    m_inputFlowTable->setItemDelegateForColumn(1, new FlowDelegate(m_inputFlowTable));
    m_inputFlowTable->horizontalHeader()->setStretchLastSection(true);
    tabs->addTab(m_inputFlowTable, tr("Input flows"));
    layout->addWidget(tabs, 1);

    m_buttonBox = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_buttonBox->setObjectName(QStringLiteral("buttonBox"));
    connect(m_buttonBox, &QDialogButtonBox::accepted, this, &TrafficStateDlga::accept);
    connect(m_buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(m_buttonBox);
}

void TrafficStateDlga::fillTurnTree()
{
    if (!m_net)
        return;
    const Trelvoa::TurnPercentage turns = defaults();
    for (Trelvoa::Node *node : m_net->findChildren<Trelvoa::Node *>()) {
        if (node->type() == Trelvoa::Node::PlainNode)
            continue;
        QList<QTreeWidgetItem *> children;
        for (Trelvoa::Edge *edge : node->edges()) {
            if (edge->end() != node)
                continue;
            const QList<Trelvoa::Connection *> connections = edge->connections();
            if (connections.isEmpty())
                continue;
            for (const Trelvoa::Edge::Connection &record : Trelvoa::Edge::Connection::makeFlow(connections, turns)) {
                auto *item = new QTreeWidgetItem;
                item->setIcon(0, manoeuvreIcon(record.manoeuvre));
                item->setText(1, QStringLiteral("%1 -> %2").arg(record.from->id()).arg(record.to->id()));
                item->setToolTip(1, QStringLiteral("%1 -> %2").arg(record.from->printableName(), record.to->printableName()));
                item->setFlags(item->flags() | Qt::ItemIsEditable);
                const int stored = m_state ? m_state->turnPercentage(record.from, record.to, -1) : -1;
                m_flows.insert(item, Flow{record.manoeuvre, record.from, record.to, record.percentage});
                setPercentage(item, stored < 0 ? record.percentage : stored, stored < 0);
                children.append(item);
            }
        }
        // A junction without movements has nothing to edit.
        if (children.isEmpty())
            continue;
        auto *junction = new QTreeWidgetItem(m_turnDataTree);
        junction->setText(0, node->printableName());
        junction->setData(0, idRole, node->id());
        junction->setFlags(junction->flags() & ~Qt::ItemIsEditable);
        junction->addChildren(children);
    }
}

void TrafficStateDlga::fillInputFlows()
{
    QList<Trelvoa::Taz *> zones;
    QList<QVariant> flows;
    if (m_state) {
        for (Trelvoa::Taz *taz : m_state->tazList()) {
            zones.append(taz);
            flows.append(m_state->inputFlow(taz));
        }
    }
    if (m_net) {
        for (Trelvoa::Taz *taz : m_net->findChildren<Trelvoa::Taz *>()) {
            if (!zones.contains(taz) && taz->hasSourceEdges()) {
                zones.append(taz);
                flows.append(QVariant());
            }
        }
    }
    m_inputFlowTable->setRowCount(zones.size());
    for (int r = 0; r < zones.size(); ++r) {
        auto *name = new QTableWidgetItem(zones.at(r)->printableName());
        name->setFlags(name->flags() & ~Qt::ItemIsEditable);
        name->setData(idRole, zones.at(r)->id());
        m_inputFlowTable->setItem(r, 0, name);
        auto *flow = new QTableWidgetItem;
        flow->setData(Qt::EditRole, flows.at(r));
        flow->setData(idRole, zones.at(r)->id());
        m_inputFlowTable->setItem(r, 1, flow);
    }
}

void TrafficStateDlga::connectViews()
{
    if (!m_net || !m_net->scene())
        return;
    for (QGraphicsView *view : m_net->scene()->views()) {
        const QMetaObject *meta = view->metaObject();
        if (meta->indexOfSignal("zoomChanged(int)") >= 0)
            connect(view, SIGNAL(zoomChanged(int)), this, SLOT(onMapZoomChanged(int)));
        int zoom = 0;
        const QVariant property = view->property("zoom");
        if (property.isValid())
            zoom = property.toInt();
        else if (meta->indexOfMethod("zoom()") >= 0)
            QMetaObject::invokeMethod(view, "zoom", Q_RETURN_ARG(int, zoom));
        if (zoom != 0) {
            m_currentZoom->setValue(zoom);
            m_lockedZoom->setValue(zoom);
        }
    }
}

Trelvoa::TrafficState *TrafficStateDlga::trafficState() const
{
    return m_state;
}

QList<QSpinBox *> TrafficStateDlga::defaultBoxes() const
{
    return {m_defTurnaround, m_defLeft, m_defStraight, m_defRight};
}

Trelvoa::TurnPercentage TrafficStateDlga::defaults() const
{
    return Trelvoa::TurnPercentage(m_defTurnaround->value(), m_defLeft->value(), m_defStraight->value(),
                                   m_defRight->value());
}

QTreeWidgetItem *TrafficStateDlga::junctionItem(const Trelvoa::Node *node) const
{
    for (int i = 0; node && i < m_turnDataTree->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = m_turnDataTree->topLevelItem(i);
        if (item->data(0, idRole).toInt() == node->id())
            return item;
    }
    return nullptr;
}

TrafficStateDlga::Flow TrafficStateDlga::flowOf(const QTreeWidgetItem *item) const
{
    return m_flows.value(item);
}

bool TrafficStateDlga::isDefault(const QTreeWidgetItem *item) const
{
    return item && item->data(percentColumn, defaultRole).toBool();
}

QList<TurnArrowItem *> TrafficStateDlga::shownArrows() const
{
    QList<TurnArrowItem *> arrows;
    if (!m_shownJunction)
        return arrows;
    for (int i = 0; i < m_shownJunction->childCount(); ++i)
        arrows += m_arrows.value(m_shownJunction->child(i));
    return arrows;
}

QVector<int> TrafficStateDlga::balanced(QVector<int> values, int fixed)
{
    const int count = values.size();
    if (count < 2 || fixed < 0 || fixed >= count)
        return values;
    const auto sum = [&values] {
        int total = 0;
        for (int v : qAsConst(values))
            total += v;
        return total;
    };
    const int diff = 100 - sum();
    const int others = count - 1;
    const bool shared = std::abs(diff) >= others;
    const int share = shared ? diff / others : 0;
    bool first = true;
    for (int i = 0; i < count; ++i) {
        if (i == fixed)
            continue;
        if (shared)
            values[i] = qMax(0, values[i] + share);
        else if (first)
            values[i] = qMax(0, values[i] + diff);
        first = false;
    }
    int remainder = 100 - sum();
    for (int i = 0; remainder != 0 && i < count; ++i) {
        if (i != fixed && values[i] + remainder >= 0) {
            values[i] += remainder;
            remainder = 0;
        }
    }
    // No single value could give up the excess: take it from several, so that the total is 100.
    for (int i = 0; remainder < 0 && i < count; ++i) {
        if (i == fixed)
            continue;
        const int taken = qMin(values[i], -remainder);
        values[i] -= taken;
        remainder += taken;
    }
    return values;
}

void TrafficStateDlga::setPercentage(QTreeWidgetItem *item, int percent, bool isDefault)
{
    const bool loading = m_loading;
    m_loading = true;
    item->setData(percentColumn, Qt::EditRole, percent);
    item->setData(percentColumn, defaultRole, isDefault);
    item->setForeground(percentColumn, isDefault ? QBrush(Qt::lightGray) : QBrush(Qt::black));
    m_loading = loading;
}

void TrafficStateDlga::onDefValueChanged(int arg1)
{
    Q_UNUSED(arg1)
    if (m_balancing)
        return;
    m_defTimer.setProperty(fixValueProperty, QVariant::fromValue<QObject *>(sender()));
    m_defTimer.start();
}

void TrafficStateDlga::onDefValueChangedTimeout()
{
    if (m_fixDefValues->isChecked()) {
        const QList<QSpinBox *> boxes = defaultBoxes();
        const int fixed = boxes.indexOf(qobject_cast<QSpinBox *>(m_defTimer.property(fixValueProperty).value<QObject *>()));
        QVector<int> values;
        for (QSpinBox *box : boxes)
            values.append(box->value());
        values = balanced(values, fixed);
        m_balancing = true;
        for (int i = 0; i < boxes.size(); ++i)
            boxes.at(i)->setValue(values.at(i));
        m_balancing = false;
    }
    applyDefaults();
}

// Every movement still on its default takes the new default of its kind, shared among the movements
// of that kind from the same edge as the model shares it.
void TrafficStateDlga::applyDefaults()
{
    const Trelvoa::TurnPercentage turns = defaults();
    for (int j = 0; j < m_turnDataTree->topLevelItemCount(); ++j) {
        QTreeWidgetItem *junction = m_turnDataTree->topLevelItem(j);
        QHash<Trelvoa::Edge *, QList<Trelvoa::Edge::Connection>> byEdge;
        for (int i = 0; i < junction->childCount(); ++i) {
            QTreeWidgetItem *item = junction->child(i);
            Flow &flow = m_flows[item];
            if (!flow.from || !flow.to)
                continue;
            auto it = byEdge.find(flow.from);
            if (it == byEdge.end())
                it = byEdge.insert(flow.from, Trelvoa::Edge::Connection::makeFlow(flow.from->connections(), turns));
            for (const Trelvoa::Edge::Connection &record : qAsConst(it.value())) {
                if (record.to == flow.to) {
                    flow.defaultPercentage = record.percentage;
                    break;
                }
            }
            if (isDefault(item))
                setPercentage(item, flow.defaultPercentage, true);
        }
    }
    refreshLabels(m_shownJunction);
}

void TrafficStateDlga::on_turnDataTree_itemChanged(QTreeWidgetItem *item, int column)
{
    if (column != percentColumn || m_loading || m_balancing || !item || !item->parent())
        return;
    const Flow flow = m_flows.value(item);
    const bool fix = m_fixValues->isChecked();
    int value = percentOf(item);
    if (fix)
        value = qBound(0, value, 100);
    // An edited movement is the user's, whether or not it is balanced.
    setPercentage(item, value, false);

    QList<QTreeWidgetItem *> siblings;
    if (fix) {
        QTreeWidgetItem *junction = item->parent();
        for (int i = 0; i < junction->childCount(); ++i) {
            QTreeWidgetItem *sibling = junction->child(i);
            const Flow other = m_flows.value(sibling);
            if (other.from == flow.from && other.manoeuvre < 4)
                siblings.append(sibling);
        }
    }
    if (siblings.size() >= 2 && siblings.contains(item)) {
        QVector<int> values;
        for (QTreeWidgetItem *sibling : qAsConst(siblings))
            values.append(percentOf(sibling));
        values = balanced(values, siblings.indexOf(item));
        for (int i = 0; i < siblings.size(); ++i)
            setPercentage(siblings.at(i), values.at(i), false);
    }
    if (item->parent() == m_shownJunction)
        refreshLabels(m_shownJunction);
}

void TrafficStateDlga::refreshLabels(QTreeWidgetItem *junction)
{
    if (!junction)
        return;
    for (int i = 0; i < junction->childCount(); ++i) {
        QTreeWidgetItem *item = junction->child(i);
        for (TurnArrowItem *arrow : m_arrows.value(item))
            arrow->setPercentage(percentOf(item));
    }
}

void TrafficStateDlga::hideJunction(QTreeWidgetItem *junction)
{
    if (!junction)
        return;
    for (int i = 0; i < junction->childCount(); ++i) {
        for (TurnArrowItem *arrow : m_arrows.value(junction->child(i)))
            arrow->hide();
    }
}

void TrafficStateDlga::showJunction(QTreeWidgetItem *junction)
{
    if (!m_net || !m_net->scene())
        return;
    const Layer *top = m_net->layer(Networkg::layerSelection);
    const double z = top ? top->zValue() + 1.0 : 1e6;
    for (int i = 0; i < junction->childCount(); ++i) {
        QTreeWidgetItem *item = junction->child(i);
        auto it = m_arrows.find(item);
        if (it == m_arrows.end()) {
            it = m_arrows.insert(item, {});
            const Flow flow = m_flows.value(item);
            if (flow.from && flow.to) {
                for (Trelvoa::Connection *connection : flow.from->connections()) {
                    if (!connection->endLane() || connection->endLane()->edge() != flow.to)
                        continue;
                    auto *arrow = new TurnArrowItem(connection, m_net->geoUtil(), manoeuvreColor(flow.manoeuvre));
                    arrow->setZValue(z);
                    m_net->scene()->addItem(arrow);
                    it.value().append(arrow);
                }
            }
        }
        // The lane connections of one movement lie side by side: one label says it for all of them.
        const QList<TurnArrowItem *> &arrows = it.value();
        for (int a = 0; a < arrows.size(); ++a) {
            arrows.at(a)->label()->setVisible(a == arrows.size() / 2);
            arrows.at(a)->show();
        }
    }
    refreshLabels(junction);
}

void TrafficStateDlga::on_turnDataTree_currentItemChanged(QTreeWidgetItem *current, QTreeWidgetItem *previous)
{
    Q_UNUSED(previous)
    QTreeWidgetItem *junction = current && current->parent() ? current->parent() : current;
    if (junction != m_shownJunction) {
        hideJunction(m_shownJunction);
        m_shownJunction = junction;
        if (junction)
            showJunction(junction);
    }
    if (!junction || !m_net)
        return;
    GenericGraphicsItem *nodeItem = m_net->object2item(m_net->findObject(junction->data(0, idRole).toInt()));
    if (nodeItem)
        zoomTo(nodeItem->sceneBoundingRect());
}

void TrafficStateDlga::on_inputFlowTable_currentItemChanged(QTableWidgetItem *current, QTableWidgetItem *previous)
{
    Q_UNUSED(previous)
    if (!current || !m_net)
        return;
    if (GenericGraphicsItem *tazItem = m_net->object2item(m_net->findObject(current->data(idRole).toInt())))
        zoomTo(tazItem->sceneBoundingRect());
}

void TrafficStateDlga::zoomTo(const QRectF &sceneRect)
{
    if (!m_net || !m_net->scene())
        return;
    const int zoom = m_lockZoom->isChecked() ? m_lockedZoom->value() : unlockedZoom;
    for (QGraphicsView *view : m_net->scene()->views()) {
        if (view->metaObject()->indexOfMethod("fitInViewZ(QRectF,int)") >= 0)
            QMetaObject::invokeMethod(view, "fitInViewZ", Q_ARG(QRectF, sceneRect), Q_ARG(int, zoom));
    }
}

void TrafficStateDlga::onMapZoomChanged(int zoom)
{
    m_currentZoom->setValue(zoom);
    if (!m_lockZoom->isChecked())
        m_lockedZoom->setValue(zoom);
}

void TrafficStateDlga::accept()
{
    if (m_name->text().trimmed().isEmpty()) {
        QMessageBox::warning(this, tr("Warning"), tr("You must specify traffic state name"));
        return;
    }
    if (!m_state) {
        // The state edited went away while the dialog was open: nothing to store into.
        if (!m_newState) {
            reject();
            return;
        }
        m_state = new Trelvoa::TrafficState;
    }
    Trelvoa::TrafficState *state = m_state;
    state->clear();
    if (state->objectName() != m_name->text())
        state->setName(m_name->text());
    state->setVehicleType(m_vehType->currentData().toInt());
    state->setStartTime(m_startTime->time());
    state->setDuration(m_duration->value());
    // The defaults the movements were shown with: without them a state reopens with other defaults.
    state->setDefaultTurnPercentage(defaults());
    for (int j = 0; j < m_turnDataTree->topLevelItemCount(); ++j) {
        const QTreeWidgetItem *junction = m_turnDataTree->topLevelItem(j);
        for (int i = 0; i < junction->childCount(); ++i) {
            const QTreeWidgetItem *item = junction->child(i);
            const Flow flow = m_flows.value(item);
            if (!isDefault(item) && flow.from && flow.to)
                state->setTurnPercentage(flow.from, flow.to, percentOf(item));
        }
    }
    for (int r = 0; r < m_inputFlowTable->rowCount(); ++r) {
        const QTableWidgetItem *cell = m_inputFlowTable->item(r, 1);
        if (!cell || !m_net)
            continue;
        bool ok = false;
        const int flow = cell->data(Qt::EditRole).toString().trimmed().toInt(&ok);
        auto *taz = m_net->findObject<Trelvoa::Taz>(cell->data(idRole).toInt());
        if (ok && taz)
            state->setInputFlow(taz, flow);
    }
    QDialog::accept();
}

} // namespace Trelvoga
