#include "dialogs/odmatrixdlga.h"

#include "dialogs/vehicletypes.h"
#include "scene/genericgraphicsitem.h"
#include "scene/networkg.h"

#include "geo/geoutil.h"
#include "odmatrix.h"
#include "taz.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QEventLoop>
#include <QFormLayout>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMetaObject>
#include <QPushButton>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimeEdit>
#include <QVBoxLayout>

#include <cmath>

namespace Trelvoga {

const QColor ODMatrixDlga::fadedTazColor(29, 236, 229, 90);
const QColor ODMatrixDlga::originColor(Qt::red);
const QColor ODMatrixDlga::destinationColor(Qt::green);

namespace {

constexpr int tazIdRole = Qt::UserRole + 1;
constexpr double maxTrips = 1e9;

// The dialog's size and place, for the next one.
QByteArray &rememberedGeometry()
{
    static QByteArray geometry;
    return geometry;
}

// Trips are non-negative; 0 leaves the cell empty, as a pair without trips has no cell in the matrix.
class TripsDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        auto *spin = new QDoubleSpinBox(parent);
        spin->setFrame(false);
        spin->setRange(0.0, maxTrips);
        spin->setDecimals(2);
        return spin;
    }
    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        static_cast<QDoubleSpinBox *>(editor)->setValue(index.data(Qt::EditRole).toDouble());
    }
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override
    {
        auto *spin = static_cast<QDoubleSpinBox *>(editor);
        spin->interpretText();
        const double value = spin->value();
        model->setData(index, value > 0.0 ? QVariant(value) : QVariant(), Qt::EditRole);
    }
};

// A cell's trips; 0 for an empty cell and for anything that is not a positive number.
double tripsOf(const QTableWidgetItem *item)
{
    if (!item)
        return 0.0;
    bool ok = false;
    const double value = item->data(Qt::EditRole).toDouble(&ok);
    return ok && std::isfinite(value) && value > 0.0 ? value : 0.0;
}

QTableWidgetItem *tripsItem(double value)
{
    auto *item = new QTableWidgetItem;
    item->setData(Qt::EditRole, value);
    return item;
}

} // namespace

ODMatrixDlga::ODMatrixDlga(Networkg *net, Trelvoa::OdMatrix *matrix, QWidget *parent, const NetEdit *edit)
    : QDialog(parent)
    , m_net(net)
    , m_matrix(matrix)
    , m_newMatrix(!matrix)
{
    qRegisterMetaType<Trelvoa::Taz *>();
    buildForm();
    fillVehicleTypes(m_vehType, edit);
    if (matrix) {
        m_name->setText(matrix->objectName());
        selectVehicleType(m_vehType, matrix->vehiclesType());
        // The dialog edits what it showed: the matrix going away ends it.
        connect(matrix, &QObject::destroyed, this, [this] { reject(); });
    } else {
        selectVehicleType(m_vehType, 1);
    }

    const QSignalBlocker blocker(m_odTable);
    if (matrix) {
        for (Trelvoa::Taz *taz : matrix->tazList())
            addTaz(taz);
        for (const Trelvoa::OdMatrix::Cell &cell : matrix->cells()) {
            const int from = rowOf(cell.from);
            const int to = rowOf(cell.to);
            if (from < 0 || to < 0)
                continue;
            if (cell.forward > 0.0)
                m_odTable->setItem(from, to, tripsItem(cell.forward));
            if (cell.backward > 0.0 && from != to)
                m_odTable->setItem(to, from, tripsItem(cell.backward));
        }
    }
    if (m_net) {
        for (Trelvoa::Taz *taz : m_net->findChildren<Trelvoa::Taz *>()) {
            if (rowOf(taz) >= 0)
                continue;
            if (GenericGraphicsItem *item = itemOf(taz))
                item->setColor(fadedTazColor);
        }
    }
    if (!rememberedGeometry().isEmpty())
        restoreGeometry(rememberedGeometry());
}

ODMatrixDlga::~ODMatrixDlga()
{
    if (m_loop)
        m_loop->exit(QDialog::Rejected);
}

