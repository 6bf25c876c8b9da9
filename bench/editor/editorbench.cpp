#include "editorbench.h"

#include "benchsupport.h"

#include "geo/geoutil.h"

#include <QTemporaryDir>
#include <QTextStream>
#include <QThreadPool>

namespace BenchSupport {

QPointF EditorBench::toScene(const QPointF &xy) const
{
    Trelvoa::GeoUtil *geo = net->geoUtil();
    return geo ? geo->xyToGeo(xy) : xy;
}

std::unique_ptr<EditorBench> openForEditing(const QString &relative, const QSize &viewSize)
{
    QTextStream err(stderr);
    QTemporaryDir dir;
    const QString own = dir.path() + QStringLiteral("/net.trva");
    if (!dir.isValid() || !prepareOwnFile(relative, own))
        return nullptr;
    auto bench = std::make_unique<EditorBench>();
    bench->net = std::make_unique<Trelvoga::Networkg>(&bench->scene);
    bench->view = std::make_unique<MapView>(&bench->scene);
    bench->view->setAttribute(Qt::WA_DontShowOnScreen);
    bench->view->resize(viewSize);
    bench->view->show();
    if (!bench->net->load(own)) {
        err << bench->net->errorString() << '\n';
        return nullptr;
    }
    bench->net->flushUpdates();
    // The load frees its parsed form in the background.
    QThreadPool::globalInstance()->waitForDone();
    bench->edit = std::make_unique<Trelvoga::NetEdit>(bench->net.get(), bench->view.get());
    bench->stack = bench->edit->createUndoStack();
    bench->edit->rebuildObjectTree();
    return bench;
}

} // namespace BenchSupport
