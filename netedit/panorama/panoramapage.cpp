#include "panorama/panoramapage.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QOpenGLContext>
#include <QSurfaceFormat>
#include <QWidget>
#include <QVariant>
#include <QWindow>

// Qt's own, exported by QtGui: the context every OpenGL context of the program shares resources with.
// The web engine draws through it; set before the engine is loaded, it needs no set-up at start.
QOpenGLContext *qt_gl_global_share_context();
void qt_gl_set_global_share_context(QOpenGLContext *context);

namespace Trelvoga {

namespace {

void shareOpenGL()
{
    if (qt_gl_global_share_context() || !QCoreApplication::instance())
        return;
    auto *context = new QOpenGLContext(QCoreApplication::instance());
    context->setFormat(QSurfaceFormat::defaultFormat());
    // Without OpenGL the engine draws in software.
    if (!context->create()) {
        delete context;
        return;
    }
    // The engine and the widgets that draw with OpenGL (the page's) take it from here.
    qt_gl_set_global_share_context(context);
}

// A program may start with plain raster windows (Qt::AA_ForceRasterWidgets): finding a window format
// that OpenGL can draw into loads the whole OpenGL driver, about fifty megabytes. The page composes
// into its window through OpenGL, so from the first page on new windows can take OpenGL again, and a
// window made before (the main window, a second one) is made anew, once, when a page first goes into it.
void composeWithOpenGL(QWidget *window)
{
    static const char rasterStart[] = "trelvoRasterWindowsAtStart";
    static const char madeAnew[] = "trelvoWindowMadeForOpenGL";
    QCoreApplication *app = QCoreApplication::instance();
    if (QCoreApplication::testAttribute(Qt::AA_ForceRasterWidgets)) {
        QCoreApplication::setAttribute(Qt::AA_ForceRasterWidgets, false);
        app->setProperty(rasterStart, true);
    }
    if (!app->property(rasterStart).toBool() || !window || !window->windowHandle()
        || window->windowHandle()->surfaceType() != QSurface::RasterSurface || window->property(madeAnew).toBool())
        return;
    // Once: where the platform has no such windows, it stays a raster window.
    window->setProperty(madeAnew, true);
    const QRect geometry = window->geometry();
    const Qt::WindowStates state = window->windowState();
    const Qt::WindowFlags flags = window->windowFlags();
    const bool visible = window->isVisible();
    {
        // Made a child for a moment, the window loses its native window; made a window again, it
        // gets a new one when shown.
        QWidget holder;
        window->setParent(&holder);
        window->setParent(nullptr, flags);
    }
    window->setGeometry(geometry);
    window->setWindowState(state);
    if (visible)
        window->show();
}

TrelvoCreatePanoramaPage entry(QString *error)
{
    static TrelvoCreatePanoramaPage found = nullptr;
    if (found)
        return found;
    // Next to the program (Windows) or in the library folder beside it.
    const QString dir = QCoreApplication::applicationDirPath();
    QStringList tried;
    for (const QString &path : {dir + QStringLiteral("/trelvopanorama"), dir + QStringLiteral("/../lib/trelvopanorama")}) {
        QLibrary library(QDir::cleanPath(path));
        if (!library.load()) {
            tried << library.errorString();
            continue;
        }
        found = reinterpret_cast<TrelvoCreatePanoramaPage>(library.resolve(TRELVO_PANORAMA_ENTRY));
        if (found)
            return found;
        tried << library.errorString();
        library.unload();
    }
    if (error)
        *error = tried.join(QStringLiteral("; "));
    return nullptr;
}

} // namespace

PanoramaPage::~PanoramaPage() = default;

PanoramaPage *PanoramaPage::create(QWidget *parent, QString *error)
{
    composeWithOpenGL(parent ? parent->window() : nullptr);
    shareOpenGL();
    TrelvoCreatePanoramaPage create = entry(error);
    return create ? create(parent) : nullptr;
}

PanoramaPage *PanoramaPage::of(QWidget *widget)
{
    return dynamic_cast<PanoramaPage *>(widget);
}

} // namespace Trelvoga