void ODMatrixDlga::buildForm()
{
    setObjectName(QStringLiteral("ODMatrixDlga"));
    resize(644, 460);
    setWindowTitle(tr("Demand matrix"));
    auto *layout = new QVBoxLayout(this);

    auto *form = new QFormLayout;
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("name"));
    form->addRow(tr("Name:"), m_name);
    m_vehType = new QComboBox(this);
    m_vehType->setObjectName(QStringLiteral("vehType"));
    form->addRow(tr("Types of vehicle"), m_vehType);
    layout->addLayout(form);

    auto *selectionMode = new QGroupBox(tr("Selection mode"), this);
    selectionMode->setObjectName(QStringLiteral("groupBox_2"));
    auto *modeLayout = new QHBoxLayout(selectionMode);
    m_selectionModeOrigin = new QRadioButton(tr("origin"), selectionMode);
    m_selectionModeOrigin->setObjectName(QStringLiteral("selectionModeOrigin"));
    m_selectionModeOrigin->setChecked(true);
    m_selectionModeDestination = new QRadioButton(tr("destination"), selectionMode);
    m_selectionModeDestination->setObjectName(QStringLiteral("selectionModeDestination"));
    modeLayout->addWidget(m_selectionModeOrigin);
    modeLayout->addWidget(m_selectionModeDestination);
    modeLayout->addStretch();
    layout->addWidget(selectionMode);

    m_odTable = new QTableWidget(0, 0, this);
    m_odTable->setObjectName(QStringLiteral("odTable"));
    m_odTable->setItemDelegate(new TripsDelegate(m_odTable));
    m_odTable->setContextMenuPolicy(Qt::CustomContextMenu);
    m_odTable->setSelectionMode(QAbstractItemView::SingleSelection);
    layout->addWidget(m_odTable, 1);
    const auto setUpHeader = [this](QHeaderView *header, void (ODMatrixDlga::*show)(int)) {
        header->setSectionsClickable(false);
        header->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(header, &QHeaderView::sectionDoubleClicked, this, show);
        // The zone under the mouse is the one the user means, even when it is not the current one.
        connect(header, &QWidget::customContextMenuRequested, this, [this, header, show](const QPoint &pos) {
            const int section = header->logicalIndexAt(pos);
            QMenu menu(header);
            QAction *action = menu.addAction(tr("Show on screen"));
            action->setObjectName(QStringLiteral("showOnScreen"));
            connect(action, &QAction::triggered, this, [this, section, show] { (this->*show)(section); });
            menu.exec(header->viewport()->mapToGlobal(pos));
        });
    };
    setUpHeader(m_odTable->verticalHeader(), &ODMatrixDlga::odTable_vertical_section_doubleclicked);
    setUpHeader(m_odTable->horizontalHeader(), &ODMatrixDlga::odTable_horizontal_section_doubleclicked);

    auto *calculation = new QGroupBox(tr("Calculate from measurement data"), this);
    calculation->setObjectName(QStringLiteral("groupBox"));
    auto *calcLayout = new QHBoxLayout(calculation);
    calcLayout->addWidget(new QLabel(tr("Group of days:"), calculation));
    m_dayGroups = new QComboBox(calculation);
    m_dayGroups->setObjectName(QStringLiteral("dayGroups"));
    calcLayout->addWidget(m_dayGroups, 1);
    calcLayout->addWidget(new QLabel(tr("For time:"), calculation));
    m_startTime = new QTimeEdit(calculation);
    m_startTime->setObjectName(QStringLiteral("startTime"));
    calcLayout->addWidget(m_startTime);
    m_calculate = new QPushButton(tr("Calculate"), calculation);
    m_calculate->setObjectName(QStringLiteral("calculate"));
    calcLayout->addWidget(m_calculate);
    layout->addWidget(calculation);

    m_buttonBox = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_buttonBox->setObjectName(QStringLiteral("buttonBox"));
    connect(m_buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(m_buttonBox);

    QMetaObject::connectSlotsByName(this);
}

Trelvoa::OdMatrix *ODMatrixDlga::matrix() const
{
    return m_matrix;
}

QList<Trelvoa::Taz *> ODMatrixDlga::tazList() const
{
    QList<Trelvoa::Taz *> list;
    for (int r = 0; r < m_odTable->rowCount(); ++r) {
        if (Trelvoa::Taz *taz = tazOf(m_odTable->verticalHeaderItem(r)))
            list.append(taz);
    }
    return list;
}

