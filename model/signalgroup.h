#pragma once

#include "netobject.h"

namespace Trelvoa {

class Connection;
class CrossWalk;
class Granule;

// A signal group of a granule's controller (number tlId()): the lane connections and crosswalks that
// get green together. It is a child of its granule. Deleted connections and crosswalks leave it; a
// connection may be in several groups.
class TRELVOA_EXPORT SignalGroup : public NetObject
{
    Q_OBJECT
    Q_PROPERTY(int tlId READ tlId WRITE setTlId)
    Q_PROPERTY(QVariantList connections READ connectionsVariant WRITE setConnectionsVariant)
    Q_PROPERTY(QVariantList crosswalks READ crossWalksVariant WRITE setCrossWalksVariant)

public:
    explicit SignalGroup(Granule *granule = nullptr);
    // Content refused by addConnection / addCrossWalk is left out.
    SignalGroup(const QList<Connection *> &connections, const QList<CrossWalk *> &crossWalks,
                Granule *granule);
    ~SignalGroup() override;

    QString kindName() const override { return tr("Signal group"); }
    QString jsonTag() const override { return QStringLiteral("signalGroup"); }

    // The owning granule (the parent), or null.
    Granule *granule() const;

    // The number of the group in its controller; -1 when none.
    int tlId() const { return m_tlId; }
    void setTlId(int tlId);

    QList<Connection *> connections() const { return m_connections; }
    int connectionCount() const { return m_connections.size(); }
    // Null out of range.
    Connection *connection(int i) const { return m_connections.value(i); }
    QList<CrossWalk *> crossWalks() const { return m_crossWalks; }
    int crossWalkCount() const { return m_crossWalks.size(); }
    CrossWalk *crossWalk(int i) const { return m_crossWalks.value(i); }

    // Refuse null and objects of another network; true when already in the group.
    bool addConnection(Connection *connection);
    bool addCrossWalk(CrossWalk *crossWalk);
    // False when not in the group.
    bool removeConnection(Connection *connection);
    bool removeCrossWalk(CrossWalk *crossWalk);
    // Empties the group.
    void clearContent();

    // The signal groups holding the connection or crosswalk, in no particular order.
    static QList<SignalGroup *> groupsOf(const NetObject *member);
    QSet<NetObject *> neededToplevelObjects() const override;

protected:
    void referenceRemoved(NetObject *target) override;

private:
    QVariantList connectionsVariant() const;
    bool setConnectionsVariant(const QVariantList &list);
    QVariantList crossWalksVariant() const;
    bool setCrossWalksVariant(const QVariantList &list);

    QList<Connection *> m_connections;
    QList<CrossWalk *> m_crossWalks;
    int m_tlId = -1;
};

} // namespace Trelvoa
