// Editing Bad Hersfeld with the mouse, as a user does it at a busy junction: hover with snapping, a
// click that creates an edge, joining two nodes, inserting a junction on an edge, their undo, and
// dragging 100 selected junctions. Events go to the view as the window system delivers them; each
// figure includes the editor's queued work and the item refresh that follows, not the repaint.

#include "benchsupport.h"
#include "editorbench.h"

#include "mapview.h"
#include "commands/insertjunctioncommand.h"
#include "editor/netedit.h"
#include "scene/genericgraphicsitem.h"
#include "scene/networkg.h"
#include "scene/networkscene.h"

#include "edge.h"
#include "geo/geoutil.h"
#include "lane.h"
#include "network.h"
#include "node.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTextStream>
#include <QUndoStack>

#include <algorithm>
#include <cmath>
#include <memory>

using namespace Trelvoa;
using namespace BenchSupport;

namespace {

struct Bench
{
    Trelvoga::Networkg *net = nullptr;
    MapView *view = nullptr;
    Trelvoga::NetEdit *edit = nullptr;

    QPointF toScene(const QPointF &xy) const
    {
        GeoUtil *geo = net->geoUtil();
        return geo ? geo->xyToGeo(xy) : xy;
    }
    QPoint pixel(const QPointF &xy) const { return view->mapFromScene(toScene(xy)); }

