#include "walkingarea.h"

#include "crosswalk.h"
#include "lane.h"
#include "node.h"
#include "objecthelpers.h"
#include "stopline.h"

#include <QLineF>

namespace Trelvoa {

WalkingArea::Item::Item(Stopline *line)
    : m_line(line)
{
}

WalkingArea::Item::Item(CrossWalk *crossWalk, Lane *lane, bool atFirstEnd)
    : m_crossWalk(crossWalk)
    , m_lane(lane)
    , m_atFirstEnd(atFirstEnd)
{
}

bool WalkingArea::Item::isValid() const
{
    if (m_line)
        return !m_crossWalk && !m_lane;
    return m_crossWalk && m_lane;
}

Node *WalkingArea::Item::junction() const
{
    if (m_line) {
        Lane *lane = m_line->lane();
        if (!lane)
            return nullptr;
        return m_line->isStopline() ? lane->endNode() : lane->startNode();
    }
    return m_crossWalk ? m_crossWalk->junction() : nullptr;
}

QPointF WalkingArea::Item::connectorPoint() const
{
    if (m_line)
        return m_line->pos();
    if (!m_crossWalk)
        return invalidPoint();
    const GeoPolyline skeleton = m_crossWalk->skeleton();
    if (skeleton.isEmpty())
        return invalidPoint();
    const bool onFirst = m_lane == m_crossWalk->lane1();
    const bool onSecond = m_lane == m_crossWalk->lane2();
    bool first = m_atFirstEnd;
    if (onFirst != onSecond)
        first = onFirst;
    return first ? skeleton.first() : skeleton.last();
}

bool WalkingArea::Item::operator==(const Item &other) const
{
    return m_line == other.m_line && m_crossWalk == other.m_crossWalk && m_lane == other.m_lane
        && (m_line || m_atFirstEnd == other.m_atFirstEnd);
}

WalkingArea::WalkingArea(QObject *parent)
    : NetObject(parent)
{
}

WalkingArea::~WalkingArea()
{
    beginDestroy();
    qDeleteAll(m_items);
    m_items.clear();
}

bool WalkingArea::accepts(const Item &item, const QList<Item *> &items) const
{
    if (!item.isValid())
        return false;
    if (item.line() && !sameNetwork(item.line()))
        return false;
    if (item.crossWalk()) {
        if (!sameNetwork(item.crossWalk()) || !sameNetwork(item.lane()))
            return false;
        if (item.lane() != item.crossWalk()->lane1() && item.lane() != item.crossWalk()->lane2())
            return false;
    }
    Node *current = junctionOf(items);
    if (current && item.junction() != current)
        return false;
    for (const Item *existing : items) {
        if (*existing == item)
            return false;
    }
    return true;
}

bool WalkingArea::addItem(const Item &item)
{
    if (!accepts(item, m_items))
        return false;
    m_items.append(new Item(item));
    syncReferences();
    setChanged(this, ChangeFlag::Topology | ChangeFlag::Geometry);
    return true;
}

bool WalkingArea::setItems(const QVector<Item> &items)
{
    QList<Item *> replacement;
    for (const Item &item : items) {
        if (!accepts(item, replacement)) {
            qDeleteAll(replacement);
            return false;
        }
        replacement.append(new Item(item));
    }
    qDeleteAll(m_items);
    m_items = replacement;
    syncReferences();
    setChanged(this, ChangeFlag::Topology | ChangeFlag::Geometry);
    return true;
}

bool WalkingArea::addStopline(Stopline *line)
{
    if (!line || !line->lane() || !line->lane()->allows(Lane::vcPedestrian))
        return false;
    return addItem(Item(line));
}

bool WalkingArea::addCrossWalk(CrossWalk *crossWalk, Lane *sideLane, bool atFirstEnd)
{
    return addItem(Item(crossWalk, sideLane, atFirstEnd));
}

bool WalkingArea::removeItem(const Item *item)
{
    if (!item)
        return false;
    int index = m_items.indexOf(const_cast<Item *>(item));
    for (int i = 0; index < 0 && i < m_items.size(); ++i) {
        if (*m_items.at(i) == *item)
            index = i;
    }
    return removeItemAt(index);
}

bool WalkingArea::removeItemAt(int index)
{
    if (index < 0 || index >= m_items.size())
        return false;
    delete m_items.takeAt(index);
    syncReferences();
    setChanged(this, ChangeFlag::Topology | ChangeFlag::Geometry);
    return true;
}

Node *WalkingArea::junction() const
{
    return junctionOf(m_items);
}

Node *WalkingArea::junctionOf(const QList<Item *> &items)
{
    for (const Item *item : items) {
        if (Node *node = item->junction())
            return node;
    }
    return nullptr;
}

void WalkingArea::syncReferences()
{
    QSet<NetObject *> wanted;
    for (const Item *item : qAsConst(m_items)) {
        if (item->line())
            wanted.insert(item->line());
        if (item->crossWalk())
            wanted.insert(item->crossWalk());
        if (item->lane())
            wanted.insert(item->lane());
    }
    // Without set differences: a load makes thousands of areas, each copying its sets twice.
    for (NetObject *target : qAsConst(m_referenced)) {
        if (!wanted.contains(target))
            removeReference(target);
    }
    for (NetObject *target : qAsConst(wanted)) {
        if (!m_referenced.contains(target))
            addReference(target);
    }
    m_referenced.swap(wanted);
}

void WalkingArea::setAutoShape(bool on)
{
    if (on == m_autoShape)
        return;
    if (!on) {
        const GeoShape current = computedShape();
        if (ObjectHelpers::isUsableOutline(current))
            m_customShape = current;
    }
    m_autoShape = on;
    m_shapeValid = false;
    setChanged(this, ChangeFlag::Geometry | ChangeFlag::CustomShape);
}

bool WalkingArea::setShape(const GeoShape &shape)
{
    if (!ObjectHelpers::isUsableOutline(shape))
        return false;
    const GeoShape closed = ObjectHelpers::closedOutline(shape);
    if (!m_autoShape && closed == m_customShape)
        return true;
    m_customShape = closed;
    m_autoShape = false;
    m_shapeValid = false;
    setChanged(this, ChangeFlag::Geometry | ChangeFlag::CustomShape);
    return true;
}

void WalkingArea::resetShape()
{
    if (m_autoShape && m_customShape.isEmpty())
        return;
    m_customShape.clear();
    m_autoShape = true;
    m_shapeValid = false;
    setChanged(this, ChangeFlag::Geometry | ChangeFlag::CustomShape);
}

GeoShape WalkingArea::computedShape() const
{
    if (!m_shapeValid) {
        QVector<QPointF> points;
        const double r = autoShapeMargin();
        for (const Item *item : m_items) {
            const QPointF p = item->connectorPoint();
            if (!pointIsValid(p))
                continue;
            // Eight points around each connector point round the hull off by the margin.
            for (int k = 0; k < 8; ++k)
                points.append(QLineF::fromPolar(r, 45.0 * k).translated(p).p2());
        }
        m_shapeCache = GeoShape::convexHull(points);
        m_shapeValid = true;
    }
    return m_shapeCache;
}

GeoShape WalkingArea::shape() const
{
    return m_autoShape ? computedShape() : m_customShape;
}

QPointF WalkingArea::pos() const
{
    const GeoShape outline = shape();
    if (!outline.isEmpty())
        return outline.centroid();
    double x = 0.0;
    double y = 0.0;
    int n = 0;
    for (const Item *item : m_items) {
        const QPointF p = item->connectorPoint();
        if (pointIsValid(p)) {
            x += p.x();
            y += p.y();
            ++n;
        }
    }
    return n > 0 ? QPointF(x / n, y / n) : invalidPoint();
}

void WalkingArea::referenceRemoved(NetObject *target)
{
    bool removed = false;
    for (int i = m_items.size() - 1; i >= 0; --i) {
        const Item *item = m_items.at(i);
        if (item->line() == target || item->crossWalk() == target || item->lane() == target) {
            delete m_items.takeAt(i);
            removed = true;
        }
    }
    syncReferences();
    if (m_referenced.contains(target)) {
        m_referenced.remove(target);
        removeReference(target);
    } else if (!removed) {
        NetObject::referenceRemoved(target);
    }
    if (removed)
        setChanged(this, ChangeFlag::Topology | ChangeFlag::Geometry);
}

void WalkingArea::invalidate(int flags)
{
    Q_UNUSED(flags)
    m_shapeValid = false;
}

QVariantList WalkingArea::itemsVariant() const
{
    QVariantList list;
    for (const Item *item : m_items) {
        QVariantMap map;
        if (item->line()) {
            map.insert(QStringLiteral("stopline"), QVariant::fromValue<QObject *>(item->line()));
        } else {
            map.insert(QStringLiteral("crosswalk"), QVariant::fromValue<QObject *>(item->crossWalk()));
            map.insert(QStringLiteral("lane"), QVariant::fromValue<QObject *>(item->lane()));
            map.insert(QStringLiteral("atFirstEnd"), item->atFirstEnd());
        }
        list.append(map);
    }
    return list;
}

QSet<NetObject *> WalkingArea::neededToplevelObjects() const
{
    QSet<NetObject *> set;
    for (const Item *item : m_items) {
        ObjectHelpers::addTopLevel(set, this, item->line());
        ObjectHelpers::addTopLevel(set, this, item->crossWalk());
        ObjectHelpers::addTopLevel(set, this, item->lane());
    }
    return set;
}

} // namespace Trelvoa
