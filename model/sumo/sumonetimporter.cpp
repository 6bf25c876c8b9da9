#include "sumonetimporter.h"

#include "connection.h"
#include "crosswalk.h"
#include "edge.h"
#include "edgegroup.h"
#include "geo/geohelpers.h"
#include "geo/geoutil.h"
#include "granule.h"
#include "io/fileprefetch.h"
#include "lane.h"
#include "network.h"
#include "node.h"
#include "objecthelpers.h"
#include "roadgeometry.h"
#include "stopline.h"
#include "gzipdevice.h"
#include "sumonetreader.h"
#include "walkingarea.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QXmlStreamReader>
#include <QtNumeric>

#include <algorithm>
#include <cmath>

namespace Trelvoa {

namespace {

QString tr(const char *text, int n = -1)
{
    return QCoreApplication::translate("Trelvoa::SumoNetImporter", text, nullptr, n);
}

// The bulk-load controls of Network are protected, meant for whatever fills a whole network at once,
// as this importer does. A member pointer named through a derived class reaches them without a cast.
struct NetworkAccess : Network
{
    static void silence(Network *net, bool on) { (net->*(&NetworkAccess::setSilent))(on); }
    static bool isBroken(const Network *net) { return (net->*(&NetworkAccess::isLoadBroken))(); }
    static void resetBroken(Network *net) { (net->*(&NetworkAccess::resetLoadBroken))(); }
    static void setError(Network *net, const QString &error)
    {
        (net->*(&NetworkAccess::setErrorString))(error);
    }
};

constexpr double kDefaultWidth = 3.2; // SUMO's lane width when the file gives none
constexpr double kMsToKmh = 3.6;
// Lanes derived from a skeleton are taken as SUMO's when its lane shapes lie this close to them.
constexpr double kLaneTolerance = 0.2;
// Two opposite edges share a road when their skeletons are this close everywhere.
constexpr double kGroupTolerance = 0.05;
// A lane end is fixed where the junction shape would cut the lane further than this from SUMO's end.
constexpr double kCutTolerance = 0.05;

int nodeType(const QString &sumoType)
{
    if (sumoType == QLatin1String("dead_end"))
        return Node::PlainNode;
    if (sumoType.startsWith(QLatin1String("traffic_light")))
        return Node::SignalisedJunction;
    if (sumoType == QLatin1String("rail_signal") || sumoType == QLatin1String("rail_crossing"))
        return Node::OtherJunction;
    return Node::Junction;
}

double laneWidth(const SumoNetReader::Lane &lane)
{
    return lane.width > 0 ? lane.width : kDefaultWidth;
}

QVector<QPointF> withoutRepeats(const QVector<QPointF> &points)
{
    QVector<QPointF> out;
    out.reserve(points.size());
    for (const QPointF &p : points) {
        if (out.isEmpty() || flatDistance(out.last(), p) > 1e-6)
            out.append(p);
    }
    return out;
}

// Prepends the node to the line so that the line's first segment keeps its direction outside the
// junction: the foot of the node on the extended first segment goes in first where the node lies off
// that line. Nothing is added when the node lies ahead of the line's start.
void extendToNode(QVector<QPointF> *line, const QPointF &node)
{
    const QPointF b0 = line->first();
    QPointF dir;
    for (int i = 1; i < line->size(); ++i) {
        const double len = flatDistance(b0, line->at(i));
        if (len > 1e-6) {
            dir = (line->at(i) - b0) / len;
            break;
        }
    }
    const QPointF back = b0 - node;
    const double along = back.x() * dir.x() + back.y() * dir.y();
    if (along <= 0.01)
        return;
    const QPointF foot = b0 - dir * along;
    if (flatDistance(foot, node) > 0.01)
        line->prepend(foot);
    line->prepend(node);
}

GeoPolyline extendedToNodes(QVector<QPointF> points, const QPointF &start, const QPointF &end)
{
    extendToNode(&points, start);
    std::reverse(points.begin(), points.end());
    extendToNode(&points, end);
    std::reverse(points.begin(), points.end());
    return GeoPolyline(points);
}

// SUMO lays the lanes out from the edge geometry (the junction positions, or the edge's shape) the way
// the model does from a skeleton, then cuts them back at the junction shapes.
GeoPolyline geometrySkeleton(const SumoNetReader::Edge &e, const QPointF &start, const QPointF &end)
{
    const QVector<QPointF> points = withoutRepeats(e.shape.size() >= 2 ? e.shape : QVector<QPointF>{start, end});
    if (points.size() < 2)
        return GeoPolyline();
    return extendedToNodes(points, start, end);
}

// For edges whose lanes do not follow their geometry: the left border of the leftmost lane, moved right
// by the lanes offset and carried on to the junctions.
GeoPolyline laneSkeleton(const SumoNetReader::Lane &leftmost, double lanesOffset, const QPointF &start,
                         const QPointF &end)
{
    const GeoPolyline centre(withoutRepeats(leftmost.shape));
    if (centre.count() < 2)
        return GeoPolyline();
    const QVector<QPointF> points = withoutRepeats(centre.parallel(laneWidth(leftmost) / 2 - lanesOffset).points());
    if (points.size() < 2)
        return GeoPolyline();
    return extendedToNodes(points, start, end);
}

// A model lane's centre line node to node (Lane::fullSkeleton) and where SUMO's lane starts and ends
// on it (distances from its start and from its end).
struct LaneFit
{
    GeoPolyline centre;
    double start = 0.0;
    double end = 0.0;
};

// How far SUMO's lane shapes lie from the lanes the model derives from the skeleton (the largest
// distance of a shape point, or how far a lane runs backwards along its centre line, which no cut of
// the centre line can give); stops counting beyond `enough`. *fits gets the lanes in our order when all
// were measured, else nothing.
double laneDeviation(const GeoPolyline &skeleton, double lanesOffset, const SumoNetReader::Edge &e,
                     const QVector<int> &order, double enough, QVector<LaneFit> *fits)
{
    fits->clear();
    if (skeleton.count() < 2)
        return qInf();
    fits->resize(order.size());
    double worst = 0;
    double offset = lanesOffset;
    int i = order.size() - 1;
    for (; i >= 0 && worst <= enough; --i) {
        const SumoNetReader::Lane &lane = e.lanes.at(order.at(i));
        const double width = laneWidth(lane);
        LaneFit &fit = (*fits)[i];
        fit.centre = skeleton.parallel(offset - width / 2, true);
        offset -= width;
        const double length = fit.centre.length();
        const int last = lane.shape.size() - 1;
        double along = 0;
        for (int k = 0; k <= last; ++k) {
            const QPointF &p = lane.shape.at(k);
            worst = qMax(worst, flatDistance(p, fit.centre.pointOn(p, &along)));
            if (k == 0)
                fit.start = along;
            if (k == last)
                fit.end = length - along;
        }
        worst = qMax(worst, fit.start + fit.end - length);
    }
    if (i >= 0)
        fits->clear();
    return worst;
}

// How far one SUMO lane lies from a model lane's centre line (as laneDeviation counts it).
double laneOff(const LaneFit &fit, const SumoNetReader::Lane &lane)
{
    double worst = 0;
    for (const QPointF &p : lane.shape)
        worst = qMax(worst, flatDistance(p, fit.centre.pointOn(p)));
    return qMax(worst, fit.start + fit.end - fit.centre.length());
}

// Largest distance from a vertex of either line to the other line.
bool linesCoincide(const GeoPolyline &a, const GeoPolyline &b, double tolerance)
{
    for (int pass = 0; pass < 2; ++pass) {
        const GeoPolyline &from = pass == 0 ? a : b;
        const GeoPolyline &to = pass == 0 ? b : a;
        for (const QPointF &p : from.points()) {
            if (flatDistance(p, to.pointOn(p)) > tolerance)
                return false;
        }
    }
    return true;
}

// What SUMO's connection says about right of way, in the dynamic properties the SUMO export writes
// back; only what differs from SUMO's defaults, so that plain networks stay small.
void applyRightOfWay(Connection *connection, const SumoNetReader::Connection &c, const SumoNetReader &reader)
{
    if (!c.tl.isEmpty() && c.linkIndex >= 0)
        connection->setProperty("sumo_signal", c.linkIndex);
    else if (c.uncontrolled)
        connection->setProperty("sumo_signal", -1);
    if (c.keepClear == 0)
        connection->setProperty("sumo_keepClear", false);
    if (c.pass == 1)
        connection->setProperty("sumo_cont", true);
    if (c.visibility >= 0)
        connection->setProperty("sumo_far_cp", c.visibility);
    if (c.contPos >= 0)
        connection->setProperty("sumo_ie_offset", c.contPos);
    // Gives way: what a prohibition holds back, and stops. Minor links (state m) do not: netconvert
    // derives them again from the edge priorities and directions, and giving way would hold them back
    // for every movement that does not (about 5 % fewer vehicles arrive on bologna-acosta).
    const QChar state = c.state;
    if (state == QLatin1Char('s') || state == QLatin1Char('w')
        || (!reader.prohibited.isEmpty() && reader.prohibited.contains(c.from + QLatin1Char(' ') + c.to)))
        connection->setGiveWay(true);
}

} // namespace

class SumoNetImporter::Private
{
public:
    // What the checked file turns into, computed before the network is touched.
    struct EdgePlan
    {
        int from = -1; // junction indexes
        int to = -1;
        QVector<int> laneOrder; // our lane i is SUMO lane laneOrder[i]
        GeoPolyline skeleton;
        double lanesOffset = 0.0;
        // Per our lane: where SUMO's lane starts and ends on the lane's centre line, where the junction
        // shape does not cut it there (else negative).
        QVector<double> startCuts;
        QVector<double> endCuts;
        double deviation = 0.0; // of SUMO's lanes from ours (laneDeviation)
        // Per our lane: SUMO's own shape for a lane that does not follow the skeleton, else empty.
        QVector<GeoPolyline> customLanes;
        int group = -1;         // index into groups
        bool skipped = false;
    };

