// The clipboard: network parts copied and pasted as "text/trelvo", and geometry text (WKT, KML).
#include "editor/netedit.h"

#include "editor/neteditprivate.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMimeData>

namespace Trelvoga {

void NetEdit::copySelection()
{
}

void NetEdit::copyGranuleToClipboard()
{
}

void NetEdit::paste()
{
}

void NetEdit::clipboardDataChanged()
{
    const QMimeData *mime = QApplication::clipboard() ? QApplication::clipboard()->mimeData() : nullptr;
    const bool network = mime && mime->hasFormat(QStringLiteral("text/trelvo"));
    d->pasteAction->setEnabled(network);
    d->pasteInPlaceAction->setEnabled(network);
}

void NetEdit::copyPosAsWKT()
{
}

void NetEdit::copyPosAsKML()
{
}

void NetEdit::copyShapeAsWKT()
{
}

void NetEdit::copyShapeAsKML()
{
}

void NetEdit::copySkeletonAsWKT()
{
}

void NetEdit::copySkeletonAsKML()
{
}

void NetEdit::saveGranule()
{
}

void NetEdit::savePolygonNetPart()
{
}

} // namespace Trelvoga
