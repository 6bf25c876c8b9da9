// The traffic state dialog on real junction layouts, driven through real widget events: the movement
// tree, the balancing of defaults and of edited percentages, the junction display, zoom and storing.

#include "editorfixture.h"
#include "layouts.h"
#include "saves.h"
#include "widgets.h"

#include "dialogs/trafficstatedlga.h"
#include "dialogs/turnarrowitem.h"
#include "editor/netedit.h"
#include "mapview.h"
#include "scene/networkg.h"
#include "scene/networkscene.h"

#include "connection.h"
#include "taz.h"
#include "trafficstate.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGraphicsTextItem>
#include <QHeaderView>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimeEdit>
#include <QTimer>
#include <QTreeWidget>
#include <QUndoStack>
#include <QtTest>

#include <functional>

using namespace Trelvoa;
using Trelvoga::TrafficStateDlga;
using Trelvoga::TurnArrowItem;
using TestSupport::child;

namespace {

Layouts::Layout fourArm(Network *net)
{
    return Layouts::fourArm(net);
}

Taz *addZone(EditorFixture &f, const QString &arm, const QPointF &pos, bool source)
{
    auto *taz = new Taz(f.net(), pos);
    if (!f.net()->addItem(taz))
        qFatal("addItem failed");
    if (source)
        taz->addEdge(f.edge(arm, QStringLiteral("C")), 10, true);
    taz->addEdge(f.edge(QStringLiteral("C"), arm), 80, false);
    return taz;
}

QTreeWidget *treeOf(const QObject *dialog)
{
    return child<QTreeWidget>(dialog, "turnDataTree");
}

QTreeWidgetItem *movement(const TrafficStateDlga &dialog, const Edge *from, const Edge *to)
{
    QTreeWidget *tree = treeOf(&dialog);
    for (int j = 0; j < tree->topLevelItemCount(); ++j) {
        for (int i = 0; i < tree->topLevelItem(j)->childCount(); ++i) {
            QTreeWidgetItem *item = tree->topLevelItem(j)->child(i);
            const TrafficStateDlga::Flow flow = dialog.flowOf(item);
            if (flow.from == from && flow.to == to)
                return item;
        }
    }
    qFatal("no movement");
    return nullptr;
}

int percent(const QTreeWidgetItem *item)
{
    return item->data(2, Qt::EditRole).toInt();
}

// Percentages of the movements out of `from` in the order left, straight, right (the layouts have no
// turnarounds).
QList<int> turns(EditorFixture &f, const TrafficStateDlga &dialog, const QString &from, const QStringList &to)
{
    QList<int> values;
    for (const QString &target : to)
        values << percent(movement(dialog, f.edge(from, QStringLiteral("C")), f.edge(QStringLiteral("C"), target)));
    return values;
}

QList<int> defaultBoxes(const QObject *dialog)
{
    return {child<QSpinBox>(dialog, "def_turnaround")->value(), child<QSpinBox>(dialog, "def_left")->value(),
            child<QSpinBox>(dialog, "def_straight")->value(), child<QSpinBox>(dialog, "def_right")->value()};
}

void typeInto(QAbstractSpinBox *box, const QString &text)
{
    box->setFocus();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, text);
}

void typePercent(QTreeWidget *tree, QTreeWidgetItem *item, const QString &text)
{
    tree->scrollToItem(item);
    const QRect row = tree->visualItemRect(item);
    const QPoint at(tree->header()->sectionViewportPosition(2) + 10, row.center().y());
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QCOMPARE(tree->currentItem(), item);
    QTest::keyClick(tree, Qt::Key_F2);
    auto *spin = tree->viewport()->findChild<QSpinBox *>();
    QVERIFY(spin);
    QTest::keyClick(spin, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(spin, text);
    QTest::keyClick(spin, Qt::Key_Return);
    QTRY_VERIFY(!tree->viewport()->findChild<QSpinBox *>());
}

void clickOk(QWidget *dialog)
{
    QTest::mouseClick(child<QDialogButtonBox>(dialog, "buttonBox")->button(QDialogButtonBox::Ok), Qt::LeftButton);
}

void typeName(QWidget *dialog, const QString &name)
{
    auto *edit = child<QLineEdit>(dialog, "name");
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, name);
}

