// Network parts through the clipboard on Bad Hersfeld: a district of about 5,000 objects around the
// busiest junction copied, pasted 2 km away (the paste, then the placing click) and undone; then every
// object under a polygon over that district deleted and the deletion undone. Each figure includes the
// editor's queued work and the refresh of the changed items, not the repaint.

#include "benchsupport.h"
#include "editorbench.h"

#include "mapview.h"
#include "editor/modes/abstracteditmode.h"
#include "editor/netedit.h"
#include "scene/genericgraphicsitem.h"
#include "scene/networkg.h"
#include "scene/networkscene.h"

#include "edge.h"
#include "geo/geoshape.h"
#include "geo/geoutil.h"
#include "lane.h"
#include "network.h"
#include "node.h"
#include "polygonobject.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QMimeData>
#include <QTextStream>
#include <QUndoStack>

#include <algorithm>
#include <memory>

using namespace Trelvoa;
using namespace BenchSupport;

namespace {

int objectsBelow(const QObject *object)
{
    int count = 1;
    for (const QObject *child : object->children()) {
        if (qobject_cast<const NetObject *>(child))
            count += objectsBelow(child);
    }
    return count;
}

// Nodes and edges within `half` metres (a square) of the centre, and how many objects they hold.
QList<NetObject *> district(Network *net, const QPointF &centre, double half, int *objects)
{
    const QRectF area(centre - QPointF(half, half), centre + QPointF(half, half));
    QList<NetObject *> picked;
    *objects = 0;
    for (Node *node : net->findChildren<Node *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!area.contains(node->pos()))
            continue;
        picked.append(node);
        *objects += objectsBelow(node);
    }
    for (Edge *edge : net->findChildren<Edge *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!area.contains(edge->start()->pos()) || !area.contains(edge->end()->pos()))
            continue;
        picked.append(edge);
        *objects += objectsBelow(edge);
    }
    return picked;
}

} // namespace

