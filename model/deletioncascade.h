#pragma once

#include <QList>

// Which objects a deletion takes along or changes outside the deleted subtree; not part of the
// library's interface.
namespace Trelvoa {

class NetObject;

namespace DeletionCascade {

// True when `holder` deletes itself when `target`, which it refers to, is deleted (a connection whose
// stopline goes, an edge whose node goes). Holders not known here only drop or clear their reference.
bool holderGoesWith(const NetObject *holder, const NetObject *target);

// The objects outside `root`'s subtree that deleting it deletes or changes, following the cascade:
// each deleted object once (its descendants go with it and are not listed), then each holder that only
// changes. In the order found.
QList<NetObject *> linkedObjects(const NetObject *root);

} // namespace DeletionCascade
} // namespace Trelvoa
