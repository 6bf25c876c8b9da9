// The lane context menu's vehicle types on the selected lanes: allow, allow only, disallow only,
// disallow all and default, each one undoable command per lane, and applied directly without a stack.

#include "editorfixture.h"
#include "saves.h"

#include "editor/netedit.h"
#include "scene/genericgraphicsitem.h"
#include "scene/networkg.h"
#include "scene/networkscene.h"

#include "edge.h"
#include "lane.h"

#include <QAction>
#include <QGraphicsScene>
#include <QTest>
#include <QUndoStack>

using namespace Trelvoa;
using namespace Trelvoga;

namespace {

using Classes = Lane::VehicleClasses;

Layouts::Layout fourArm(Network *net)
{
    return Layouts::fourArm(net);
}

// A menu entry as the context menu makes it: the class names as data, checkable in "Allow".
std::unique_ptr<QAction> entry(const QString &classes, bool checked)
{
    auto action = std::make_unique<QAction>(classes);
    action->setData(classes);
    action->setCheckable(true);
    action->setChecked(checked);
    return action;
}

void selectLanes(EditorFixture &f, const QList<Lane *> &lanes)
{
    f.scene()->clearSelection();
    for (Lane *lane : lanes)
        f.net()->object2item(lane)->setSelected(true);
}

} // namespace

class TestEditorVehicleClasses : public QObject
{
    Q_OBJECT

private slots:
    void eachOperationOnTheSelectedLanes();
    void uncheckingClearsOnlyThoseBitsWithinAll();
    void withoutUndoStackTheChangeIsDirect();
};

void TestEditorVehicleClasses::eachOperationOnTheSelectedLanes()
{
    EditorFixture f(fourArm);
    Lane *a = f.edge("W", "C")->lane(0);
    Lane *b = f.edge("W", "C")->lane(1);
    Lane *other = f.edge("C", "E")->lane(0);
    const Classes otherBefore = other->allowed();
    const QByteArray before = f.canonicalSave();
    selectLanes(f, {a, b});

    auto bus = entry(QStringLiteral("bus"), true);
    f.edit()->allowOnly(bus.get());
    QCOMPARE(int(a->allowed()), int(Lane::vcBus));
    QCOMPARE(int(b->allowed()), int(Lane::vcBus));
    QCOMPARE(f.undoStack()->count(), 2); // one command per lane
    QCOMPARE(other->allowed(), otherBefore);

    auto bicycle = entry(QStringLiteral("bicycle"), true);
    f.edit()->allow(bicycle.get());
    QCOMPARE(int(a->allowed()), int(Lane::vcBus | Lane::vcBicycle));

    auto truck = entry(QStringLiteral("truck"), false);
    f.edit()->disallowOnly(truck.get());
    QCOMPARE(int(a->disallowed()), int(Lane::vcTruck));
    QCOMPARE(int(a->allowed()), int(Lane::vcAll) & ~int(Lane::vcTruck));

    f.edit()->disallowAll();
    QCOMPARE(int(a->disallowed()), 0x9A2923);
    QCOMPARE(int(a->allowed()), 0);

    f.edit()->allowDefault();
    QCOMPARE(int(a->allowed()), 0x8A0923);
    QCOMPARE(int(b->allowed()), 0x8A0923);
    QCOMPARE(f.undoStack()->count(), 10);
    QVERIFY(f.undoStack()->text(0).contains(QLatin1String("allowed")));

    f.undoAll();
    QCOMPARE(TestSupport::firstDifference(before, f.canonicalSave()), QString());
}

void TestEditorVehicleClasses::uncheckingClearsOnlyThoseBitsWithinAll()
{
    EditorFixture f(fourArm);
    Lane *lane = f.edge("S", "C")->lane(0);
    lane->setAllowed(Classes(Lane::DefaultClasses));
    selectLanes(f, {lane});

    auto off = entry(QStringLiteral("passenger truck"), false);
    f.edit()->allow(off.get());
    QCOMPARE(int(lane->allowed()), 0x8A0923 & ~int(Lane::vcPassenger | Lane::vcTruck));
    QCOMPARE(int(lane->allowed()) & ~0x9A2923, 0);

    // Checking a class the lane has already changes nothing but records the command.
    auto on = entry(QStringLiteral("bus"), true);
    const Classes allowed = lane->allowed();
    f.edit()->allow(on.get());
    QCOMPARE(lane->allowed(), allowed);
}

void TestEditorVehicleClasses::withoutUndoStackTheChangeIsDirect()
{
    EditorFixture::Options options;
    options.undoStack = false;
    EditorFixture f(fourArm, options);
    Lane *lane = f.edge("N", "C")->lane(1);
    selectLanes(f, {lane});
    f.edit()->disallowAll();
    QCOMPARE(int(lane->allowed()), 0);
    f.edit()->allowDefault();
    QCOMPARE(int(lane->allowed()), 0x8A0923);
    QVERIFY(!f.edit()->undoStack());
}

QTEST_MAIN(TestEditorVehicleClasses)
#include "tst_editor_vehicleclasses.moc"