    struct Plan
    {
        QHash<QString, int> junctionIndex;
        QVector<GeoShape> junctionShapes; // closed; empty where SUMO gives no usable outline
        QVector<bool> cutting;            // the junction cuts its lanes (not a plain node)
        QHash<QString, int> edgeIndex; // every edge that is not internal
        QVector<EdgePlan> edges;       // parallel to reader.edges
        QVector<int> groupEdges;       // first edge of each group (its skeleton is the group's)
        QByteArray projection;
        QRectF bound;
        bool hasBound = false;

        void extend(const QPointF &p)
        {
            if (!hasBound) {
                bound = QRectF(p, QSizeF(0, 0));
                hasBound = true;
                return;
            }
            bound.setLeft(qMin(bound.left(), p.x()));
            bound.setRight(qMax(bound.right(), p.x()));
            bound.setTop(qMin(bound.top(), p.y()));
            bound.setBottom(qMax(bound.bottom(), p.y()));
        }
    };

    bool resolve(const SumoNetReader &reader, Plan *plan);
    static void planCuts(const QVector<LaneFit> &fits, const Plan &plan, EdgePlan *p);
    void planGroups(const SumoNetReader &reader, Plan *plan);
    void build(const SumoNetReader &reader, const Plan &plan);
    void progress(int perMille);
    bool fail(const QString &message);

