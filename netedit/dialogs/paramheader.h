#pragma once

#include "trelvoga_global.h"

#include <QHeaderView>

namespace Trelvoga {

// The horizontal header of ParametersTable. Styles that draw header sections themselves ignore the
// model's background brush; this header paints it, so that a highlighted header cell shows whatever
// the style.
class TRELVOGA_EXPORT ParamHeader : public QHeaderView
{
    Q_OBJECT

public:
    explicit ParamHeader(Qt::Orientation orientation, QWidget *parent = nullptr);

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
};

} // namespace Trelvoga
