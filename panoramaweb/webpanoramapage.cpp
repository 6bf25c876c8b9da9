// The panorama page on the web engine, with the web channel to the editor.
#include "panorama/panoramapage.h"

#include <QUrl>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {

class WebPanoramaPage : public QWebEngineView, public Trelvoga::PanoramaPage
{
public:
    explicit WebPanoramaPage(QWidget *parent)
        : QWebEngineView(parent)
        , m_channel(new QWebChannel(page()))
    {
        page()->setWebChannel(m_channel);
        connect(page(), &QWebEnginePage::loadFinished, this, [this](bool) {
            if (m_loadFinished)
                m_loadFinished();
        });
    }

    QWidget *widget() override { return this; }
    void setHtml(const QString &html, const QUrl &baseUrl) override { QWebEngineView::setHtml(html, baseUrl); }
    void runJavaScript(const QString &script) override { page()->runJavaScript(script); }
    void registerObject(const QString &name, QObject *object) override { m_channel->registerObject(name, object); }
    void setLoadFinished(std::function<void()> handler) override { m_loadFinished = std::move(handler); }

private:
    QWebChannel *m_channel;
    std::function<void()> m_loadFinished;
};

} // namespace

extern "C" Q_DECL_EXPORT Trelvoga::PanoramaPage *trelvoCreatePanoramaPage(QWidget *parent)
{
    return new WebPanoramaPage(parent);
}