// Runs the steps on the next modal widget of the type.
template<class T>
void whenModal(const std::function<void(T *)> &steps)
{
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, steps] {
        auto *widget = qobject_cast<T *>(QApplication::activeModalWidget());
        if (!widget)
            return;
        timer->stop();
        timer->deleteLater();
        steps(widget);
        // A failed check returns early: a dialog must not stay open for ever.
        if (auto *dialog = qobject_cast<QDialog *>(widget); dialog && dialog->isVisible())
            dialog->reject();
    });
    timer->start(10);
}

const QStringList leftStraightRight{QStringLiteral("E"), QStringLiteral("S"), QStringLiteral("W")};

} // namespace

class TestDemandTrafficState : public QObject
{
    Q_OBJECT

private slots:
    void treeListsTheMovementsOfJunctions();
    void balancing_data();
    void balancing();
    void defaultsBalanceASecondAfterTheLastChange();
    void editedPercentagesAreClampedAndBalanced();
    void unfixedEditsAreStoredAsTyped();
    void acceptStoresTheStateAndRefusesAnEmptyName();
    void selectedJunctionIsShownAndZoomedTo();
    void editorCreatesAndChangesAsOneUndoStep();
};

void TestDemandTrafficState::treeListsTheMovementsOfJunctions()
{
    EditorFixture f(fourArm);
    Taz *west = addZone(f, QStringLiteral("W"), QPointF(-90, 30), true);
    Taz *east = addZone(f, QStringLiteral("E"), QPointF(90, 30), true);
    addZone(f, QStringLiteral("N"), QPointF(30, 90), false); // drains only: no input flow
    auto *state = new TrafficState(f.net());
    state->setName(QStringLiteral("peak"));
    state->setVehicleType(Lane::vcTruck);
    state->setStartTime(QTime(7, 30));
    state->setDuration(1800);
    state->setDefaultTurnPercentage(TurnPercentage(0, 10, 60, 30));
    QVERIFY(f.net()->addItem(state));
    QVERIFY(state->setTurnPercentage(f.edge("N", "C"), f.edge("C", "S"), 55));
    QVERIFY(state->setInputFlow(east, 300));

    TrafficStateDlga dialog(f.net(), state, f.view());
    dialog.show();
    QCOMPARE(dialog.objectName(), QStringLiteral("TrafficStateDlg"));
    QCOMPARE(child<QLineEdit>(&dialog, "name")->text(), QStringLiteral("peak"));
    QCOMPARE(child<QComboBox>(&dialog, "vehType")->currentData().toInt(), int(Lane::vcTruck));
    QCOMPARE(child<QTimeEdit>(&dialog, "startTime")->time(), QTime(7, 30));
    QCOMPARE(child<QSpinBox>(&dialog, "duration")->value(), 1800);
    QCOMPARE(defaultBoxes(&dialog), (QList<int>{0, 10, 60, 30}));

    // Only the junction: the arm ends are plain nodes. Three movements per incoming edge.
    QTreeWidget *tree = treeOf(&dialog);
    QCOMPARE(tree->topLevelItemCount(), 1);
    QCOMPARE(tree->topLevelItem(0)->text(0), f.node("C")->printableName());
    QCOMPARE(tree->topLevelItem(0)->childCount(), 12);
    QCOMPARE(dialog.junctionItem(f.node("N")), static_cast<QTreeWidgetItem *>(nullptr));
    QTreeWidgetItem *stored = movement(dialog, f.edge("N", "C"), f.edge("C", "S"));
    QCOMPARE(stored->text(1), QStringLiteral("%1 -> %2").arg(f.edge("N", "C")->id()).arg(f.edge("C", "S")->id()));
    QCOMPARE(percent(stored), 55);
    QVERIFY(!dialog.isDefault(stored));
    QCOMPARE(stored->foreground(2).color(), QColor(Qt::black));
    QVERIFY(!stored->icon(0).isNull());
    // The others show the state's defaults, in light grey.
    QCOMPARE(turns(f, dialog, QStringLiteral("N"), leftStraightRight), (QList<int>{10, 55, 30}));
    QTreeWidgetItem *left = movement(dialog, f.edge("N", "C"), f.edge("C", "E"));
    QVERIFY(dialog.isDefault(left));
    QCOMPARE(dialog.flowOf(left).manoeuvre, int(TurnPercentage::Left));
    QCOMPARE(left->foreground(2).color(), QColor(Qt::lightGray));
    QCOMPARE(turns(f, dialog, QStringLiteral("S"), {"W", "N", "E"}), (QList<int>{10, 60, 30}));

    // Input flows: the state's zone first, then the other feeding zone, empty.
    auto *flows = child<QTableWidget>(&dialog, "inputFlowTable");
    QCOMPARE(flows->rowCount(), 2);
    QCOMPARE(flows->item(0, 0)->text(), east->printableName());
    QCOMPARE(flows->item(0, 1)->data(Qt::EditRole), QVariant(300));
    QCOMPARE(flows->item(1, 0)->text(), west->printableName());
    QVERIFY(!flows->item(1, 1)->data(Qt::EditRole).isValid());
    QVERIFY(!(flows->item(0, 0)->flags() & Qt::ItemIsEditable));
}

