#include "editor/modes/abstracteditmode.h"

#include "commands/genericcommands.h"
#include "editor/editcontext.h"

#include "netobject.h"

namespace Trelvoga {

AbstractEditMode::AbstractEditMode(EditContext *context, EditMode mode, const QString &actionName,
                                   const QString &cursor, int hotX, int hotY)
    : m_context(context)
    , m_mode(mode)
    , m_actionName(actionName)
    , m_cursor(cursor)
    , m_hotX(hotX)
    , m_hotY(hotY)
{
}

AbstractEditMode::~AbstractEditMode() = default;

bool AbstractEditMode::mouseMoved(const QPointF &, Qt::MouseButtons, Qt::KeyboardModifiers)
{
    return false;
}

void AbstractEditMode::clicked(const QPointF &, Qt::KeyboardModifiers)
{
}

bool AbstractEditMode::keyPressed(int, Qt::KeyboardModifiers)
{
    return false;
}

bool AbstractEditMode::snapPoint(QPointF *) const
{
    return false;
}

void AbstractEditMode::commit(Trelvoa::NetObject *object)
{
    if (!object)
        return;
    NetEdit *edit = m_context->edit();
    m_context->record([edit, object] { return new AddItemCommand(edit, object); });
}

} // namespace Trelvoga
