#include "io/objectkind.h"

#include "compositedetector.h"
#include "connection.h"
#include "crosswalk.h"
#include "customobject.h"
#include "detector.h"
#include "detectorgroup.h"
#include "edge.h"
#include "edgegroup.h"
#include "emergencydetector.h"
#include "granule.h"
#include "io/contentreader.h"
#include "io/contentwriter.h"
#include "io/xmlvalues.h"
#include "lane.h"
#include "node.h"
#include "odmatrix.h"
#include "pointobject.h"
#include "polygonobject.h"
#include "ptstop.h"
#include "route.h"
#include "signalgroup.h"
#include "stopline.h"
#include "taz.h"
#include "trafficstate.h"
#include "walkingarea.h"

#include <QMetaProperty>

namespace Trelvoa {

namespace {

template<class T>
NetObject *makeOn(QObject *parent)
{
    return new T(parent);
}

template<class T, class Owner>
NetObject *makeUnder(QObject *parent)
{
    return new T(qobject_cast<Owner *>(parent));
}

// Loaders bring an existing object to the saved state too, so each first drops what the object has.

// ---- Node, edge, edge group, connection, walking area: a custom outline or skeleton beside the auto
// flag. While the flag says automatic, the custom geometry kept by the object is never seen again
// (switching the flag off takes the current geometry as the custom one), so it is written only while
// it is in use.

template<class T>
void saveCustomShape(const NetObject *object, ContentWriter &w)
{
    const auto *o = static_cast<const T *>(object);
    if (!o->autoShape() && !o->customShape().isEmpty())
        w.points(QStringLiteral("customShape"), o->customShape().points());
}

template<class T>
void saveCustomSkeleton(const NetObject *object, ContentWriter &w)
{
    const auto *o = static_cast<const T *>(object);
    if (!o->autoSkeleton() && !o->customSkeleton().isEmpty())
        w.points(QStringLiteral("customSkeleton"), o->customSkeleton().points());
}

// Setting custom geometry switches the automatic one off; the saved flag is put back after it.
bool loadNodeShape(NetObject *object, ContentReader &r)
{
    auto *node = static_cast<Node *>(object);
    const ContentReader::Values &v = r.values();
    if (v.has(QStringLiteral("customShape"))) {
        const GeoShape shape(v.points(QStringLiteral("customShape")));
        if ((shape != node->customShape() || node->autoShape()) && !node->setCustomShape(shape))
            return r.fail(QObject::tr("the custom shape is not a usable outline"));
    }
    if (v.has(QStringLiteral("autoShape")))
        node->setAutoShape(v.boolean(QStringLiteral("autoShape")));
    return true;
}

template<class T>
bool loadCustomSkeleton(NetObject *object, ContentReader &r)
{
    auto *o = static_cast<T *>(object);
    const ContentReader::Values &v = r.values();
    if (v.has(QStringLiteral("customSkeleton"))) {
        const GeoPolyline skeleton(v.points(QStringLiteral("customSkeleton")));
        if ((skeleton != o->customSkeleton() || o->autoSkeleton()) && !o->setSkeleton(skeleton))
            return r.fail(QObject::tr("the custom skeleton is refused"));
    }
    if (v.has(QStringLiteral("autoSkeleton")))
        o->setAutoSkeleton(v.boolean(QStringLiteral("autoSkeleton")));
    return true;
}

// A lane's own centre line is rare: it alone says the lane has one, so the flag is not written and a
// lane saved without it goes back to the derived centre line.
bool loadLaneSkeleton(NetObject *object, ContentReader &r)
{
    auto *lane = static_cast<Lane *>(object);
    const ContentReader::Values &v = r.values();
    if (!v.has(QStringLiteral("customSkeleton"))) {
        lane->setAutoSkeleton(true);
        return true;
    }
    if (!lane->setSkeleton(GeoPolyline(v.points(QStringLiteral("customSkeleton")))))
        return r.fail(QObject::tr("the custom skeleton is refused"));
    return true;
}

QList<NetObject *> laneLines(const NetObject *object)
{
    const auto *lane = static_cast<const Lane *>(object);
    return {lane->stopline(), lane->startline()};
}

QList<NetObject *> edgeLanes(const NetObject *object)
{
    QList<NetObject *> list;
    for (Lane *lane : static_cast<const Edge *>(object)->lanes())
        list.append(lane);
    return list;
}

bool restoreLaneOrder(NetObject *object, const QList<NetObject *> &lanes)
{
    auto *edge = static_cast<Edge *>(object);
    for (int i = 0; i < lanes.size(); ++i) {
        auto *lane = qobject_cast<Lane *>(lanes.at(i));
        if (edge->lane(i) != lane && !edge->insertLane(i, lane))
            return false;
    }
    return true;
}

bool placeLane(NetObject *object, NetObject *child, int index)
{
    auto *edge = static_cast<Edge *>(object);
    auto *lane = qobject_cast<Lane *>(child);
    return edge->lane(index) == lane || edge->insertLane(index, lane);
}

bool skipAutoDistance(const NetObject *object, const QByteArray &name)
{
    return name == "distance" && static_cast<const Stopline *>(object)->autoDistance();
}

// Lanes cut at their junction shapes (all but some imported ones) save no cut.
bool skipAutoCut(const NetObject *object, const QByteArray &name)
{
    const auto *lane = static_cast<const Lane *>(object);
    return (name == "fixedStartCut" && lane->fixedStartCut() < 0.0)
           || (name == "fixedEndCut" && lane->fixedEndCut() < 0.0);
}

// ---- Walking area: its items

void saveWalkingArea(const NetObject *object, ContentWriter &w)
{
    const auto *area = static_cast<const WalkingArea *>(object);
    saveCustomShape<WalkingArea>(object, w);
    for (const WalkingArea::Item *item : area->items()) {
        w.beginItem(QStringLiteral("item"));
        if (item->line()) {
            w.reference(QStringLiteral("line"), item->line());
        } else {
            w.reference(QStringLiteral("crosswalk"), item->crossWalk());
            w.reference(QStringLiteral("lane"), item->lane());
            w.boolean(QStringLiteral("first"), item->atFirstEnd());
        }
        w.endItem();
    }
}

bool loadWalkingArea(NetObject *object, ContentReader &r)
{
    auto *area = static_cast<WalkingArea *>(object);
    if (r.values().has(QStringLiteral("customShape"))) {
        const GeoShape shape(r.values().points(QStringLiteral("customShape")));
        if ((shape != area->customShape() || area->autoShape()) && !area->setShape(shape))
            return r.fail(QObject::tr("the custom shape is not a usable outline"));
    }
    QVector<WalkingArea::Item> items;
    for (const ContentReader::Values &v : r.items(QStringLiteral("item"))) {
        if (v.has(QStringLiteral("line")))
            items.append(WalkingArea::Item(v.reference<Stopline>(QStringLiteral("line"))));
        else
            items.append(WalkingArea::Item(v.reference<CrossWalk>(QStringLiteral("crosswalk")),
                                           v.reference<Lane>(QStringLiteral("lane")),
                                           v.boolean(QStringLiteral("first"))));
    }
    if (!area->setItems(items))
        return r.fail(QObject::tr("an item is refused (another junction, a lane not of the crosswalk, "
                                  "or named twice)"));
    return true;
}

// ---- Zone links, matrix cells, traffic state movements and flows

void saveTaz(const NetObject *object, ContentWriter &w)
{
    const auto *taz = static_cast<const Taz *>(object);
    for (Edge *edge : taz->edges()) {
        const Taz::EdgeData *data = taz->edgeData(edge);
        w.beginItem(QStringLiteral("link"));
        w.reference(QStringLiteral("edge"), edge);
        w.number(QStringLiteral("position"), data ? data->position : 0.0);
        w.boolean(QStringLiteral("source"), data && data->flag);
        w.endItem();
    }
}

bool loadTaz(NetObject *object, ContentReader &r)
{
    auto *taz = static_cast<Taz *>(object);
    for (Edge *edge : taz->edges())
        taz->removeEdge(edge);
    for (const ContentReader::Values &v : r.items(QStringLiteral("link"))) {
        if (!taz->addEdge(v.reference<Edge>(QStringLiteral("edge")), v.number(QStringLiteral("position")),
                          v.boolean(QStringLiteral("source"))))
            return r.fail(QObject::tr("a link to an edge is refused"));
    }
    return true;
}

void saveOdMatrix(const NetObject *object, ContentWriter &w)
{
    const auto *matrix = static_cast<const OdMatrix *>(object);
    w.references(QStringLiteral("tazs"), matrix->tazList());
    for (const OdMatrix::Cell &cell : matrix->cells()) {
        w.beginItem(QStringLiteral("cell"));
        w.reference(QStringLiteral("from"), cell.from);
        w.reference(QStringLiteral("to"), cell.to);
        w.number(QStringLiteral("forward"), cell.forward);
        w.number(QStringLiteral("backward"), cell.backward);
        w.endItem();
    }
}

bool loadOdMatrix(NetObject *object, ContentReader &r)
{
    auto *matrix = static_cast<OdMatrix *>(object);
    matrix->clear();
    for (Taz *taz : r.values().references<Taz>(QStringLiteral("tazs"))) {
        if (!matrix->addTaz(taz))
            return r.fail(QObject::tr("a zone is refused"));
    }
    for (const ContentReader::Values &v : r.items(QStringLiteral("cell"))) {
        Taz *from = v.reference<Taz>(QStringLiteral("from"));
        Taz *to = v.reference<Taz>(QStringLiteral("to"));
        const double forward = v.number(QStringLiteral("forward"));
        const double backward = v.number(QStringLiteral("backward"));
        // A cell is oriented by the call that makes it: make it from `from` with a value that is
        // never zero, then set both directions.
        bool ok = matrix->setIntensity(from, to, forward > 0.0 ? forward : 1.0);
        if (ok && from != to)
            ok = matrix->setIntensity(to, from, backward);
        if (ok && !(forward > 0.0))
            ok = matrix->setIntensity(from, to, forward);
        if (!ok)
            return r.fail(QObject::tr("a cell is refused"));
    }
    return true;
}

void saveTrafficState(const NetObject *object, ContentWriter &w)
{
    const auto *state = static_cast<const TrafficState *>(object);
    for (const TrafficState::Movement &m : state->turnPercentages()) {
        w.beginItem(QStringLiteral("turn"));
        w.reference(QStringLiteral("from"), m.from);
        w.reference(QStringLiteral("to"), m.to);
        w.integer(QStringLiteral("percent"), m.percent);
        w.endItem();
    }
    for (const TrafficState::InputFlow &f : state->inputFlows()) {
        w.beginItem(QStringLiteral("flow"));
        w.reference(QStringLiteral("taz"), f.taz);
        w.integer(QStringLiteral("value"), f.flow);
        w.endItem();
    }
}

bool loadTrafficState(NetObject *object, ContentReader &r)
{
    auto *state = static_cast<TrafficState *>(object);
    state->clear();
    for (const ContentReader::Values &v : r.items(QStringLiteral("turn"))) {
        if (!state->setTurnPercentage(v.reference<Edge>(QStringLiteral("from")),
                                      v.reference<Edge>(QStringLiteral("to")),
                                      int(v.integer(QStringLiteral("percent")))))
            return r.fail(QObject::tr("a turning percentage is refused (the edges do not meet)"));
    }
    for (const ContentReader::Values &v : r.items(QStringLiteral("flow"))) {
        if (!state->setInputFlow(v.reference<Taz>(QStringLiteral("taz")),
                                 int(v.integer(QStringLiteral("value")))))
            return r.fail(QObject::tr("an input flow is refused"));
    }
    return true;
}

void savePolygon(const NetObject *object, ContentWriter &w)
{
    const GeoShape shape = static_cast<const PolygonObject *>(object)->shape();
    if (!shape.isEmpty())
        w.points(QStringLiteral("shape"), shape.points());
}

bool loadPolygon(NetObject *object, ContentReader &r)
{
    auto *polygon = static_cast<PolygonObject *>(object);
    const GeoShape shape(r.values().points(QStringLiteral("shape")));
    if (shape == polygon->shape())
        return true;
    if (shape.isEmpty())
        return r.fail(QObject::tr("the outline cannot be removed again"));
    if (!polygon->setShape(shape))
        return r.fail(QObject::tr("the outline is not a usable polygon"));
    return true;
}

AttributeSchema schema(const char *name, AttributeSchema::Type type, const QMetaObject *target = nullptr,
               bool required = false)
{
    AttributeSchema s;
    s.name = QString::fromLatin1(name);
    s.type = type;
    s.target = target;
    s.required = required;
    return s;
}

// Builds the property codecs of a kind from its meta-object: stored, writable properties in
// declaration order, base classes first.
void buildProperties(ObjectKind *kind)
{
    const QMetaObject *mo = kind->metaObject;
    for (int i = 0; i < mo->propertyCount(); ++i) {
        const QMetaProperty p = mo->property(i);
        const QByteArray name(p.name());
        if (!p.isStored() || !p.isWritable() || name == "objectName"
            || kind->skippedProperties.contains(QString::fromLatin1(name)))
            continue;
        PropertyCodec codec;
        codec.property = p;
        codec.name = name;
        codec.target = kind->referenceKinds.value(name);
        codec.userType = p.userType();
        if (p.userType() == QMetaType::QObjectStar) {
            codec.type = PropertyCodec::Reference;
        } else if (p.isEnumType()) {
            codec.type = PropertyCodec::Enum;
            codec.intEnum = !p.isFlagType() && QMetaType::sizeOf(codec.userType) == int(sizeof(int));
        } else if (p.userType() == QMetaType::QVariantList && codec.target) {
            codec.type = PropertyCodec::References;
        } else {
            // A type the writer does not know (a list that is not declared a list of objects above)
            // makes every save of the kind fail with a message, never lose the value silently.
            codec.type = PropertyCodec::Scalar;
        }
        codec.netObjectTarget = codec.target && codec.target->inherits(&NetObject::staticMetaObject);
        kind->properties.append(codec);
    }
}

QVector<ObjectKind> makeKinds()
{
    const QMetaObject *node = &Node::staticMetaObject;
    const QMetaObject *edge = &Edge::staticMetaObject;
    const QMetaObject *lane = &Lane::staticMetaObject;
    const QMetaObject *stopline = &Stopline::staticMetaObject;

    QVector<ObjectKind> kinds;
    auto add = [&kinds](const char *tag, const QMetaObject *mo) -> ObjectKind & {
        ObjectKind k;
        k.tag = QString::fromLatin1(tag);
        k.metaObject = mo;
        kinds.append(k);
        return kinds.last();
    };

    {
        ObjectKind &k = add("node", node);
        k.topLevel = true;
        k.geometric = true;
        k.create = makeOn<Node>;
        k.referenceKinds = {{"attachedEdgeGroup", &EdgeGroup::staticMetaObject}};
        k.optionalReferences = QStringList{QStringLiteral("attachedEdgeGroup")};
        // groupFraction: Node::saveContent.
        k.extras = {schema("customShape", AttributeSchema::Points), schema("groupFraction", AttributeSchema::Number)};
        k.save = saveCustomShape<Node>;
        k.load = loadNodeShape;
    }
    {
        ObjectKind &k = add("edge", edge);
        k.topLevel = true;
        k.geometric = true;
        k.create = makeOn<Edge>;
        k.referenceKinds = {{"start", node}, {"end", node}, {"group", &EdgeGroup::staticMetaObject}};
        k.optionalReferences = QStringList{QStringLiteral("group")};
        k.orderedChildren = edgeLanes;
        k.orderedChildKind = lane;
        k.restoreOrder = restoreLaneOrder;
        k.placeChild = placeLane;
        k.extras = {schema("customSkeleton", AttributeSchema::Points)};
        k.save = saveCustomSkeleton<Edge>;
        k.load = loadCustomSkeleton<Edge>;
    }
    {
        ObjectKind &k = add("edgeGroup", &EdgeGroup::staticMetaObject);
        k.topLevel = true;
        k.geometric = true;
        k.create = makeOn<EdgeGroup>;
        k.referenceKinds = {{"start", node}, {"end", node}};
        k.extras = {schema("customSkeleton", AttributeSchema::Points)};
        k.save = saveCustomSkeleton<EdgeGroup>;
        k.load = loadCustomSkeleton<EdgeGroup>;
    }
    {
        ObjectKind &k = add("lane", lane);
        k.parents = {edge};
        k.geometric = true;
        k.create = makeUnder<Lane, Edge>;
        k.fixedChildren = laneLines;
        k.fixedChildKinds = {stopline, stopline};
        k.skipProperty = skipAutoCut;
        k.skippedProperties = QStringList{QStringLiteral("autoSkeleton")};
        k.extras = {schema("customSkeleton", AttributeSchema::Points)};
        k.save = saveCustomSkeleton<Lane>;
        k.load = loadLaneSkeleton;
    }
    {
        ObjectKind &k = add("stopline", stopline);
        k.parents = {lane};
        k.geometric = true;
        k.skipProperty = skipAutoDistance;
    }
    {
        ObjectKind &k = add("connection", &Connection::staticMetaObject);
        k.parents = {node};
        // It follows the end node of its from-lane's edge, which a merge may bring back.
        k.reparentable = true;
        k.geometric = true;
        k.create = makeOn<Connection>;
        k.referenceKinds = {{"from", stopline}, {"to", stopline}};
        k.extras = {schema("customSkeleton", AttributeSchema::Points)};
        k.save = saveCustomSkeleton<Connection>;
        k.load = loadCustomSkeleton<Connection>;
    }
    {
        ObjectKind &k = add("crosswalk", &CrossWalk::staticMetaObject);
        k.parents = {node};
        k.reparentable = true;
        k.geometric = true;
        k.create = makeOn<CrossWalk>;
        // The parent is the junction.
        k.skippedProperties = QStringList{QStringLiteral("junction")};
        k.referenceKinds = {{"lane1", lane}, {"lane2", lane}};
    }
    {
        ObjectKind &k = add("walkingArea", &WalkingArea::staticMetaObject);
        k.topLevel = true;
        k.geometric = true;
        k.create = makeOn<WalkingArea>;
        k.extras = {schema("customShape", AttributeSchema::Points)};
        k.items = {{QStringLiteral("item"),
                    {schema("line", AttributeSchema::Reference, stopline),
                     schema("crosswalk", AttributeSchema::Reference, &CrossWalk::staticMetaObject),
                     schema("lane", AttributeSchema::Reference, lane), schema("first", AttributeSchema::Boolean)}}};
        k.save = saveWalkingArea;
        k.load = loadWalkingArea;
    }
    {
        ObjectKind &k = add("detector", &Detector::staticMetaObject);
        k.parents = {lane, &Connection::staticMetaObject, &Route::staticMetaObject};
        k.reparentable = true;
        k.geometric = true;
        k.create = [](QObject *parent) -> NetObject * {
            return new Detector(qobject_cast<NetObject *>(parent));
        };
    }
    {
        ObjectKind &k = add("detectorGroup", &DetectorGroup::staticMetaObject);
        k.parents = {edge};
        k.reparentable = true;
        k.geometric = true;
        k.create = makeUnder<DetectorGroup, Edge>;
        k.referenceKinds = {{"detectors", &Detector::staticMetaObject}};
    }
    {
        ObjectKind &k = add("compositeDetector", &CompositeDetector::staticMetaObject);
        k.topLevel = true;
        k.geometric = true;
        k.create = makeOn<CompositeDetector>;
        k.referenceKinds = {{"start", &DetectorGroup::staticMetaObject},
                            {"end", &DetectorGroup::staticMetaObject}};
    }
    {
        ObjectKind &k = add("emergencyDetector", &EmergencyDetector::staticMetaObject);
        k.parents = {node};
        k.geometric = true;
        k.create = makeUnder<EmergencyDetector, Node>;
    }
    {
        ObjectKind &k = add("route", &Route::staticMetaObject);
        k.topLevel = true;
        k.geometric = true;
        k.create = makeOn<Route>;
        k.referenceKinds = {{"controlEdges", edge}};
    }
    {
        ObjectKind &k = add("taz", &Taz::staticMetaObject);
        k.topLevel = true;
        k.geometric = true;
        k.create = makeOn<Taz>;
        k.items = {{QStringLiteral("link"),
                    {schema("edge", AttributeSchema::Reference, edge, true), schema("position", AttributeSchema::Number),
                     schema("source", AttributeSchema::Boolean)}}};
        k.save = saveTaz;
        k.load = loadTaz;
    }
    {
        ObjectKind &k = add("ptStop", &PtStop::staticMetaObject);
        k.parents = {lane};
        k.reparentable = true;
        k.geometric = true;
        k.create = makeUnder<PtStop, Lane>;
    }
    {
        ObjectKind &k = add("polygonObject", &PolygonObject::staticMetaObject);
        k.topLevel = true;
        k.geometric = true;
        k.create = makeOn<PolygonObject>;
        k.extras = {schema("shape", AttributeSchema::Points)};
        k.save = savePolygon;
        k.load = loadPolygon;
    }
    {
        ObjectKind &k = add("pointObject", &PointObject::staticMetaObject);
        k.topLevel = true;
        k.geometric = true;
        k.create = makeOn<PointObject>;
    }
    {
        ObjectKind &k = add("granule", &Granule::staticMetaObject);
        k.topLevel = true;
        k.create = makeOn<Granule>;
        k.referenceKinds = {{"nodes", node}};
    }
    {
        ObjectKind &k = add("signalGroup", &SignalGroup::staticMetaObject);
        k.parents = {&Granule::staticMetaObject};
        k.create = makeUnder<SignalGroup, Granule>;
        k.referenceKinds = {{"connections", &Connection::staticMetaObject},
                            {"crosswalks", &CrossWalk::staticMetaObject}};
    }
    {
        ObjectKind &k = add("customObject", &CustomObject::staticMetaObject);
        k.topLevel = true;
        k.parents = {&CustomObject::staticMetaObject};
        k.create = makeOn<CustomObject>;
    }
    {
        ObjectKind &k = add("odMatrix", &OdMatrix::staticMetaObject);
        k.topLevel = true;
        k.create = makeOn<OdMatrix>;
        k.extras = {schema("tazs", AttributeSchema::References, &Taz::staticMetaObject)};
        k.items = {{QStringLiteral("cell"),
                    {schema("from", AttributeSchema::Reference, &Taz::staticMetaObject, true),
                     schema("to", AttributeSchema::Reference, &Taz::staticMetaObject, true),
                     schema("forward", AttributeSchema::Number), schema("backward", AttributeSchema::Number)}}};
        k.save = saveOdMatrix;
        k.load = loadOdMatrix;
    }
    {
        ObjectKind &k = add("trafficState", &TrafficState::staticMetaObject);
        k.topLevel = true;
        k.create = makeOn<TrafficState>;
        k.items = {{QStringLiteral("turn"),
                    {schema("from", AttributeSchema::Reference, edge, true),
                     schema("to", AttributeSchema::Reference, edge, true), schema("percent", AttributeSchema::Integer)}},
                   {QStringLiteral("flow"),
                    {schema("taz", AttributeSchema::Reference, &Taz::staticMetaObject, true),
                     schema("value", AttributeSchema::Integer)}}};
        k.save = saveTrafficState;
        k.load = loadTrafficState;
    }

    for (ObjectKind &k : kinds)
        buildProperties(&k);
    return kinds;
}

struct Registry
{
    QVector<ObjectKind> kinds = makeKinds();
    QHash<QString, const ObjectKind *> byTag;
    QHash<const QMetaObject *, const ObjectKind *> byMeta;
    QVector<const ObjectKind *> all;

