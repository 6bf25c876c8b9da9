// The OD matrix dialog on a four-arm junction with zones, driven through real widget events and real
// clicks on the scene while the dialog runs its own event loop.

#include "editorfixture.h"
#include "layouts.h"
#include "saves.h"

#include "dialogs/odmatrixdlga.h"
#include "editor/netedit.h"
#include "items/tazg.h"
#include "mapview.h"
#include "scene/networkg.h"
#include "scene/networkscene.h"

#include "odmatrix.h"
#include "taz.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>
#include <QUndoStack>
#include <QtTest>

#include <functional>

using namespace Trelvoa;
using Trelvoga::ODMatrixDlga;

namespace {

Layouts::Layout fourArm(Network *net)
{
    return Layouts::fourArm(net);
}

// Zones "west" and "east" feeding and draining their arms, and "north" without a matrix.
struct Zones
{
    Taz *west = nullptr;
    Taz *east = nullptr;
    Taz *north = nullptr;
};

Taz *addZone(EditorFixture &f, const QString &arm, const QPointF &pos, const QString &name = QString())
{
    auto *taz = new Taz(f.net(), pos);
    taz->setName(name);
    if (!f.net()->addItem(taz))
        qFatal("addItem failed");
    taz->addEdge(f.edge(arm, QStringLiteral("C")), 10, true);
    taz->addEdge(f.edge(QStringLiteral("C"), arm), 80, false);
    return taz;
}

Zones addZones(EditorFixture &f)
{
    Zones z;
    z.west = addZone(f, QStringLiteral("W"), QPointF(-90, 30));
    z.east = addZone(f, QStringLiteral("E"), QPointF(90, 30));
    z.north = addZone(f, QStringLiteral("N"), QPointF(30, 90), QStringLiteral("Nord"));
    f.settle();
    return z;
}

// Zones shrink to nothing unless zoomed in as far as a map in degrees is (this layout is in metres):
// the view goes there for the click and comes back.
void clickZone(EditorFixture &f, Taz *taz)
{
    const QTransform old = f.view()->transform();
    const QPointF centre = f.view()->mapToScene(f.view()->viewport()->rect().center());
    const double scale = 2 * Trelvoga::Tazg::fullSizeScale;
    f.view()->setTransform(QTransform::fromScale(scale, -scale));
    f.view()->centerOn(f.toScene(taz->pos()));
    f.view()->viewport()->repaint();
    f.click(taz->pos());
    f.settle();
    f.view()->setTransform(old);
    f.view()->centerOn(centre);
}

QColor colorOf(EditorFixture &f, Taz *taz)
{
    auto *item = static_cast<Trelvoga::Tazg *>(f.net()->object2item(taz));
    return item ? item->overrideColor() : QColor(Qt::magenta);
}

bool isSelected(EditorFixture &f, Taz *taz)
{
    return f.net()->object2item(taz)->isSelected();
}

QTableWidget *tableOf(QWidget *dialog)
{
    return dialog->findChild<QTableWidget *>(QStringLiteral("odTable"));
}

QStringList headers(const QTableWidget *table, Qt::Orientation orientation)
{
    QStringList texts;
    const int count = orientation == Qt::Vertical ? table->rowCount() : table->columnCount();
    for (int i = 0; i < count; ++i)
        texts << (orientation == Qt::Vertical ? table->verticalHeaderItem(i) : table->horizontalHeaderItem(i))->text();
    return texts;
}

// "row>column=value" for every filled cell, by header texts.
QStringList cells(const QTableWidget *table)
{
    QStringList list;
    for (int r = 0; r < table->rowCount(); ++r) {
        for (int c = 0; c < table->columnCount(); ++c) {
            const QTableWidgetItem *item = table->item(r, c);
            if (item && item->data(Qt::EditRole).isValid())
                list << QStringLiteral("%1>%2=%3")
                            .arg(table->verticalHeaderItem(r)->text(), table->horizontalHeaderItem(c)->text(),
                                 item->data(Qt::EditRole).toString());
        }
    }
    return list;
}

void clickCell(QTableWidget *table, int row, int column)
{
    const QModelIndex index = table->model()->index(row, column);
    table->scrollTo(index);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, table->visualRect(index).center());
}