int main(int argc, char **argv)
{
    preferOffscreen();
    QApplication app(argc, argv);
    QTextStream err(stderr);
    const std::unique_ptr<EditorBench> bench =
        openForEditing(QStringLiteral("badhersfeld/osm_edited.net.xml.gz"), QSize(1280, 800));
    if (!bench)
        return 1;
    Trelvoga::NetworkScene &scene = bench->scene;
    Trelvoga::Networkg *net = bench->net.get();
    MapView &view = *bench->view;
    Trelvoga::NetEdit *edit = bench->edit.get();
    QUndoStack *stack = bench->stack;
    view.setViewportUpdateMode(QGraphicsView::NoViewportUpdate);
    auto toScene = [&](const QPointF &xy) { return bench->toScene(xy); };
    auto settle = [&] {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        net->flushUpdates();
    };

    Node *junction = busiestJunction(net);
    if (!junction)
        return 1;
    const QPointF centre = junction->pos();
    const QString tag = QStringLiteral("badhersfeld ");
    print(tag + QStringLiteral("objects"), net->objectCount(), "objects");

    // The smallest square around the junction that holds 5,000 objects.
    double half = 50;
    int objects = 0;
    QList<NetObject *> picked;
    while (half < 5000) {
        picked = district(net, centre, half, &objects);
        if (objects >= 5000)
            break;
        half *= 1.1;
    }
    print(tag + QStringLiteral("district objects"), objects, "objects");
    print(tag + QStringLiteral("district side"), 2 * half, "m");
    view.fitInView(QRectF(toScene(centre - QPointF(half, half)), toScene(centre + QPointF(half, half))).normalized());
    settle();

    auto selectDistrict = [&] {
        scene.clearSelection();
        // What a user selects: junctions and the lanes of the roads (a road is picked by its lanes).
        for (NetObject *object : picked) {
            QList<NetObject *> targets{object};
            if (auto *edge = qobject_cast<Edge *>(object)) {
                targets.clear();
                for (Lane *lane : edge->lanes())
                    targets.append(lane);
            }
            for (NetObject *target : targets) {
                if (Trelvoga::GenericGraphicsItem *item = net->object2item(target))
                    item->setSelected(true);
            }
        }
        settle();
    };

    QClipboard *clipboard = QApplication::clipboard();
    QElapsedTimer timer;
    selectDistrict();
    print(tag + QStringLiteral("selected items"), int(scene.selectedItems().size()), "items");
    const double copyMs = medianMs(5, [&] { edit->copySelection(); });
    print(tag + QStringLiteral("copy of the district"), copyMs, "ms");
    const QMimeData *mime = clipboard->mimeData();
    const int bytes = mime && mime->hasFormat(QStringLiteral("text/trelvo")) ? mime->data(QStringLiteral("text/trelvo")).size() : 0;
    print(tag + QStringLiteral("copied fragment"), bytes / 1024.0, "KiB");
    if (bytes == 0) {
        err << "nothing was copied\n";
        return 1;
    }
    scene.clearSelection();

    QAction *pasteAction = nullptr;
    for (QAction *action : edit->editActions()) {
        if (action->objectName() == QLatin1String("paste"))
            pasteAction = action;
    }
    Trelvoga::AbstractEditMode *placement = edit->modeObject(Trelvoga::ModePastePlacement);
    if (!pasteAction || !pasteAction->isEnabled() || !placement) {
        err << "no paste\n";
        return 1;
    }
    const int before = net->objectCount();
    const QPointF elsewhere = toScene(centre + QPointF(2000, 0));
    const int runs = 3;
    QList<double> pastes, places, undos, redos;
    for (int i = 0; i < runs; ++i) {
        timer.start();
        pasteAction->trigger();
        settle();
        pastes.append(timer.nsecsElapsed() / 1e6);
        timer.start();
        placement->clicked(elsewhere, Qt::NoModifier);
        settle();
        places.append(timer.nsecsElapsed() / 1e6);
        if (i == 0)
            print(tag + QStringLiteral("objects pasted"), net->objectCount() - before, "objects");
        timer.start();
        stack->undo();
        settle();
        undos.append(timer.nsecsElapsed() / 1e6);
        timer.start();
        stack->redo();
        settle();
        redos.append(timer.nsecsElapsed() / 1e6);
        stack->undo();
        settle();
    }
    auto median = [](QList<double> values) {
        std::sort(values.begin(), values.end());
        return values.at(values.size() / 2);
    };
    const double pasteMs = median(pastes);
    const double placeMs = median(places);
    const double undoMs = median(undos);
    const double redoMs = median(redos);
    print(tag + QStringLiteral("paste (fragment read, preview)"), pasteMs, "ms");
    print(tag + QStringLiteral("placing click (join)"), placeMs, "ms");
    print(tag + QStringLiteral("paste elsewhere in all"), pasteMs + placeMs, "ms");
    print(tag + QStringLiteral("undo of the paste"), undoMs, "ms");
    print(tag + QStringLiteral("redo of the paste"), redoMs, "ms");
    if (net->objectCount() != before) {
        err << "the undone paste left " << net->objectCount() - before << " objects\n";
        return 1;
    }

    // Everything under a polygon over the district, deleted in one step, and its undo.
    const double h = half;
    auto *polygon = new PolygonObject(net, GeoShape({centre + QPointF(-h, -h), centre + QPointF(h, -h),
                                                           centre + QPointF(h, h), centre + QPointF(-h, h)}));
    if (!net->addItem(polygon))
        return 1;
    settle();
    const int withPolygon = net->objectCount();
    scene.clearSelection();
    net->object2item(polygon)->setSelected(true);
    settle();
    timer.start();
    edit->deleteItemsUnderPolygon();
    settle();
    print(tag + QStringLiteral("delete items under polygon"), timer.nsecsElapsed() / 1e6, "ms");
    print(tag + QStringLiteral("objects deleted"), withPolygon - net->objectCount(), "objects");
    timer.start();
    stack->undo();
    settle();
    print(tag + QStringLiteral("undo of the deletion"), timer.nsecsElapsed() / 1e6, "ms");
    if (net->objectCount() != withPolygon) {
        err << "the undone deletion left " << withPolygon - net->objectCount() << " objects missing\n";
        return 1;
    }
    return 0;
}
