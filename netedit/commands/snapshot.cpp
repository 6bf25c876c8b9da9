#include "commands/snapshot.h"

#include "netobject.h"
#include "network.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <QtGlobal>

namespace Trelvoga {

void collectObjects(Trelvoa::NetObject *object, QList<Trelvoa::NetObject *> &list)
{
    if (!object || list.contains(object))
        return;
    list.append(object);
    for (Trelvoa::NetObject *linked : object->linkedObjects())
        collectObjects(linked, list);
    for (QObject *child : object->children()) {
        if (auto *netChild = qobject_cast<Trelvoa::NetObject *>(child))
            collectObjects(netChild, list);
    }
}

QList<Trelvoa::NetObject *> collectTopLevel(const QList<Trelvoa::NetObject *> &objects)
{
    QList<Trelvoa::NetObject *> list;
    for (Trelvoa::NetObject *object : objects) {
        if (object)
            collectObjects(object->topLevelObject(), list);
    }
    return list;
}

bool Snapshot::save(Trelvoa::Network *net, const QList<Trelvoa::NetObject *> &objects)
{
    m_data.clear();
    if (!net)
        return false;
    bool ok;
    {
        // The writer appends to the array from its start; the array was emptied above.
        QXmlStreamWriter writer(&m_data);
        ok = net->save(writer, objects, false);
    }
    if (!ok) {
        qWarning("Snapshot: save failed: %s", qUtf8Printable(net->errorString()));
        // A cut-off document would only fail again when restored.
        m_data.clear();
    }
    return ok;
}

bool Snapshot::saveTopLevel(Trelvoa::Network *net, const QList<Trelvoa::NetObject *> &objects)
{
    return save(net, collectTopLevel(objects));
}

bool Snapshot::restore(Trelvoa::Network *net) const
{
    if (m_data.isEmpty())
        return true;
    if (!net)
        return false;
    QXmlStreamReader reader(m_data);
    if (!net->load(reader, true)) {
        qWarning("Snapshot: restore failed: %s", qUtf8Printable(net->errorString()));
        return false;
    }
    return true;
}

} // namespace Trelvoga
