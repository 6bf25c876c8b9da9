// The editor on a real city network: making the editor and its whole object tree after a load, the
// tree's memory, a selection reaching tree and property editor, and undo and redo of a property edit.

#include "benchsupport.h"

#include "mapview.h"
#include "editor/netedit.h"
#include "scene/genericgraphicsitem.h"
#include "scene/networkg.h"
#include "scene/networkscene.h"

#include "edge.h"
#include "lane.h"
#include "network.h"

#include "objecteditortree.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThreadPool>
#include <QTreeWidget>
#include <QUndoStack>
#include <QVector>

#include <algorithm>
#include <memory>

using namespace Trelvoa;
using namespace BenchSupport;

namespace {

int countTreeItems(QTreeWidget *tree)
{
    int count = 0;
    QList<QTreeWidgetItem *> pending;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        pending.append(tree->topLevelItem(i));
    while (!pending.isEmpty()) {
        QTreeWidgetItem *item = pending.takeLast();
        ++count;
        for (int i = 0; i < item->childCount(); ++i)
            pending.append(item->child(i));
    }
    return count;
}

} // namespace

int main(int argc, char **argv)
{
    preferOffscreen();
    QApplication app(argc, argv);
    QTextStream err(stderr);
    QTemporaryDir dir;
    const QString own = dir.path() + QStringLiteral("/net.trva");
    if (!dir.isValid() || !prepareOwnFile(QStringLiteral("badhersfeld/osm_edited.net.xml.gz"), own))
        return 1;

    Trelvoga::NetworkScene scene;
    auto net = std::make_unique<Trelvoga::Networkg>(&scene);
    MapView view(&scene);
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.resize(1600, 1000);
    view.show();
    if (!net->load(own)) {
        err << net->errorString() << '\n';
        return 1;
    }
    net->boundingRect(); // the batch refresh, not part of the editor
    QThreadPool::globalInstance()->waitForDone(); // the load frees its parsed form in the background
    // Counts go through the double overload: this benchmark has always printed them with decimals.
    print(QStringLiteral("objects"), double(net->objectCount()), "");

    // The editor and its tree, as a host makes them after opening a network.
    const double beforeEditor = heapBytes();
    QElapsedTimer timer;
    timer.start();
    auto edit = std::make_unique<Trelvoga::NetEdit>(net.get(), &view);
    QUndoStack *stack = edit->createUndoStack();
    const double constructed = timer.nsecsElapsed() / 1e6;
    const double afterConstruction = heapBytes();
    edit->rebuildObjectTree();
    const double total = timer.nsecsElapsed() / 1e6;
    const double treeBytes = heapBytes() - afterConstruction;
    const int treeItems = countTreeItems(edit->objectsTree());
    print(QStringLiteral("editor construction"), constructed, "ms");
    print(QStringLiteral("editor construction and whole tree"), total, "ms");
    print(QStringLiteral("tree items"), double(treeItems), "");
    print(QStringLiteral("tree memory per object"), treeBytes / net->objectCount(), "B");
    print(QStringLiteral("editor memory"), (heapBytes() - beforeEditor) / 1048576.0, "MB");

    // One lane selected: what the selection timer runs.
    QList<Lane *> lanes = net->findChildren<Lane *>();
    std::sort(lanes.begin(), lanes.end(), [](Lane *a, Lane *b) { return a->id() < b->id(); });
    Lane *lane = lanes.value(lanes.size() / 2);
    Trelvoga::GenericGraphicsItem *laneItem = net->object2item(lane);
    if (!laneItem) {
        err << "no lane item\n";
        return 1;
    }
    const double oneLane = medianMs(
        9,
        [&] {
            scene.clearSelection();
            edit->processSceneSelection();
            laneItem->setSelected(true);
        },
        [&] { edit->processSceneSelection(); });
    print(QStringLiteral("one lane to tree and property editor"), oneLane, "ms");
    if (!edit->objectEditor()->objects().contains(lane) || edit->objectsTree()->selectedItems().isEmpty()) {
        err << "the lane did not reach tree and property editor\n";
        return 1;
    }

    // Every edge selected (edges are picked in wireframe view; otherwise their lanes are).
    net->setWireframe(true);
    QList<QGraphicsItem *> edgeItems;
    for (Edge *edge : net->findChildren<Edge *>())
        if (Trelvoga::GenericGraphicsItem *item = net->object2item(edge))
            edgeItems.append(item);
    const double allEdges = medianMs(
        3,
        [&] {
            scene.clearSelection();
            edit->processSceneSelection();
            for (QGraphicsItem *item : qAsConst(edgeItems))
                item->setSelected(true);
        },
        [&] { edit->processSceneSelection(); });
    print(QStringLiteral("edges selected"), double(edgeItems.size()), "");
    print(QStringLiteral("all edges to tree and property editor"), allEdges, "ms");
    print(QStringLiteral("tree items selected"), double(edit->objectsTree()->selectedItems().size()), "");
    scene.clearSelection();
    edit->processSceneSelection();
    net->setWireframe(false);

    // A property edit through the property editor, committed by the editor's timer; then undo and redo.
    edit->objectEditor()->addObject(lane);
    QVector<double> undos, redos;
    for (int i = 0; i < 9; ++i) {
        edit->objectEditor()->setObjectProperty(lane, "width", lane->width() + 0.25);
        QElapsedTimer wait;
        wait.start();
        while (stack->count() <= i && wait.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QElapsedTimer t;
        t.start();
        stack->undo();
        undos.append(t.nsecsElapsed() / 1e6);
        t.restart();
        stack->redo();
        redos.append(t.nsecsElapsed() / 1e6);
    }
    std::sort(undos.begin(), undos.end());
    std::sort(redos.begin(), redos.end());
    print(QStringLiteral("undo entries"), double(stack->count()), "");
    print(QStringLiteral("undo of a lane width"), undos.at(undos.size() / 2), "ms");
    print(QStringLiteral("redo of a lane width"), redos.at(redos.size() / 2), "ms");

    edit.reset();
    net.reset();
    return 0;
}
