#include "panorama/panoramapage.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QOpenGLContext>
#include <QSurfaceFormat>
#include <QWidget>

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
    shareOpenGL();
    TrelvoCreatePanoramaPage create = entry(error);
    return create ? create(parent) : nullptr;
}

PanoramaPage *PanoramaPage::of(QWidget *widget)
{
    return dynamic_cast<PanoramaPage *>(widget);
}

} // namespace Trelvoga