void ODMatrixDlga::addTaz(Trelvoa::Taz *taz)
{
    const QString text = taz->objectName().isEmpty() ? QString::number(taz->id()) : taz->objectName();
    const auto header = [taz, &text] {
        auto *item = new QTableWidgetItem(text);
        item->setData(Qt::UserRole, QVariant::fromValue<QObject *>(taz));
        item->setData(tazIdRole, taz->id());
        return item;
    };
    const int index = m_odTable->rowCount();
    m_odTable->insertRow(index);
    m_odTable->insertColumn(index);
    m_odTable->setVerticalHeaderItem(index, header());
    m_odTable->setHorizontalHeaderItem(index, header());
    if (GenericGraphicsItem *item = itemOf(taz))
        item->resetColor();
}

int ODMatrixDlga::rowOf(const Trelvoa::Taz *taz) const
{
    if (!taz)
        return -1;
    for (int r = 0; r < m_odTable->rowCount(); ++r) {
        const QTableWidgetItem *header = m_odTable->verticalHeaderItem(r);
        if (header && header->data(tazIdRole).toInt() == taz->id())
            return r;
    }
    return -1;
}

// Through the id: a zone deleted while the dialog is open is gone, one brought back by undo is found.
Trelvoa::Taz *ODMatrixDlga::tazOf(const QTableWidgetItem *header) const
{
    if (!header || !m_net)
        return nullptr;
    return m_net->findObject<Trelvoa::Taz>(header->data(tazIdRole).toInt());
}

GenericGraphicsItem *ODMatrixDlga::itemOf(const Trelvoa::Taz *taz) const
{
    return m_net && taz ? m_net->object2item(const_cast<Trelvoa::Taz *>(taz)) : nullptr;
}

int ODMatrixDlga::exec()
{
    show();
    raise();
    activateWindow();
    QEventLoop loop;
    m_loop = &loop;
    const QPointer<ODMatrixDlga> alive(this);
    loop.exec(QEventLoop::DialogExec);
    if (!alive)
        return QDialog::Rejected;
    m_loop = nullptr;
    resetZoneItems(true);
    return result();
}

void ODMatrixDlga::done(int result)
{
    if (result == QDialog::Accepted) {
        if (m_name->text().trimmed().isEmpty()) {
            QMessageBox::warning(this, tr("Warning"), tr("You must specify matrix name"));
            return;
        }
        if (!store())
            result = QDialog::Rejected;
    }
    resetZoneItems(false);
    m_highlightedRow = -1;
    m_highlightedColumn = -1;
    rememberedGeometry() = saveGeometry();
    QDialog::done(result);
    if (m_loop)
        m_loop->exit(result);
}

bool ODMatrixDlga::store()
{
    if (!m_matrix) {
        // The matrix edited went away while the dialog was open: nothing to store into.
        if (!m_newMatrix)
            return false;
        m_matrix = new Trelvoa::OdMatrix;
    }
    Trelvoa::OdMatrix *matrix = m_matrix;
    if (matrix->objectName() != m_name->text())
        matrix->setName(m_name->text());
    matrix->setVehiclesType(m_vehType->currentData().toInt());

    QList<Trelvoa::Taz *> zones;
    QList<int> rows;
    for (int r = 0; r < m_odTable->rowCount(); ++r) {
        if (Trelvoa::Taz *taz = tazOf(m_odTable->verticalHeaderItem(r))) {
            zones.append(taz);
            rows.append(r);
        }
    }
    for (Trelvoa::Taz *taz : matrix->tazList()) {
        if (!zones.contains(taz))
            matrix->removeTaz(taz);
    }
    // Zones join even when all their cells are empty: the user chose them.
    for (Trelvoa::Taz *taz : qAsConst(zones))
        matrix->addTaz(taz);
    for (int i = 0; i < zones.size(); ++i) {
        for (int j = 0; j < zones.size(); ++j)
            matrix->setIntensity(zones.at(i), zones.at(j), tripsOf(m_odTable->item(rows.at(i), rows.at(j))));
    }
    return true;
}

void ODMatrixDlga::resetZoneItems(bool everyZone)
{
    if (!m_net)
        return;
    QList<Trelvoa::Taz *> zones = everyZone ? m_net->findChildren<Trelvoa::Taz *>() : QList<Trelvoa::Taz *>();
    if (!everyZone) {
        for (int r = 0; r < m_odTable->rowCount(); ++r) {
            if (Trelvoa::Taz *taz = tazOf(m_odTable->verticalHeaderItem(r)))
                zones.append(taz);
        }
    }
    for (Trelvoa::Taz *taz : qAsConst(zones)) {
        if (GenericGraphicsItem *item = itemOf(taz)) {
            item->resetColor();
            if (!everyZone)
                item->setSelected(false);
        }
    }
}

