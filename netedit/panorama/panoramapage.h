#pragma once

#include "trelvoga_global.h"

#include <QString>
#include <functional>

class QObject;
class QUrl;
class QWidget;

namespace Trelvoga {

// The web page that shows the street-view panorama. Its implementation lives in a module of its own
// that is loaded when the panorama is first shown: the web engine it needs costs an OpenGL context and
// some fifty megabytes at start, which most sessions never use.
class TRELVOGA_EXPORT PanoramaPage
{
public:
    virtual ~PanoramaPage();

    // The widget showing the page; the parent given to create() owns it, and it owns this page.
    virtual QWidget *widget() = 0;
    virtual void setHtml(const QString &html, const QUrl &baseUrl) = 0;
    virtual void runJavaScript(const QString &script) = 0;
    // Objects the page's scripts reach through the web channel under these names.
    virtual void registerObject(const QString &name, QObject *object) = 0;
    // Called after every load of the page (a reload starts a fresh script context).
    virtual void setLoadFinished(std::function<void()> handler) = 0;

    // A new page under parent, or null with the reason in error when the module is missing or cannot
    // be loaded.
    static PanoramaPage *create(QWidget *parent, QString *error = nullptr);
    // The page a widget shows, or null.
    static PanoramaPage *of(QWidget *widget);
};

} // namespace Trelvoga

// The module's entry point: a new page under parent.
using TrelvoCreatePanoramaPage = Trelvoga::PanoramaPage *(*)(QWidget *parent);
#define TRELVO_PANORAMA_ENTRY "trelvoCreatePanoramaPage"
