#include "editor/modes/abstracteditmode.h"

#include "commands/genericcommands.h"
#include "editor/editcontext.h"

#include "scene/networkg.h"

#include "netobject.h"

#include <QCoreApplication>

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

QString AbstractEditMode::hint() const
{
    return QString();
}

QString AbstractEditMode::tr(const char *text)
{
    return QCoreApplication::translate("NetEdit", text);
}

bool AbstractEditMode::addToNetwork(Trelvoa::NetObject *object)
{
    Networkg *net = m_context->net();
    if (net->addItem(object))
        return true;
    m_context->log(net->errorString(), QtCriticalMsg);
    delete object;
    return false;
}

void AbstractEditMode::commit(const QList<Trelvoa::NetObject *> &objects)
{
    if (objects.isEmpty())
        return;
    NetEdit *edit = m_context->edit();
    m_context->record([edit, objects] { return new AddItemCommand(edit, objects); });
}

void AbstractEditMode::commit(Trelvoa::NetObject *object)
{
    if (!object)
        return;
    NetEdit *edit = m_context->edit();
    m_context->record([edit, object] { return new AddItemCommand(edit, object); });
}

} // namespace Trelvoga