void typeTrips(QTableWidget *table, int row, int column, const QString &text)
{
    clickCell(table, row, column);
    QTest::keyClick(table, Qt::Key_F2);
    auto *spin = table->viewport()->findChild<QDoubleSpinBox *>();
    QVERIFY(spin);
    QTest::keyClick(spin, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(spin, text);
    QTest::keyClick(spin, Qt::Key_Return);
    QTRY_VERIFY(!table->viewport()->findChild<QDoubleSpinBox *>());
}

void typeName(QWidget *dialog, const QString &name)
{
    auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("name"));
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, name);
}

void clickButton(QWidget *dialog, QDialogButtonBox::StandardButton which)
{
    QTest::mouseClick(dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"))->button(which), Qt::LeftButton);
}

// Runs the steps once the dialog is up: creation and editing run the dialog's own event loop.
void whenDialogShown(const std::function<void(ODMatrixDlga *)> &steps)
{
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, steps] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            auto *dialog = qobject_cast<ODMatrixDlga *>(widget);
            if (!dialog || !dialog->isVisible())
                continue;
            timer->stop();
            timer->deleteLater();
            steps(dialog);
            // A failed check returns early: the dialog must not stay open for ever.
            if (dialog->isVisible())
                dialog->reject();
            return;
        }
    });
    timer->start(10);
}

// Answers the next message box, keeping its title and text.
void answerMessageBox(QStringList *seen)
{
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, seen] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        timer->stop();
        timer->deleteLater();
        *seen << box->windowTitle() + QLatin1Char('|') + box->text();
        box->button(QMessageBox::Ok)->click();
    });
    timer->start(10);
}

OdMatrix *addMatrix(EditorFixture &f, const Zones &z)
{
    auto *matrix = new OdMatrix(f.net());
    matrix->setName(QStringLiteral("morning"));
    matrix->setVehiclesType(Lane::vcBus);
    if (!f.net()->addItem(matrix))
        qFatal("addItem failed");
    matrix->setIntensity(z.west, z.east, 120);
    matrix->setIntensity(z.east, z.east, 4.5);
    return matrix;
}

} // namespace

class TestDemandOdMatrix : public QObject
{
    Q_OBJECT

private slots:
    void opensTheMatrixAndFadesOtherZones();
    void sceneClicksPickZonesAndColourThem();
    void acceptStoresTheTableAndKeepsEmptyZones();
    void emptyNameKeepsTheDialogOpen();
    void showOnScreenFitsTheViewsToTheZone();
    void editorCreatesAndChangesAsOneUndoStep();
};

void TestDemandOdMatrix::opensTheMatrixAndFadesOtherZones()
{
    EditorFixture f(fourArm);
    const Zones z = addZones(f);
    OdMatrix *matrix = addMatrix(f, z);
    const QString west = QString::number(z.west->id());
    const QString east = QString::number(z.east->id());
    {
        ODMatrixDlga dialog(f.net(), matrix, f.view());
        dialog.show();
        QCOMPARE(dialog.objectName(), QStringLiteral("ODMatrixDlga"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Demand matrix"));
        QCOMPARE(dialog.findChild<QLineEdit *>(QStringLiteral("name"))->text(), QStringLiteral("morning"));
        auto *vehType = dialog.findChild<QComboBox *>(QStringLiteral("vehType"));
        QCOMPARE(vehType->currentData().toInt(), int(Lane::vcBus));
        QCOMPARE(vehType->findData(int(Lane::vcPedestrian)) >= 0, true);
        QVERIFY(dialog.findChild<QRadioButton *>(QStringLiteral("selectionModeOrigin"))->isChecked());

        // Zones without a name go by their id; the pair's other direction (0) and the empty pair stay empty.
        QTableWidget *table = tableOf(&dialog);
        QCOMPARE(headers(table, Qt::Vertical), (QStringList{west, east}));
        QCOMPARE(headers(table, Qt::Horizontal), (QStringList{west, east}));
        QCOMPARE(table->verticalHeaderItem(0)->data(Qt::UserRole).value<QObject *>(), z.west);
        QCOMPARE(cells(table), (QStringList{west + '>' + east + "=120", east + '>' + east + "=4.5"}));
        QVERIFY(!table->horizontalHeader()->sectionsClickable());

        // Only the zone outside the matrix is faded.
        QCOMPARE(colorOf(f, z.north), ODMatrixDlga::fadedTazColor);
        QCOMPARE(colorOf(f, z.north).alpha(), 90);
        QCOMPARE(colorOf(f, z.west), QColor());
        // The calculation has no behaviour: the button changes nothing.
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("calculate")), Qt::LeftButton);
        QCOMPARE(cells(table).size(), 2);
        clickButton(&dialog, QDialogButtonBox::Cancel);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }
    // Cancel: the matrix as it was.
    QCOMPARE(matrix->intensity(z.west, z.east), 120.0);
    QCOMPARE(matrix->intensity(z.east, z.west), 0.0);
    QCOMPARE(matrix->tazList(), (QList<Taz *>{z.west, z.east}));
}

