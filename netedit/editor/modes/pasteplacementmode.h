#pragma once

#include "editor/modes/abstracteditmode.h"

#include <QPointF>
#include <QRectF>
#include <memory>

class QGraphicsRectItem;

namespace Trelvoa {
class Network;
} // namespace Trelvoa

namespace Trelvoga {

// Places a pasted network part: a preview of its extent, its roads and its nodes follows the cursor
// (the preview's bottom-left corner at the cursor) until a click joins the part there as one undo step.
// Leaving the mode drops the part and the preview.
class TRELVOGA_EXPORT PastePlacementMode : public AbstractEditMode
{
public:
    explicit PastePlacementMode(EditContext *context)
        : AbstractEditMode(context, ModePastePlacement, QString(),
                           QStringLiteral(":/trelvoga/cursors/paste_cursor.png"), 0, 0)
    {
    }
    ~PastePlacementMode() override;

    bool consumesPress() const override { return true; }
    void leave() override;
    bool mouseMoved(const QPointF &scenePos, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) override;
    void clicked(const QPointF &scenePos, Qt::KeyboardModifiers modifiers) override;
    QString hint() const override;

    // Takes the part to place and its bound (in the part's model coordinates) and shows the preview
    // with its bottom-left corner at the cursor. Nothing new while a preview is shown.
    void start(std::unique_ptr<Trelvoa::Network> network, const QRectF &bound, const QPointF &cursorScenePos);

    Trelvoa::Network *pasteNetwork() const { return m_network.get(); }
    QGraphicsRectItem *preview() const { return m_preview; }
    // Moves the part by the preview's offset, joins it and leaves the mode.
    void place();

    // Moves every freely placed object of a network by delta (model units); what hangs on lanes,
    // attached nodes and automatic skeletons follow by themselves.
    static void translate(Trelvoa::Network *network, const QPointF &delta);

private:
    QPointF toScene(const QPointF &xy) const;
    QPointF toModel(const QPointF &scenePos) const;
    void dropPreview();

    std::unique_ptr<Trelvoa::Network> m_network;
    QGraphicsRectItem *m_preview = nullptr;
    // The bound in scene coordinates, before the preview's offset.
    QRectF m_sceneBound;
};

} // namespace Trelvoga
