#pragma once

// Model objects, items and a factory of the tests' own, to watch what the scene network does.

#include "netobject.h"
#include "network.h"
#include "scene/genericgraphicsitem.h"
#include "scene/geometryeditor.h"
#include "scene/netobjectfactory.h"
#include "scene/networkg.h"

#include "geo/geopolyline.h"
#include "geo/geoshape.h"

#include <QPainter>
#include <QSet>

namespace SceneTest {

// A drawable object of a kind the editor does not know.
class Thing : public Trelvoa::NetObject
{
    Q_OBJECT

public:
    explicit Thing(QObject *parent = nullptr)
        : Trelvoa::NetObject(parent)
    {
    }
    ~Thing() override { beginDestroy(); }

    QSet<Trelvoa::NetObject *> neededToplevelObjects() const override { return needed; }

    QSet<Trelvoa::NetObject *> needed;
};

// A kind without any factory.
class Stranger : public Trelvoa::NetObject
{
    Q_OBJECT

public:
    explicit Stranger(QObject *parent = nullptr)
        : Trelvoa::NetObject(parent)
    {
    }
    ~Stranger() override { beginDestroy(); }
};

class ThingItem : public Trelvoga::GenericGraphicsItem
{
public:
    ThingItem(Trelvoa::NetObject *object, Trelvoa::GeoUtil *geo, QGraphicsItem *parent)
        : GenericGraphicsItem(parent, geo)
        , object(object)
    {
        ++alive;
    }
    ~ThingItem() override { --alive; }

    void objectChanged(int flags) override { refreshes.append(flags); }
    Trelvoa::NetObject *networkObject() const override { return object; }
    void setWireframe(bool on) override
    {
        wireframeCalls.append(on);
        GenericGraphicsItem::setWireframe(on);
    }
    QRectF boundingRect() const override { return rect; }
    void paint(QPainter *, const QStyleOptionGraphicsItem *, QWidget *) override {}

    Trelvoa::NetObject *object;
    QRectF rect{0, 0, 0.01, 0.01};
    QList<int> refreshes;
    QList<bool> wireframeCalls;
    static inline int alive = 0;
};

class ThingFactory : public Trelvoga::NetObjectFactory
{
public:
    explicit ThingFactory(const QString &className = QStringLiteral("SceneTest::Thing"),
                          const QString &layer = Trelvoga::Networkg::layerNodes)
        : m_className(className)
        , m_layer(layer)
    {
    }
    QString objectClassName() const override { return m_className; }
    QString layerName() const override { return m_layer; }
    Trelvoga::GenericGraphicsItem *createItem(Trelvoa::NetObject *object, QGraphicsItem *layer,
                                              Trelvoa::GeoUtil *geo) override
    {
        ++created;
        return new ThingItem(object, geo, layer);
    }
    int created = 0;

private:
    QString m_className;
    QString m_layer;
};

// Exposes the model's bulk-loading switch, as a loader uses it.
class LoadingNetwork : public Trelvoga::Networkg
{
    Q_OBJECT

public:
    using Networkg::Networkg;
    using Networkg::setSilent;
};

// An item whose geometry is edited vertex by vertex; it keeps the last reports.
class EditItem : public Trelvoga::GenericGraphicsItem, public Trelvoga::GeometryEditor
{
public:
    EditItem(QGraphicsItem *parent, Trelvoa::GeoUtil *geo = nullptr)
        : GenericGraphicsItem(parent, geo)
        , GeometryEditor(this)
    {
    }
    void objectChanged(int) override {}
    QRectF boundingRect() const override { return QRectF(-1, -1, 2, 2); }
    void paint(QPainter *, const QStyleOptionGraphicsItem *, QWidget *) override {}
    void addEditPoint(const QPointF &p) override { GeometryEditor::addEditPoint(p); }
    void addNewPoint(const QPointF &p) override { GeometryEditor::addNewPoint(p); }

    QList<Trelvoa::GeoShape> shapes;
    QList<Trelvoa::GeoPolyline> polylines;

protected:
    void shapeChanged(const Trelvoa::GeoShape &shape) override { shapes.append(shape); }
    void polylineChanged(const Trelvoa::GeoPolyline &polyline) override { polylines.append(polyline); }
};

} // namespace SceneTest
