#include "commands/joinnetcommand.h"

#include "editor/netedit.h"
#include "scene/networkg.h"

#include "netobject.h"
#include "network.h"

#include <QHash>
#include <QMetaObject>
#include <QVector>
#include <QXmlStreamWriter>
#include <QtGlobal>

namespace Trelvoga {

JoinNetCommand::JoinNetCommand(NetEdit *edit, Trelvoa::Network *other, QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_edit(edit)
{
    setText(QStringLiteral("Join networks"));
    if (!other)
        return;
    // The whole document, with its projection: the join converts coordinates from it.
    QXmlStreamWriter writer(&m_other);
    if (!other->save(writer, true, false)) {
        qWarning("JoinNetCommand: %s", qPrintable(other->errorString()));
        m_other.clear();
    }
}

bool JoinNetCommand::join(Trelvoa::Network *net)
{
    // The copies announce themselves as they join, parents first.
    QVector<Trelvoa::NetObject *> added;
    const QMetaObject::Connection connection = QObject::connect(
        net, &Trelvoa::Network::objectAdded, net, [&added](Trelvoa::NetObject *object) { added.append(object); });
    const bool ok = net->joinData(m_other);
    QObject::disconnect(connection);
    if (!ok) {
        qWarning("JoinNetCommand: %s", qPrintable(net->errorString()));
        return false;
    }
    QList<Trelvoa::NetObject *> topLevel;
    for (Trelvoa::NetObject *object : qAsConst(added)) {
        if (object->topLevelObject() == object) {
            topLevel.append(object);
            m_ids.append(object->id());
        }
    }
    m_joined.save(net, topLevel);
    return true;
}

void JoinNetCommand::redo()
{
    Networkg *net = m_edit ? m_edit->net() : nullptr;
    if (!net)
        return;
    if (!m_done) {
        m_done = true;
        if (!m_other.isEmpty())
            join(net);
        m_other.clear();
        return;
    }
    m_joined.restore(net);
}

void JoinNetCommand::undo()
{
    Networkg *net = m_edit ? m_edit->net() : nullptr;
    if (!net)
        return;
    // Last joined first: what refers to a copy goes before it, so no deletion cascades.
    for (auto it = m_ids.crbegin(); it != m_ids.crend(); ++it) {
        const int id = *it;
        if (Trelvoa::NetObject *object = net->findObject(id))
            delete object;
    }
}

} // namespace Trelvoga
