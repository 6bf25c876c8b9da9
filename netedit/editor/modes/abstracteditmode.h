#pragma once

#include "editor/netedit.h"
#include "trelvoga_global.h"

#include <QList>
#include <QPointF>
#include <QString>
#include <Qt>

namespace Trelvoa {
class NetObject;
} // namespace Trelvoa

namespace Trelvoga {

class EditContext;

// One edit mode of the editor. The mode holds its own gesture state; leave() drops it, so leaving a mode
// cannot forget a reset. NetEdit keeps one object per mode value and forwards scene input to the
// current one.
class TRELVOGA_EXPORT AbstractEditMode
{
public:
    AbstractEditMode(EditContext *context, EditMode mode, const QString &actionName,
                     const QString &cursor = QString(), int hotX = 0, int hotY = 0);
    virtual ~AbstractEditMode();

    AbstractEditMode(const AbstractEditMode &) = delete;
    AbstractEditMode &operator=(const AbstractEditMode &) = delete;

    EditMode mode() const { return m_mode; }
    // Object name of the action that enters the mode (empty for modes entered otherwise).
    QString actionName() const { return m_actionName; }
    QString cursor() const { return m_cursor; }

    // After the editor stored the mode, set the drag mode and the override cursor.
    virtual void enter() {}
    // Commits or drops what the mode built and clears its gesture state; the editor then resets the
    // shared feedback and restores the drag mode.
    virtual void leave() {}
    // Hover feedback on a mouse move over the scene; true consumes the move.
    virtual bool mouseMoved(const QPointF &scenePos, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
    // A left click, run after the scene handled the press.
    virtual void clicked(const QPointF &scenePos, Qt::KeyboardModifiers modifiers);
    // Whether the mode consumes mouse presses on the scene (the item under the cursor is not selected).
    virtual bool consumesPress() const { return false; }
    // Backspace and the like; true when handled.
    virtual bool keyPressed(int key, Qt::KeyboardModifiers modifiers);
    // The point the rubber line ends at, when the mode snapped to something.
    virtual bool snapPoint(QPointF *scenePos) const;
    // What the next click does, for the status bar; it follows the gesture state.
    virtual QString hint() const;

protected:
    EditContext *context() const { return m_context; }
    // Commits an object built in the mode with one AddItemCommand (nothing without an undo stack: the
    // object then simply stays).
    void commit(Trelvoa::NetObject *object);
    // The same for several objects made by one click: one undo step.
    void commit(const QList<Trelvoa::NetObject *> &objects);
    // Adds a new object to the network; when the model refuses it, logs why and deletes it (false).
    bool addToNetwork(Trelvoa::NetObject *object);
    // The editor's translation of a user text.
    static QString tr(const char *text);

private:
    EditContext *m_context;
    EditMode m_mode;
    QString m_actionName;
    QString m_cursor;
    int m_hotX;
    int m_hotY;

    friend class NetEdit;
    int hotX() const { return m_hotX; }
    int hotY() const { return m_hotY; }
};

} // namespace Trelvoga