void TestDemandOdMatrix::sceneClicksPickZonesAndColourThem()
{
    EditorFixture f(fourArm);
    const Zones z = addZones(f);
    QMainWindow window;
    f.edit()->setCustomMainWindow(&window);
    bool checked = false;
    whenDialogShown([&](ODMatrixDlga *dialog) {
        QTableWidget *table = tableOf(dialog);
        QCOMPARE(table->rowCount(), 0);
        QCOMPARE(colorOf(f, z.west), ODMatrixDlga::fadedTazColor);
        // A junction or a road is no zone.
        f.click(f.node("C"));
        f.click(QPointF(50, -2));
        f.settle();

        QCOMPARE(table->rowCount(), 0);

        // Origin: the zone joins and becomes the current row, red in the header and on the scene.
        clickZone(f, z.west);
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(table->currentRow(), 0);
        QCOMPARE(colorOf(f, z.west), ODMatrixDlga::originColor);
        QVERIFY(isSelected(f, z.west));
        QCOMPARE(table->verticalHeaderItem(0)->background().color(), ODMatrixDlga::originColor);

        // Destination: the next zone joins as the current column, green; the origin stays red.
        QTest::mouseClick(dialog->findChild<QRadioButton *>(QStringLiteral("selectionModeDestination")), Qt::LeftButton);
        clickZone(f, z.east);
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(table->columnCount(), 2);
        QCOMPARE(table->currentRow(), 0);
        QCOMPARE(table->currentColumn(), 1);
        QCOMPARE(colorOf(f, z.east), ODMatrixDlga::destinationColor);
        QCOMPARE(colorOf(f, z.west), ODMatrixDlga::originColor);
        QCOMPARE(table->horizontalHeaderItem(1)->background().color(), ODMatrixDlga::destinationColor);

        // A zone already in the table only moves the current cell; the column left is reset.
        clickZone(f, z.west);
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(table->currentColumn(), 0);
        QCOMPARE(colorOf(f, z.east), QColor());
        QVERIFY(!isSelected(f, z.east));
        QCOMPARE(table->horizontalHeaderItem(1)->background().color(),
                 table->horizontalHeader()->palette().button().color());
        // The zone is both origin and destination now: it keeps a colour when the row moves on.
        clickCell(table, 1, 0);
        QCOMPARE(colorOf(f, z.west), ODMatrixDlga::destinationColor);
        QCOMPARE(colorOf(f, z.east), ODMatrixDlga::originColor);
        QVERIFY(dialog->isChanged());
        checked = true;
        clickButton(dialog, QDialogButtonBox::Cancel);
    });
    QCOMPARE(f.edit()->createOdMatix(), static_cast<NetObject *>(nullptr));
    QVERIFY(checked);
    // Every zone back to its own colour, nothing made.
    for (Taz *taz : {z.west, z.east, z.north}) {
        QCOMPARE(colorOf(f, taz), QColor());
        QVERIFY(!isSelected(f, taz));
    }
    QVERIFY(f.net()->findChildren<OdMatrix *>().isEmpty());
    QCOMPARE(f.undoStack()->count(), 0);
}

