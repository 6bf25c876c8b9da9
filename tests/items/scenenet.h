#pragma once

// A scene network on a scene of its own, for the item tests.

#include "scene/networkg.h"

#include "netobject.h"

#include <QGraphicsScene>

namespace ItemLayouts {

// The network goes first, before its scene.
struct SceneNet
{
    SceneNet()
        : net(&scene)
    {
    }
    QGraphicsScene scene;
    Trelvoga::Networkg net;
};

// The items of a scene network are refreshed by a timer; tests refresh them at once.
inline void refresh(Trelvoga::Networkg *net)
{
    net->updateGeometry();
}

template<class Item>
Item *itemOf(Trelvoga::Networkg *net, Trelvoa::NetObject *object)
{
    return dynamic_cast<Item *>(net->object2item(object));
}

} // namespace ItemLayouts
