#pragma once

#include "netobject.h"

#include <QMetaType>
#include <QVector>

namespace Trelvoa {

class CrossWalk;
class Lane;
class Node;
class Stopline;

// A pedestrian area at a junction, joining sidewalk lane ends and crosswalk ends. It is made empty and
// then given items; its junction is that of its items, and all items must belong to one junction.
// Deleting a stopline's lane, a crosswalk or a crosswalk's lane takes the items naming it out.
//
// Shape: the custom one when autoShape() is false; else the convex hull of the items' connector points,
// each widened by autoShapeMargin() (so one item already gives a small disc).
class TRELVOA_EXPORT WalkingArea : public NetObject
{
    Q_OBJECT
    Q_PROPERTY(bool autoShape READ autoShape WRITE setAutoShape)
    Q_PROPERTY(QVariantList items READ itemsVariant STORED false)

public:
    // One connection of the area: a stopline or start line (the end of a sidewalk lane), or one end of a
    // crosswalk. A plain value: copies compare equal when they name the same things.
    class TRELVOA_EXPORT Item
    {
    public:
        Item() = default;
        explicit Item(Stopline *line);
        // The crosswalk end on `lane` (lane1 or lane2 of the crosswalk). atFirstEnd names the end at the
        // start of the crosswalk's skeleton; it decides only when both ends lie on the same lane.
        Item(CrossWalk *crossWalk, Lane *lane, bool atFirstEnd);

        Stopline *line() const { return m_line; }
        CrossWalk *crossWalk() const { return m_crossWalk; }
        Lane *lane() const { return m_lane; }
        bool atFirstEnd() const { return m_atFirstEnd; }
        bool isStopline() const { return m_line != nullptr; }
        bool isCrossWalk() const { return m_crossWalk != nullptr; }
        // A line, or a crosswalk with a lane; not both.
        bool isValid() const;
        // The junction the item lies at, or null.
        Node *junction() const;
        // Where the item joins the area: the line's point on its lane, or the crosswalk's skeleton end;
        // the invalid point (x NaN) when there is none.
        QPointF connectorPoint() const;

        bool operator==(const Item &other) const;
        bool operator!=(const Item &other) const { return !(*this == other); }

    private:
        Stopline *m_line = nullptr;
        CrossWalk *m_crossWalk = nullptr;
        Lane *m_lane = nullptr;
        bool m_atFirstEnd = false;
    };

    explicit WalkingArea(QObject *parent = nullptr);
    ~WalkingArea() override;

    QString kindName() const override { return tr("Walking area"); }
    QString jsonTag() const override { return QStringLiteral("walkingArea"); }

    // The items in order; the area owns them. A pointer stays valid until its item is removed.
    QList<Item *> items() const { return m_items; }
    int itemCount() const { return m_items.size(); }

    // Appends a copy of the item. Refuses invalid items, items naming objects of another network, a
    // crosswalk item whose lane is not one of the crosswalk's lanes, an item at another junction than
    // the others and an item equal to one already there.
    bool addItem(const Item &item);
    // Replaces all items at once (as a load does), all or nothing: false, changing nothing, when
    // addItem would refuse one of them after the ones before it.
    bool setItems(const QVector<Item> &items);
    // The line of a sidewalk lane (one that allows pedestrians); refuses other lanes' lines, else as
    // addItem.
    bool addStopline(Stopline *line);
    // The crosswalk end on sideLane; as addItem.
    bool addCrossWalk(CrossWalk *crossWalk, Lane *sideLane, bool atFirstEnd);
    // Removes the given item of this area, or else the first item equal to it (a copy kept elsewhere);
    // false when there is none.
    bool removeItem(const Item *item);
    bool removeItemAt(int index);

    // The junction of the items (that of the first), or null without items.
    Node *junction() const;

    bool autoShape() const { return m_autoShape; }
    // Switching the automatic shape off keeps the current outline as the custom one.
    void setAutoShape(bool on);
    // Sets a custom outline and switches the automatic shape off. Refuses fewer than three distinct
    // points and non-finite points.
    bool setShape(const GeoShape &shape);
    GeoShape customShape() const { return m_customShape; }
    // Drops the custom outline and goes back to the automatic one.
    void resetShape();
    GeoShape shape() const override;
    // The derived outline, whatever autoShape() says.
    GeoShape computedShape() const;
    static double autoShapeMargin() { return 1.0; }

    // The centroid of the outline; without an outline the mean of the connector points; the invalid
    // point without either.
    QPointF pos() const override;
    QSet<NetObject *> neededToplevelObjects() const override;

protected:
    void referenceRemoved(NetObject *target) override;
    void invalidate(int flags) override;
    void attached() override { m_shapeValid = false; }

private:
    void syncReferences();
    QVariantList itemsVariant() const;

    bool accepts(const Item &item, const QList<Item *> &items) const;
    // The junction of the first of the items that has one.
    static Node *junctionOf(const QList<Item *> &items);

    QList<Item *> m_items;
    QSet<NetObject *> m_referenced;
    bool m_autoShape = true;
    GeoShape m_customShape;

    mutable GeoShape m_shapeCache;
    mutable bool m_shapeValid = false;
};

} // namespace Trelvoa

Q_DECLARE_METATYPE(Trelvoa::WalkingArea::Item *)
