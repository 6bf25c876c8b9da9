// Opening a real city network in the editor's scene and painting it: the time from our own file to the
// first complete picture, the items it takes and their memory, and the paint time of the whole network
// and of a view zoomed to one busy junction.

#include "benchsupport.h"

#include "items/marking.h"
#include "mainwindow.h"
#include "mapview.h"
#include "scene/networkg.h"
#include "scene/networkscene.h"
#include "scene/layer.h"

#include "edge.h"
#include "geo/geoutil.h"
#include "lane.h"
#include "network.h"
#include "node.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QImage>
#include <QPainter>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>

#include <cmath>
#include <memory>

using namespace Trelvoa;
using namespace BenchSupport;

namespace {

const QSize imageSize(1600, 1000);

// What the window does on screen: the view paints the scene into its viewport.
QImage paint(MapView *view)
{
    QImage image(imageSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(242, 239, 233));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    view->render(&painter, QRectF(image.rect()), view->viewport()->rect());
    return image;
}

// What the window does on screen: the view repaints its viewport (through the view's own item
// look-up, which a render() into an image does not share).
void repaint(MapView *view)
{
    view->viewport()->repaint();
}


// Counts the paints of the widget it watches.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

int main(int argc, char **argv)
{
    preferOffscreen();
    QApplication app(argc, argv);
    QTextStream err(stderr);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    // Settings of this run only: a window layout saved by an earlier run would change the figures.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    // For a profiler: "--open-only [FILE]" stops after the first paint, FILE (our own) instead of the
    // one made from Bad Hersfeld.
    const QStringList args = QCoreApplication::arguments();
    const bool openOnly = args.contains(QStringLiteral("--open-only"));
    const int openOnlyAt = args.indexOf(QStringLiteral("--open-only"));
    const QString given = openOnly ? args.value(openOnlyAt + 1) : QString();
    const QString tag = QStringLiteral("badhersfeld");
    const QString own = !given.isEmpty() ? given : dir.path() + QStringLiteral("/net.trva");
    // Untimed: our own file from the SUMO network.
    if (given.isEmpty() && !prepareOwnFile(QStringLiteral("badhersfeld/osm_edited.net.xml.gz"), own))
        return 1;

    // The model alone, for the memory the items add on top of it.
    double modelBytes = 0;
    double modelMs = 0;
    if (!openOnly) {
        const double before = heapBytes();
        QElapsedTimer timer;
        timer.start();
        Network net;
        if (!net.load(own)) {
            err << net.errorString() << '\n';
            return 1;
        }
        modelMs = timer.nsecsElapsed() / 1e6;
        modelBytes = heapBytes() - before;
    }

    const double before = heapBytes();
    QElapsedTimer timer;
    timer.start();
    Trelvoga::NetworkScene scene;
    auto net = std::make_unique<Trelvoga::Networkg>(&scene);
    MapView view(&scene);
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.resize(imageSize);
    view.show();
    if (!net->load(own)) {
        err << net->errorString() << '\n';
        return 1;
    }
    const double loaded = timer.nsecsElapsed() / 1e6;
    // Memory readings are not part of opening.
    QElapsedTimer reading;
    reading.start();
    const double loadedBytes = heapBytes() - before - modelBytes;
    const double readingMs = reading.nsecsElapsed() / 1e6;
    // As the window does after a load: bounds (which flush a waiting batch), scene rectangle, fit.
    const QRectF bounds = net->boundingRect();
    scene.setSceneRect(bounds.adjusted(-bounds.width(), -bounds.height(), bounds.width(), bounds.height()));
    view.setGeographic(net->geoUtil() != nullptr);
    view.fitInView(bounds);
    const double ready = timer.nsecsElapsed() / 1e6 - readingMs;
    // Then the event loop polishes the new items, builds the scene index and the view paints itself.
    PaintCounter counter;
    view.viewport()->installEventFilter(&counter);
    QCoreApplication::processEvents();
    if (counter.paints == 0)
        view.viewport()->repaint();
    const double firstPaint = timer.nsecsElapsed() / 1e6 - readingMs;
    view.viewport()->removeEventFilter(&counter);
    const double itemBytes = heapBytes() - before - modelBytes;

    const int items = scene.items().size();
    // Road markings wait for a close view as well.
    const auto markings = [&net] {
        int count = 0;
        if (Trelvoga::Layer *layer = net->layer(Trelvoga::Networkg::layerMarking)) {
            for (QGraphicsItem *item : layer->items())
                count += item->type() == Marking::Type;
        }
        return count;
    };
    print(tag + QStringLiteral(" objects"), net->objectCount(), "objects");
    print(tag + QStringLiteral(" scene items"), items, "items");
    print(tag + QStringLiteral(" items left unmade (connections, stoplines)"), net->unmadeItemCount(), "items");
    print(tag + QStringLiteral(" road markings made at open"), markings(), "items");
    print(tag + QStringLiteral(" model load alone"), modelMs, "ms");
    print(tag + QStringLiteral(" load with items"), loaded, "ms");
    print(tag + QStringLiteral(" bounds and fit"), ready - loaded, "ms");
    print(tag + QStringLiteral(" events and first paint of the view"), firstPaint - ready, "ms");
    print(tag + QStringLiteral(" open to first complete paint"), firstPaint, "ms");
    if (openOnly)
        return 0;
    print(tag + QStringLiteral(" model heap"), modelBytes / 1e6, "MB");
    print(tag + QStringLiteral(" item heap after load"), loadedBytes / 1e6, "MB");
    print(tag + QStringLiteral(" item heap after first paint (with scene index)"), itemBytes / 1e6, "MB");
    print(tag + QStringLiteral(" memory per item"), itemBytes / items / 1024.0, "KB");
    print(tag + QStringLiteral(" whole network zoom"), view.zoom(), "level");
    print(tag + QStringLiteral(" whole network paint"), medianMs(7, [&] { repaint(&view); }), "ms");
    print(tag + QStringLiteral(" whole network render to an image"), medianMs(7, [&] { paint(&view); }), "ms");

    int tiles = 0;
    for (Trelvoga::Layer *layer : net->layers())
        tiles += layer->tiles().size();
    print(tag + QStringLiteral(" layer tiles"), tiles, "tiles");
    int junctionId = 0;
    if (Node *junction = busiestJunction(net.get())) {
        junctionId = junction->id();
        // About 100 m across: the largest web-map zoom at which 100 x 60 m fit the image.
        const QPointF xy = junction->pos();
        GeoUtil *geo = net->geoUtil();
        const QPointF half(50, 30);
        const QPointF a = geo ? geo->xyToGeo(xy - half) : xy - half;
        const QPointF b = geo ? geo->xyToGeo(xy + half) : xy + half;
        view.fitInView(QRectF(a, b).normalized());
        const QRectF shown = view.mapToScene(view.viewport()->rect()).boundingRect();
        const QPointF p = geo ? geo->geoToXY(shown.topLeft()) : shown.topLeft();
        const QPointF q = geo ? geo->geoToXY(shown.bottomRight()) : shown.bottomRight();
        print(tag + QStringLiteral(" junction window width"), std::abs(q.x() - p.x()), "m");
        print(tag + QStringLiteral(" junction zoom"), view.zoom(), "level");
        // The first paint this close makes the connections and stoplines around.
        const int unmadeBefore = net->unmadeItemCount();
        const int markingsBefore = markings();
        QElapsedTimer first;
        first.start();
        repaint(&view);
        print(tag + QStringLiteral(" junction first paint"), first.nsecsElapsed() / 1e6, "ms");
        print(tag + QStringLiteral(" items made by it"), unmadeBefore - net->unmadeItemCount(), "items");
        print(tag + QStringLiteral(" road markings made by it"), markings() - markingsBefore, "items");
        print(tag + QStringLiteral(" junction paint"), medianMs(15, [&] { repaint(&view); }), "ms");
        print(tag + QStringLiteral(" junction render to an image"), medianMs(15, [&] { paint(&view); }), "ms");
        // The view's look-up of the items to draw, on its own (with warm caches): Qt walks every item of
        // each layer that has one in view.
        const QRectF shownRect = view.mapToScene(view.viewport()->rect()).boundingRect();
        print(tag + QStringLiteral(" junction look-up"), medianMs(31, [&] {
                  scene.items(shownRect, Qt::IntersectsItemBoundingRect, Qt::AscendingOrder, view.viewportTransform());
              }), "ms");
    }
    print(tag + QStringLiteral(" peak memory (VmHWM)"), peakMegabytes(), "MB");
    timer.restart();
    net.reset();
    print(tag + QStringLiteral(" close"), timer.nsecsElapsed() / 1e6, "ms");

    // The same in the editor's window, as a user opens a file: the progress dialog, the object tree,
    // the fit and the window's paint, with the pointer resting over the map.
    {
        MainWindow window;
        window.resize(imageSize);
        window.show();
        QCoreApplication::processEvents();
        auto *map = window.findChild<MapView *>();
        if (map) {
            map->setAttribute(Qt::WA_UnderMouse);
            map->viewport()->setAttribute(Qt::WA_UnderMouse);
        }
        PaintCounter counter;
        if (map)
            map->viewport()->installEventFilter(&counter);
        QElapsedTimer windowTimer;
        windowTimer.start();
        QString error;
        if (!window.openFile(own, &error)) {
            err << error << '\n';
            return 1;
        }
        const double opened = windowTimer.nsecsElapsed() / 1e6;
        QCoreApplication::processEvents();
        if (map && counter.paints == 0)
            map->viewport()->repaint();
        print(tag + QStringLiteral(" window: open (load, items, object tree, fit)"), opened, "ms");
        print(tag + QStringLiteral(" window: open to first complete paint"), windowTimer.nsecsElapsed() / 1e6, "ms");

        // The window at its usual size (the docks take their share), zoomed to the same junction.
        window.resize(1280, 800);
        QCoreApplication::processEvents();
        if (map && junctionId && window.focusView(QString::number(junctionId), 20, 0.0, &error)) {
            QCoreApplication::processEvents();
            print(tag + QStringLiteral(" window: map width"), map->viewport()->width(), "px");
            print(tag + QStringLiteral(" window: map height"), map->viewport()->height(), "px");
            print(tag + QStringLiteral(" window: junction paint"), medianMs(15, [&] { repaint(map); }), "ms");
        }
    }
    return 0;
}
