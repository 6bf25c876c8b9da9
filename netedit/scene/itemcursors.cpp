#include "scene/itemcursors.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QThread>
#include <QVector>

namespace Trelvoga {

namespace {

const char *const fileNames[ItemCursors::KindCount] = {
    "node_cursor.png",     "junction_cursor.png", "point_cursor.png",     "edge_cursor.png",
    "lane_cursor.png",     "stopline_cursor.png", "crosswalk_cursor.png", "connection_cursor.png",
    "route_cursor.png",    "detector_cursor.png", "edetector_cursor.png", "dt_group_cursor.png",
    "composite_dt_cursor.png", "pt_stop_cursor.png", "wa_cursor.png",     "taz_cursor.png",
};

// Built on first load (a QCursor from a pixmap needs a GUI application) and kept to the end of the
// process: freeing pixmap cursors after the application has gone is not safe.
QVector<QCursor> *&loaded()
{
    static QVector<QCursor> *cursors = nullptr;
    return cursors;
}

} // namespace

QString ItemCursors::resourcePath(Kind kind)
{
    if (kind < 0 || kind >= KindCount)
        return QString();
    return QStringLiteral(":/trelvoga/cursors/") + QLatin1String(fileNames[kind]);
}

QCursor ItemCursors::cursor(Kind kind)
{
    const QVector<QCursor> *cursors = loaded();
    if (!cursors || kind < 0 || kind >= KindCount)
        return QCursor(Qt::ArrowCursor);
    return cursors->at(kind);
}

bool ItemCursors::load()
{
    // Pixmaps abort the program without a GUI application or off its thread.
    auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    if (!app || QThread::currentThread() != app->thread())
        return false;
    bool complete = true;
    auto *cursors = new QVector<QCursor>();
    cursors->reserve(KindCount);
    for (int k = 0; k < KindCount; ++k) {
        const QPixmap pixmap(resourcePath(Kind(k)));
        if (pixmap.isNull()) {
            complete = false;
            cursors->append(QCursor(Qt::ArrowCursor));
        } else {
            cursors->append(QCursor(pixmap, 0, 0));
        }
    }
    delete loaded();
    loaded() = cursors;
    return complete;
}

} // namespace Trelvoga
