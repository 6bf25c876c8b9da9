#pragma once

#include "trelvoga_global.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QGraphicsItem;

namespace Trelvoa {
class GeoUtil;
class NetObject;
} // namespace Trelvoa

namespace Trelvoga {

class GenericGraphicsItem;

// The built-in model kinds: which layer their items go to, in which order a load creates them, and
// the item class of each. Item classes register themselves with TRELVOGA_REGISTER_ITEM in their source
// file; a kind whose item class is not registered gets no item.
class TRELVOGA_EXPORT ItemFactory
{
public:
    using Creator =
        std::function<GenericGraphicsItem *(Trelvoa::NetObject *object, Trelvoa::GeoUtil *geo, QGraphicsItem *parent)>;

    // Meta-object class names ("Trelvoa::Node") of the kinds that a load turns into items, in load order.
    static QStringList loadOrder();
    // True for a kind the editor knows, whether or not it gets an item (SignalGroup, Granule, ...).
    static bool isBuiltin(const QString &className);
    // The layer of the kind's items; empty for kinds without items.
    static QString layerName(const QString &className);
    static bool hasCreator(const QString &className);
    // Kinds drawn only close up, of which a city has tens of thousands: a load leaves their items
    // unmade until a view shows them at their scale or something asks for them (Networkg::makeItemsIn).
    static bool isMadeWhenShown(const QString &className);
    // A new item, or null when the kind has no item class or the creator refuses the object.
    static GenericGraphicsItem *create(const QString &className, Trelvoa::NetObject *object,
                                       Trelvoa::GeoUtil *geo, QGraphicsItem *parent);

    // Replaces an earlier creator of the kind; ignored for kinds that have no layer.
    static bool registerCreator(const QString &className, const Creator &creator);
};

// Registers Item(Object*, GeoUtil*, QGraphicsItem* parent) as the item class of the model class Object.
template<class Item, class Object>
struct ItemRegistration
{
    explicit ItemRegistration(const char *className)
    {
        ItemFactory::registerCreator(QString::fromLatin1(className),
                                     [](Trelvoa::NetObject *object, Trelvoa::GeoUtil *geo,
                                        QGraphicsItem *parent) -> GenericGraphicsItem * {
                                         auto *typed = qobject_cast<Object *>(object);
                                         return typed ? new Item(typed, geo, parent) : nullptr;
                                     });
    }
};

} // namespace Trelvoga

// Use in the item's .cpp, at namespace scope:
//   TRELVOGA_REGISTER_ITEM(Trelvoga::Nodeg, Trelvoa::Node)
#define TRELVOGA_REGISTER_ITEM(ItemClass, ObjectClass) \
    TRELVOGA_REGISTER_ITEM_AT(ItemClass, ObjectClass, __LINE__)
#define TRELVOGA_REGISTER_ITEM_AT(ItemClass, ObjectClass, line) TRELVOGA_REGISTER_ITEM_AT2(ItemClass, ObjectClass, line)
#define TRELVOGA_REGISTER_ITEM_AT2(ItemClass, ObjectClass, line)                                     \
    namespace {                                                                                  \
    const ::Trelvoga::ItemRegistration<ItemClass, ObjectClass>                                   \
        trelvogaItemRegistration##line(ObjectClass::staticMetaObject.className());               \
    }
