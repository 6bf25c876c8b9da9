#pragma once

#include "netobject.h"
#include "turnpercentage.h"

#include <QHash>
#include <QPair>
#include <QTime>

namespace Trelvoa {

class Edge;
class Taz;

// One traffic state of the network for a time window: the turning percentage of movements (an
// incoming edge to an outgoing edge at the junction between them) and the input flow of the zones
// that feed the network. Unset movements fall back to defaults the caller derives. Deleting an edge
// drops its movements; deleting a zone drops its flow.
class TRELVOA_EXPORT TrafficState : public NetObject
{
    Q_OBJECT
    Q_PROPERTY(int vehicleType READ vehicleType WRITE setVehicleType)
    Q_PROPERTY(QTime startTime READ startTime WRITE setStartTime)
    Q_PROPERTY(int duration READ duration WRITE setDuration)
    Q_PROPERTY(uint defaultTurnPercentage READ defaultTurnPercentageValue WRITE setDefaultTurnPercentageValue)
    Q_PROPERTY(QVariantList tazs READ tazsVariant STORED false)

public:
    struct Movement
    {
        Edge *from = nullptr;
        Edge *to = nullptr;
        int percent = 0;
    };
    struct InputFlow
    {
        Taz *taz = nullptr;
        int flow = 0; // vehicles per hour
    };

    explicit TrafficState(QObject *parent = nullptr);
    ~TrafficState() override;

    QString kindName() const override { return tr("Traffic state"); }
    QString jsonTag() const override { return QStringLiteral("trafficState"); }

    // A Lane::VehicleClass value; 1 by default.
    int vehicleType() const { return m_vehicleType; }
    void setVehicleType(int type);
    // Refuses an invalid time.
    QTime startTime() const { return m_startTime; }
    bool setStartTime(const QTime &time);
    // Seconds, 0..86400; other values are refused. 3600 by default.
    int duration() const { return m_duration; }
    bool setDuration(int seconds);

    // The defaults from which unset movements are shown; TurnPercentage::defaultValue() at first.
    TurnPercentage defaultTurnPercentage() const { return m_defaultTurns; }
    void setDefaultTurnPercentage(TurnPercentage turns);

    // The percentage of the movement, or defaultValue when it is unset.
    int turnPercentage(Edge *from, Edge *to, int defaultValue = -1) const;
    // Sets the percentage of a movement, clamped to 0..100. Refuses null edges, edges of another
    // network and a pair that is no movement (from does not end where to starts).
    bool setTurnPercentage(Edge *from, Edge *to, int percent);
    // False when the movement was unset.
    bool removeTurnPercentage(Edge *from, Edge *to);
    // Every set movement, in the order they were set.
    QList<Movement> turnPercentages() const { return m_movements.toList(); }

    // The zones with an input flow, in the order they were set.
    QList<Taz *> tazList() const;
    // The zone's flow in vehicles per hour, or defaultValue when it has none.
    int inputFlow(Taz *taz, int defaultValue = 0) const;
    // Refuses a null zone, a zone of another network and a negative flow.
    bool setInputFlow(Taz *taz, int vehPerHour);
    bool removeInputFlow(Taz *taz);
    QList<InputFlow> inputFlows() const { return m_flows.toList(); }

    // Removes every percentage and flow; name, class, times and defaults stay.
    void clear();
    QSet<NetObject *> neededToplevelObjects() const override;

protected:
    void referenceRemoved(NetObject *target) override;

private:
    using Key = QPair<Edge *, Edge *>;
    void retain(NetObject *target);
    void release(NetObject *target);
    int flowIndex(const Taz *taz) const;
    void rebuildIndex();
    uint defaultTurnPercentageValue() const { return m_defaultTurns.value(); }
    void setDefaultTurnPercentageValue(uint value) { setDefaultTurnPercentage(TurnPercentage(value)); }
    QVariantList tazsVariant() const;

    QVector<Movement> m_movements;
    QHash<Key, int> m_index;
    QVector<InputFlow> m_flows;
    QHash<NetObject *, int> m_refCount; // references held per target
    QTime m_startTime = QTime(0, 0);
    TurnPercentage m_defaultTurns = TurnPercentage::defaultValue();
    int m_vehicleType = 1;
    int m_duration = 3600;
};

} // namespace Trelvoa