void ODMatrixDlga::sceneItemClicked(GenericGraphicsItem *item)
{
    if (!item || !m_net || !isVisible())
        return;
    auto *taz = qobject_cast<Trelvoa::Taz *>(m_net->item2object(item));
    if (!taz)
        return;
    int index = rowOf(taz);
    if (index < 0) {
        addTaz(taz);
        index = m_odTable->rowCount() - 1;
    }
    if (m_selectionModeOrigin->isChecked())
        m_odTable->setCurrentCell(index, qMax(0, m_odTable->currentColumn()));
    else
        m_odTable->setCurrentCell(qMax(0, m_odTable->currentRow()), index);
}

void ODMatrixDlga::on_calculate_clicked()
{
    // How trips follow from measured counts is not settled; the button is a placeholder.
}

void ODMatrixDlga::on_odTable_currentCellChanged(int currentRow, int currentColumn, int previousRow, int previousColumn)
{
    Q_UNUSED(previousRow)
    Q_UNUSED(previousColumn)
    m_changed = 1;
    if (currentRow != m_highlightedRow)
        leaveRow(m_highlightedRow);
    if (currentColumn != m_highlightedColumn)
        leaveColumn(m_highlightedColumn);
    // A zone both origin and destination keeps a colour while either stays; the origin's wins.
    if (currentColumn >= 0)
        selectColumn(currentColumn);
    if (currentRow >= 0)
        selectRow(currentRow);
}

void ODMatrixDlga::leaveRow(int row)
{
    QTableWidgetItem *header = row >= 0 ? m_odTable->verticalHeaderItem(row) : nullptr;
    if (!header)
        return;
    if (GenericGraphicsItem *item = itemOf(tazOf(header))) {
        item->resetColor();
        item->setSelected(false);
    }
    header->setBackground(m_odTable->verticalHeader()->palette().button());
    m_highlightedRow = -1;
}

void ODMatrixDlga::leaveColumn(int column)
{
    QTableWidgetItem *header = column >= 0 ? m_odTable->horizontalHeaderItem(column) : nullptr;
    if (!header)
        return;
    if (GenericGraphicsItem *item = itemOf(tazOf(header))) {
        item->resetColor();
        item->setSelected(false);
    }
    header->setBackground(m_odTable->horizontalHeader()->palette().button());
    m_highlightedColumn = -1;
}

void ODMatrixDlga::selectRow(int row)
{
    QTableWidgetItem *header = m_odTable->verticalHeaderItem(row);
    if (!header)
        return;
    if (GenericGraphicsItem *item = itemOf(tazOf(header))) {
        item->setColor(originColor);
        item->setSelected(true);
    }
    header->setBackground(originColor);
    m_highlightedRow = row;
}

void ODMatrixDlga::selectColumn(int column)
{
    QTableWidgetItem *header = m_odTable->horizontalHeaderItem(column);
    if (!header)
        return;
    if (GenericGraphicsItem *item = itemOf(tazOf(header))) {
        item->setColor(destinationColor);
        item->setSelected(true);
    }
    header->setBackground(destinationColor);
    m_highlightedColumn = column;
}

void ODMatrixDlga::odTable_vertical_section_doubleclicked(int index)
{
    showZone(m_odTable->verticalHeaderItem(index >= 0 ? index : m_odTable->currentRow()));
}

void ODMatrixDlga::odTable_horizontal_section_doubleclicked(int index)
{
    showZone(m_odTable->horizontalHeaderItem(index >= 0 ? index : m_odTable->currentColumn()));
}

// The zone is found through the header's zone, not its text: a named zone is shown as well.
void ODMatrixDlga::showZone(const QTableWidgetItem *header)
{
    Trelvoa::Taz *taz = tazOf(header);
    if (!taz || !m_net || !m_net->scene())
        return;
    const QPointF centre = taz->pos();
    QRectF rect(centre - QPointF(50, 50), QSizeF(100, 100));
    if (Trelvoa::GeoUtil *geo = m_net->geoUtil())
        rect = QRectF(geo->xyToGeo(rect.topLeft()), geo->xyToGeo(rect.bottomRight())).normalized();
    for (QGraphicsView *view : m_net->scene()->views()) {
        if (view->metaObject()->indexOfMethod("fitInView(QRectF)") >= 0)
            QMetaObject::invokeMethod(view, "fitInView", Q_ARG(QRectF, rect));
    }
}

} // namespace Trelvoga
