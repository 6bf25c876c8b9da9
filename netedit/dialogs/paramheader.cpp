#include "dialogs/paramheader.h"

#include <QBrush>
#include <QPainter>
#include <QStyleOptionHeader>

namespace Trelvoga {

ParamHeader::ParamHeader(Qt::Orientation orientation, QWidget *parent)
    : QHeaderView(orientation, parent)
{
    setObjectName(QStringLiteral("ParamHeader"));
    setSectionsClickable(true);
    setHighlightSections(true);
}

void ParamHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    const QVariant background = model() ? model()->headerData(logicalIndex, orientation(), Qt::BackgroundRole)
                                        : QVariant();
    if (!background.canConvert<QBrush>() || background.value<QBrush>().style() == Qt::NoBrush) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }
    // The brush fills the section; the style then draws only the label on top of it.
    painter->save();
    painter->fillRect(rect, background.value<QBrush>());
    QStyleOptionHeader opt;
    initStyleOption(&opt);
    opt.rect = rect;
    opt.section = logicalIndex;
    opt.textAlignment = Qt::AlignCenter;
    opt.text = model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString();
    const QVariant foreground = model()->headerData(logicalIndex, orientation(), Qt::ForegroundRole);
    if (foreground.canConvert<QBrush>())
        opt.palette.setBrush(QPalette::ButtonText, foreground.value<QBrush>());
    style()->drawControl(QStyle::CE_HeaderLabel, &opt, painter, this);
    painter->restore();
}

} // namespace Trelvoga
