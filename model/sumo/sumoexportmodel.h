#pragma once

#include "trelvoa_global.h"

#include <QHash>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QVector>

namespace Trelvoa {

class Network;

// A network in SUMO's terms, taken from the model once (Network::toSUMO()) and written by the SUMO
// writers without looking at the model again. Ids are SUMO ids: object names where they are set (SUMO
// imports keep the SUMO ids there), made valid for SUMO and unique; otherwise a kind prefix and the
// model id ("n12", "e40"). Coordinates are model XY, which are SUMO's network coordinates.
//
// Traffic lights: a granule with signal groups gets a fixed-time program of its own, one phase per
// group in the order of their numbers (green for "sumo_green" seconds, a number or the first number
// of a list, else 30; then 3 s of yellow for what loses green); links of no group get 'o' (no signal).
// Signalised nodes without such a granule get SUMO's default program, under the granule's number
// when they have one ("sumo_tl_id" instead, where a SUMO import kept a light id that is not a
// number); connections there with "sumo_signal" (a link index) keep that index in a placeholder
// program ('o' everywhere) that a scenario's own programs replace.
// Connection overrides: "sumo_keepClear" -> keepClear, "sumo_cont" -> pass, "sumo_ie_offset" ->
// contPos, "sumo_far_cp" -> visibility, a negative "sumo_signal" -> uncontrolled; an edge's
// "sumo_priority" -> priority. "sumo_dir" cannot be given to netconvert (it derives the direction
// from the geometry, so the bend a SUMO import adds from an edge's geometry to its node is left out
// of the edge shape). Connections that give way wait, at junctions without lights, for the
// movements from the other incoming edges that do not.
class TRELVOA_EXPORT SumoExportModel
{
public:
    struct Junction
    {
        QString id;
        QPointF pos;
        QString type; // SUMO junction type; empty: netconvert decides
        QString tl;   // traffic light id; empty: none, or the junction's own for "traffic_light"
        QVector<QPointF> shape;
        bool isolated = false; // no edge starts or ends here (netconvert drops such nodes)
    };
    struct Lane
    {
        double width = 3.2;
        double speed = 13.89; // m/s
        double endOffset = 0;
        QString classAttribute; // "allow" or "disallow"; empty: every class
        QString classes;
        QVector<QPointF> shape;
    };
    struct Edge
    {
        QString id;
        QString from;
        QString to;
        QString name;
        QVector<QPointF> shape; // the line the lanes lie right of (centred: around), node to node
        bool centred = false;
        int priority = -1;      // "sumo_priority"; -1: netconvert's default
        QVector<Lane> lanes;    // index 0 the rightmost
        bool hasConnections = false;
    };
    struct Connection
    {
        QString from;
        QString to;
        int fromLane = 0;
        int toLane = 0;
        double speed = -1; // m/s; negative: SUMO's own
        QVector<QPointF> shape;
        QString tl;
        int linkIndex = -1;
        // Overrides from the connection's "sumo_*" properties, as attribute name and value.
        QVector<QPair<QString, QString>> extra;
    };
    // Edge to edge movements: the prohibited one waits for the prohibitor.
    struct Prohibition
    {
        QString prohibitorFrom;
        QString prohibitorTo;
        QString prohibitedFrom;
        QString prohibitedTo;
    };
    struct Crossing
    {
        QString node;
        QStringList edges;
        double width = 4;
        QString tl;
        int linkIndex = -1;
    };
    struct Phase
    {
        int duration = 0;
        QString state;
    };
    struct TlLogic
    {
        QString id;
        QVector<Phase> phases;
    };
    struct TazLink
    {
        QString edge;
        bool source = false;
        bool sidewalk = false; // the edge has a lane for pedestrians
    };
    struct Taz
    {
        int modelId = 0;
        QString id;
        QVector<QPointF> shape;
        QVector<TazLink> links;
    };
    struct Detector
    {
        QString id;
        QString lane;
        double pos = 0;
        double length = 0;
    };
    struct MultiDetector
    {
        QString id;
        QVector<Detector> entries;
        QVector<Detector> exits;
    };
    struct Route
    {
        QString id;
        QStringList edges;
    };
    // A measured count turned into demand: vehicles from one edge to another in a time interval.
    struct Count
    {
        QString from;
        QString to;
        int begin = 0; // seconds after the earliest interval
        int end = 0;
        int number = 0;
    };

    // The conversion; warnings collect what SUMO cannot take (edges without lanes, detectors not on a
    // lane).
    static SumoExportModel fromNetwork(const Network *network);

    QVector<Junction> junctions;
    QVector<Edge> edges;
    QVector<Connection> connections;
    QVector<Crossing> crossings;
    QVector<Prohibition> prohibitions;
    QVector<TlLogic> tlLogics;
    QVector<Taz> tazs;
    QVector<Detector> detectors;
    QVector<MultiDetector> multiDetectors;
    QVector<Route> routes;
    QVector<Count> counts;
    bool hasWalkingAreas = false;
    QByteArray projection;
    QPointF netOffset;
    QRectF bounds;
    // The bounds in longitude/latitude (the model bounds without a projection).
    QRectF geoBounds;
    QStringList warnings;
    // SUMO ids of the model's edges by model id.
    QHash<int, QString> edgeIds;

    // The id made valid for SUMO: characters SUMO's tools refuse in ids (blanks, separators, XML
    // specials, controls) become '_', as does a leading ':' (SUMO's mark of internal objects).
    static QString validId(const QString &id);
    // SUMO's lane id.
    static QString laneId(const QString &edge, int index) { return edge + QLatin1Char('_') + QString::number(index); }
};

} // namespace Trelvoa
