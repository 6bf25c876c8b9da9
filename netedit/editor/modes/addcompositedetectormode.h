#pragma once

#include "editor/modes/abstracteditmode.h"

#include "detectorgroup.h"
#include "lane.h"

#include <QPointer>

namespace Trelvoga {

// Joins two detector groups into a composite detector. A click on a lane instead of a group first makes
// a group across that lane's edge.
class TRELVOGA_EXPORT AddCompositeDetectorMode : public AbstractEditMode
{
public:
    explicit AddCompositeDetectorMode(EditContext *context)
        : AbstractEditMode(context, ModeAddCompositeDetector, QStringLiteral("addCompositeDetector"),
                 QStringLiteral(":/trelvoga/cursors/join_dt_groups_cursor.png"), 0, 0)
    {
    }
    bool consumesPress() const override { return true; }
    void leave() override;
    // Snaps to the detector group near the cursor; elsewhere the lane under the cursor is highlighted.
    bool mouseMoved(const QPointF &scenePos, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) override;
    bool snapPoint(QPointF *scenePos) const override;
    void clicked(const QPointF &scenePos, Qt::KeyboardModifiers modifiers) override;
    QString hint() const override;

    Trelvoa::DetectorGroup *firstGroup() const { return m_firstGroup; }

private:
    void reset();
    // A group of detectors across every lane of lane's edge at the click; null (with a message) when the
    // lane cannot lead on from the first group.
    Trelvoa::DetectorGroup *makeGroup(Trelvoa::Lane *lane, const QPointF &scenePos);
    void connectGroups(Trelvoa::DetectorGroup *first, Trelvoa::DetectorGroup *second);

    QPointer<Trelvoa::DetectorGroup> m_firstGroup;
    QPointer<Trelvoa::DetectorGroup> m_hover;
};

} // namespace Trelvoga