    Registry()
    {
        for (const ObjectKind &k : qAsConst(kinds)) {
            byTag.insert(k.tag, &k);
            byMeta.insert(k.metaObject, &k);
            all.append(&k);
        }
    }
};

const Registry &registry()
{
    static const Registry r;
    return r;
}

} // namespace

const PropertyCodec *ObjectKind::findProperty(const QString &name) const
{
    for (const PropertyCodec &p : properties) {
        if (QLatin1String(p.name) == name)
            return &p;
    }
    return nullptr;
}

void PropertyCodec::writeRaw(QObject *object, const void *value) const
{
    int status = -1;
    int flags = 0;
    void *argv[] = {const_cast<void *>(value), nullptr, &status, &flags};
    QMetaObject::metacall(object, QMetaObject::WriteProperty, property.propertyIndex(), argv);
}

void PropertyCodec::readRaw(const QObject *object, void *value) const
{
    int status = -1;
    void *argv[] = {value, nullptr, &status};
    QMetaObject::metacall(const_cast<QObject *>(object), QMetaObject::ReadProperty, property.propertyIndex(), argv);
}

const PropertyCodec *ObjectKind::findProperty(const QString &name, int hint) const
{
    if (hint >= 0 && hint < properties.size() && QLatin1String(properties.at(hint).name) == name)
        return &properties.at(hint);
    return findProperty(name);
}

const AttributeSchema *ObjectKind::findExtra(const QString &name) const
{
    for (const AttributeSchema &s : extras) {
        if (s.name == name)
            return &s;
    }
    return nullptr;
}

const ItemSchema *ObjectKind::findItem(const QString &tag) const
{
    for (const ItemSchema &s : items) {
        if (s.tag == tag)
            return &s;
    }
    return nullptr;
}

bool ObjectKind::allowsParent(const QMetaObject *parentKind) const
{
    if (!parentKind)
        return topLevel;
    return parents.contains(parentKind);
}

const ObjectKind *ObjectKind::byTag(const QString &tag)
{
    return registry().byTag.value(tag);
}

const ObjectKind *ObjectKind::of(const NetObject *object)
{
    return object ? registry().byMeta.value(object->metaObject()) : nullptr;
}

const QVector<const ObjectKind *> &ObjectKind::all()
{
    return registry().all;
}

bool ObjectKind::isReservedTag(const QString &tag)
{
    return tag == QLatin1String("property") || tag == QLatin1String("value")
        || tag == QLatin1String("geometry");
}

} // namespace Trelvoa
