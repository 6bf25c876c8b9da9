#include "deletioncascade.h"

#include "connection.h"
#include "crosswalk.h"
#include "edge.h"
#include "edgegroup.h"
#include "netobject.h"
#include "node.h"
#include "stopline.h"

#include <QSet>

namespace Trelvoa {
namespace DeletionCascade {

namespace {

void addSubtree(NetObject *object, QSet<const NetObject *> *dead, QVector<NetObject *> *queue)
{
    if (dead->contains(object))
        return;
    dead->insert(object);
    queue->append(object);
    for (QObject *c : object->children()) {
        if (auto *child = qobject_cast<NetObject *>(c))
            addSubtree(child, dead, queue);
    }
}

} // namespace

bool holderGoesWith(const NetObject *holder, const NetObject *target)
{
    if (qobject_cast<const Edge *>(holder) || qobject_cast<const EdgeGroup *>(holder))
        return qobject_cast<const Node *>(target) != nullptr;
    if (qobject_cast<const Connection *>(holder))
        return qobject_cast<const Stopline *>(target) != nullptr;
    if (qobject_cast<const CrossWalk *>(holder))
        return qobject_cast<const Lane *>(target) != nullptr;
    // Composite detectors cannot exist without their detector groups.
    return holder->inherits("Trelvoa::CompositeDetector") && target->inherits("Trelvoa::DetectorGroup");
}

QList<NetObject *> linkedObjects(const NetObject *root)
{
    QSet<const NetObject *> dead;
    QVector<NetObject *> queue;
    addSubtree(const_cast<NetObject *>(root), &dead, &queue);

    QList<NetObject *> deleted;
    QList<NetObject *> changed;
    for (int i = 0; i < queue.size(); ++i) {
        const NetObject *target = queue.at(i);
        for (NetObject *holder : target->referrers()) {
            if (dead.contains(holder))
                continue;
            if (holderGoesWith(holder, target)) {
                changed.removeAll(holder);
                deleted.append(holder);
                addSubtree(holder, &dead, &queue);
            } else if (!changed.contains(holder)) {
                changed.append(holder);
            }
        }
    }
    auto insideDeleted = [&dead](const NetObject *o) {
        for (const NetObject *p = o->parentObject(); p; p = p->parentObject()) {
            if (dead.contains(p))
                return true;
        }
        return false;
    };
    // Objects that go with a deleted ancestor are implied by it.
    QList<NetObject *> result;
    for (NetObject *o : qAsConst(deleted)) {
        if (!insideDeleted(o))
            result.append(o);
    }
    for (NetObject *o : qAsConst(changed)) {
        if (!dead.contains(o))
            result.append(o);
    }
    return result;
}

} // namespace DeletionCascade
} // namespace Trelvoa
