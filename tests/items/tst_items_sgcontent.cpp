// The signal group content dialog: it starts with the group's content, follows the scene selection,
// sets the content on OK (undoably with a stack), and reopens where it was closed.

#include "layouts.h"
#include "scenenet.h"

#include "dialogs/signalgroupcontenta.h"
#include "scene/genericgraphicsitem.h"
#include "scene/networkg.h"

#include "granule.h"
#include "signalgroup.h"

#include <QDialogButtonBox>
#include <QGraphicsScene>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QUndoStack>
#include <QtTest>

using namespace ItemLayouts;
using namespace Layouts;
using Trelvoga::SignalGroupContenta;

namespace {

QStringList entries(SignalGroupContenta *dialog)
{
    auto *list = dialog->findChild<QListWidget *>(QStringLiteral("objectList"));
    QStringList texts;
    for (int i = 0; list && i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
}

QString entry(NetObject *object, const char *kind)
{
    return object->printableName() + QStringLiteral(" (") + QLatin1String(kind) + QStringLiteral(")");
}

void select(Trelvoga::Networkg *net, const QList<NetObject *> &objects)
{
    net->scene()->clearSelection();
    for (NetObject *object : objects) {
        QGraphicsItem *item = net->object2item(object);
        QVERIFY2(item, qPrintable(object->printableName()));
        item->setSelected(true);
    }
}

void pressOk(SignalGroupContenta *dialog)
{
    auto *box = dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
    QVERIFY(box);
    box->button(QDialogButtonBox::Ok)->click();
}

} // namespace

class TestSgContentDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startsWithTheGroupsContent();
    void listFollowsTheSceneSelection();
    void okSetsTheSelectionAsContent();
    void okWithNothingSelectedEmptiesTheGroupUndoably();
    void reopensWhereItWasClosed();

private:
    SceneNet *s = nullptr;
    Layout layout;
    SignalGroup *sg = nullptr;
};

void TestSgContentDialog::init()
{
    s = new SceneNet;
    layout = fourArm(&s->net);
    auto *granule = new Granule(QList<Node *>{layout.node(QStringLiteral("C"))}, &s->net);
    QVERIFY(s->net.addItem(granule));
    sg = new SignalGroup(QList<Connection *>{layout.connections.at(0), layout.connections.at(1)},
                         QList<CrossWalk *>{layout.crossWalks.at(0)}, granule);
    sg->setObjectName(QStringLiteral("K1"));
    QVERIFY(s->net.addItem(sg));
    refresh(&s->net);
}

void TestSgContentDialog::cleanup()
{
    delete s;
    s = nullptr;
}

void TestSgContentDialog::startsWithTheGroupsContent()
{
    QPointer<SignalGroupContenta> dialog = new SignalGroupContenta(&s->net, sg);
    QCOMPARE(dialog->objectName(), QStringLiteral("SignalGroupContenta"));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Content of signal group K1"));
    QCOMPARE(dialog->findChild<QLabel *>(QStringLiteral("label"))->text(), QStringLiteral("Object list:"));
    QCOMPARE(entries(dialog), QStringList({entry(layout.connections.at(0), "Connection"),
                                           entry(layout.connections.at(1), "Connection"),
                                           entry(layout.crossWalks.at(0), "CrossWalk")}));
    QVERIFY(dialog->testAttribute(Qt::WA_DeleteOnClose));
    dialog->show();
    dialog->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!dialog);
}

void TestSgContentDialog::listFollowsTheSceneSelection()
{
    auto *dialog = new SignalGroupContenta(&s->net, sg);
    Connection *c = layout.connections.at(3);
    CrossWalk *w = layout.crossWalks.at(1);
    // Only connections and crosswalks are listed; a node in the selection is left out.
    select(&s->net, {c, layout.node(QStringLiteral("C")), w});
    QStringList got = entries(dialog);
    got.sort();
    QStringList expected{entry(c, "Connection"), entry(w, "CrossWalk")};
    expected.sort();
    QCOMPARE(got, expected);
    s->net.scene()->clearSelection();
    QVERIFY(entries(dialog).isEmpty());
    delete dialog;
}

void TestSgContentDialog::okSetsTheSelectionAsContent()
{
    QPointer<SignalGroupContenta> dialog = new SignalGroupContenta(&s->net, sg);
    dialog->show();
    Connection *c = layout.connections.at(4);
    CrossWalk *w = layout.crossWalks.at(2);
    select(&s->net, {c, w});
    pressOk(dialog);
    QCOMPARE(sg->connections(), QList<Connection *>{c});
    QCOMPARE(sg->crossWalks(), QList<CrossWalk *>{w});
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!dialog);
}

void TestSgContentDialog::okWithNothingSelectedEmptiesTheGroupUndoably()
{
    QUndoStack stack;
    const QList<Connection *> before = sg->connections();
    auto *dialog = new SignalGroupContenta(&s->net, sg, nullptr, &stack);
    dialog->show();
    s->net.scene()->clearSelection();
    pressOk(dialog);
    QCOMPARE(sg->connectionCount(), 0);
    QCOMPARE(sg->crossWalkCount(), 0);
    QCOMPARE(stack.count(), 1);
    QCOMPARE(stack.command(0)->text(), QStringLiteral("Change content of signal group %1").arg(sg->printableName()));
    stack.undo();
    QCOMPARE(sg->connections(), before);
    QCOMPARE(sg->crossWalks(), QList<CrossWalk *>{layout.crossWalks.at(0)});
    stack.redo();
    QCOMPARE(sg->connectionCount(), 0);

    // A group deleted while the dialog is open: OK just closes.
    QPointer<SignalGroupContenta> second = new SignalGroupContenta(&s->net, sg, nullptr, &stack);
    delete sg;
    sg = nullptr;
    pressOk(second);
    QCOMPARE(stack.count(), 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestSgContentDialog::reopensWhereItWasClosed()
{
    auto *dialog = new SignalGroupContenta(&s->net, sg);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    const QRect placed(120, 140, 520, 360);
    dialog->setGeometry(placed);
    const QRect kept = dialog->geometry();
    dialog->reject();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(SignalGroupContenta::keptGeometry(), kept);

    auto *again = new SignalGroupContenta(&s->net, sg);
    QCOMPARE(again->geometry(), kept);
    delete again;
}

QTEST_MAIN(TestSgContentDialog)
#include "tst_items_sgcontent.moc"
