#include "commands/removenodefromgranule.h"

#include "editor/netedit.h"
#include "scene/networkg.h"

#include "edge.h"
#include "granule.h"
#include "node.h"

#include <QSet>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <QtGlobal>

namespace Trelvoga {

RemoveNodeFromGranule::RemoveNodeFromGranule(NetEdit *edit, Trelvoa::Granule *granule, Trelvoa::Node *node)
    : m_edit(edit)
    , m_granuleId(granule ? granule->id() : 0)
    , m_nodeId(node ? node->id() : -1)
{
    setText(QStringLiteral("Remove node %1 from granule %2").arg(m_nodeId).arg(m_granuleId));
}

void RemoveNodeFromGranule::redo()
{
    Trelvoa::Network *net = m_edit ? m_edit->net() : nullptr;
    auto *granule = net ? net->findObject<Trelvoa::Granule>(m_granuleId) : nullptr;
    auto *node = net ? net->findObject<Trelvoa::Node>(m_nodeId) : nullptr;
    if (!granule || !node)
        return;
    const QList<Trelvoa::Edge *> edgesBefore = granule->edges();
    if (!granule->removeNode(node))
        return;
    m_edit->removeObjectFromParent(node, granule);
    // Only the edges that no longer touch a member junction leave the granule's entry.
    const QList<Trelvoa::Edge *> edgesAfter = granule->edges();
    const QSet<Trelvoa::Edge *> kept(edgesAfter.cbegin(), edgesAfter.cend());
    for (Trelvoa::Edge *edge : edgesBefore) {
        if (!kept.contains(edge))
            m_edit->removeObjectFromParent(edge, granule);
    }
    if (!granule->nodes().isEmpty())
        return;
    m_snapshot.clear();
    QXmlStreamWriter writer(&m_snapshot);
    if (!granule->save(writer, false)) {
        qWarning("%s", qPrintable(net->errorString()));
        m_snapshot.clear();
        return;
    }
    delete granule;
}

void RemoveNodeFromGranule::undo()
{
    Trelvoa::Network *net = m_edit ? m_edit->net() : nullptr;
    if (!net)
        return;
    auto *granule = net->findObject<Trelvoa::Granule>(m_granuleId);
    if (!granule && !m_snapshot.isEmpty()) {
        QXmlStreamReader reader(m_snapshot);
        while (!reader.atEnd() && !reader.isStartElement())
            reader.readNext();
        granule = Trelvoa::Granule::fromStream(reader, net, false);
        if (!granule) {
            qWarning("%s", qPrintable(net->errorString()));
            return;
        }
        if (!net->addItem(granule, m_granuleId)) {
            qWarning("%s", qPrintable(net->errorString()));
            delete granule;
            return;
        }
        m_snapshot.clear();
    }
    auto *node = net->findObject<Trelvoa::Node>(m_nodeId);
    if (!granule || !node || !granule->addNode(node))
        return;
    m_edit->objectAdded(node, granule);
    for (Trelvoa::Edge *edge : granule->edges())
        m_edit->objectAdded(edge, granule);
}

} // namespace Trelvoga
