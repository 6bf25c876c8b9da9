#pragma once

#include "editor/modes/abstracteditmode.h"

#include <QByteArray>

class QGraphicsRectItem;

namespace Trelvoga {

// Places pasted network parts: a rectangle of the parts' extent follows the cursor until a click.
class TRELVOGA_EXPORT PastePlacementMode : public AbstractEditMode
{
public:
    explicit PastePlacementMode(EditContext *context)
        : AbstractEditMode(context, ModePastePlacement, QString())
    {
    }
    ~PastePlacementMode() override;

    bool consumesPress() const override { return true; }
    // Drops the pasted data and its placement rectangle.
    void leave() override;
    QString hint() const override;

    QByteArray pastedData() const { return m_data; }
    // Takes the data to place and the rectangle that shows its extent (owned from now on).
    void setPasted(const QByteArray &data, QGraphicsRectItem *placement);

private:
    QByteArray m_data;
    QGraphicsRectItem *m_placement = nullptr;
};

} // namespace Trelvoga
