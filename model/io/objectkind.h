#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMetaProperty>
#include <QString>
#include <QStringList>
#include <QVector>

namespace Trelvoa {

class ContentReader;
class ContentWriter;
class NetObject;

// The type of an attribute that a kind writes beyond its properties, or of an item attribute; known
// up front so that a file is checked completely before anything is built.
struct AttributeSchema
{
    enum Type { Text, Number, Integer, Boolean, Points, Reference, References };
    QString name;
    Type type = Text;
    const QMetaObject *target = nullptr; // references: the kind the objects must be (or inherit)
    bool required = false;
};

// Class state written as child elements with one tag (the links of a zone, the cells of a matrix).
struct ItemSchema
{
    QString tag;
    QVector<AttributeSchema> attributes;
};

// How a property of a kind is saved.
struct PropertyCodec
{
    enum Type { Scalar, Enum, Reference, References };
    QMetaProperty property;
    QByteArray name;
    Type type = Scalar;
    const QMetaObject *target = nullptr; // references: the kind of the objects
    int userType = QMetaType::UnknownType; // the property's type, looked up once
    // An enum held in an int: read and written as one through the meta-call. (QMetaProperty looks
    // the enum's type up by name on every read.)
    bool intEnum = false;
    // References to model objects only (the declared kind is one): a target needs no cast.
    bool netObjectTarget = false;

    // A value of the property's own type (userType) straight through the meta-call, without the
    // conversions and type look-ups of QMetaProperty's read and write: a city's load makes a million.
    void writeRaw(QObject *object, const void *value) const;
    void readRaw(const QObject *object, void *value) const;
};

// One kind of model object in network files: its element tag, where it may sit in the ownership
// tree, how it is made, and the class state that its stored, writable properties do not carry.
// The table of kinds is the one place that knows the model classes; everything else is generic.
struct ObjectKind
{
    QString tag;
    const QMetaObject *metaObject = nullptr;
    bool topLevel = false;                 // may be a child of the network
    QVector<const QMetaObject *> parents;  // the kinds it may be a child of
    bool reparentable = false;             // an existing object may move to another parent on a merge
    bool geometric = false;                // counts for the bound; gets <geometry> in full saves
    // Makes a new object under its parent (the network or a model object). Null for kinds that only
    // their parent's constructor makes (stoplines).
    NetObject *(*create)(QObject *parent) = nullptr;
    // Children the constructor makes, in their fixed roles (a lane's stopline and start line). They
    // are written first, in this order, and matched to the saved ones in order.
    QList<NetObject *> (*fixedChildren)(const NetObject *object) = nullptr;
    QVector<const QMetaObject *> fixedChildKinds;
    // Children whose order is state (the lanes of an edge): written next, in this order.
    QList<NetObject *> (*orderedChildren)(const NetObject *object) = nullptr;
    const QMetaObject *orderedChildKind = nullptr;
    bool (*restoreOrder)(NetObject *object, const QList<NetObject *> &children) = nullptr;
    // Puts one ordered child at an index (a lane restored on its own into its edge).
    bool (*placeChild)(NetObject *object, NetObject *child, int index) = nullptr;
    // Stored properties that are not written: the parent or the class state below carries them.
    QStringList skippedProperties;
    // Properties left out for an object in a given state (a stopline's distance while automatic).
    bool (*skipProperty)(const NetObject *object, const QByteArray &name) = nullptr;
    // Reference-list properties (QVariantList of objects) and the kind of their entries; also the
    // kind of single-reference properties when it must be checked.
    QHash<QByteArray, const QMetaObject *> referenceKinds;
    // Single references the object can do without (cleared, not dropping the object, when a fragment
    // loaded on its own does not hold their target).
    QStringList optionalReferences;
    QVector<AttributeSchema> extras;
    QVector<ItemSchema> items;
    void (*save)(const NetObject *object, ContentWriter &writer) = nullptr;
    bool (*load)(NetObject *object, ContentReader &reader) = nullptr;

    // The properties written for this kind, in declaration order (base classes first).
    QVector<PropertyCodec> properties;
    const PropertyCodec *findProperty(const QString &name) const;
    // The same, trying the codec at hint first: a file's attributes come in the order of the codecs.
    const PropertyCodec *findProperty(const QString &name, int hint) const;
    const AttributeSchema *findExtra(const QString &name) const;
    const ItemSchema *findItem(const QString &tag) const;
    bool allowsParent(const QMetaObject *parentKind) const;

    static const ObjectKind *byTag(const QString &tag);
    static const ObjectKind *of(const NetObject *object);
    // Every kind, in a fixed order.
    static const QVector<const ObjectKind *> &all();
    // Tags that are not kinds but have a meaning inside an object element.
    static bool isReservedTag(const QString &tag);
};

} // namespace Trelvoa
