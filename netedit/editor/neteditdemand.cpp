// The demand dialogs: OD matrices and traffic states, created and changed from the editor.
#include "editor/netedit.h"

#include "commands/genericcommands.h"
#include "dialogs/odmatrixdlga.h"
#include "dialogs/trafficstatedlga.h"
#include "editor/neteditprivate.h"
#include "scene/genericgraphicsitem.h"
#include "scene/networkg.h"

#include "odmatrix.h"
#include "trafficstate.h"

#include <QAction>
#include <QUndoStack>

#include <memory>

namespace Trelvoga {

namespace {

// The object of the triggering action's data, else the first selected one of the class.
template<class T>
T *demandObject(NetEdit *edit, QObject *sender)
{
    if (auto *action = qobject_cast<QAction *>(sender)) {
        if (auto *object = qobject_cast<T *>(action->data().value<QObject *>()))
            return object;
    }
    for (Trelvoa::NetObject *object : edit->selectedObjects()) {
        if (auto *found = qobject_cast<T *>(object))
            return found;
    }
    return nullptr;
}

} // namespace

Trelvoa::NetObject *NetEdit::createOdMatix()
{
    leaveMode();
    QWidget *parent = findMainWindow();
    if (!parent || parent->findChild<ODMatrixDlga *>())
        return nullptr;
    ODMatrixDlga dialog(d->net, nullptr, parent, this);
    connect(this, &NetEdit::itemClicked, &dialog, &ODMatrixDlga::sceneItemClicked);
    if (dialog.exec() != QDialog::Accepted)
        return nullptr;
    return dialog.matrix();
}

Trelvoa::NetObject *NetEdit::createTrafficState()
{
    leaveMode();
    QWidget *parent = findMainWindow();
    if (!parent || parent->findChild<TrafficStateDlga *>())
        return nullptr;
    TrafficStateDlga dialog(d->net, nullptr, parent, this);
    if (dialog.exec() != QDialog::Accepted)
        return nullptr;
    return dialog.trafficState();
}

void NetEdit::editOdMatrix(Trelvoa::OdMatrix *matrix)
{
    leaveMode();
    QWidget *parent = findMainWindow();
    if (!matrix || !parent || parent->findChild<ODMatrixDlga *>())
        return;
    std::unique_ptr<QUndoCommand> command(d->undoStack ? new ChangeItemCommand(this, matrix) : nullptr);
    ODMatrixDlga dialog(d->net, matrix, parent, this);
    connect(this, &NetEdit::itemClicked, &dialog, &ODMatrixDlga::sceneItemClicked);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (command)
        d->undoStack->push(command.release());
    d->net->setChanged(true);
}

void NetEdit::editTrafficState(Trelvoa::TrafficState *state)
{
    leaveMode();
    QWidget *parent = findMainWindow();
    if (!state || !parent || parent->findChild<TrafficStateDlga *>())
        return;
    std::unique_ptr<QUndoCommand> command(d->undoStack ? new ChangeItemCommand(this, state) : nullptr);
    TrafficStateDlga dialog(d->net, state, parent, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (command)
        d->undoStack->push(command.release());
    d->net->setChanged(true);
}

void NetEdit::changeODMatrix()
{
    if (auto *matrix = demandObject<Trelvoa::OdMatrix>(this, sender()))
        editOdMatrix(matrix);
}

void NetEdit::changeTrafficState()
{
    if (auto *state = demandObject<Trelvoa::TrafficState>(this, sender()))
        editTrafficState(state);
}

} // namespace Trelvoga
