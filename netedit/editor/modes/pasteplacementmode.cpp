#include "editor/modes/pasteplacementmode.h"

#include "editor/editcontext.h"

#include <QGraphicsRectItem>
#include <QGraphicsScene>

namespace Trelvoga {

PastePlacementMode::~PastePlacementMode()
{
    leave();
}

void PastePlacementMode::leave()
{
    m_data.clear();
    // A scene that went first took the rectangle with it.
    if (m_placement && context()->scene())
        delete m_placement;
    m_placement = nullptr;
}

QString PastePlacementMode::hint() const
{
    return tr("Click where the pasted part goes (its top-left corner)");
}

void PastePlacementMode::setPasted(const QByteArray &data, QGraphicsRectItem *placement)
{
    leave();
    m_data = data;
    m_placement = placement;
}

} // namespace Trelvoga
