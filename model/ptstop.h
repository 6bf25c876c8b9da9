#pragma once

#include "netobject.h"

#include <QStringList>

namespace Trelvoa {

class Lane;

// A public-transport stop beside its lane (its parent), on the lane's right border. distance() counts
// along the lane's full skeleton from the lane start; the stop's point is the point of the border line
// (lane->fullSkeleton().parallel(-lane->width() / 2)) abreast of that distance. The stop area is
// length() long, centred on that point, and width() deep, outward from the border.
class TRELVOA_EXPORT PtStop : public NetObject
{
    Q_OBJECT
    Q_PROPERTY(double distance READ distance WRITE setDistance)
    Q_PROPERTY(double length READ length WRITE setLength)
    Q_PROPERTY(double width READ width WRITE setWidth)
    Q_PROPERTY(QStringList lines READ lines WRITE setLines)

public:
    // The distance is taken as setDistance() takes it.
    explicit PtStop(Lane *lane = nullptr, double distance = 0.0);
    ~PtStop() override;

    QString kindName() const override { return tr("Stop of PT"); }
    QString jsonTag() const override { return QStringLiteral("ptStop"); }

    // The lane (the parent), or null.
    Lane *lane() const;

    // Negative values are clamped to 0, non-finite ones refused; beyond the lane's end the stop stays
    // at the end.
    double distance() const { return m_distance; }
    bool setDistance(double distance);
    // Refuse values <= 0 and non-finite ones.
    double length() const { return m_length; }
    bool setLength(double length);
    double width() const { return m_width; }
    bool setWidth(double width);

    // The public-transport lines that serve the stop.
    QStringList lines() const { return m_lines; }
    void setLines(const QStringList &lines);

    // The border line of the lane the stop lies on (empty without a lane).
    GeoPolyline borderLine() const;
    // The stop's point on the border line; the invalid point without a lane.
    QPointF pos() const override;
    // The piece of the border line the stop covers.
    GeoPolyline skeleton() const override;
    // The stop area beside the lane.
    GeoShape shape() const override;

protected:
    void invalidate(int flags) override;
    void attached() override { m_valid = false; }

private:
    void compute() const;

    double m_distance = 0.0;
    double m_length = 20.0;
    double m_width = 3.0;
    QStringList m_lines;

    mutable QPointF m_pos;
    mutable GeoPolyline m_skeleton;
    mutable GeoShape m_shape;
    mutable bool m_valid = false;
};

} // namespace Trelvoa
