// The edit states the context shortcuts put selected items in: connections and crosswalks with the
// markers of their lanes. Each item joins once; clearing the editor ends every state, also of items
// whose objects went meanwhile.

#include "editorfixture.h"

#include "editor/netedit.h"
#include "items/connectiong.h"
#include "items/crosswalkg.h"
#include "scene/networkg.h"
#include "scene/networkscene.h"

#include "connection.h"
#include "crosswalk.h"

#include <QTest>

using namespace Trelvoa;
using namespace Trelvoga;

class TestEditorEditStates : public QObject
{
    Q_OBJECT

private slots:
    void lanesEditOfSelectedItems();
};

void TestEditorEditStates::lanesEditOfSelectedItems()
{
    EditorFixture f([](Network *net) { return Layouts::fourArm(net); });
    Connection *first = f.layout().connections.value(0);
    Connection *second = f.layout().connections.value(1);
    CrossWalk *crossWalk = f.layout().crossWalks.value(0);
    QVERIFY(first && second && crossWalk);
    auto *firstItem = static_cast<Connectiong *>(f.net()->object2item(first));
    auto *secondItem = static_cast<Connectiong *>(f.net()->object2item(second));
    auto *crossWalkItem = static_cast<CrossWalkg *>(f.net()->object2item(crossWalk));
    QVERIFY(firstItem && secondItem && crossWalkItem);

    firstItem->setSelected(true);
    crossWalkItem->setSelected(true);
    f.edit()->editConnections();
    f.edit()->editCrosswalks();
    QVERIFY(firstItem->isLanesEdit());
    QVERIFY(firstItem->fromMarker() && firstItem->toMarker());
    QVERIFY(!secondItem->isLanesEdit());
    QVERIFY(crossWalkItem->isLanesEdit());

    // Asking again changes nothing; a further selection joins.
    auto *marker = firstItem->fromMarker();
    secondItem->setSelected(true);
    f.edit()->editConnections();
    QCOMPARE(firstItem->fromMarker(), marker);
    QVERIFY(secondItem->isLanesEdit());

    // An object gone meanwhile leaves nothing behind to end.
    delete second;
    f.edit()->clear();
    QCOMPARE(f.net()->objectCount(), 0);
}

QTEST_MAIN(TestEditorEditStates)
#include "tst_editor_editstates.moc"
