#pragma once

#include "scene/genericgraphicsitem.h"
#include "trelvoga_global.h"

namespace Trelvoa {
class SignalGroup;
} // namespace Trelvoa

namespace Trelvoga {

// A signal group in the scene selection: selectable, but with nothing to draw or hit (the group shows
// through its connections and crosswalks).
class TRELVOGA_EXPORT SignalGroupg : public GenericGraphicsItem
{
public:
    enum { Type = ItemType::SignalGroupg };

    SignalGroupg(Trelvoa::SignalGroup *group, Trelvoa::GeoUtil *geo, QGraphicsItem *parent = nullptr);
    ~SignalGroupg() override;

    // Selects the item itself; the scene's own selection calls (rubber band, clicks) never reach an
    // item without extent.
    void setSelected(bool selected);

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;
    // Only there to be found and selected.
    bool drawsAt(double) const override { return false; }
    int type() const override { return Type; }

    void objectChanged(int flags) override;
    // Stays visible: there is nothing to hide, and a hidden item cannot be selected.
    void setWireframe(bool on) override;
    Trelvoa::NetObject *networkObject() const override;

private:
    Trelvoa::SignalGroup *m_group = nullptr;
};

} // namespace Trelvoga
