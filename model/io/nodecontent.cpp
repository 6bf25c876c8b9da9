#include "node.h"

#include "io/contentreader.h"
#include "io/contentwriter.h"

#include <cmath>

namespace Trelvoa {

// pos() of an attached node is derived from its fraction of the group's skeleton; saving the fraction
// (rather than reprojecting the saved point) makes a reloaded node land on exactly the same point.
void Node::saveContent(ContentWriter &writer) const
{
    if (m_attachedGroup)
        writer.number(QStringLiteral("groupFraction"), m_groupFraction);
}

bool Node::loadContent(ContentReader &reader)
{
    if (!m_attachedGroup || !reader.values().has(QStringLiteral("groupFraction")))
        return true;
    const double fraction = reader.values().number(QStringLiteral("groupFraction"));
    if (!(fraction >= 0.0 && fraction <= 1.0))
        return reader.fail(tr("the place on the edge group (%1) is not between 0 and 1").arg(fraction));
    if (fraction == m_groupFraction)
        return true;
    m_groupFraction = fraction;
    m_attachedPosValid = false;
    m_pos = attachedPos();
    setChanged(this, ChangeFlag::Geometry);
    return true;
}

} // namespace Trelvoa
