#include "scene/itemfactory.h"

#include <QHash>
#include <QVector>

namespace Trelvoga {

namespace {

struct Kind
{
    QString className;
    QString layer;
    ItemFactory::Creator creator;
    bool madeWhenShown = false;
};

// Function-local and built from literals: item classes register from static initialisers of other
// sources, which may run before those of networkg.cpp.
QVector<Kind> &kinds()
{
    // Load order: zones first, then the road network from nodes up, then the objects drawn on it.
    static QVector<Kind> table{
        {QStringLiteral("Trelvoa::Taz"), QStringLiteral("Tazs"), {}},
        {QStringLiteral("Trelvoa::Node"), QStringLiteral("Nodes"), {}},
        {QStringLiteral("Trelvoa::Edge"), QStringLiteral("Edges"), {}},
        {QStringLiteral("Trelvoa::EdgeGroup"), QStringLiteral("EdgeGroups"), {}},
        {QStringLiteral("Trelvoa::PtStop"), QStringLiteral("PtStops"), {}},
        {QStringLiteral("Trelvoa::Lane"), QStringLiteral("Lanes"), {}},
        {QStringLiteral("Trelvoa::Detector"), QStringLiteral("Detectors"), {}},
        {QStringLiteral("Trelvoa::EmergencyDetector"), QStringLiteral("EmergencyDetectors"), {}},
        {QStringLiteral("Trelvoa::DetectorGroup"), QStringLiteral("DetectorGroups"), {}},
        {QStringLiteral("Trelvoa::CompositeDetector"), QStringLiteral("CompositeDetectors"), {}},
        {QStringLiteral("Trelvoa::Stopline"), QStringLiteral("Stoplines"), {}, true},
        {QStringLiteral("Trelvoa::CrossWalk"), QStringLiteral("Crosswalks"), {}},
        {QStringLiteral("Trelvoa::Connection"), QStringLiteral("Connections"), {}, true},
        // Signal groups are drawn through their connections and crosswalks; their items only take part
        // in the selection, with the connections.
        {QStringLiteral("Trelvoa::SignalGroup"), QStringLiteral("Connections"), {}},
        {QStringLiteral("Trelvoa::Route"), QStringLiteral("Routes"), {}},
        {QStringLiteral("Trelvoa::PolygonObject"), QStringLiteral("Geometries"), {}},
        {QStringLiteral("Trelvoa::PointObject"), QStringLiteral("Geometries"), {}},
        {QStringLiteral("Trelvoa::WalkingArea"), QStringLiteral("Crosswalks"), {}},
    };
    return table;
}

Kind *findKind(const QString &className)
{
    for (Kind &k : kinds()) {
        if (k.className == className)
            return &k;
    }
    return nullptr;
}

// Known kinds that are not drawn.
bool isSilentKind(const QString &className)
{
    static const QStringList names{
        QStringLiteral("Trelvoa::Network"),      QStringLiteral("Trelvoa::Granule"),
        QStringLiteral("Trelvoa::CustomObject"), QStringLiteral("Trelvoa::OdMatrix"),
        QStringLiteral("Trelvoa::TrafficState"),
    };
    return names.contains(className);
}

} // namespace

QStringList ItemFactory::loadOrder()
{
    QStringList names;
    for (const Kind &k : kinds())
        names.append(k.className);
    return names;
}

bool ItemFactory::isBuiltin(const QString &className)
{
    return findKind(className) || isSilentKind(className);
}

QString ItemFactory::layerName(const QString &className)
{
    const Kind *k = findKind(className);
    return k ? k->layer : QString();
}

bool ItemFactory::isMadeWhenShown(const QString &className)
{
    const Kind *k = findKind(className);
    return k && k->madeWhenShown;
}

bool ItemFactory::hasCreator(const QString &className)
{
    const Kind *k = findKind(className);
    return k && k->creator;
}

GenericGraphicsItem *ItemFactory::create(const QString &className, Trelvoa::NetObject *object,
                                         Trelvoa::GeoUtil *geo, QGraphicsItem *parent)
{
    const Kind *k = findKind(className);
    if (!k || !k->creator || !object)
        return nullptr;
    return k->creator(object, geo, parent);
}

bool ItemFactory::registerCreator(const QString &className, const Creator &creator)
{
    Kind *k = findKind(className);
    if (!k)
        return false;
    k->creator = creator;
    return true;
}

} // namespace Trelvoga
