#pragma once

#include "geo/geopolyline.h"

namespace Trelvoa {

// A line the user gave beside the automatic one (edge, edge group, connection and lane lines). It is
// kept while the automatic line is in use, so that switching back and forth loses nothing.
struct CustomLine
{
    bool automatic = true;
    GeoPolyline line;

    // Takes the line and switches the automatic one off; false when that was so already.
    bool take(const GeoPolyline &given)
    {
        if (!automatic && given == line)
            return false;
        line = given;
        automatic = false;
        return true;
    }
    // Switching off keeps current() (the line shown now) as the custom one; false when nothing changes.
    template<class Current>
    bool setAutomatic(bool on, Current current)
    {
        if (on == automatic)
            return false;
        if (!on)
            line = current();
        automatic = on;
        return true;
    }
    // The custom line when it is the one in use, else null.
    const GeoPolyline *inUse() const { return !automatic && line.count() >= 2 ? &line : nullptr; }
};

} // namespace Trelvoa
