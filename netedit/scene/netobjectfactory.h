#pragma once

#include "trelvoga_global.h"

#include <QString>

class QGraphicsItem;

namespace Trelvoa {
class GeoUtil;
class NetObject;
} // namespace Trelvoa

namespace Trelvoga {

class GenericGraphicsItem;

// Lets the host give items to model classes the editor does not know (Networkg::registerNetObject).
// The network does not own the factory: it must outlive the network or its registration.
class TRELVOGA_EXPORT NetObjectFactory
{
public:
    virtual ~NetObjectFactory();

    // The model class served, as its meta-object names it ("Trelvoa::CustomObject"); the name without
    // namespace is accepted too.
    virtual QString objectClassName() const = 0;
    // The layer that receives the items.
    virtual QString layerName() const = 0;
    // A new item for the object, or null. layer is null when the network has no such layer.
    virtual GenericGraphicsItem *createItem(Trelvoa::NetObject *object, QGraphicsItem *layer,
                                            Trelvoa::GeoUtil *geo) = 0;
};

} // namespace Trelvoga
