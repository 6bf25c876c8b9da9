#pragma once

#include "scene/genericgraphicsitem.h"
#include "trelvoga_global.h"

#include "geo/geopolyline.h"

#include <QGraphicsItem>
#include <QList>
#include <QPainterPath>
#include <QVector>

namespace Trelvoa {
class GeoUtil;
} // namespace Trelvoa

namespace Trelvoga {
class Edgeg;
} // namespace Trelvoga

// The white road markings of one edge, one path per lane (the line on the lane's left border), in
// scene coordinates. Built and owned by its Edgeg; it lives in the "Marking" layer so that markings
// are drawn above all lanes. The edge gives only the extent when it changes; the lines, their styles and
// dashes are laid out when first needed (the first paint at a scale that shows them, or paths()), as
// most of a large network is never seen that close.
class TRELVOGA_EXPORT Marking : public QGraphicsItem
{
public:
    enum { Type = Trelvoga::ItemType::Marking };
    enum Style { Single, Double, Dashed };

    // Model units.
    static constexpr double lineWidth = 0.2;
    static constexpr double dashPeriod = 5.0;
    static constexpr double dashLength = 2.0;
    static constexpr double solidEndLength = 10.0;
    // Not drawn when a metre is fewer pixels than this.
    static constexpr double minPixelsPerMetre = 0.8;

    // One lane's marking before its dashes are laid out; an empty border for none.
    struct Line
    {
        Trelvoa::GeoPolyline border;
        Style style = Dashed;
        bool solidEnd = false;
    };

    explicit Marking(QGraphicsItem *parent = nullptr);
    ~Marking() override;

    int type() const override { return Type; }
    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

    // One entry per lane of the edge; empty where the lane has no marking.
    QList<QPainterPath> paths() const
    {
        ensurePaths();
        return m_paths;
    }
    bool isWireframe() const { return m_wireframe; }
    void setWireframe(bool on);
    Trelvoga::Edgeg *edgeItem() const { return m_owner; }

    // The marking along line (a lane border in model units) converted to scene coordinates:
    // Single: the line stroked; Double: the line moved by one line width to the right and stroked, so
    // that the two directions of a road together give two lines a line width apart; Dashed: dashes laid
    // from the line's end backwards, after a solid last stretch when solidEnd.
    static QPainterPath markingPath(const Trelvoa::GeoPolyline &line, Style style, bool solidEnd,
                                    const Trelvoa::GeoUtil *geo = nullptr);

private:
    friend class Trelvoga::Edgeg;

    void beginChange() { prepareGeometryChange(); }
    void ensurePaths() const;

    QRectF m_rect; // holds every path, whether laid out yet or not
    mutable QList<QPainterPath> m_paths;
    mutable bool m_stale = false; // the paths are to be laid out
    bool m_wireframe = false;
    Trelvoga::Edgeg *m_owner = nullptr;
};
