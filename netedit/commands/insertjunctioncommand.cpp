#include "commands/insertjunctioncommand.h"

#include "edge.h"
#include "edgegroup.h"
#include "network.h"
#include "node.h"

#include <QCoreApplication>
#include <QtGlobal>

namespace Trelvoga {

InsertJunctionCommand::InsertJunctionCommand(Trelvoa::Network *net, Trelvoa::Edge *edge, double position,
                                             QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_net(net)
    , m_edgeId(edge ? edge->id() : 0)
    , m_position(position)
{
    setText(QCoreApplication::translate("Trelvoga::InsertJunctionCommand", "Insert junction on edge"));
}

InsertJunctionCommand::InsertJunctionCommand(Trelvoa::Network *net, Trelvoa::EdgeGroup *group, double position,
                                             QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_net(net)
    , m_groupId(group ? group->id() : 0)
    , m_position(position)
{
    setText(QCoreApplication::translate("Trelvoga::InsertJunctionCommand", "Insert junction on group of edges"));
}

void InsertJunctionCommand::redo()
{
    if (!m_net)
        return;
    Trelvoa::EdgeGroup *group = m_groupId != 0 ? m_net->findObject<Trelvoa::EdgeGroup>(m_groupId) : nullptr;
    Trelvoa::Edge *edge = m_groupId == 0 ? m_net->findObject<Trelvoa::Edge>(m_edgeId) : nullptr;
    Trelvoa::NetObject *object = group ? static_cast<Trelvoa::NetObject *>(group) : edge;
    if (!object)
        return;
    QList<Trelvoa::NetObject *> list;
    collectObjects(object, list);
    m_snapshot.save(m_net, list);

    // A split made again would give the new junction and the parts beyond it fresh ids.
    if (!m_split.isEmpty()) {
        if (m_split.restore(m_net))
            m_nodeId = m_splitNodeId;
        return;
    }
    Trelvoa::Node *node = group ? m_net->insertNode(group, m_position) : m_net->insertNode(edge, m_position);
    if (!node) {
        qWarning("InsertJunctionCommand: %s", qUtf8Printable(m_net->errorString()));
        return;
    }
    m_nodeId = node->id();
    m_splitNodeId = m_nodeId;
    QList<Trelvoa::NetObject *> split;
    collectObjects(node, split);
    collectObjects(object, split);
    m_split.save(m_net, split);
}

void InsertJunctionCommand::undo()
{
    if (m_snapshot.isEmpty())
        return;
    if (Trelvoa::NetObject *node = m_net->findObject(m_nodeId))
        delete node;
    m_nodeId = 0;
    m_snapshot.restore(m_net);
}

} // namespace Trelvoga
