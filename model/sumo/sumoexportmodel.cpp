#include "sumoexportmodel.h"

#include "compositedetector.h"
#include "connection.h"
#include "crosswalk.h"
#include "customobject.h"
#include "detector.h"
#include "detectorgroup.h"
#include "edge.h"
#include "geo/geohelpers.h"
#include "geo/geoshape.h"
#include "geo/geoutil.h"
#include "granule.h"
#include "lane.h"
#include "network.h"
#include "node.h"
#include "route.h"
#include "signalgroup.h"
#include "stopline.h"
#include "sumovehicleclasses.h"
#include "taz.h"
#include "walkingarea.h"

#include <QMap>
#include <QPolygonF>
#include <QSet>
#include <QTime>

#include <algorithm>
#include <cmath>

namespace Trelvoa {

namespace {

constexpr double kKmhToMs = 1 / 3.6;
constexpr int kDefaultGreen = 30;
constexpr int kYellow = 3;
constexpr int kPlaceholderPhase = 90;

// Hands out SUMO ids of one kind, each once.
class IdSpace
{
public:
    QString take(const QString &name, const QString &prefix, int modelId)
    {
        QString id = name.isEmpty() ? prefix + QString::number(modelId) : SumoExportModel::validId(name);
        if (m_used.contains(id)) {
            const QString base = id + QLatin1Char('_') + QString::number(modelId);
            id = base;
            for (int n = 2; m_used.contains(id); ++n)
                id = base + QLatin1Char('_') + QString::number(n);
        }
        m_used.insert(id);
        return id;
    }

private:
    QSet<QString> m_used;
};

QVector<QPointF> withoutRepeats(const QVector<QPointF> &points)
{
    QVector<QPointF> out;
    out.reserve(points.size());
    for (const QPointF &p : points) {
        if (out.isEmpty() || std::abs(out.last().x() - p.x()) > 1e-6 || std::abs(out.last().y() - p.y()) > 1e-6)
            out.append(p);
    }
    return out;
}

template<class T>
QVector<T *> objectsOf(const QList<NetObject *> &objects)
{
    QVector<T *> out;
    for (NetObject *o : objects) {
        if (auto *t = qobject_cast<T *>(o))
            out.append(t);
    }
    return out;
}

// The green time of a signal group in seconds: "sumo_green" as a number, or the first positive
// number of a list; the default otherwise.
int greenSeconds(const SignalGroup *group)
{
    const QVariant value = group->property("sumo_green");
    QVariantList candidates = value.type() == QVariant::List ? value.toList() : QVariantList{value};
    for (const QVariant &v : qAsConst(candidates)) {
        bool ok = false;
        const double seconds = v.toDouble(&ok);
        if (ok && std::isfinite(seconds) && seconds >= 1)
            return int(std::lround(qMin(seconds, 3600.0)));
    }
    return kDefaultGreen;
}

// The "sumo_*" overrides of a connection that SUMO's connection description can carry.
QVector<QPair<QString, QString>> connectionOverrides(const Trelvoa::Connection *c)
{
    QVector<QPair<QString, QString>> out;
    auto flag = [&](const char *property, const char *attribute, bool invert) {
        const QVariant v = c->property(property);
        if (v.isValid())
            out.append({QString::fromLatin1(attribute), (v.toBool() != invert) ? QStringLiteral("true") : QStringLiteral("false")});
    };
    auto number = [&](const char *property, const char *attribute) {
        bool ok = false;
        const double value = c->property(property).toDouble(&ok);
        if (ok && std::isfinite(value))
            out.append({QString::fromLatin1(attribute), QString::number(value, 'f', 2)});
    };
    flag("sumo_keepClear", "keepClear", false);
    flag("sumo_cont", "pass", false);
    number("sumo_ie_offset", "contPos");
    number("sumo_far_cp", "visibility");
    return out;
}

// Drops the bend from the node onto the line of the first real segment (node, foot, start, ...) that
// a SUMO import adds where SUMO's edge geometry does not reach its junction: netconvert takes the
// edge's direction at the junction from its first metres, and the bend would turn it (straight
// movements become turns).
void withoutDogLeg(QVector<QPointF> *line, const QPointF &node)
{
    if (line->size() < 4 || flatDistance(line->at(0), node) > 0.01)
        return;
    const QPointF foot = line->at(1);
    const QPointF start = line->at(2);
    const QPointF next = line->at(3);
    const double len = flatDistance(start, next);
    if (len < 1e-6)
        return;
    const QPointF dir = (next - start) / len;
    const QPointF back = foot - start;
    const double along = back.x() * dir.x() + back.y() * dir.y();
    const double across = std::abs(back.x() * dir.y() - back.y() * dir.x());
    const QPointF toNode = node - start;
    const double nodeAcross = std::abs(toNode.x() * dir.y() - toNode.y() * dir.x());
    if (along < -0.01 && across < 0.01 && nodeAcross > 0.01)
        line->remove(0, 2);
}

// A junction shape that cuts nothing off the lanes.
QVector<QPointF> tinyShape(const QPointF &p)
{
    return {p + QPointF(-0.05, -0.05), p + QPointF(0.05, -0.05), p + QPointF(0, 0.05), p + QPointF(-0.05, -0.05)};
}

// A point just inside the lane from its end at `atStart`.
QPointF probe(const QVector<QPointF> &lane, bool atStart)
{
    const QPointF end = atStart ? lane.first() : lane.last();
    const QPointF next = atStart ? lane.at(1) : lane.at(lane.size() - 2);
    const QPointF d = next - end;
    const double length = std::hypot(d.x(), d.y());
    return length > 0 ? end + d * (qMin(0.05, length / 2) / length) : end;
}

int secondsOfDay(const QString &text)
{
    for (const char *format : {"hh:mm", "h:mm", "hh:mm:ss", "h:mm:ss"}) {
        const QTime t = QTime::fromString(text.trimmed(), QString::fromLatin1(format));
        if (t.isValid())
            return t.msecsSinceStartOfDay() / 1000;
    }
    return -1;
}

} // namespace

QString SumoExportModel::validId(const QString &id)
{
    QString out = id;
    for (QChar &c : out) {
        const ushort u = c.unicode();
        if (u < 0x20 || c.isSpace() || QStringLiteral("|\\'\";,<>&").contains(c) || u == 0x7f)
            c = QLatin1Char('_');
    }
    if (out.startsWith(QLatin1Char(':')))
        out[0] = QLatin1Char('_');
    return out.isEmpty() ? QStringLiteral("_") : out;
}

SumoExportModel SumoExportModel::fromNetwork(const Network *network)
{
    SumoExportModel m;
    QList<NetObject *> all = network->allObjects();
    std::sort(all.begin(), all.end(), [](const NetObject *a, const NetObject *b) { return a->id() < b->id(); });

    if (const GeoUtil *geo = network->geoUtil()) {
        m.projection = geo->projectionStr();
        m.netOffset = geo->offset();
    }

    // Junctions.
    IdSpace junctionIds;
    QHash<const Node *, QString> nodeIds;
    QHash<const Node *, bool> explicitConnections;
    const QVector<Node *> nodes = objectsOf<Node>(all);
    double minX = qInf(), minY = qInf(), maxX = -qInf(), maxY = -qInf();
    auto grow = [&](const QPointF &p) {
        minX = qMin(minX, p.x());
        minY = qMin(minY, p.y());
        maxX = qMax(maxX, p.x());
        maxY = qMax(maxY, p.y());
    };

    // Traffic lights: ids per granule, and the link indexes of granules with signal groups.
    IdSpace tlIds;
    QHash<const Granule *, QString> granuleTl;
    QHash<const Trelvoa::Connection *, int> connectionLink;
    QHash<const CrossWalk *, int> crossingLink;
    for (Granule *granule : objectsOf<Granule>(all)) {
        if (granule->nodes().isEmpty())
            continue;
        const QString sumoId = granule->property("sumo_tl_id").toString();
        const QString id = tlIds.take(!sumoId.isEmpty() ? sumoId
                                      : granule->tlId() >= 0 ? QString::number(granule->tlId()) : QString(),
                                      QStringLiteral("g"), granule->id());
        granuleTl.insert(granule, id);
        QList<SignalGroup *> groups = granule->signalGroups();
        if (groups.isEmpty())
            continue;
        std::stable_sort(groups.begin(), groups.end(),
                         [](const SignalGroup *a, const SignalGroup *b) { return a->tlId() < b->tlId(); });
        QSet<const Node *> members;
        for (Node *n : granule->nodes())
            members.insert(n);
        int next = 0;
        QVector<QSet<int>> greens;
        for (SignalGroup *group : qAsConst(groups)) {
            QSet<int> green;
            for (Trelvoa::Connection *c : group->connections()) {
                if (!members.contains(c->junction()))
                    continue;
                if (!connectionLink.contains(c))
                    connectionLink.insert(c, next++);
                green.insert(connectionLink.value(c));
            }
            for (CrossWalk *cw : group->crossWalks()) {
                if (!members.contains(cw->junction()))
                    continue;
                if (!crossingLink.contains(cw))
                    crossingLink.insert(cw, next++);
                green.insert(crossingLink.value(cw));
            }
            greens.append(green);
        }
        // What no group holds gets no signal ('o': it gives way as at a junction without lights).
        QSet<int> crossingIndexes;
        for (auto it = crossingLink.cbegin(); it != crossingLink.cend(); ++it) {
            if (members.contains(it.key()->junction()))
                crossingIndexes.insert(it.value());
        }
        QSet<int> unsignalled;
        for (Node *n : granule->nodes()) {
            for (Trelvoa::Connection *c : n->connections()) {
                if (!connectionLink.contains(c)) {
                    unsignalled.insert(next);
                    connectionLink.insert(c, next++);
                }
            }
            for (CrossWalk *cw : n->crossWalks()) {
                if (!crossingLink.contains(cw)) {
                    unsignalled.insert(next);
                    crossingIndexes.insert(next);
                    crossingLink.insert(cw, next++);
                }
            }
        }
        if (next == 0)
            continue;
        TlLogic logic;
        logic.id = id;
        for (int k = 0; k < groups.size(); ++k) {
            QString state(next, QLatin1Char('r'));
            for (int i = 0; i < next; ++i) {
                if (greens.at(k).contains(i))
                    state[i] = QLatin1Char('G');
                else if (unsignalled.contains(i))
                    state[i] = QLatin1Char('o');
            }
            logic.phases.append({greenSeconds(groups.at(k)), state});
            // Yellow for what loses green at the end of the phase (pedestrians get red at once).
            const QSet<int> &following = greens.at((k + 1) % groups.size());
            QString yellow = state;
            bool changes = false;
            for (int i : greens.at(k)) {
                if (following.contains(i))
                    continue;
                yellow[i] = crossingIndexes.contains(i) ? QLatin1Char('r') : QLatin1Char('y');
                changes = true;
            }
            if (changes)
                logic.phases.append({kYellow, yellow});
        }
        m.tlLogics.append(logic);
    }

    QHash<const Node *, bool> signalised;
    QHash<const Node *, int> junctionOf;
    for (Node *node : nodes) {
        Junction j;
        j.id = junctionIds.take(node->name(), QStringLiteral("n"), node->id());
        nodeIds.insert(node, j.id);
        j.pos = node->pos();
        grow(j.pos);
        const QString sumoType = node->property("sumo_type").toString();
        Granule *granule = node->granule();
        const bool withLights = node->type() == Node::SignalisedJunction
                                || (granule && !granule->signalGroups().isEmpty());
        signalised.insert(node, withLights);
        junctionOf.insert(node, m.junctions.size());
        if (withLights) {
            j.type = sumoType.startsWith(QLatin1String("traffic_light")) ? sumoType : QStringLiteral("traffic_light");
            if (granule)
                j.tl = granuleTl.value(granule);
        } else if (!sumoType.isEmpty() && !sumoType.startsWith(QLatin1String("traffic_light"))
                   && sumoType != QLatin1String("dead_end") && sumoType != QLatin1String("internal")) {
            j.type = sumoType;
        } else if (node->type() == Node::Junction) {
            j.type = QStringLiteral("priority");
        } else if (node->type() >= Node::OtherJunction) {
            j.type = QStringLiteral("rail_crossing");
        }
        // At a plain node the model has no connections: SUMO joins the roads itself there.
        explicitConnections.insert(node, node->isJunction() || sumoType == QLatin1String("dead_end"));
        // netconvert cuts lanes at the junction shapes, custom lane shapes too; where the model has no
        // junction area (a plain node), a shape of a few centimetres keeps it from making one.
        const QVector<QPointF> shape = withoutRepeats(
            (node->isJunction() ? node->shape() : node->autoShape() ? GeoShape() : node->customShape()).points());
        QSet<QPair<double, double>> distinct;
        for (const QPointF &p : shape)
            distinct.insert({p.x(), p.y()});
        j.shape = distinct.size() >= 3 ? shape : tinyShape(j.pos);
        j.isolated = node->edges().isEmpty();
        m.junctions.append(j);
    }

    // Edges and lanes.
    IdSpace edgeIds;
    QHash<const Trelvoa::Edge *, int> edgeIndex;
    int laneless = 0;
    for (Trelvoa::Edge *edge : objectsOf<Trelvoa::Edge>(all)) {
        if (!edge->start() || !edge->end() || edge->lanesCount() == 0) {
            ++laneless;
            continue;
        }
        Edge e;
        e.id = edgeIds.take(edge->name(), QStringLiteral("e"), edge->id());
        e.from = nodeIds.value(edge->start());
        e.to = nodeIds.value(edge->end());
        e.name = edge->streetName();
        bool hasPriority = false;
        const int priority = edge->property("sumo_priority").toInt(&hasPriority);
        if (hasPriority)
            e.priority = priority;
        const GeoPolyline skeleton = edge->skeleton();
        // SUMO's "center" spread is the model's lanes offset of half the carriageway; other offsets move
        // the line to the lanes' left border.
        const double offset = edge->lanesOffset();
        e.centred = offset != 0 && std::abs(offset - edge->lanesWidth() / 2) < 1e-6;
        e.shape = withoutRepeats((offset != 0 && !e.centred ? skeleton.parallel(offset) : skeleton).points());
        if (offset == 0 || e.centred) {
            withoutDogLeg(&e.shape, edge->start()->pos());
            std::reverse(e.shape.begin(), e.shape.end());
            withoutDogLeg(&e.shape, edge->end()->pos());
            std::reverse(e.shape.begin(), e.shape.end());
        }
        for (Trelvoa::Lane *lane : edge->lanes()) {
            Lane l;
            l.width = lane->width();
            l.speed = lane->maxSpeed() * kKmhToMs;
            SumoVehicleClasses::toAllowDisallow(int(lane->allowed()), &l.classAttribute, &l.classes);
            GeoPolyline line = lane->skeleton();
            if (line.count() < 2 || line.length() < 0.1)
                line = lane->fullSkeleton();
            l.shape = withoutRepeats(line.points());
            if (l.shape.size() < 2)
                l.shape.clear();
            for (const QPointF &p : qAsConst(l.shape))
                grow(p);
            const Stopline *stop = lane->stopline();
            if (stop && stop->inUse() && !stop->autoDistance()) {
                const double extra = stop->distance() - lane->endCut();
                if (extra > 0.01 && extra < line.length())
                    l.endOffset = extra;
            }
            e.lanes.append(l);
        }
        edgeIndex.insert(edge, m.edges.size());
        m.edgeIds.insert(edge->id(), e.id);
        m.edges.append(e);
    }
    // netconvert cuts every lane at the junction shapes again; a junction shape reaching over the
    // model's lane ends (the model cuts lanes at shapes of its own, which may differ where an import
    // kept SUMO's) gives way to one that cuts nothing.
    {
        QHash<QString, int> junctionIndex;
        for (int i = 0; i < m.junctions.size(); ++i)
            junctionIndex.insert(m.junctions.at(i).id, i);
        QVector<QPolygonF> polygons;
        polygons.reserve(m.junctions.size());
        for (const Junction &j : qAsConst(m.junctions))
            polygons.append(QPolygonF(j.shape));
        QVector<bool> tooLarge(m.junctions.size(), false);
        for (const Edge &e : qAsConst(m.edges)) {
            const int from = junctionIndex.value(e.from, -1);
            const int to = junctionIndex.value(e.to, -1);
            for (const Lane &l : e.lanes) {
                if (l.shape.size() < 2)
                    continue;
                // The lane's vertices, the middles of its segments and points next to its ends.
                QVector<QPointF> samples{probe(l.shape, true), probe(l.shape, false)};
                for (int i = 0; i + 1 < l.shape.size(); ++i) {
                    samples.append((l.shape.at(i) + l.shape.at(i + 1)) / 2);
                    if (i > 0)
                        samples.append(l.shape.at(i));
                }
                for (int k : {from, to}) {
                    if (k < 0 || tooLarge.at(k))
                        continue;
                    const QRectF box = polygons.at(k).boundingRect();
                    for (const QPointF &p : qAsConst(samples)) {
                        if (box.contains(p) && polygons.at(k).containsPoint(p, Qt::WindingFill)) {
                            tooLarge[k] = true;
                            break;
                        }
                    }
                }
            }
        }
        for (int i = 0; i < m.junctions.size(); ++i) {
            if (tooLarge.at(i))
                m.junctions[i].shape = tinyShape(m.junctions.at(i).pos);
        }
    }
    if (laneless > 0)
        m.warnings << QStringLiteral("%1 edge(s) without lanes left out").arg(laneless);

    // Connections and crossings, junction by junction.
    QMap<QString, int> placeholderLinks; // tl id -> links, for indexes given without a program
    int duplicateCrossings = 0;
    for (Node *node : nodes) {
        for (Trelvoa::Connection *c : node->connections()) {
            const Trelvoa::Lane *from = c->startLane();
            const Trelvoa::Lane *to = c->endLane();
            if (!from || !to || !edgeIndex.contains(from->edge()) || !edgeIndex.contains(to->edge()))
                continue;
            Connection out;
            Edge &fromEdge = m.edges[edgeIndex.value(from->edge())];
            fromEdge.hasConnections = true;
            out.from = fromEdge.id;
            out.to = m.edges.at(edgeIndex.value(to->edge())).id;
            out.fromLane = from->index();
            out.toLane = to->index();
            out.speed = c->maxSpeed() * kKmhToMs;
            if (!c->autoSkeleton())
                out.shape = withoutRepeats(c->skeleton().points());
            if (connectionLink.contains(c) && node->granule()) {
                out.tl = granuleTl.value(node->granule());
                out.linkIndex = connectionLink.value(c);
            } else if (signalised.value(node)) {
                // "sumo_signal": the link's index in the program SUMO builds (a SUMO import's own
                // index, so that the scenario's programs still fit); negative: not signalled.
                const QVariant index = c->property("sumo_signal");
                bool ok = false;
                const int value = index.type() == QVariant::Bool ? -1 : index.toInt(&ok);
                if (ok && value >= 0) {
                    out.tl = m.junctions.at(junctionOf.value(node)).tl;
                    if (out.tl.isEmpty())
                        out.tl = m.junctions.at(junctionOf.value(node)).id;
                    out.linkIndex = value;
                    placeholderLinks[out.tl] = qMax(placeholderLinks.value(out.tl), value + 1);
                } else if (ok) {
                    out.extra.append({QStringLiteral("uncontrolled"), QStringLiteral("true")});
                }
            }
            out.extra += connectionOverrides(c);
            m.connections.append(out);
        }
        // Connections that give way wait for every movement from the other incoming edges that
        // does not (SUMO applies a prohibition only between movements that meet).
        if (!signalised.value(node)) {
            QVector<QPair<QString, QString>> yielding;
            QVector<QPair<QString, QString>> priority;
            for (Trelvoa::Connection *c : node->connections()) {
                const Trelvoa::Lane *from = c->startLane();
                const Trelvoa::Lane *to = c->endLane();
                if (!from || !to || !edgeIndex.contains(from->edge()) || !edgeIndex.contains(to->edge()))
                    continue;
                const QPair<QString, QString> movement{m.edges.at(edgeIndex.value(from->edge())).id,
                                                       m.edges.at(edgeIndex.value(to->edge())).id};
                QVector<QPair<QString, QString>> &list = c->giveWay() ? yielding : priority;
                if (!list.contains(movement))
                    list.append(movement);
            }
            for (const auto &y : qAsConst(yielding)) {
                for (const auto &p : qAsConst(priority)) {
                    if (p.first != y.first && !yielding.contains(p))
                        m.prohibitions.append({p.first, p.second, y.first, y.second});
                }
            }
        }
        QSet<QString> crossed;
        for (CrossWalk *cw : node->crossWalks()) {
            if (!cw->lane1() || !cw->lane2())
                continue;
            Crossing x;
            x.node = nodeIds.value(node);
            // SUMO names a crossing by every edge it crosses: the edges of its end lanes and those of
            // the lanes its line cuts in between.
            const GeoPolyline line = cw->skeleton();
            for (Trelvoa::Edge *edge : node->edges()) {
                if (!edgeIndex.contains(edge))
                    continue;
                bool crosses = edge == cw->lane1()->edge() || edge == cw->lane2()->edge();
                for (const Trelvoa::Lane *lane : edge->lanes()) {
                    if (crosses)
                        break;
                    lane->fullSkeleton().intersection(line, &crosses);
                }
                if (crosses)
                    x.edges << m.edges.at(edgeIndex.value(edge)).id;
            }
            x.edges.sort();
            const QString key = x.edges.join(QLatin1Char(' '));
            if (x.edges.isEmpty() || crossed.contains(key)) {
                ++duplicateCrossings;
                continue;
            }
            crossed.insert(key);
            x.width = cw->width();
            if (crossingLink.contains(cw) && node->granule()) {
                x.tl = granuleTl.value(node->granule());
                x.linkIndex = crossingLink.value(cw);
            }
            m.crossings.append(x);
        }
    }
    // netconvert numbers the links of the programs it makes itself; given indexes need a program of
    // ours. The model holds none (a SUMO import leaves the programs to the scenario's files): every
    // link gives way as without lights until a program is loaded over it.
    for (auto it = placeholderLinks.cbegin(); it != placeholderLinks.cend(); ++it) {
        if (std::any_of(m.tlLogics.cbegin(), m.tlLogics.cend(), [&](const TlLogic &l) { return l.id == it.key(); }))
            continue;
        m.tlLogics.append({it.key(), {{kPlaceholderPhase, QString(it.value(), QLatin1Char('o'))}}});
    }
    if (duplicateCrossings > 0)
        m.warnings << QStringLiteral("%1 crosswalk(s) crossing the same edges as another one at their junction left out")
                          .arg(duplicateCrossings);
    // Edges into a junction keep exactly the model's connections, none when it has none.
    QHash<QString, const Node *> nodeById;
    for (auto it = nodeIds.cbegin(); it != nodeIds.cend(); ++it)
        nodeById.insert(it.value(), it.key());
    for (Edge &e : m.edges) {
        if (!explicitConnections.value(nodeById.value(e.to)))
            e.hasConnections = true; // nothing to say: SUMO connects at plain nodes
    }
    m.hasWalkingAreas = !objectsOf<WalkingArea>(all).isEmpty();

    // Zones.
    for (Trelvoa::Taz *taz : objectsOf<Trelvoa::Taz>(all)) {
        Taz t;
        t.modelId = taz->id();
        t.id = QString::number(taz->id());
        GeoShape circle;
        circle.addEllipse(taz->pos(), taz->radius(), taz->radius(), 16);
        t.shape = circle.points();
        for (Trelvoa::Edge *edge : taz->edges()) {
            if (!edgeIndex.contains(edge))
                continue;
            TazLink link;
            link.edge = m.edges.at(edgeIndex.value(edge)).id;
            const Trelvoa::Taz::EdgeData *data = taz->edgeData(edge);
            link.source = data && data->flag;
            for (const Trelvoa::Lane *lane : edge->lanes())
                link.sidewalk = link.sidewalk || lane->allows(Trelvoa::Lane::vcPedestrian);
            t.links.append(link);
        }
        m.tazs.append(t);
    }

    // Detectors on lanes as induction loops; composite detectors as entry/exit detectors.
    IdSpace detectorIds;
    auto detectorOf = [&](const Trelvoa::Detector *d, Detector *out) {
        const Trelvoa::Lane *lane = d->lane();
        if (!lane || !edgeIndex.contains(lane->edge()))
            return false;
        out->lane = laneId(m.edges.at(edgeIndex.value(lane->edge())).id, lane->index());
        const QVector<QPointF> &shape = m.edges.at(edgeIndex.value(lane->edge())).lanes.at(lane->index()).shape;
        const double length = GeoPolyline(shape).length();
        out->pos = qBound(0.0, d->distance(), qMax(0.0, length - 0.1));
        out->length = d->length();
        return true;
    };
    int offLane = 0;
    for (Trelvoa::Detector *d : objectsOf<Trelvoa::Detector>(all)) {
        Detector det;
        if (!detectorOf(d, &det)) {
            ++offLane;
            continue;
        }
        det.id = detectorIds.take(d->name(), QStringLiteral("det"), d->id());
        m.detectors.append(det);
    }
    if (offLane > 0)
        m.warnings << QStringLiteral("%1 detector(s) not on a lane left out").arg(offLane);
    IdSpace multiIds;
    for (CompositeDetector *cd : objectsOf<CompositeDetector>(all)) {
        if (!cd->start() || !cd->end())
            continue;
        MultiDetector md;
        for (const Trelvoa::Detector *d : cd->start()->detectors()) {
            Detector det;
            if (detectorOf(d, &det))
                md.entries.append(det);
        }
        for (const Trelvoa::Detector *d : cd->end()->detectors()) {
            Detector det;
            if (detectorOf(d, &det))
                md.exits.append(det);
        }
        if (md.entries.isEmpty() || md.exits.isEmpty())
            continue;
        md.id = multiIds.take(cd->name(), QStringLiteral("e3_"), cd->id());
        m.multiDetectors.append(md);
    }

    // Routes with a course.
    IdSpace routeIds;
    for (Trelvoa::Route *route : objectsOf<Trelvoa::Route>(all)) {
        Route r;
        for (Trelvoa::Edge *edge : route->edges()) {
            if (!edgeIndex.contains(edge)) {
                r.edges.clear();
                break;
            }
            r.edges << m.edges.at(edgeIndex.value(edge)).id;
        }
        if (r.edges.isEmpty())
            continue;
        r.id = routeIds.take(route->name(), QStringLiteral("r"), route->id());
        m.routes.append(r);
    }

    // Measured intensities of the first group of days (the groups are alternatives, such as working
    // days and weekends; one simulation runs one of them).
    const QVector<CustomObject *> customs = objectsOf<CustomObject>(all);
    for (CustomObject *group : customs) {
        if (group->objectName() != QLatin1String("DayGroup") || group->parentObject())
            continue;
        int earliest = -1;
        QVector<Count> counts;
        for (CustomObject *intensity : group->customChildren()) {
            if (intensity->objectName() != QLatin1String("Intensity"))
                continue;
            const int begin = secondsOfDay(intensity->property("time").toString());
            const int minutes = intensity->property("duration").toInt();
            if (begin < 0 || minutes <= 0)
                continue;
            earliest = earliest < 0 ? begin : qMin(earliest, begin);
            for (CustomObject *from : intensity->customChildren()) {
                const QString fromEdge = m.edgeIds.value(from->property("edge_id").toInt());
                if (from->objectName() != QLatin1String("FromEdge") || fromEdge.isEmpty())
                    continue;
                for (CustomObject *to : from->customChildren()) {
                    const QString toEdge = m.edgeIds.value(to->property("edge_id").toInt());
                    const int number = to->text().trimmed().toInt();
                    if (to->objectName() != QLatin1String("ToEdge") || toEdge.isEmpty() || number <= 0)
                        continue;
                    counts.append({fromEdge, toEdge, begin, begin + minutes * 60, number});
                }
            }
        }
        for (Count &c : counts) {
            c.begin -= earliest;
            c.end -= earliest;
        }
        std::stable_sort(counts.begin(), counts.end(), [](const Count &a, const Count &b) { return a.begin < b.begin; });
        m.counts = counts;
        break;
    }

    if (minX <= maxX)
        m.bounds = QRectF(QPointF(minX, minY), QPointF(maxX, maxY));
    m.geoBounds = m.bounds;
    if (const GeoUtil *geo = network->geoUtil(); geo && minX <= maxX)
        m.geoBounds = geo->xyToGeo(m.bounds);
    return m;
}

} // namespace Trelvoa
