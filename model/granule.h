#pragma once

#include "netobject.h"

class QXmlStreamReader;
class QXmlStreamWriter;

namespace Trelvoa {

class Edge;
class Network;
class Node;
class SignalGroup;

// A set of junctions run by one signal controller (number tlId()). Its signal groups are its children
// and go with it. A node belongs to at most one granule; deleting a node takes it out of its granule.
class TRELVOA_EXPORT Granule : public NetObject
{
    Q_OBJECT
    Q_PROPERTY(int tlId READ tlId WRITE setTlId)
    Q_PROPERTY(QVariantList nodes READ nodesVariant WRITE setNodesVariant)
    Q_PROPERTY(QVariantList edges READ edgesVariant STORED false)

public:
    explicit Granule(QObject *parent = nullptr);
    // A granule of the network holding the junctions (those refused by addNode are left out).
    Granule(const QList<Node *> &junctions, Network *net);
    ~Granule() override;

    QString kindName() const override { return tr("Granule"); }
    QString jsonTag() const override { return QStringLiteral("granule"); }

    // The controller number; -1 when none.
    int tlId() const { return m_tlId; }
    void setTlId(int tlId);

    // The member nodes, in the order they joined.
    QList<Node *> nodes() const { return m_nodes; }
    bool contains(const Node *node) const;
    // Refuses null, a node of another network and a node of another granule; true when the node is
    // already a member.
    bool addNode(Node *node);
    // False when the node was not a member.
    bool removeNode(Node *node);
    // The edges with an end at one of the member nodes, each once, following the member order.
    QList<Edge *> edges() const;
    // The signal groups (children), in child order.
    QList<SignalGroup *> signalGroups() const;
    QList<NetObject *> linkedObjects() const override;
    QSet<NetObject *> neededToplevelObjects() const override;

    // The granule holding the node, or null.
    static Granule *granuleOf(const Node *node);

    // The granule alone as one network-file element with its signal groups (snapshots of a granule
    // about to be deleted); fullGeometry adds the derived geometry. False with the network's
    // errorString() on failure. Defined in io/granuleio.cpp.
    bool save(QXmlStreamWriter &writer, bool fullGeometry = false) const;
    // Re-creates a granule from the element save() wrote (the reader at its start element), with its
    // saved ids, number, nodes and signal groups, as a child of the network but not yet added to it:
    // the caller adds it with Network::addItem(granule, id). Null with the network's errorString() when
    // the element is malformed, names objects the network does not have or an id already in use. The
    // flag is ignored (derived geometry is never read back).
    static Granule *fromStream(QXmlStreamReader &reader, Network *net, bool fullGeometry = false);

protected:
    void referenceRemoved(NetObject *target) override;

private:
    QVariantList nodesVariant() const;
    bool setNodesVariant(const QVariantList &nodes);
    QVariantList edgesVariant() const;

    QList<Node *> m_nodes;
    int m_tlId = -1;
};

} // namespace Trelvoa