void TestDemandTrafficState::balancing_data()
{
    QTest::addColumn<QVector<int>>("values");
    QTest::addColumn<int>("fixed");
    QTest::addColumn<QVector<int>>("expected");
    // Left raised from 9 to 19: 3 off each other, the turnaround stops at 0, the rest from straight.
    QTest::newRow("left 9 to 19") << QVector<int>{1, 19, 70, 20} << 1 << QVector<int>{0, 19, 64, 17};
    // A difference below the count of the others goes to the first of them.
    QTest::newRow("difference of 2") << QVector<int>{1, 9, 68, 20} << 2 << QVector<int>{3, 9, 68, 20};
    QTest::newRow("difference of -2") << QVector<int>{1, 9, 72, 20} << 2 << QVector<int>{0, 8, 72, 20};
    QTest::newRow("first fixed") << QVector<int>{10, 9, 70, 20} << 0 << QVector<int>{10, 6, 67, 17};
    QTest::newRow("balanced") << QVector<int>{1, 9, 70, 20} << 3 << QVector<int>{1, 9, 70, 20};
    // No single value can give up the excess: several do.
    QTest::newRow("spread") << QVector<int>{0, 13, 95, 13} << 2 << QVector<int>{0, 0, 95, 5};
    QTest::newRow("two movements") << QVector<int>{100, 20} << 0 << QVector<int>{100, 0};
    QTest::newRow("one movement") << QVector<int>{40} << 0 << QVector<int>{40};
}

void TestDemandTrafficState::balancing()
{
    QFETCH(QVector<int>, values);
    QFETCH(int, fixed);
    QFETCH(QVector<int>, expected);
    QCOMPARE(TrafficStateDlga::balanced(values, fixed), expected);
}

