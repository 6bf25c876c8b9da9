#include "scene/genericgraphicsitem.h"

#include "geo/geoutil.h"
#include "netobject.h"

#include <QHash>
#include <QMetaProperty>

namespace Trelvoga {

GenericGraphicsItem::GenericGraphicsItem(QGraphicsItem *parent, Trelvoa::GeoUtil *geo)
    : QGraphicsItem(parent)
    , m_geoUtil(geo)
{
}

// No explicit removeItem() here: the scene would query the bounding rectangle, a pure virtual of an
// item that is half destroyed by now. QGraphicsItem's destructor removes the item safely.
GenericGraphicsItem::~GenericGraphicsItem() = default;

void GenericGraphicsItem::setWireframe(bool on)
{
    setVisible(!on);
}

Trelvoa::NetObject *GenericGraphicsItem::networkObject() const
{
    return nullptr;
}

void GenericGraphicsItem::setEdit(bool on)
{
    Q_UNUSED(on)
}

bool GenericGraphicsItem::isChanged() const
{
    return false;
}

void GenericGraphicsItem::setColor(const QColor &color)
{
    Q_UNUSED(color)
}

void GenericGraphicsItem::resetColor()
{
}

void GenericGraphicsItem::addEditPoint(const QPointF &scenePoint)
{
    Q_UNUSED(scenePoint)
}

void GenericGraphicsItem::addNewPoint(const QPointF &scenePoint)
{
    Q_UNUSED(scenePoint)
}

QPointF GenericGraphicsItem::geoPos(const QPointF &xy) const
{
    return m_geoUtil ? m_geoUtil->xyToGeo(xy) : xy;
}

QPointF GenericGraphicsItem::netPos(const QPointF &scenePoint) const
{
    return m_geoUtil ? m_geoUtil->geoToXY(scenePoint) : scenePoint;
}

void GenericGraphicsItem::setItemCursor(ItemCursors::Kind kind)
{
    m_cursorKind = qint8(kind);
    if (hasCursor())
        setCursor(ItemCursors::cursor(kind));
}

void GenericGraphicsItem::takeItemCursor()
{
    if (m_cursorKind >= 0 && !hasCursor())
        setCursor(ItemCursors::cursor(ItemCursors::Kind(m_cursorKind)));
}

QRectF GenericGraphicsItem::sceneBoundingRect() const
{
    if (flags() & ItemIgnoresTransformations) {
        constexpr qreal side = 0.00001;
        const QPointF p = scenePos();
        return QRectF(p.x() - side / 2, p.y() - side / 2, side, side);
    }
    return QGraphicsItem::sceneBoundingRect();
}

QString GenericGraphicsItem::toolTipText() const
{
    const Trelvoa::NetObject *object = networkObject();
    if (!object)
        return QString();
    // The user property of each class, found once: every item of a large network asks.
    static QHash<const QMetaObject *, QMetaProperty> userProperties;
    const QMetaObject *meta = object->metaObject();
    auto it = userProperties.constFind(meta);
    if (it == userProperties.constEnd())
        it = userProperties.insert(meta, meta->userProperty());
    const QString value = it->isValid() ? it->read(object).toString() : QString();
    return value + QLatin1Char(' ') + object->printableName();
}

void GenericGraphicsItem::setSimpleView(bool)
{
}

bool GenericGraphicsItem::drawsAt(double) const
{
    return true;
}

} // namespace Trelvoga
