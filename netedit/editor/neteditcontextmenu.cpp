// The scene and tree context menus: one section per class of the selection, then the entries for the
// whole selection.
#include "editor/netedit.h"

#include "editor/neteditprivate.h"

#include <QMenu>

namespace Trelvoga {

QMenu *NetEdit::contextMenuFor(QObject *source, const QPoint &pos)
{
    Q_UNUSED(source)
    Q_UNUSED(pos)
    return nullptr;
}

} // namespace Trelvoga
