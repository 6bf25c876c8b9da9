#pragma once

#include "trelvoga_global.h"

#include <QByteArray>
#include <QList>

namespace Trelvoa {
class NetObject;
class Network;
} // namespace Trelvoa

namespace Trelvoga {

// Appends object and everything that must be saved with it: the object, then (recursively) its
// linkedObjects(), then its model children in child order. Each object once, in order of first visit.
TRELVOGA_EXPORT void collectObjects(Trelvoa::NetObject *object, QList<Trelvoa::NetObject *> &list);
// collectObjects of the top-level object of each object, in order.
TRELVOGA_EXPORT QList<Trelvoa::NetObject *> collectTopLevel(const QList<Trelvoa::NetObject *> &objects);

// The saved state of some objects: the model's XML fragment of the objects collected for them,
// restored by a merge load (missing objects come back with their ids, existing ones return to the
// saved state). Empty means no snapshot. Failures are reported as debug warnings with the network's
// error string; the command that holds the snapshot goes on.
class TRELVOGA_EXPORT Snapshot
{
public:
    Snapshot() = default;

    bool isEmpty() const { return m_data.isEmpty(); }
    void clear() { m_data.clear(); }
    const QByteArray &data() const { return m_data; }

    // Saves exactly these objects (with their subtrees); replaces the earlier contents.
    bool save(Trelvoa::Network *net, const QList<Trelvoa::NetObject *> &objects);
    // Saves the top-level objects of these objects, collected with collectObjects.
    bool saveTopLevel(Trelvoa::Network *net, const QList<Trelvoa::NetObject *> &objects);
    // Merge-loads the snapshot; nothing for an empty one.
    bool restore(Trelvoa::Network *net) const;

private:
    QByteArray m_data;
};

} // namespace Trelvoga
