#pragma once

#include "editor/modes/abstracteditmode.h"

#include <QRectF>
#include <functional>

class QGraphicsRectItem;

namespace Trelvoga {

// Picks a rectangle of the map for the database exchange; entered by the database area actions. The
// first click anchors the rectangle, whose far corner then follows the cursor; the second click hands it
// to the download handler (queued) and leaves the mode.
class TRELVOGA_EXPORT AreaSelectionMode : public AbstractEditMode
{
public:
    // The picked area in scene coordinates and whether the download joins the current network.
    using DownloadHandler = std::function<void(const QRectF &area, bool join)>;

    explicit AreaSelectionMode(EditContext *context)
        : AbstractEditMode(context, ModeAreaSelection, QString())
    {
    }
    ~AreaSelectionMode() override;

    bool consumesPress() const override { return true; }
    // Unchecks the database area actions without running their slots; drops the rectangle.
    void leave() override;
    bool mouseMoved(const QPointF &scenePos, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) override;
    void clicked(const QPointF &scenePos, Qt::KeyboardModifiers modifiers) override;
    QString hint() const override;

    // Run (queued on the editor) with the rectangle of the second click.
    void setDownloadHandler(const DownloadHandler &handler) { m_download = handler; }
    // The rectangle being picked; null before the first click.
    QGraphicsRectItem *areaRect() const { return m_rect; }

private:
    void dropRect();

    DownloadHandler m_download;
    QGraphicsRectItem *m_rect = nullptr;
};

} // namespace Trelvoga
