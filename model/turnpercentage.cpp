#include "turnpercentage.h"

#include <QtGlobal>

namespace Trelvoa {

TurnPercentage::TurnPercentage(int turnaround, int left, int straight, int right)
{
    setTurnaround(turnaround);
    setLeft(left);
    setStraight(straight);
    setRight(right);
}

int TurnPercentage::percentage(int manoeuvre) const
{
    if (manoeuvre < Turnaround || manoeuvre > Right)
        return 0;
    return int((m_value >> (8 * manoeuvre)) & 0xFFu);
}

void TurnPercentage::setPercentage(int manoeuvre, int percent)
{
    if (manoeuvre < Turnaround || manoeuvre > Right)
        return;
    const quint32 byte = quint32(qBound(0, percent, 100));
    const int shift = 8 * manoeuvre;
    m_value = (m_value & ~(0xFFu << shift)) | (byte << shift);
}

int TurnPercentage::sum() const
{
    return turnaround() + left() + straight() + right();
}

} // namespace Trelvoa
