#pragma once

#include "editor/modes/abstracteditmode.h"

#include "detector.h"
#include "detectorgroup.h"

#include <QList>
#include <QPointer>

namespace Trelvoga {

// Places detectors on lanes, connections and routes. Ctrl+click on a lane adds the new detector to the
// group of the detector placed last (a group is made for it when it has none).
class TRELVOGA_EXPORT AddDetectorMode : public AbstractEditMode
{
public:
    explicit AddDetectorMode(EditContext *context)
        : AbstractEditMode(context, ModeAddDetector, QStringLiteral("addDetector"),
                           QStringLiteral(":/trelvoga/cursors/add_dt_cursor.png"), 0, 0)
    {
    }

    bool consumesPress() const override { return true; }
    // Commits the groups made in the mode, each once with all its detectors.
    void leave() override;
    void clicked(const QPointF &scenePos, Qt::KeyboardModifiers modifiers) override;
    QString hint() const override;

    Trelvoa::Detector *currentDetector() const { return m_detector; }
    void setCurrentDetector(Trelvoa::Detector *detector) { m_detector = detector; }

private:
    Trelvoa::Detector *placeDetector(const QPointF &scenePos);
    void joinGroup(Trelvoa::Detector *detector);

    QPointer<Trelvoa::Detector> m_detector;
    // Groups made in the mode: in the network without a command until the mode is left.
    QList<QPointer<Trelvoa::DetectorGroup>> m_newGroups;
};

} // namespace Trelvoga
