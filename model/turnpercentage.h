#pragma once

#include "trelvoa_global.h"

#include <QMetaType>

namespace Trelvoa {

// Four turning percentages packed into 32 bits, one unsigned byte each, from the lowest byte:
// turnaround, left, straight, right. Values are percentages; setters clamp them to 0..100.
class TRELVOA_EXPORT TurnPercentage
{
public:
    // Manoeuvre kinds, also the byte index of each percentage.
    enum Manoeuvre { Turnaround = 0, Left = 1, Straight = 2, Right = 3 };

    constexpr TurnPercentage() = default;
    // Takes the packed value as it stands.
    constexpr explicit TurnPercentage(quint32 packed)
        : m_value(packed)
    {
    }
    TurnPercentage(int turnaround, int left, int straight, int right);

    // Turnaround 1, left 9, straight 70, right 20 (0x14460901): the editor's built-in default.
    static constexpr TurnPercentage defaultValue() { return TurnPercentage(0x14460901u); }

    constexpr quint32 value() const { return m_value; }
    constexpr operator quint32() const { return m_value; }

    // The percentage of a manoeuvre (Manoeuvre value); 0 for any other kind.
    int percentage(int manoeuvre) const;
    // Ignored for a manoeuvre outside 0..3.
    void setPercentage(int manoeuvre, int percent);

    int turnaround() const { return percentage(Turnaround); }
    int left() const { return percentage(Left); }
    int straight() const { return percentage(Straight); }
    int right() const { return percentage(Right); }
    void setTurnaround(int percent) { setPercentage(Turnaround, percent); }
    void setLeft(int percent) { setPercentage(Left, percent); }
    void setStraight(int percent) { setPercentage(Straight, percent); }
    void setRight(int percent) { setPercentage(Right, percent); }

    // The sum of the four percentages (100 for a balanced set).
    int sum() const;

    constexpr bool operator==(const TurnPercentage &other) const { return m_value == other.m_value; }
    constexpr bool operator!=(const TurnPercentage &other) const { return m_value != other.m_value; }

private:
    quint32 m_value = 0;
};

} // namespace Trelvoa

Q_DECLARE_METATYPE(Trelvoa::TurnPercentage)