    void send(QEvent::Type type, const QPointF &xy, Qt::MouseButton button, Qt::MouseButtons buttons) const
    {
        QWidget *viewport = view->viewport();
        const QPoint p = pixel(xy);
        QMouseEvent event(type, p, viewport->mapToGlobal(p), button, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &event);
    }
    void move(const QPointF &xy, Qt::MouseButtons buttons = Qt::NoButton) const
    {
        send(QEvent::MouseMove, xy, Qt::NoButton, buttons);
    }
    // Hover, press, release, then what the editor queued, and the refresh of the changed items.
    void click(const QPointF &xy) const
    {
        move(xy);
        send(QEvent::MouseButtonPress, xy, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, xy, Qt::LeftButton, Qt::NoButton);
        QCoreApplication::processEvents();
        net->flushUpdates();
    }
    void trigger(const QString &name) const
    {
        if (QAction *action = edit->findChild<QAction *>(name))
            action->trigger();
    }
};


// Junctions nearest to a point, nearest first.
QList<Node *> nearestJunctions(Network *net, const QPointF &xy, int count)
{
    QList<Node *> nodes;
    for (Node *node : net->findChildren<Node *>())
        if (node->isJunction())
            nodes.append(node);
    std::sort(nodes.begin(), nodes.end(), [&](Node *a, Node *b) {
        return QLineF(a->pos(), xy).length() < QLineF(b->pos(), xy).length();
    });
    return nodes.mid(0, count);
}

bool joined(Node *a, Node *b)
{
    for (Edge *edge : a->edges())
        if (edge->start() == b || edge->end() == b)
            return true;
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    preferOffscreen();
    QApplication app(argc, argv);
    const std::unique_ptr<EditorBench> opened =
        openForEditing(QStringLiteral("badhersfeld/osm_edited.net.xml.gz"), QSize(1280, 800));
    if (!opened)
        return 1;
    Trelvoga::NetworkScene &scene = opened->scene;
    auto &net = opened->net;
    MapView &view = *opened->view;
    auto &edit = opened->edit;
    QUndoStack *stack = opened->stack;
    Bench b{net.get(), &view, edit.get()};

    Node *junction = busiestJunction(net.get());
    if (!junction)
        return 1;
    const QPointF centre = junction->pos();
    // About 300 m across, where a user draws roads.
    view.fitInView(QRectF(b.toScene(centre - QPointF(150, 90)), b.toScene(centre + QPointF(150, 90))).normalized());
    QCoreApplication::processEvents();
    const QString tag = QStringLiteral("badhersfeld ");
    print(tag + QStringLiteral("objects"), net->objectCount(), "objects");

    // The figures are the editing work; the repaint that follows is measured by bench_scene_open.
    view.setViewportUpdateMode(QGraphicsView::NoViewportUpdate);

    // Hover in the add-edge mode: every move snaps to the nearest node within 10 m.
    b.trigger(QStringLiteral("addEdge"));
    int step = 0;
    print(tag + QStringLiteral("hover move with snapping"), medianMs(401, [&] {
              const double angle = step++ * 0.1;
              b.move(centre + QPointF(std::cos(angle), std::sin(angle)) * (5.0 + step % 60));
          }), "ms");

    // A click that creates an edge between two junctions not yet joined (and its undo, untimed).
    const QList<Node *> near = nearestJunctions(net.get(), centre, 40);
    QList<QPair<Node *, Node *>> pairs;
    for (int i = 0; i < near.size(); ++i)
        for (int j = i + 1; j < near.size() && pairs.size() < 40; ++j)
            if (!joined(near.at(i), near.at(j)) && QLineF(near.at(i)->pos(), near.at(j)->pos()).length() > 25)
                pairs.append(qMakePair(near.at(i), near.at(j)));
    if (pairs.isEmpty())
        return 1;
    int pair = 0;
    print(tag + QStringLiteral("click that creates an edge"), medianMs(21, [&] {
              // Leaving and entering again ends the chain; the first node starts a new one.
              const auto &p = pairs.at(pair++ % pairs.size());
              b.trigger(QStringLiteral("addEdge"));
              b.trigger(QStringLiteral("addEdge"));
              b.click(p.first->pos());
          }, [&] {
              const auto &p = pairs.at((pair - 1) % pairs.size());
              b.click(p.second->pos());
          }), "ms");
    b.trigger(QStringLiteral("addEdge"));
    while (stack->canUndo())
        stack->undo();

    // Joining two nodes (the second click) and its undo.
    b.trigger(QStringLiteral("actionJoin_nodes_mode"));
    pair = 0;
    print(tag + QStringLiteral("join two nodes"), medianMs(21, [&] {
              const auto &p = pairs.at(pair++ % pairs.size());
              b.click(p.first->pos());
          }, [&] {
              const auto &p = pairs.at((pair - 1) % pairs.size());
              b.click(p.second->pos());
          }), "ms");
    b.trigger(QStringLiteral("actionJoin_nodes_mode"));
    print(tag + QStringLiteral("undo of a join"), medianMs(21, [&] {
              if (stack->canUndo()) {
                  stack->undo();
                  net->flushUpdates();
              }
          }), "ms");
    while (stack->canUndo())
        stack->undo();

    // A junction inserted in the middle of an edge near the centre, and its undo.
    QList<Edge *> edges;
    for (Node *node : near)
        for (Edge *edge : node->edges())
            if (!edges.contains(edge) && edge->skeleton().length() > 20)
                edges.append(edge);
    int edgeIndex = 0;
    print(tag + QStringLiteral("insert a junction on an edge"), medianMs(21, [&] {
              Edge *edge = edges.at(edgeIndex++ % edges.size());
              stack->push(new Trelvoga::InsertJunctionCommand(net.get(), edge, edge->skeleton().length() / 2));
              net->flushUpdates();
          }), "ms");
    print(tag + QStringLiteral("undo of an inserted junction"), medianMs(21, [&] {
              if (stack->canUndo()) {
                  stack->undo();
                  net->flushUpdates();
              }
          }), "ms");
    while (stack->canUndo())
        stack->undo();

    // 100 junctions selected and dragged: each step of the mouse moves them all.
    const QList<Node *> hundred = nearestJunctions(net.get(), centre, 100);
    view.fitInView(QRectF(b.toScene(centre - QPointF(600, 400)), b.toScene(centre + QPointF(600, 400))).normalized());
    QCoreApplication::processEvents();
    scene.clearSelection();
    for (Node *node : hundred)
        if (Trelvoga::GenericGraphicsItem *item = net->object2item(node))
            item->setSelected(true);
    const QPointF grip = junction->pos();
    b.send(QEvent::MouseButtonPress, grip, Qt::LeftButton, Qt::LeftButton);
    QCoreApplication::processEvents();
    int dragStep = 0;
    print(tag + QStringLiteral("selected junctions dragged"), int(scene.selectedItems().size()), "items");
    print(tag + QStringLiteral("drag step of the selected junctions"), medianMs(41, [&] {
              ++dragStep;
              b.move(grip + QPointF(dragStep * 0.5, dragStep * 0.3), Qt::LeftButton);
              net->flushUpdates();
          }), "ms");
    b.send(QEvent::MouseButtonRelease, grip + QPointF(dragStep * 0.5, dragStep * 0.3), Qt::LeftButton, Qt::NoButton);
    QCoreApplication::processEvents();
    print(tag + QStringLiteral("undo entries after the drag"), stack->count(), "");
    return 0;
}
