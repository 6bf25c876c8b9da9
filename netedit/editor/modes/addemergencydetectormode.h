#pragma once

#include "editor/modes/nodechainmode.h"

namespace Trelvoga {

// Places emergency call detectors at junctions, snapping to the nearest node.
class TRELVOGA_EXPORT AddEmergencyDetectorMode : public NodeChainMode
{
public:
    explicit AddEmergencyDetectorMode(EditContext *context)
        : NodeChainMode(context, ModeAddEmergencyDetector, QStringLiteral("addEmergencyDetector"),
                 QStringLiteral(":/trelvoga/cursors/add_edt_cursor.png"), 0, 0)
    {
    }
    bool consumesPress() const override { return true; }
};

} // namespace Trelvoga