void TestDemandTrafficState::defaultsBalanceASecondAfterTheLastChange()
{
    EditorFixture f(fourArm);
    TrafficStateDlga dialog(f.net(), nullptr, f.view());
    dialog.show();
    QCOMPARE(defaultBoxes(&dialog), (QList<int>{1, 9, 70, 20}));
    QCOMPARE(child<QSpinBox>(&dialog, "duration")->value(), 3600);
    QVERIFY(child<QCheckBox>(&dialog, "fixDefValues")->isChecked());

    typeInto(child<QSpinBox>(&dialog, "def_left"), QStringLiteral("19"));
    QCOMPARE(defaultBoxes(&dialog), (QList<int>{1, 19, 70, 20}));
    QTest::qWait(TrafficStateDlga::defaultsInterval / 2);
    QCOMPARE(defaultBoxes(&dialog), (QList<int>{1, 19, 70, 20}));
    QTRY_COMPARE_WITH_TIMEOUT(defaultBoxes(&dialog), (QList<int>{0, 19, 64, 17}), 3000);
    // The movements on their defaults follow.
    QCOMPARE(turns(f, dialog, QStringLiteral("N"), leftStraightRight), (QList<int>{19, 64, 17}));
    QVERIFY(dialog.isDefault(movement(dialog, f.edge("N", "C"), f.edge("C", "S"))));

    typeInto(child<QSpinBox>(&dialog, "def_straight"), QStringLiteral("62"));
    QTRY_COMPARE_WITH_TIMEOUT(defaultBoxes(&dialog), (QList<int>{2, 19, 62, 17}), 3000);

    // Unfixed: no balancing, but the movements still take the new defaults.
    QTest::mouseClick(child<QCheckBox>(&dialog, "fixDefValues"), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QVERIFY(!child<QCheckBox>(&dialog, "fixDefValues")->isChecked());
    typeInto(child<QSpinBox>(&dialog, "def_right"), QStringLiteral("30"));
    QTRY_COMPARE_WITH_TIMEOUT(turns(f, dialog, QStringLiteral("W"), {"N", "E", "S"}), (QList<int>{19, 62, 30}), 3000);
    QCOMPARE(defaultBoxes(&dialog), (QList<int>{2, 19, 62, 30}));
}

void TestDemandTrafficState::editedPercentagesAreClampedAndBalanced()
{
    EditorFixture f(fourArm);
    TrafficStateDlga dialog(f.net(), nullptr, f.view());
    dialog.show();
    QTreeWidget *tree = treeOf(&dialog);
    tree->expandAll();
    QTreeWidgetItem *straight = movement(dialog, f.edge("N", "C"), f.edge("C", "S"));

    typePercent(tree, straight, QStringLiteral("150"));
    QCOMPARE(percent(straight), 100);
    QCOMPARE(turns(f, dialog, QStringLiteral("N"), leftStraightRight), (QList<int>{0, 100, 0}));
    typePercent(tree, straight, QStringLiteral("-5"));
    QCOMPARE(percent(straight), 0);
    const QList<int> after = turns(f, dialog, QStringLiteral("N"), leftStraightRight);
    QCOMPARE(after.at(0) + after.at(1) + after.at(2), 100);
    QCOMPARE(after.at(1), 0);
    // The three from that edge are the user's now; the other edges keep their defaults.
    for (const QString &to : leftStraightRight) {
        QTreeWidgetItem *item = movement(dialog, f.edge("N", "C"), f.edge("C", to));
        QVERIFY(!dialog.isDefault(item));
        QCOMPARE(item->foreground(2).color(), QColor(Qt::black));
    }
    QCOMPARE(turns(f, dialog, QStringLiteral("S"), {"W", "N", "E"}), (QList<int>{9, 70, 20}));
    QVERIFY(dialog.isDefault(movement(dialog, f.edge("S", "C"), f.edge("C", "N"))));

    typePercent(tree, movement(dialog, f.edge("N", "C"), f.edge("C", "E")), QStringLiteral("40"));
    QCOMPARE(turns(f, dialog, QStringLiteral("N"), leftStraightRight).at(0), 40);
    const QList<int> last = turns(f, dialog, QStringLiteral("N"), leftStraightRight);
    QCOMPARE(last.at(0) + last.at(1) + last.at(2), 100);
}

void TestDemandTrafficState::unfixedEditsAreStoredAsTyped()
{
    EditorFixture f(fourArm);
    TrafficStateDlga dialog(f.net(), nullptr, f.view());
    dialog.show();
    QTreeWidget *tree = treeOf(&dialog);
    tree->expandAll();
    QTest::mouseClick(child<QCheckBox>(&dialog, "fixValues"), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QVERIFY(!child<QCheckBox>(&dialog, "fixValues")->isChecked());
    typePercent(tree, movement(dialog, f.edge("N", "C"), f.edge("C", "S")), QStringLiteral("50"));
    QCOMPARE(turns(f, dialog, QStringLiteral("N"), leftStraightRight), (QList<int>{9, 50, 20}));
    QVERIFY(dialog.isDefault(movement(dialog, f.edge("N", "C"), f.edge("C", "E"))));
    typeName(&dialog, QStringLiteral("typed"));
    clickOk(&dialog);
    TrafficState *state = dialog.trafficState();
    QVERIFY(state);
    const QList<TrafficState::Movement> stored = state->turnPercentages();
    QCOMPARE(stored.size(), 1);
    QCOMPARE(stored.first().from, f.edge("N", "C"));
    QCOMPARE(stored.first().to, f.edge("C", "S"));
    QCOMPARE(stored.first().percent, 50);
    delete state;
}

void TestDemandTrafficState::acceptStoresTheStateAndRefusesAnEmptyName()
{
    EditorFixture f(fourArm);
    Taz *west = addZone(f, QStringLiteral("W"), QPointF(-90, 30), true);
    Taz *east = addZone(f, QStringLiteral("E"), QPointF(90, 30), true);
    auto *state = new TrafficState(f.net());
    state->setName(QStringLiteral("old"));
    QVERIFY(f.net()->addItem(state));
    QVERIFY(state->setTurnPercentage(f.edge("S", "C"), f.edge("C", "N"), 33));
    QVERIFY(state->setInputFlow(east, 100));
    const QByteArray before = f.canonicalSave();

    TrafficStateDlga dialog(f.net(), state, f.view());
    dialog.show();
    QTreeWidget *tree = treeOf(&dialog);
    tree->expandAll();
    typePercent(tree, movement(dialog, f.edge("W", "C"), f.edge("C", "E")), QStringLiteral("80"));
    auto *flows = child<QTableWidget>(&dialog, "inputFlowTable");
    QCOMPARE(flows->item(1, 0)->text(), west->printableName());
    flows->setCurrentCell(1, 1);
    QTest::keyClick(flows, Qt::Key_F2);
    auto *edit = flows->viewport()->findChild<QLineEdit *>();
    QVERIFY(edit);
    QTest::keyClicks(edit, QStringLiteral("450"));
    QTest::keyClick(edit, Qt::Key_Return);
    QTRY_COMPARE(flows->item(1, 1)->data(Qt::EditRole), QVariant(450));
    typeInto(child<QSpinBox>(&dialog, "duration"), QStringLiteral("900"));
    child<QTimeEdit>(&dialog, "startTime")->setTime(QTime(16, 0));

    typeName(&dialog, QString());
    QStringList seen;
    whenModal<QMessageBox>([&seen](QMessageBox *box) {
        seen << box->windowTitle() + QLatin1Char('|') + box->text();
        box->button(QMessageBox::Ok)->click();
    });
    clickOk(&dialog);
    QCOMPARE(seen, QStringList{QStringLiteral("Warning|You must specify traffic state name")});
    QVERIFY(dialog.isVisible());
    QCOMPARE(TestSupport::firstDifference(before, f.canonicalSave()), QString());

    typeName(&dialog, QStringLiteral("new"));
    clickOk(&dialog);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(state->objectName(), QStringLiteral("new"));
    QCOMPARE(state->duration(), 900);
    QCOMPARE(state->startTime(), QTime(16, 0));
    QCOMPARE(state->inputFlow(east, -1), 100);
    QCOMPARE(state->inputFlow(west, -1), 450);
    QCOMPARE(state->turnPercentage(f.edge("S", "C"), f.edge("C", "N")), 33);
    QCOMPARE(state->turnPercentage(f.edge("W", "C"), f.edge("C", "E")), 80);
    // The balanced siblings are the user's too; the other edges' defaults are not stored.
    QVERIFY(state->turnPercentage(f.edge("W", "C"), f.edge("C", "N")) >= 0);
    QCOMPARE(state->turnPercentage(f.edge("N", "C"), f.edge("C", "S")), -1);
    QCOMPARE(state->turnPercentages().size(), 4);
    QCOMPARE(state->defaultTurnPercentage(), TurnPercentage::defaultValue());
}

void TestDemandTrafficState::selectedJunctionIsShownAndZoomedTo()
{
    EditorFixture f(Layouts::roundabout);
    f.view()->setZoom(16);
    TrafficStateDlga dialog(f.net(), nullptr, f.view());
    dialog.show();
    QCOMPARE(child<QSpinBox>(&dialog, "currentZoom")->value(), 16);
    QCOMPARE(child<QSpinBox>(&dialog, "lockedZoom")->value(), 16);
    QVERIFY(!child<QSpinBox>(&dialog, "lockedZoom")->isEnabled());
    QTreeWidget *tree = treeOf(&dialog);
    QCOMPARE(tree->topLevelItemCount(), 6);
    QVERIFY(dialog.shownArrows().isEmpty());

    // A junction: one arrow per lane connection, labelled with its movement's percentage.
    Node *r0 = f.node("R0");
    QTreeWidgetItem *first = dialog.junctionItem(r0);
    QVERIFY(first);
    const QRect row = tree->visualItemRect(first);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(row.left() + 40, row.center().y()));
    QCOMPARE(tree->currentItem(), first);
    const QList<TurnArrowItem *> arrows = dialog.shownArrows();
    QCOMPARE(arrows.size(), r0->connections().size());
    int labels = 0;
    for (TurnArrowItem *arrow : arrows)
        labels += arrow->label()->isVisible() ? 1 : 0;
    QCOMPARE(labels, first->childCount()); // one per movement
    for (TurnArrowItem *arrow : arrows) {
        QVERIFY(arrow->isVisible());
        QCOMPARE(arrow->scene(), f.scene());
        QVERIFY(arrow->label()->toPlainText().endsWith(QLatin1Char('%')));
        QVERIFY(arrow->label()->toHtml().contains(QLatin1String("center")));
    }
    // Each arrow runs along its connection, its head (straight, on a curve) reaching about its end.
    for (Connection *connection : r0->connections()) {
        const QVector<QPointF> points = connection->skeleton().points();
        bool found = false;
        for (TurnArrowItem *arrow : arrows) {
            const QRectF bounds = arrow->modelPath().boundingRect().adjusted(-0.3, -0.3, 0.3, 0.3);
            found = found || (bounds.contains(points.last()) && bounds.contains(points.first()));
        }
        QVERIFY(found);
    }
    // The views went to the junction at zoom 18, and the dialog followed the view.
    QCOMPARE(f.view()->zoom(), int(TrafficStateDlga::unlockedZoom));
    QCOMPARE(child<QSpinBox>(&dialog, "currentZoom")->value(), 18);
    QCOMPARE(child<QSpinBox>(&dialog, "lockedZoom")->value(), 18);
    const QPointF centre = f.view()->mapToScene(f.view()->viewport()->rect().center());
    QVERIFY(QLineF(centre, f.toScene(r0->pos())).length() < 10);

    // Labels follow edits; another junction hides this one's arrows.
    tree->expandItem(first);
    QTreeWidgetItem *edited = first->child(0);
    typePercent(tree, edited, QStringLiteral("100"));
    int labelled = 0;
    for (TurnArrowItem *arrow : arrows)
        labelled += arrow->label()->toPlainText() == QLatin1String("100%") && arrow->label()->isVisible();
    QCOMPARE(labelled, 1);

    QTest::mouseClick(child<QCheckBox>(&dialog, "lockZoom"), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QVERIFY(child<QSpinBox>(&dialog, "lockedZoom")->isEnabled());
    typeInto(child<QSpinBox>(&dialog, "lockedZoom"), QStringLiteral("15"));
    Node *r3 = f.node("R3");
    tree->setCurrentItem(dialog.junctionItem(r3));
    for (TurnArrowItem *arrow : arrows)
        QVERIFY(!arrow->isVisible());
    QCOMPARE(dialog.shownArrows().size(), r3->connections().size());
    QCOMPARE(f.view()->zoom(), 15);
    QCOMPARE(child<QSpinBox>(&dialog, "currentZoom")->value(), 15);
    // A locked zoom is not taken from the map.
    f.view()->setZoom(17);
    QCOMPARE(child<QSpinBox>(&dialog, "currentZoom")->value(), 17);
    QCOMPARE(child<QSpinBox>(&dialog, "lockedZoom")->value(), 15);
}

void TestDemandTrafficState::editorCreatesAndChangesAsOneUndoStep()
{
    EditorFixture f(fourArm);
    QMainWindow window;
    f.edit()->setCustomMainWindow(&window);
    f.net()->setChanged(false);
    const QByteArray empty = f.canonicalSave();

    whenModal<TrafficStateDlga>([&](TrafficStateDlga *dialog) {
        QCOMPARE(dialog->parentWidget(), &window);
        QTreeWidget *tree = treeOf(dialog);
        tree->expandAll();
        typePercent(tree, movement(*dialog, f.edge("E", "C"), f.edge("C", "W")), QStringLiteral("60"));
        typeName(dialog, QStringLiteral("made"));
        clickOk(dialog);
    });
    QVERIFY(f.trigger(QStringLiteral("createTrafficState")));
    const QList<TrafficState *> made = f.net()->findChildren<TrafficState *>();
    QCOMPARE(made.size(), 1);
    TrafficState *state = made.first();
    QCOMPARE(state->turnPercentage(f.edge("E", "C"), f.edge("C", "W")), 60);
    QCOMPARE(f.undoStack()->count(), 1);
    QVERIFY(f.net()->isChanged());
    const QByteArray created = f.canonicalSave();

    // Through the selection, cancelled: no step.
    f.edit()->selectObjectInTree(state);
    whenModal<TrafficStateDlga>([](TrafficStateDlga *dialog) { dialog->reject(); });
    f.edit()->changeTrafficState();
    QCOMPARE(f.undoStack()->count(), 1);

    whenModal<TrafficStateDlga>([&](TrafficStateDlga *dialog) {
        typeName(dialog, QStringLiteral("renamed"));
        clickOk(dialog);
    });
    f.edit()->changeTrafficState();
    QCOMPARE(f.undoStack()->count(), 2);
    QCOMPARE(state->objectName(), QStringLiteral("renamed"));
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

QTEST_MAIN(TestDemandTrafficState)
#include "tst_demand_trafficstate.moc"
