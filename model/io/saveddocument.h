#pragma once

#include <QByteArray>
#include <QHash>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QVariant>
#include <QVector>

#include <algorithm>

namespace Trelvoa {

struct ObjectKind;
struct AttributeSchema;

// The parsed, not yet built form of a network file: everything a load needs, checked before the
// network is touched. Positions are the line and column where the element's start tag ends.

struct SavedPosition
{
    qint64 line = 0;
    qint64 column = 0;
};

// One attribute of an object or item element. Until the file is checked `value` holds the file's
// text; the check replaces it by the parsed value. A large city has millions of these: what a reloaded
// object must give back is made from the value when it is compared, not kept as text.
struct SavedAttribute
{
    QString name;
    QVariant value;
    const AttributeSchema *schema = nullptr; // for further attributes of the kind and item attributes
    int property = -1;                       // meta-object property index for property attributes

    QString text() const { return value.toString(); }
    void setText(const QString &text) { value = text; }
};

// A dynamic property, or a value nested in a list or map dynamic property.
struct SavedValue
{
    QString name; // property name; the key inside a map; empty inside a list
    int type = 0; // QMetaType id
    QString text;
    QVector<SavedValue> items;
    SavedPosition position;
};

// Class state written as a child element of the object (a zone link, a matrix cell).
struct SavedItem
{
    QString tag;
    QVector<SavedAttribute> attributes;
    SavedPosition position;
};

struct SavedObject
{
    const ObjectKind *kind = nullptr;
    int id = 0;
    int parent = -1;  // index of the parent element in SavedDocument::objects, -1 for none
    int parentId = 0; // for a top element of a fragment: the id of its parent outside the file
    int index = -1;   // with parentId: the place among the parent's ordered children (a lane's index)
    bool partial = false; // written without its children
    QVector<SavedAttribute> attributes;
    QVector<SavedValue> dynamicProperties;
    QVector<SavedItem> items;
    QVector<int> children;
    SavedPosition position;
};

struct SavedDocument
{
    int version = 0;
    bool fragment = false;
    SavedPosition position; // of the root element
    bool hasProjection = false;
    QByteArray projection;
    QPointF offset;
    bool hasBound = false;
    QString boundText;
    QRectF bound;
    // In document order: every parent before its children.
    QVector<SavedObject> objects;
    QVector<int> roots;
    QHash<int, int> indexById;
    // indexById as a table by id, where the ids are dense enough; made by makeIdTable() once the
    // document is complete (a look-up per reference, hundreds of thousands in a city), which then
    // drops the hash (tens of megabytes for a large city): look ids up through indexOf() from then on.
    QVector<int> idTable;

    void makeIdTable()
    {
        idTable.clear();
        int maxId = 0;
        int minId = 0;
        for (auto it = indexById.cbegin(); it != indexById.cend(); ++it) {
            maxId = std::max(maxId, it.key());
            minId = std::min(minId, it.key());
        }
        if (indexById.isEmpty() || minId < 0 || maxId / 4 > indexById.size())
            return;
        idTable.fill(-1, maxId + 1);
        for (auto it = indexById.cbegin(); it != indexById.cend(); ++it)
            idTable[it.key()] = it.value();
        indexById = QHash<int, int>();
    }
    // The index of the object with that id, or -1.
    int indexOf(int id) const
    {
        if (!idTable.isEmpty())
            return id >= 0 && id < idTable.size() ? idTable.at(id) : -1;
        return indexById.value(id, -1);
    }
};

} // namespace Trelvoa

// Their members are all relocatable: vectors of them grow by moving memory, not by copying each.
Q_DECLARE_TYPEINFO(Trelvoa::SavedPosition, Q_PRIMITIVE_TYPE);
Q_DECLARE_TYPEINFO(Trelvoa::SavedAttribute, Q_MOVABLE_TYPE);
Q_DECLARE_TYPEINFO(Trelvoa::SavedValue, Q_MOVABLE_TYPE);
Q_DECLARE_TYPEINFO(Trelvoa::SavedItem, Q_MOVABLE_TYPE);
Q_DECLARE_TYPEINFO(Trelvoa::SavedObject, Q_MOVABLE_TYPE);