void TestDemandOdMatrix::acceptStoresTheTableAndKeepsEmptyZones()
{
    EditorFixture f(fourArm);
    const Zones z = addZones(f);
    OdMatrix *matrix = addMatrix(f, z);
    {
        ODMatrixDlga dialog(f.net(), matrix, f.view());
        dialog.show();
        QTableWidget *table = tableOf(&dialog);
        // North joins through its item, as a scene click would bring it; its cells stay empty.
        dialog.sceneItemClicked(f.net()->object2item(z.north));
        QCOMPARE(headers(table, Qt::Vertical).last(), QStringLiteral("Nord"));
        // east>west gets trips, west>east goes to 0 (no trips), east>east is changed.
        typeTrips(table, 1, 0, QStringLiteral("30"));
        typeTrips(table, 0, 1, QStringLiteral("0"));
        QVERIFY(!table->item(0, 1)->data(Qt::EditRole).isValid());
        typeTrips(table, 1, 1, QStringLiteral("7.25"));
        auto *vehType = dialog.findChild<QComboBox *>(QStringLiteral("vehType"));
        vehType->setCurrentIndex(vehType->findData(int(Lane::vcTruck)));
        typeName(&dialog, QStringLiteral("evening"));
        clickButton(&dialog, QDialogButtonBox::Ok);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
    QCOMPARE(matrix->objectName(), QStringLiteral("evening"));
    QCOMPARE(matrix->vehiclesType(), int(Lane::vcTruck));
    // The zone with only empty cells is kept; a pair without trips in either direction has no cell.
    QCOMPARE(matrix->tazList(), (QList<Taz *>{z.west, z.east, z.north}));
    QCOMPARE(matrix->intensity(z.east, z.west), 30.0);
    QCOMPARE(matrix->intensity(z.west, z.east), 0.0);
    QCOMPARE(matrix->intensity(z.east, z.east), 7.25);
    QCOMPARE(matrix->cells().size(), 2);
    for (const OdMatrix::Cell &cell : matrix->cells())
        QVERIFY(cell.from != z.north && cell.to != z.north);

    // Saved and loaded, the zone without trips is still there.
    const QByteArray saved = f.canonicalSave();
    QVERIFY(f.load(saved));
    auto *loaded = f.net()->findChildren<OdMatrix *>().value(0);
    QVERIFY(loaded);
    QCOMPARE(loaded->tazList().size(), 3);
    QCOMPARE(TestSupport::firstDifference(saved, f.canonicalSave()), QString());
}

void TestDemandOdMatrix::emptyNameKeepsTheDialogOpen()
{
    EditorFixture f(fourArm);
    const Zones z = addZones(f);
    OdMatrix *matrix = addMatrix(f, z);
    const QByteArray before = f.canonicalSave();
    ODMatrixDlga dialog(f.net(), matrix, f.view());
    dialog.show();
    QTableWidget *table = tableOf(&dialog);
    clickCell(table, 0, 0);
    typeTrips(table, 0, 0, QStringLiteral("11"));
    typeName(&dialog, QStringLiteral("   "));
    QStringList seen;
    answerMessageBox(&seen);
    clickButton(&dialog, QDialogButtonBox::Ok);
    QCOMPARE(seen, QStringList{QStringLiteral("Warning|You must specify matrix name")});
    QVERIFY(dialog.isVisible());
    QCOMPARE(TestSupport::firstDifference(before, f.canonicalSave()), QString());
    // The highlight stays while the dialog does.
    QCOMPARE(colorOf(f, z.west), ODMatrixDlga::originColor);

    typeName(&dialog, QStringLiteral("named"));
    clickButton(&dialog, QDialogButtonBox::Ok);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(matrix->intensity(z.west, z.west), 11.0);
    QCOMPARE(colorOf(f, z.west), QColor());
}

void TestDemandOdMatrix::showOnScreenFitsTheViewsToTheZone()
{
    EditorFixture f(fourArm);
    const Zones z = addZones(f);
    OdMatrix *matrix = addMatrix(f, z);
    matrix->setIntensity(z.north, z.west, 2);
    ODMatrixDlga dialog(f.net(), matrix, f.view());
    dialog.show();
    QTableWidget *table = tableOf(&dialog);
    const auto viewCentre = [&f] {
        return f.view()->mapToScene(f.view()->viewport()->rect().center());
    };
    const auto near = [](const QPointF &a, const QPointF &b) { return QLineF(a, b).length() < 5.0; };

    // A double click on a row header shows its zone.
    QHeaderView *rows = table->verticalHeader();
    QTest::mouseDClick(rows->viewport(), Qt::LeftButton, Qt::NoModifier,
                       QPoint(rows->width() / 2, rows->sectionViewportPosition(1) + rows->sectionSize(1) / 2));
    QVERIFY2(near(viewCentre(), f.toScene(z.east->pos())), qPrintable(QStringLiteral("%1 %2").arg(viewCentre().x()).arg(viewCentre().y())));

    // "Show on screen" from the column header's menu, on a zone with a name.
    QHeaderView *columns = table->horizontalHeader();
    const int named = table->columnCount() - 1;
    QCOMPARE(columns->model()->headerData(named, Qt::Horizontal).toString(), QStringLiteral("Nord"));
    auto *timer = new QTimer(&dialog);
    QObject::connect(timer, &QTimer::timeout, [timer] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        timer->stop();
        QCOMPARE(menu->actions().size(), 1);
        QCOMPARE(menu->actions().first()->text(), QStringLiteral("Show on screen"));
        menu->actions().first()->trigger();
        menu->close();
    });
    timer->start(10);
    const QPoint at(columns->sectionViewportPosition(named) + columns->sectionSize(named) / 2, columns->height() / 2);
    emit columns->customContextMenuRequested(at);
    QVERIFY(near(viewCentre(), f.toScene(z.north->pos())));

    // Without an argument: the current row's zone.
    clickCell(table, 0, 1);
    dialog.odTable_vertical_section_doubleclicked();
    QVERIFY(near(viewCentre(), f.toScene(z.west->pos())));
}

