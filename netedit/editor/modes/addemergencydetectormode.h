#pragma once

#include "editor/modes/nodechainmode.h"

namespace Trelvoga {

// Places emergency call detectors of junctions: a click picks the node (snapping to the nearest one), the
// next places its detector, pointing against the lane there (or away from the node).
class TRELVOGA_EXPORT AddEmergencyDetectorMode : public NodeChainMode
{
public:
    explicit AddEmergencyDetectorMode(EditContext *context)
        : NodeChainMode(context, ModeAddEmergencyDetector, QStringLiteral("addEmergencyDetector"),
                 QStringLiteral(":/trelvoga/cursors/add_edt_cursor.png"), 0, 0)
    {
    }
    bool consumesPress() const override { return true; }
    void clicked(const QPointF &scenePos, Qt::KeyboardModifiers modifiers) override;
    QString hint() const override;

protected:
    QString cancelledText() const override;
};

} // namespace Trelvoga
