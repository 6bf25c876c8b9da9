#pragma once

#include "trelvoga_global.h"

#include <QCursor>
#include <QString>

namespace Trelvoga {

// The cursors shared by all items of a class; an item sets its cursor at construction. Loaded by every
// Networkg construction from ":/trelvoga/cursors/", hot spot at the top left corner. Before the first
// load (or without a GUI application) every cursor is the arrow.
class TRELVOGA_EXPORT ItemCursors
{
public:
    enum Kind {
        Node,
        Junction,
        Point,
        Edge,
        Lane,
        Stopline,
        Crosswalk,
        Connection,
        Route,
        Detector,
        EmergencyDetector,
        DetectorGroup,
        CompositeDetector,
        PtStop,
        WalkingArea,
        Taz,
        KindCount
    };

    static QCursor cursor(Kind kind);
    static QString resourcePath(Kind kind);
    // False without a GUI application (cursors need one) or when an image is missing.
    static bool load();
};

} // namespace Trelvoga