void TestDemandOdMatrix::editorCreatesAndChangesAsOneUndoStep()
{
    EditorFixture f(fourArm);
    const Zones z = addZones(f);
    QMainWindow window;
    f.edit()->setCustomMainWindow(&window);
    f.net()->setChanged(false);
    const QByteArray empty = f.canonicalSave();

    whenDialogShown([&](ODMatrixDlga *dialog) {
        QCOMPARE(dialog->parentWidget(), &window);
        clickZone(f, z.west);
        QTest::mouseClick(dialog->findChild<QRadioButton *>(QStringLiteral("selectionModeDestination")), Qt::LeftButton);
        clickZone(f, z.east);
        // A second dialog is refused while this one is open.
        QCOMPARE(f.edit()->createOdMatix(), static_cast<NetObject *>(nullptr));
        typeTrips(tableOf(dialog), 0, 1, QStringLiteral("55"));
        typeName(dialog, QStringLiteral("made"));
        clickButton(dialog, QDialogButtonBox::Ok);
    });
    QVERIFY(f.trigger(QStringLiteral("createOdMatrix")));
    const QList<OdMatrix *> made = f.net()->findChildren<OdMatrix *>();
    QCOMPARE(made.size(), 1);
    OdMatrix *matrix = made.first();
    QCOMPARE(matrix->parent(), f.net());
    QCOMPARE(matrix->intensity(z.west, z.east), 55.0);
    QCOMPARE(f.undoStack()->count(), 1);
    QVERIFY(f.net()->isChanged());
    const QByteArray created = f.canonicalSave();

    // Changing through the context menu's action data; cancel leaves no step.
    QAction change;
    change.setData(QVariant::fromValue<QObject *>(matrix));
    QObject::connect(&change, &QAction::triggered, f.edit(), &Trelvoga::NetEdit::changeODMatrix);
    whenDialogShown([&](ODMatrixDlga *dialog) {
        typeTrips(tableOf(dialog), 0, 1, QStringLiteral("1"));
        clickButton(dialog, QDialogButtonBox::Cancel);
    });
    change.trigger();
    QCOMPARE(f.undoStack()->count(), 1);
    QCOMPARE(TestSupport::firstDifference(created, f.canonicalSave()), QString());

    whenDialogShown([&](ODMatrixDlga *dialog) {
        typeTrips(tableOf(dialog), 1, 0, QStringLiteral("9"));
        clickButton(dialog, QDialogButtonBox::Ok);
    });
    change.trigger();
    QCOMPARE(f.undoStack()->count(), 2);
    QCOMPARE(matrix->intensity(z.east, z.west), 9.0);
    const QByteArray changed = f.canonicalSave();

    f.undoStack()->undo();
    f.settle();
    QCOMPARE(TestSupport::firstDifference(created, f.canonicalSave()), QString());
    f.undoStack()->undo();
    f.settle();
    QCOMPARE(TestSupport::firstDifference(empty, f.canonicalSave()), QString());
    f.redoAll();
    f.settle();
    QCOMPARE(TestSupport::firstDifference(changed, f.canonicalSave()), QString());
}

QTEST_MAIN(TestDemandOdMatrix)
#include "tst_demand_odmatrix.moc"
