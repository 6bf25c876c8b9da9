#pragma once

#include "trelvoa_global.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QIODevice;

namespace Trelvoa {

class Network;
class SumoNetReader;

// Imports a SUMO network file (.net.xml, or gzip-compressed .net.xml.gz; SUMO format versions 1.6 to
// 1.20 are tested) into a model network, replacing its content and projection the way a load does.
//
// What becomes what:
// - junctions that are not internal: nodes at their positions with their shapes as custom shapes
//   (named by the SUMO id, SUMO's type kept in the dynamic property "sumo_type"); dead_end gives type 0,
//   traffic_light* 2, rail_signal and rail_crossing 3, every other type 1;
// - normal edges: edges (named by the SUMO id, street name from "name") with their lanes, widths
//   (3.2 m where SUMO gives none), speeds (km/h) and vehicle classes (see SumoVehicleClasses). The edge
//   skeleton is custom: SUMO's edge geometry (its shape, or the line between the junctions), which is
//   the line SUMO lays the lanes out from, carried on to the node positions; spreadType "center" gives
//   lanesOffset half the carriageway. Where SUMO's lane shapes do not follow that geometry within
//   0.2 m (hand-edited lanes), the left border of the leftmost lane, or its centre line, is the skeleton
//   instead. Lanes end where SUMO's do: where the junction shape would cut a lane elsewhere (a shape
//   without area, overlapping shapes, a dead end short of its node), the lane gets SUMO's end as a fixed
//   cut (Lane::fixedStartCut, fixedEndCut). Two edges running opposite ways between the same nodes
//   whose skeletons coincide, and whose lanes follow SUMO's on it, become one edge group sharing that
//   skeleton;
// - connections between lanes of normal edges: connections from the stopline of the incoming lane to the
//   start line of the outgoing one, children of the junction; their speed is SUMO's connection speed, or
//   else the speed of the internal lane SUMO drives them on;
// - crossings: crosswalks at their junction, from the first to the last crossed lane the crossing cuts
//   (the lanes nearest to its ends when it cuts none); walking areas: walking areas with SUMO's outline, their items taken from the
//   pedestrian connections (sidewalk lane ends and crossing ends);
// - location: the projection (projParameter, "!" for none) with netOffset as the GeoUtil offset;
// - what re-simulating the network needs, for the SUMO export to write back: the junctions whose links
//   one traffic light controls become one granule (tlId the SUMO id when it is a number, else a free
//   number with the SUMO id in "sumo_tl_id"); a connection keeps its link index in "sumo_signal" (-1
//   for uncontrolled="1"), keepClear="0" as "sumo_keepClear" false, pass as "sumo_cont", visibility as
//   "sumo_far_cp", contPos as "sumo_ie_offset", and gives way (Connection::giveWay) where a
//   <prohibition> holds it back or SUMO makes it stop (state s or w; minor links, state m, follow from
//   the edge priorities); an edge keeps a priority other than -1 in "sumo_priority". Only what differs
//   from SUMO's defaults is set.
// Internal edges and junctions, signal programs (a scenario brings its own), link directions,
// roundabouts and types are not imported.
//
// All or nothing: the whole file is read and checked before the network is touched; on any error the
// network is unchanged and errorString() names the line and column. Things the model cannot hold are
// skipped and reported once each in warnings(). Progress goes out through Network::loadProgress
// (bytes of the file read, per mille done, 1000); Network::breakLoad() from a handler cancels the
// import while the file is being read, leaving the network as it was.
class TRELVOA_EXPORT SumoNetImporter
{
public:
    struct Counts
    {
        int nodes = 0;
        int edges = 0;
        int edgeGroups = 0;
        int lanes = 0;
        int connections = 0;
        int crossWalks = 0;
        int walkingAreas = 0;
        int granules = 0;
    };

    explicit SumoNetImporter(Network *network);
    ~SumoNetImporter();
    SumoNetImporter(const SumoNetImporter &) = delete;
    SumoNetImporter &operator=(const SumoNetImporter &) = delete;

    // False with errorString() for an unreadable file or an invalid network; the network is unchanged.
    bool importFile(const QString &fileName);
    // The same from an open device (plain or gzip-compressed); sourceName prefixes error messages.
    bool importDevice(QIODevice *device, const QString &sourceName = QString());

    QString errorString() const;
    // One line per kind of thing skipped or adjusted by the last import.
    QStringList warnings() const;
    // What the last successful import made.
    Counts counts() const;

    // True when the file (plain or gzip-compressed) holds XML whose root element is SUMO's <net>.
    static bool isSumoNetwork(const QString &fileName);

    // Whether opposite edges sharing a road become edge groups (default true).
    void setMakeEdgeGroups(bool on);

private:
    // The import, the input read by readInput with the given progress.
    bool importWith(const QString &sourceName, qint64 totalBytes, bool readable,
                    const std::function<bool(SumoNetReader &, const std::function<bool(qint64)> &)> &readInput);

    class Private;
    std::unique_ptr<Private> d;
};

// Convenience: imports with SumoNetImporter; on failure the network's errorString() says why.
TRELVOA_EXPORT bool importSumoNetwork(Network *network, const QString &fileName, QStringList *warnings = nullptr);

} // namespace Trelvoa