    Network *net = nullptr;
    QString sourceName;
    QString error;
    QStringList warnings;
    Counts counts;
    bool makeGroups = true;
    qint64 totalBytes = 0;
};

bool SumoNetImporter::Private::fail(const QString &message)
{
    error = sourceName.isEmpty() ? message : QStringLiteral("%1: %2").arg(sourceName, message);
    return false;
}

void SumoNetImporter::Private::progress(int perMille)
{
    emit net->loadProgress(totalBytes, perMille, 1000);
}

bool SumoNetImporter::Private::resolve(const SumoNetReader &reader, Plan *plan)
{
    plan->junctionIndex.reserve(reader.junctions.size());
    plan->junctionShapes.resize(reader.junctions.size());
    plan->cutting.resize(reader.junctions.size());
    for (int i = 0; i < reader.junctions.size(); ++i) {
        const SumoNetReader::Junction &j = reader.junctions.at(i);
        if (plan->junctionIndex.contains(j.id))
            return fail(tr("Junction \"%1\" is defined twice (line %2, column %3)").arg(j.id).arg(j.line).arg(j.column));
        plan->junctionIndex.insert(j.id, i);
        plan->extend(j.pos);
        plan->cutting[i] = nodeType(j.type) != Node::PlainNode;
        // As Node::setCustomShape takes it.
        if (!j.shape.isEmpty()) {
            GeoShape shape(j.shape);
            shape.close();
            if (ObjectHelpers::isUsableOutline(shape))
                plan->junctionShapes[i] = ObjectHelpers::closedOutline(shape);
        }
    }

    int selfLoops = 0;
    int degenerate = 0;
    int misplaced = 0;
    int ownLanes = 0;
    plan->edges.resize(reader.edges.size());
    plan->edgeIndex.reserve(reader.edges.size());
    for (int i = 0; i < reader.edges.size(); ++i) {
        const SumoNetReader::Edge &e = reader.edges.at(i);
        EdgePlan &p = plan->edges[i];
        if (plan->edgeIndex.contains(e.id) || reader.internalEdges.contains(e.id))
            return fail(tr("Edge \"%1\" is defined twice (line %2, column %3)").arg(e.id).arg(e.line).arg(e.column));
        plan->edgeIndex.insert(e.id, i);
        if (e.function != SumoNetReader::Normal)
            continue;
        p.from = plan->junctionIndex.value(e.from, -1);
        p.to = plan->junctionIndex.value(e.to, -1);
        if (p.from < 0 || p.to < 0) {
            return fail(tr("Edge \"%1\" (line %2, column %3) names the unknown junction \"%4\"")
                            .arg(e.id)
                            .arg(e.line)
                            .arg(e.column)
                            .arg(p.from < 0 ? e.from : e.to));
        }
        if (e.lanes.isEmpty())
            return fail(tr("Edge \"%1\" (line %2, column %3) has no lanes").arg(e.id).arg(e.line).arg(e.column));
        const int n = e.lanes.size();
        QVector<int> bySumoIndex(n, -1);
        for (int k = 0; k < n; ++k) {
            const int index = e.lanes.at(k).index;
            if (index >= n || bySumoIndex.at(index) >= 0)
                return fail(tr("Edge \"%1\" (line %2, column %3): the lane indexes are not 0 to %4")
                                .arg(e.id)
                                .arg(e.line)
                                .arg(e.column)
                                .arg(n - 1));
            bySumoIndex[index] = k;
        }
        // SUMO's lane 0 is the outermost lane: the rightmost one, or the leftmost in a left-hand network.
        p.laneOrder.resize(n);
        for (int k = 0; k < n; ++k)
            p.laneOrder[k] = bySumoIndex.at(reader.lefthand ? n - 1 - k : k);
        if (p.from == p.to) {
            p.skipped = true;
            ++selfLoops;
            continue;
        }
        double total = 0;
        for (const SumoNetReader::Lane &lane : e.lanes) {
            total += laneWidth(lane);
            for (const QPointF &pt : lane.shape)
                plan->extend(pt);
        }
        p.lanesOffset = e.spreadCenter ? total / 2 : 0.0;
        const QPointF start = reader.junctions.at(p.from).pos;
        const QPointF end = reader.junctions.at(p.to).pos;
        p.skeleton = geometrySkeleton(e, start, end);
        QVector<LaneFit> fits;
        double deviation = laneDeviation(p.skeleton, p.lanesOffset, e, p.laneOrder, kLaneTolerance, &fits);
        if (deviation > kLaneTolerance) {
            const GeoPolyline fromLanes = laneSkeleton(e.lanes.at(p.laneOrder.last()), p.lanesOffset, start, end);
            QVector<LaneFit> otherFits;
            const double other = laneDeviation(fromLanes, p.lanesOffset, e, p.laneOrder, deviation, &otherFits);
            if (other < deviation) {
                p.skeleton = fromLanes;
                deviation = other;
                fits = otherFits;
            }
        }
        if (deviation > kLaneTolerance) {
            // The leftmost lane's own centre line, the lanes laid out from its middle: exact for that
            // lane where a border moved sideways and back is not (sharp bends).
            const SumoNetReader::Lane &leftmost = e.lanes.at(p.laneOrder.last());
            const QVector<QPointF> centre = withoutRepeats(leftmost.shape);
            const GeoPolyline onLane = centre.size() >= 2 ? extendedToNodes(centre, start, end) : GeoPolyline();
            QVector<LaneFit> otherFits;
            const double other = laneDeviation(onLane, laneWidth(leftmost) / 2, e, p.laneOrder, deviation, &otherFits);
            if (other < deviation) {
                p.skeleton = onLane;
                p.lanesOffset = laneWidth(leftmost) / 2;
                deviation = other;
                fits = otherFits;
            }
        }
        p.deviation = deviation;
        bool offSkeleton = false;
        if (p.skeleton.count() < 2) {
            p.skeleton = GeoPolyline({start, end});
            ++degenerate;
        } else {
            offSkeleton = deviation > kLaneTolerance;
        }
        if (fits.size() != n)
            laneDeviation(p.skeleton, p.lanesOffset, e, p.laneOrder, qInf(), &fits);
        planCuts(fits, *plan, &p);
        if (offSkeleton && fits.size() == n) {
            // Hand-edited lanes that no common skeleton gives keep SUMO's shape, ends and all.
            bool allPlaced = true;
            p.customLanes.resize(n);
            for (int k = 0; k < n; ++k) {
                const SumoNetReader::Lane &lane = e.lanes.at(p.laneOrder.at(k));
                if (laneOff(fits.at(k), lane) <= kLaneTolerance)
                    continue;
                const QVector<QPointF> shape = withoutRepeats(lane.shape);
                if (shape.size() < 2) {
                    allPlaced = false;
                    continue;
                }
                p.customLanes[k] = GeoPolyline(shape);
                p.startCuts[k] = 0.0;
                p.endCuts[k] = 0.0;
                ++ownLanes;
            }
            offSkeleton = !allPlaced;
        }
        if (offSkeleton)
            ++misplaced;
    }
    if (ownLanes > 0)
        warnings << tr("%n lane(s) that do not run parallel to the others of their edge keep SUMO's shape", ownLanes);
    if (selfLoops > 0)
        warnings << tr("%n edge(s) from a junction back to itself skipped (the model needs two nodes)", selfLoops);
    if (degenerate > 0)
        warnings << tr("%n edge(s) without geometry drawn straight from node to node", degenerate);
    if (misplaced > 0)
        warnings << tr("%n edge(s) whose lanes do not run parallel: their lanes lie up to a few metres off SUMO's",
                       misplaced);

    plan->projection = reader.location.projection;
    if (!plan->projection.isEmpty()) {
        QString projError;
        std::unique_ptr<GeoUtil> check(GeoUtil::create(plan->projection.constData(), &projError));
        if (!check) {
            warnings << tr("The projection \"%1\" is not usable (%2): the network has none")
                            .arg(QString::fromUtf8(plan->projection), projError);
            plan->projection.clear();
        }
    }
    if (makeGroups)
        planGroups(reader, plan);
    return true;
}

// SUMO cuts its lanes back at the junctions by rules of its own: where a junction's shape has no area,
// where shapes overlap, or where a lane ends off the line its centre leaves the shape at, the model's
// cut differs. There the lane keeps SUMO's end as a fixed cut.
void SumoNetImporter::Private::planCuts(const QVector<LaneFit> &fits, const Plan &plan, EdgePlan *p)
{
    const int n = p->laneOrder.size();
    p->startCuts.fill(-1.0, n);
    p->endCuts.fill(-1.0, n);
    // The cut the model makes at the junction; negative for an automatic shape, which is not known yet.
    auto modelCut = [&plan](int junction, const GeoPolyline &centre, bool fromStart) {
        if (!plan.cutting.at(junction))
            return 0.0;
        const GeoShape &shape = plan.junctionShapes.at(junction);
        return shape.isEmpty() ? -1.0 : RoadGeometry::exitDistance(centre, shape, fromStart);
    };
    for (int i = 0; i < n && i < fits.size(); ++i) {
        const LaneFit &fit = fits.at(i);
        const double atStart = modelCut(p->from, fit.centre, true);
        if (atStart < 0.0 || std::abs(atStart - fit.start) > kCutTolerance)
            p->startCuts[i] = fit.start;
        const double atEnd = modelCut(p->to, fit.centre, false);
        if (atEnd < 0.0 || std::abs(atEnd - fit.end) > kCutTolerance)
            p->endCuts[i] = fit.end;
    }
}

void SumoNetImporter::Private::planGroups(const SumoNetReader &reader, Plan *plan)
{
    // Only the plain case is safe: exactly one edge each way between two nodes, both laid out to the
    // right of their geometry, on one line.
    QHash<QPair<int, int>, QVector<int>> between;
    for (int i = 0; i < plan->edges.size(); ++i) {
        const EdgePlan &p = plan->edges.at(i);
        if (reader.edges.at(i).function != SumoNetReader::Normal || p.skipped)
            continue;
        between[qMakePair(qMin(p.from, p.to), qMax(p.from, p.to))].append(i);
    }
    // In file order, so that the groups (and all ids after them) come out the same on every import.
    for (int i = 0; i < plan->edges.size(); ++i) {
        const EdgePlan &p = plan->edges.at(i);
        if (reader.edges.at(i).function != SumoNetReader::Normal || p.skipped)
            continue;
        const QVector<int> list = between.value(qMakePair(qMin(p.from, p.to), qMax(p.from, p.to)));
        if (list.size() != 2 || list.at(0) != i)
            continue;
        EdgePlan &a = plan->edges[list.at(0)];
        EdgePlan &b = plan->edges[list.at(1)];
        if (a.from != b.to || a.lanesOffset != 0.0 || b.lanesOffset != 0.0)
            continue;
        if (!linesCoincide(a.skeleton, b.skeleton.inverted(), kGroupTolerance))
            continue;
        // b's lanes will lie on a's skeleton reversed: their ends are measured there, and b stays apart
        // where its lanes would leave SUMO's.
        const GeoPolyline shared = a.skeleton.inverted();
        if (shared.points() != b.skeleton.points()) {
            const SumoNetReader::Edge &e = reader.edges.at(list.at(1));
            QVector<LaneFit> fits;
            if (laneDeviation(shared, b.lanesOffset, e, b.laneOrder, qInf(), &fits) > qMax(kLaneTolerance, b.deviation))
                continue;
            planCuts(fits, *plan, &b);
        }
        a.group = b.group = plan->groupEdges.size();
        plan->groupEdges.append(list.at(0));
    }
}

void SumoNetImporter::Private::build(const SumoNetReader &reader, const Plan &plan)
{
    progress(800);
    net->clear();
    NetworkAccess::silence(net, true);
    net->setProjection(plan.projection, reader.location.netOffset);

    const int total = reader.junctions.size() + reader.edges.size() + reader.connections.size();
    int done = 0;
    auto step = [&] {
        if (++done % 4096 == 0)
            progress(800 + int(200LL * done / qMax(1, total)));
    };

    QVector<Node *> nodes(reader.junctions.size(), nullptr);
    int refusedShapes = 0;
    for (int i = 0; i < reader.junctions.size(); ++i) {
        const SumoNetReader::Junction &j = reader.junctions.at(i);
        auto *node = new Node(net, j.pos, nodeType(j.type));
        node->setObjectName(j.id);
        node->setProperty("sumo_type", j.type);
        if (!plan.junctionShapes.at(i).isEmpty())
            node->setCustomShape(plan.junctionShapes.at(i));
        else if (!j.shape.isEmpty())
            ++refusedShapes;
        net->addItem(node);
        nodes[i] = node;
        ++counts.nodes;
        step();
    }
    if (refusedShapes > 0)
        warnings << tr("%n junction shape(s) without area left to the automatic shape", refusedShapes);

    QVector<EdgeGroup *> groups(plan.groupEdges.size(), nullptr);
    for (int g = 0; g < plan.groupEdges.size(); ++g) {
        const EdgePlan &first = plan.edges.at(plan.groupEdges.at(g));
        auto *group = new EdgeGroup(net, nodes.at(first.from), nodes.at(first.to));
        group->setSkeleton(first.skeleton);
        net->addItem(group);
        groups[g] = group;
        ++counts.edgeGroups;
    }

    QVector<Edge *> edges(reader.edges.size(), nullptr);
    for (int i = 0; i < reader.edges.size(); ++i) {
        const SumoNetReader::Edge &e = reader.edges.at(i);
        const EdgePlan &p = plan.edges.at(i);
        if (e.function != SumoNetReader::Normal || p.skipped)
            continue;
        auto *edge = new Edge(net, nodes.at(p.from), nodes.at(p.to));
        edge->setObjectName(e.id);
        if (!e.name.isEmpty())
            edge->setStreetName(e.name);
        for (int i = 0; i < p.laneOrder.size(); ++i) {
            const SumoNetReader::Lane &l = e.lanes.at(p.laneOrder.at(i));
            auto *lane = new Lane(edge);
            lane->setWidth(laneWidth(l));
            lane->setMaxSpeed(l.speed * kMsToKmh);
            lane->setAllowed(Lane::VehicleClasses(l.classes));
            lane->setFixedStartCut(p.startCuts.value(i, -1.0));
            lane->setFixedEndCut(p.endCuts.value(i, -1.0));
            if (i < p.customLanes.size() && p.customLanes.at(i).count() >= 2)
                lane->setSkeleton(p.customLanes.at(i));
            ++counts.lanes;
        }
        edge->setLanesOffset(p.lanesOffset);
        if (e.priority != -1)
            edge->setProperty("sumo_priority", e.priority);
        if (p.group >= 0)
            groups.at(p.group)->addEdge(edge);
        else
            edge->setSkeleton(p.skeleton);
        net->addItem(edge);
        edges[i] = edge;
        ++counts.edges;
        step();
    }

    auto laneOf = [&](int edgeIndex, int sumoIndex) -> Lane * {
        const Edge *edge = edgeIndex >= 0 ? edges.at(edgeIndex) : nullptr;
        if (!edge || sumoIndex < 0 || sumoIndex >= edge->lanesCount())
            return nullptr;
        return edge->lane(reader.lefthand ? edge->lanesCount() - 1 - sumoIndex : sumoIndex);
    };
    auto isFunction = [&](int edgeIndex, SumoNetReader::EdgeFunction f) {
        return edgeIndex >= 0 && reader.edges.at(edgeIndex).function == f;
    };

    // Crossings first: walking areas name their ends.
    QHash<int, CrossWalk *> crossWalks;
    int lostCrossings = 0;
    for (int i = 0; i < reader.edges.size(); ++i) {
        const SumoNetReader::Edge &e = reader.edges.at(i);
        if (e.function != SumoNetReader::Crossing)
            continue;
        // The crossing's junction is the node all crossed edges share, nearest to the crossing.
        QVector<Lane *> lanes;
        QSet<Node *> common;
        bool first = true;
        for (const QStringRef &id : e.crossingEdges.splitRef(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const Edge *edge = edges.value(plan.edgeIndex.value(id.toString(), -1), nullptr);
            if (!edge) {
                common.clear();
                break;
            }
            const QSet<Node *> ends{edge->start(), edge->end()};
            common = first ? ends : common.intersect(ends);
            first = false;
            lanes += edge->lanes().toVector();
        }
        const SumoNetReader::Lane *shapeLane = e.lanes.isEmpty() ? nullptr : &e.lanes.first();
        if (common.isEmpty() || !shapeLane || shapeLane->shape.size() < 2) {
            ++lostCrossings;
            continue;
        }
        const QPointF p1 = shapeLane->shape.first();
        const QPointF p2 = shapeLane->shape.last();
        const QPointF middle = (p1 + p2) / 2;
        Node *junction = nullptr;
        double closest = qInf();
        for (Node *n : qAsConst(common)) {
            const double d = flatDistance(n->pos(), middle);
            // Set order varies between runs; ties go to the lower id so that imports repeat exactly.
            if (d < closest || (d == closest && n->id() < junction->id())) {
                closest = d;
                junction = n;
            }
        }
        // SUMO's crossing spans the crossed lanes that it cuts (not the sidewalks beside them): its
        // ends go on the first and the last lane it cuts, at their distance from the junction end.
        const GeoPolyline across({p1, p2});
        const QPointF dir = p2 - p1;
        const double len2 = dir.x() * dir.x() + dir.y() * dir.y();
        Lane *lane1 = nullptr;
        Lane *lane2 = nullptr;
        double offset1 = 0;
        double offset2 = 0;
        double t1 = qInf();
        double t2 = -qInf();
        auto distanceFromJunction = [&](const Lane *lane, const QPointF &p) {
            double along = 0;
            lane->fullSkeleton().pointOn(p, &along, lane->endNode() != junction);
            return along;
        };
        for (Lane *candidate : qAsConst(lanes)) {
            bool cuts = false;
            const QPointF x = candidate->fullSkeleton().intersection(across, &cuts);
            if (!cuts || len2 <= 0)
                continue;
            const double t = ((x - p1).x() * dir.x() + (x - p1).y() * dir.y()) / len2;
            if (t < t1) {
                t1 = t;
                lane1 = candidate;
                offset1 = distanceFromJunction(candidate, x);
            }
            if (t > t2) {
                t2 = t;
                lane2 = candidate;
                offset2 = distanceFromJunction(candidate, x);
            }
        }
        // Without a cut (a crossing beside its edges): the lanes nearest to its ends.
        auto nearest = [&](const QPointF &p, Lane **lane, double *offset) {
            double best = qInf();
            for (Lane *candidate : qAsConst(lanes)) {
                const double d = flatDistance(p, candidate->fullSkeleton().pointOn(p));
                if (d < best) {
                    best = d;
                    *lane = candidate;
                    *offset = distanceFromJunction(candidate, p);
                }
            }
        };
        if (!lane1) {
            nearest(p1, &lane1, &offset1);
            nearest(p2, &lane2, &offset2);
        }
        if (!lane1 || !lane2) {
            ++lostCrossings;
            continue;
        }
        auto *cw = new CrossWalk(junction, lane1, offset1, lane2, offset2);
        cw->setWidth(laneWidth(*shapeLane));
        cw->setMaxSpeed(shapeLane->speed * kMsToKmh);
        cw->setObjectName(e.id);
        net->addItem(cw);
        crossWalks.insert(i, cw);
        ++counts.crossWalks;
    }
    if (lostCrossings > 0)
        warnings << tr("%n crossing(s) whose crossed edges are not in the network skipped", lostCrossings);

    // Lane connections; the pedestrian ones give the walking areas their items.
    QHash<int, QVector<WalkingArea::Item>> areaItems;
    int unresolved = 0;
    // Junctions by the traffic light that controls their links, in the order the lights appear.
    QHash<QString, QVector<Node *>> tlNodes;
    QSet<const Node *> lit;
    QStringList tlOrder;
    for (const SumoNetReader::Connection &c : reader.connections) {
        step();
        const int from = plan.edgeIndex.value(c.from, -1);
        const int to = plan.edgeIndex.value(c.to, -1);
        if (from < 0 || to < 0) {
            if ((from < 0 && !reader.internalEdges.contains(c.from))
                || (to < 0 && !reader.internalEdges.contains(c.to)))
                ++unresolved;
            continue;
        }
        if (isFunction(from, SumoNetReader::Normal) && isFunction(to, SumoNetReader::Normal)) {
            Lane *fromLane = laneOf(from, c.fromLane);
            Lane *toLane = laneOf(to, c.toLane);
            if (!fromLane || !toLane || fromLane->endNode() != toLane->startNode()) {
                if (!plan.edges.at(from).skipped && !plan.edges.at(to).skipped)
                    ++unresolved;
                continue;
            }
            auto *connection = new Connection(fromLane->endNode(), fromLane->stopline(), toLane->startline());
            const double speed = c.speed >= 0 ? c.speed : reader.internalLaneSpeeds.value(c.via, -1.0);
            if (speed >= 0)
                connection->setMaxSpeed(speed * kMsToKmh);
            applyRightOfWay(connection, c, reader);
            // A junction joins the granule of the first light that controls its links.
            if (!c.tl.isEmpty() && !lit.contains(connection->junction())) {
                lit.insert(connection->junction());
                QVector<Node *> &members = tlNodes[c.tl];
                if (members.isEmpty())
                    tlOrder << c.tl;
                members.append(connection->junction());
            }
            net->addItem(connection);
            ++counts.connections;
        } else if (isFunction(from, SumoNetReader::WalkingArea) && isFunction(to, SumoNetReader::Normal)) {
            if (Lane *lane = laneOf(to, c.toLane))
                areaItems[from].append(WalkingArea::Item(lane->startline()));
        } else if (isFunction(from, SumoNetReader::Normal) && isFunction(to, SumoNetReader::WalkingArea)) {
            if (Lane *lane = laneOf(from, c.fromLane))
                areaItems[to].append(WalkingArea::Item(lane->stopline()));
        } else if (isFunction(from, SumoNetReader::WalkingArea) && isFunction(to, SumoNetReader::Crossing)) {
            if (CrossWalk *cw = crossWalks.value(to))
                areaItems[from].append(WalkingArea::Item(cw, cw->lane1(), true));
        } else if (isFunction(from, SumoNetReader::Crossing) && isFunction(to, SumoNetReader::WalkingArea)) {
            if (CrossWalk *cw = crossWalks.value(from))
                areaItems[to].append(WalkingArea::Item(cw, cw->lane2(), false));
        }
    }
    if (unresolved > 0)
        warnings << tr("%n connection(s) naming lanes that are not in the network skipped", unresolved);

    int emptyAreas = 0;
    for (int i = 0; i < reader.edges.size(); ++i) {
        const SumoNetReader::Edge &e = reader.edges.at(i);
        if (e.function != SumoNetReader::WalkingArea)
            continue;
        auto *area = new WalkingArea(net);
        area->setObjectName(e.id);
        const QVector<WalkingArea::Item> items = areaItems.value(i);
        for (const WalkingArea::Item &item : items) {
            if (item.isStopline())
                area->addStopline(item.line());
            else
                area->addItem(item);
        }
        if (area->itemCount() == 0) {
            delete area;
            ++emptyAreas;
            continue;
        }
        if (!e.lanes.isEmpty()) {
            GeoShape shape(withoutRepeats(e.lanes.first().shape));
            shape.close();
            area->setShape(shape);
        }
        net->addItem(area);
        ++counts.walkingAreas;
    }
    if (emptyAreas > 0)
        warnings << tr("%n walking area(s) without sidewalks or crossings in the network skipped", emptyAreas);

    // One granule per traffic light; a SUMO id that is not a number is kept beside a free number.
    int nextTlId = 0;
    for (const QString &tl : qAsConst(tlOrder)) {
        bool numeric = false;
        const int id = tl.toInt(&numeric);
        if (numeric && id >= 0)
            nextTlId = qMax(nextTlId, id + 1);
    }
    for (const QString &tl : qAsConst(tlOrder)) {
        const QVector<Node *> &members = tlNodes.value(tl);
        auto *granule = new Granule(QList<Node *>(members.cbegin(), members.cend()), net);
        bool numeric = false;
        const int id = tl.toInt(&numeric);
        if (numeric && id >= 0 && QString::number(id) == tl) {
            granule->setTlId(id);
        } else {
            granule->setTlId(nextTlId++);
            granule->setProperty("sumo_tl_id", tl);
        }
        net->addItem(granule);
        ++counts.granules;
    }

    net->setProperty("bound", rectToString(plan.bound));
    NetworkAccess::silence(net, false);
}

SumoNetImporter::SumoNetImporter(Network *network)
    : d(new Private)
{
    d->net = network;
}

SumoNetImporter::~SumoNetImporter() = default;

bool SumoNetImporter::importFile(const QString &fileName)
{
    if (std::unique_ptr<FilePrefetch> early = FilePrefetch::take(fileName, FilePrefetch::Bytes)) {
        const qint64 size = QFileInfo(fileName).size();
        Network *net = d->net;
        if (net)
            NetworkAccess::resetBroken(net);
        // Still inflating: progress keeps the window answering, and a cancel stops the read.
        const bool waited = early->wait([net](qint64, int) {
            if (!net)
                return true;
            emit net->loadProgress(0, 0, 1000);
            return !NetworkAccess::isBroken(net);
        });
        if (!waited) {
            d->sourceName = QFileInfo(fileName).fileName();
            d->warnings.clear();
            return d->fail(tr("The import was cancelled"));
        }
        if (early->ok()) {
            QByteArray data = early->takeBytes();
            early.reset();
            return importWith(QFileInfo(fileName).fileName(), size, true,
                              [&data, size](SumoNetReader &reader, const std::function<bool(qint64)> &progress) {
                                  const bool read = reader.readInflated(data, size, progress);
                                  // The file's text goes before the network is built.
                                  data = QByteArray();
                                  return read;
                              });
        }
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        d->warnings.clear();
        d->sourceName.clear();
        return d->fail(tr("Cannot open %1: %2").arg(QDir::toNativeSeparators(fileName), file.errorString()));
    }
    return importDevice(&file, QFileInfo(fileName).fileName());
}

bool SumoNetImporter::importDevice(QIODevice *device, const QString &sourceName)
{
    const bool readable = device && device->isReadable();
    return importWith(sourceName, readable && !device->isSequential() ? device->size() : 0, readable,
                      [device](SumoNetReader &reader, const std::function<bool(qint64)> &progress) {
                          return reader.read(device, progress);
                      });
}

bool SumoNetImporter::importWith(const QString &sourceName, qint64 totalBytes, bool readable,
                                 const std::function<bool(SumoNetReader &, const std::function<bool(qint64)> &)> &readInput)
{
    d->sourceName = sourceName;
    d->error.clear();
    d->warnings.clear();
    d->counts = Counts();
    if (!d->net)
        return d->fail(tr("No network to import into"));
    if (!readable)
        return d->fail(tr("The input cannot be read"));
    d->totalBytes = totalBytes;

    NetworkAccess::resetBroken(d->net);
    SumoNetReader reader;
    Network *net = d->net;
    const qint64 total = d->totalBytes;
    const bool read = readInput(reader, [net, total](qint64 bytes) {
        const int perMille = total > 0 ? int(qMin<qint64>(800, bytes * 800 / total)) : 0;
        emit net->loadProgress(bytes, perMille, 1000);
        return !NetworkAccess::isBroken(net);
    });
    if (!read)
        return d->fail(reader.errorString());

    const QVector<QStringRef> parts = reader.version.splitRef(QLatin1Char('.'));
    const int major = parts.value(0).toInt();
    const int minor = parts.value(1).toInt();
    if (parts.size() < 2 || major != 1 || minor < 6 || minor > 20)
        d->warnings << tr("SUMO network version \"%1\" is outside the tested versions 1.6 to 1.20").arg(reader.version);
    if (!reader.unknownClasses.isEmpty()) {
        QStringList names = reader.unknownClasses.values();
        names.sort();
        d->warnings << tr("Unknown vehicle classes ignored: %1").arg(names.join(QLatin1String(", ")));
    }
    if (!reader.droppedClasses.isEmpty()) {
        QStringList names = reader.droppedClasses.values();
        names.sort();
        d->warnings << tr("Allowed vehicle classes the model has no class for ignored: %1")
                           .arg(names.join(QLatin1String(", ")));
    }

    Private::Plan plan;
    if (!d->resolve(reader, &plan))
        return false;
    d->build(reader, plan);
    // The file's records and the plan go before the views make their items, which take that memory
    // instead of adding to it.
    reader = SumoNetReader();
    plan = Private::Plan();
    d->net->afterLoad();
    d->progress(1000);
    // Cancelled while the views made their items: they have emptied the network.
    if (NetworkAccess::isBroken(d->net))
        return d->fail(tr("The import was cancelled"));
    return true;
}

QString SumoNetImporter::errorString() const
{
    return d->error;
}

QStringList SumoNetImporter::warnings() const
{
    return d->warnings;
}

SumoNetImporter::Counts SumoNetImporter::counts() const
{
    return d->counts;
}

bool SumoNetImporter::isSumoNetwork(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    GzipDevice gz(&file);
    if (!gz.open(QIODevice::ReadOnly))
        return false;
    QXmlStreamReader xml(&gz);
    return xml.readNextStartElement() && xml.name() == QLatin1String("net");
}

void SumoNetImporter::setMakeEdgeGroups(bool on)
{
    d->makeGroups = on;
}

bool importSumoNetwork(Network *network, const QString &fileName, QStringList *warnings)
{
    if (!network)
        return false;
    SumoNetImporter importer(network);
    const bool ok = importer.importFile(fileName);
    if (warnings)
        *warnings = importer.warnings();
    if (!ok)
        NetworkAccess::setError(network, importer.errorString());
    return ok;
}

} // namespace Trelvoa
