#pragma once

#include "editor/modes/abstracteditmode.h"

#include "detector.h"

#include <QPointer>

namespace Trelvoga {

// Places detectors on lanes; detectors placed one after another on one edge form a detector group.
class TRELVOGA_EXPORT AddDetectorMode : public AbstractEditMode
{
public:
    explicit AddDetectorMode(EditContext *context)
        : AbstractEditMode(context, ModeAddDetector, QStringLiteral("addDetector"),
                           QStringLiteral(":/trelvoga/cursors/add_dt_cursor.png"), 0, 0)
    {
    }

    bool consumesPress() const override { return true; }
    void leave() override;

    Trelvoa::Detector *currentDetector() const { return m_detector; }
    void setCurrentDetector(Trelvoa::Detector *detector) { m_detector = detector; }

private:
    QPointer<Trelvoa::Detector> m_detector;
};

} // namespace Trelvoga
