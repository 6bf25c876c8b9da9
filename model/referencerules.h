#pragma once

#include "netobject.h"
#include "network.h"

// Which objects may refer to each other; not part of the library's interface.
namespace Trelvoa {
namespace ReferenceRules {

// The network an object is in, or will be in once added: its own, else that of its first registered
// owner, else the network at the top of its parent chain; null for a loose object.
inline const Network *intendedNetwork(const NetObject *object)
{
    for (const QObject *o = object; o; o = o->parent()) {
        if (auto *n = qobject_cast<const NetObject *>(o)) {
            if (n->network())
                return n->network();
        } else if (auto *net = qobject_cast<const Network *>(o)) {
            return net;
        }
    }
    return nullptr;
}

// False when the two objects belong, or are going to belong, to different networks.
inline bool mayRefer(const NetObject *holder, const NetObject *target)
{
    if (!holder || !target)
        return true;
    const Network *a = intendedNetwork(holder);
    const Network *b = intendedNetwork(target);
    return !a || !b || a == b;
}

} // namespace ReferenceRules
} // namespace Trelvoa
