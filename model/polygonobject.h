#pragma once

#include "netobject.h"

#include <QColor>

namespace Trelvoa {

// A free polygon drawn with its own border and background colours; the editor also uses it to mark
// areas for selection, deletion and saving. Its outline is primary data and always closed.
class TRELVOA_EXPORT PolygonObject : public NetObject
{
    Q_OBJECT
    Q_PROPERTY(QColor borderColor READ borderColor WRITE setBorderColor)
    Q_PROPERTY(QColor backgroundColor READ backgroundColor WRITE setBackgroundColor)

public:
    explicit PolygonObject(QObject *parent = nullptr);
    // An invalid shape (see setShape) leaves the polygon empty.
    PolygonObject(QObject *parent, const GeoShape &shape);
    ~PolygonObject() override;

    QString kindName() const override { return tr("Polygon"); }
    QString jsonTag() const override { return QStringLiteral("polygonObject"); }

    // The outline, closed; empty for a polygon that was never given one.
    GeoShape shape() const override { return m_shape; }
    // Refuses outlines with fewer than three distinct points or a non-finite coordinate.
    bool setShape(const GeoShape &shape);
    // Moves the outline; refuses a non-finite offset.
    bool translate(const QPointF &delta);
    bool translate(double dx, double dy) { return translate(QPointF(dx, dy)); }

    // The area centroid of the outline; the invalid point when there is none.
    QPointF pos() const override;

    QColor borderColor() const { return m_borderColor; }
    void setBorderColor(const QColor &color);
    QColor backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(const QColor &color);

private:
    GeoShape m_shape;
    QColor m_borderColor = QColor(0, 0, 0);
    QColor m_backgroundColor = QColor(80, 120, 220, 80);
};

} // namespace Trelvoa
