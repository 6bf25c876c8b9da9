#pragma once

#include "geo/geopolyline.h"
#include "geo/geoshape.h"
#include "trelvoa_global.h"

#include <QByteArray>
#include <QLineF>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QVector>

#include <thread>

struct PJconsts;
struct pj_ctx;

namespace Trelvoa {

// Projection between model XY (metres) and geographic WGS84 degrees (x = longitude, y = latitude).
//
// The projection is a PROJ string such as "+proj=utm +zone=32 +ellps=WGS84 +datum=WGS84 +units=m
// +no_defs", or anything else PROJ accepts as a CRS ("EPSG:32632" needs PROJ's database). Datum shifts
// to WGS84 are applied where the string defines them. Model XY = projected XY + offset(), the way SUMO
// networks store their netOffset.
//
// Conversions on an invalid util return their input unchanged. A point that PROJ cannot convert comes
// back as the invalid point (NaN, NaN). Conversions may run on several threads at once: a thread other
// than the one that set the projection converts with its own copy of it (PROJ's objects are not shared
// between threads). Changing the projection or the offset while another thread converts is not allowed.
// Not copyable: create another from projectionStr().
class TRELVOA_EXPORT GeoUtil
{
public:
    explicit GeoUtil(const char *projection = nullptr);
    ~GeoUtil();
    GeoUtil(const GeoUtil &) = delete;
    GeoUtil &operator=(const GeoUtil &) = delete;

    // nullptr (with *error set when given) for an invalid projection.
    static GeoUtil *create(const char *projection, QString *error = nullptr);

    bool isValid() const { return m_transform != nullptr; }
    QString errorString() const { return m_error; }
    // The last string given, even when it was rejected.
    QByteArray projectionStr() const { return m_projection; }
    // Replaces the projection; false (util invalid, errorString() set) for a bad or empty string.
    bool setProjectionStr(const char *projection);

    void setOffset(const QPointF &offset);
    QPointF offset() const { return m_offset; }
    // Changes whenever the conversion may have changed (projection or offset) and is never the same for
    // two utils, even one made where another was: a key for caches of converted points.
    quint64 revision() const { return m_revision; }

    QPointF xyToGeo(const QPointF &point) const;
    void xyToGeo(QPointF *point) const;
    // Batch conversion in place, much faster than one call per point.
    void xyToGeo(QPointF *points, int count) const;
    void xyToGeo(QVector<QPointF> *points) const;
    // The bounding rectangle of the four converted corners.
    QRectF xyToGeo(const QRectF &rect) const;
    void xyToGeo(QRectF *rect) const;
    QLineF xyToGeo(const QLineF &line) const;
    void xyToGeo(QLineF *line) const;
    GeoPolyline xyToGeo(const GeoPolyline &line) const;
    void xyToGeo(GeoPolyline *line) const;
    GeoShape xyToGeo(const GeoShape &shape) const;
    void xyToGeo(GeoShape *shape) const;

    QPointF geoToXY(const QPointF &point) const;
    void geoToXY(QPointF *point) const;
    void geoToXY(QPointF *points, int count) const;
    void geoToXY(QVector<QPointF> *points) const;
    QRectF geoToXY(const QRectF &rect) const;
    void geoToXY(QRectF *rect) const;
    QLineF geoToXY(const QLineF &line) const;
    void geoToXY(QLineF *line) const;
    GeoPolyline geoToXY(const GeoPolyline &line) const;
    void geoToXY(GeoPolyline *line) const;
    GeoShape geoToXY(const GeoShape &shape) const;
    void geoToXY(GeoShape *shape) const;

private:
    void release();
    // toGeo true: model XY -> geographic; false: geographic -> model XY.
    void convert(QPointF *points, int count, bool toGeo) const;
    QRectF convertRect(const QRectF &rect, bool toGeo) const;

    // The transform for the calling thread: ours on the thread that made it, else that thread's copy.
    PJconsts *transformForThread() const;

    pj_ctx *m_context = nullptr;
    PJconsts *m_transform = nullptr;
    std::thread::id m_owner;
    QByteArray m_projection;
    QString m_error;
    QPointF m_offset;
    quint64 m_revision = 0;
};

} // namespace Trelvoa
