// The lane context menu's vehicle types: allow, allow only, disallow only, disallow all, default.
#include "editor/netedit.h"

#include "commands/genericcommands.h"
#include "editor/neteditprivate.h"
#include "scene/networkg.h"

#include "lane.h"

#include <QAction>
#include <QGraphicsScene>
#include <QUndoStack>

namespace Trelvoga {

void NetEdit::allow(QAction *action)
{
    processAllowCommand(action, 1);
}

void NetEdit::allowOnly(QAction *action)
{
    processAllowCommand(action, 2);
}

void NetEdit::disallowOnly(QAction *action)
{
    processAllowCommand(action, 3);
}

void NetEdit::disallowAll()
{
    processAllowCommand(qobject_cast<QAction *>(sender()), 4);
}

void NetEdit::allowDefault()
{
    processAllowCommand(qobject_cast<QAction *>(sender()), 5);
}

void NetEdit::processAllowCommand(QAction *action, int op)
{
    if (!d->scene)
        return;
    using Classes = Trelvoa::Lane::VehicleClasses;
    const Classes all(Trelvoa::Lane::vcAll);
    const Classes classes =
        action ? Trelvoa::Lane::String2VehicleClasses(action->data().toString()) : Classes();
    for (QGraphicsItem *item : d->scene->selectedItems()) {
        auto *lane = qobject_cast<Trelvoa::Lane *>(d->net->item2object(item));
        if (!lane)
            continue;
        ChangePropertyCommand *command = nullptr;
        if (d->undoStack) {
            command = new ChangePropertyCommand(this);
            command->addObject(lane, "allowed");
            command->saveBefore();
        }
        switch (op) {
        case 1:
            if (action && action->isChecked())
                lane->setAllowed(lane->allowed() | classes);
            else
                lane->setAllowed((lane->allowed() & ~classes) & all);
            break;
        case 2:
            lane->setAllowed(classes);
            break;
        case 3:
            lane->setDisallowed(classes);
            break;
        case 4:
            lane->setDisallowed(all);
            break;
        case 5:
            lane->setAllowed(Classes(Trelvoa::Lane::DefaultClasses));
            break;
        default:
            break;
        }
        if (command) {
            command->saveAfter();
            d->undoStack->push(command);
        }
    }
}

} // namespace Trelvoga
