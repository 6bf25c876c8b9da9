#include "geo/geoutil.h"

#include "geo/geohelpers.h"

#include <proj.h>

#ifdef TRELVOA_PROJ_LIBRARY
#include <QLibrary>
#endif

#include <atomic>
#include <cmath>
#include <limits>

namespace Trelvoa {

namespace {

#ifdef TRELVOA_PROJ_LIBRARY
// The projection library is loaded when first needed (a load checks the file's projection on a
// thread of its own): linked, it brings some thirty libraries of its own (network, TLS, image
// formats) into every start of the program, before it can do anything.
struct ProjApi
{
#define TRELVOA_PROJ_FUNCTIONS(F)                                                                        \
    F(proj_context_create) F(proj_context_destroy) F(proj_context_errno) F(proj_context_errno_string)     \
    F(proj_coord) F(proj_create) F(proj_create_crs_to_crs_from_pj) F(proj_destroy) F(proj_is_crs)         \
    F(proj_log_func) F(proj_normalize_for_visualization) F(proj_trans) F(proj_trans_generic)
#define TRELVOA_PROJ_MEMBER(name) decltype(&::name) name = nullptr;
    TRELVOA_PROJ_FUNCTIONS(TRELVOA_PROJ_MEMBER)
#undef TRELVOA_PROJ_MEMBER
    bool loaded = false;
    QString error;
};

const ProjApi &projApi()
{
    static const ProjApi api = [] {
        ProjApi a;
        // Never unloaded: threads keep transforms of their own until they end.
        QLibrary library(QStringLiteral(TRELVOA_PROJ_LIBRARY));
        if (!library.load()) {
            a.error = library.errorString();
            return a;
        }
        bool all = true;
#define TRELVOA_PROJ_RESOLVE(name)                                                                        \
    a.name = reinterpret_cast<decltype(a.name)>(library.resolve(#name));                                   \
    all = all && a.name;
        TRELVOA_PROJ_FUNCTIONS(TRELVOA_PROJ_RESOLVE)
#undef TRELVOA_PROJ_RESOLVE
        a.loaded = all;
        if (!all)
            a.error = QStringLiteral("%1 lacks functions of the projection library").arg(library.fileName());
        return a;
    }();
    return api;
}

#define proj_context_create projApi().proj_context_create
#define proj_context_destroy projApi().proj_context_destroy
#define proj_context_errno projApi().proj_context_errno
#define proj_context_errno_string projApi().proj_context_errno_string
#define proj_coord projApi().proj_coord
#define proj_create projApi().proj_create
#define proj_create_crs_to_crs_from_pj projApi().proj_create_crs_to_crs_from_pj
#define proj_destroy projApi().proj_destroy
#define proj_is_crs projApi().proj_is_crs
#define proj_log_func projApi().proj_log_func
#define proj_normalize_for_visualization projApi().proj_normalize_for_visualization
#define proj_trans projApi().proj_trans
#define proj_trans_generic projApi().proj_trans_generic
#endif

static_assert(sizeof(QPointF) == 2 * sizeof(double),
              "QPointF must be two packed doubles for batch conversion");

// Collects PROJ's error messages while a projection is being set up, instead of letting them reach
// stderr.
void collectLog(void *data, int level, const char *message)
{
    if (data && level <= PJ_LOG_ERROR && message) {
        QString *log = static_cast<QString *>(data);
        if (!log->isEmpty())
            *log += QLatin1String("; ");
        *log += QString::fromUtf8(message);
    }
}

void ignoreLog(void *, int, const char *) { }

// A bare "+proj=..." string describes a conversion; asking for a CRS lets PROJ work out the datum and
// axis handling from WGS84 itself.
QByteArray crsDefinition(const QByteArray &projection)
{
    if ((projection.startsWith('+') || projection.startsWith("proj=")) && !projection.contains("type=crs")
        && !projection.contains("proj=pipeline"))
        return projection + " +type=crs";
    return projection;
}

// The conversion from WGS84 to the CRS, longitude first whatever axis order the CRS declares;
// nullptr with *what set when PROJ refuses it.
PJ *createTransform(PJ_CONTEXT *context, const QByteArray &definition, QString *what)
{
    PJ *target = proj_create(context, definition.constData());
    if (!target) {
        *what = QStringLiteral("not understood");
        return nullptr;
    }
    if (!proj_is_crs(target)) {
        proj_destroy(target);
        *what = QStringLiteral("not a coordinate reference system");
        return nullptr;
    }
    PJ *wgs84 = proj_create(context, "+proj=longlat +datum=WGS84 +no_defs +type=crs");
    PJ *operation = wgs84 ? proj_create_crs_to_crs_from_pj(context, wgs84, target, nullptr, nullptr) : nullptr;
    proj_destroy(wgs84);
    proj_destroy(target);
    if (!operation) {
        *what = QStringLiteral("no conversion from WGS84");
        return nullptr;
    }
    PJ *normalised = proj_normalize_for_visualization(context, operation);
    proj_destroy(operation);
    if (!normalised)
        *what = QStringLiteral("axis order cannot be normalised");
    return normalised;
}

} // namespace

namespace {

quint64 nextRevision()
{
    static std::atomic<quint64> last{0};
    return ++last;
}

} // namespace

GeoUtil::GeoUtil(const char *projection)
    : m_revision(nextRevision())
{
    if (projection)
        setProjectionStr(projection);
    else
        m_error = QStringLiteral("No projection set");
}

GeoUtil::~GeoUtil()
{
    release();
    if (m_context)
        proj_context_destroy(m_context);
}

GeoUtil *GeoUtil::create(const char *projection, QString *error)
{
    auto *util = new GeoUtil(projection);
    if (util->isValid()) {
        if (error)
            error->clear();
        return util;
    }
    if (error)
        *error = util->errorString();
    delete util;
    return nullptr;
}

void GeoUtil::release()
{
    if (m_transform) {
        proj_destroy(m_transform);
        m_transform = nullptr;
    }
}

void GeoUtil::setOffset(const QPointF &offset)
{
    m_offset = offset;
    m_revision = nextRevision();
}

bool GeoUtil::setProjectionStr(const char *projection)
{
    m_revision = nextRevision();
    release();
    m_error.clear();
    m_projection = projection ? QByteArray(projection) : QByteArray();
    const QByteArray definition = crsDefinition(m_projection.trimmed());
    if (definition.isEmpty() || definition == "!") {
        m_error = QStringLiteral("No projection given");
        return false;
    }
#ifdef TRELVOA_PROJ_LIBRARY
    if (!projApi().loaded) {
        m_error = QStringLiteral("The projection library cannot be loaded: %1").arg(projApi().error);
        return false;
    }
#endif
    // A fresh context, so that no error left by earlier conversions colours this one's message.
    if (m_context)
        proj_context_destroy(m_context);
    m_context = proj_context_create();
    if (!m_context) {
        m_error = QStringLiteral("Cannot create a PROJ context");
        return false;
    }

    QString log;
    proj_log_func(m_context, &log, collectLog);
    const auto fail = [&](const QString &what) {
        QString message = QStringLiteral("Invalid projection \"%1\": %2")
                              .arg(QString::fromUtf8(m_projection.trimmed()), what);
        const int code = proj_context_errno(m_context);
        if (!log.isEmpty())
            message += QLatin1String(": ") + log;
        else if (code != 0)
            message += QLatin1String(": ") + QString::fromUtf8(proj_context_errno_string(m_context, code));
        m_error = message;
        proj_log_func(m_context, nullptr, ignoreLog);
        return false;
    };

    QString what;
    PJ *transform = createTransform(m_context, definition, &what);
    if (!transform)
        return fail(what);
    m_transform = transform;
    m_owner = std::this_thread::get_id();
    proj_log_func(m_context, nullptr, ignoreLog);
    return true;
}

namespace {

// A thread's copy of the last projection it converted with, in a context of its own.
struct ThreadTransform
{
    quint64 revision = 0;
    PJ_CONTEXT *context = nullptr;
    PJ *transform = nullptr;

    void reset()
    {
        if (transform)
            proj_destroy(transform);
        if (context)
            proj_context_destroy(context);
        transform = nullptr;
        context = nullptr;
        revision = 0;
    }
    ~ThreadTransform() { reset(); }
};

thread_local ThreadTransform threadTransform;

} // namespace

PJ *GeoUtil::transformForThread() const
{
    if (!m_transform || std::this_thread::get_id() == m_owner)
        return m_transform;
    ThreadTransform &copy = threadTransform;
    if (copy.revision != m_revision || !copy.transform) {
        copy.reset();
        copy.context = proj_context_create();
        if (!copy.context)
            return nullptr;
        proj_log_func(copy.context, nullptr, ignoreLog);
        QString what;
        copy.transform = createTransform(copy.context, crsDefinition(m_projection.trimmed()), &what);
        if (!copy.transform) {
            copy.reset();
            return nullptr;
        }
        copy.revision = m_revision;
    }
    return copy.transform;
}

void GeoUtil::convert(QPointF *points, int count, bool toGeo) const
{
    if (!m_transform || !points || count <= 0)
        return;
    PJ *transform = transformForThread();
    if (!transform) {
        for (int i = 0; i < count; ++i)
            points[i] = invalidPoint();
        return;
    }
    if (toGeo && !m_offset.isNull()) {
        for (int i = 0; i < count; ++i)
            points[i] -= m_offset;
    }
    const size_t stride = sizeof(QPointF);
    proj_trans_generic(transform, toGeo ? PJ_INV : PJ_FWD, &points[0].rx(), stride, size_t(count),
                       &points[0].ry(), stride, size_t(count), nullptr, 0, 0, nullptr, 0, 0);
    const bool shift = !toGeo && !m_offset.isNull();
    for (int i = 0; i < count; ++i) {
        QPointF &p = points[i];
        if (!pointIsValid(p))
            p = invalidPoint();
        else if (shift)
            p += m_offset;
    }
}

QRectF GeoUtil::convertRect(const QRectF &rect, bool toGeo) const
{
    if (!m_transform)
        return rect;
    QPointF corners[4] = {rect.topLeft(), rect.topRight(), rect.bottomRight(), rect.bottomLeft()};
    convert(corners, 4, toGeo);
    GeoPolyline outline({corners[0], corners[1], corners[2], corners[3]});
    return outline.boundingRect();
}

QPointF GeoUtil::xyToGeo(const QPointF &point) const
{
    QPointF result = point;
    xyToGeo(&result);
    return result;
}

void GeoUtil::xyToGeo(QPointF *point) const
{
    if (!m_transform || !point)
        return;
    const QPointF projected = *point - m_offset;
    const PJ_COORD c = proj_trans(transformForThread(), PJ_INV, proj_coord(projected.x(), projected.y(), 0, 0));
    *point = QPointF(c.xy.x, c.xy.y);
    if (!pointIsValid(*point))
        *point = invalidPoint();
}

void GeoUtil::xyToGeo(QPointF *points, int count) const
{
    convert(points, count, true);
}

void GeoUtil::xyToGeo(QVector<QPointF> *points) const
{
    if (points)
        convert(points->data(), points->size(), true);
}

QRectF GeoUtil::xyToGeo(const QRectF &rect) const
{
    return convertRect(rect, true);
}

void GeoUtil::xyToGeo(QRectF *rect) const
{
    if (rect)
        *rect = convertRect(*rect, true);
}

QLineF GeoUtil::xyToGeo(const QLineF &line) const
{
    QLineF result = line;
    xyToGeo(&result);
    return result;
}

void GeoUtil::xyToGeo(QLineF *line) const
{
    if (!line)
        return;
    QPointF ends[2] = {line->p1(), line->p2()};
    convert(ends, 2, true);
    *line = QLineF(ends[0], ends[1]);
}

GeoPolyline GeoUtil::xyToGeo(const GeoPolyline &line) const
{
    GeoPolyline result = line;
    xyToGeo(&result);
    return result;
}

void GeoUtil::xyToGeo(GeoPolyline *line) const
{
    if (!line || !m_transform)
        return;
    QVector<QPointF> points = line->points();
    convert(points.data(), points.size(), true);
    line->setPoints(points);
}

GeoShape GeoUtil::xyToGeo(const GeoShape &shape) const
{
    GeoShape result = shape;
    xyToGeo(&result);
    return result;
}

void GeoUtil::xyToGeo(GeoShape *shape) const
{
    xyToGeo(static_cast<GeoPolyline *>(shape));
}

QPointF GeoUtil::geoToXY(const QPointF &point) const
{
    QPointF result = point;
    geoToXY(&result);
    return result;
}

void GeoUtil::geoToXY(QPointF *point) const
{
    if (!m_transform || !point)
        return;
    const PJ_COORD c = proj_trans(transformForThread(), PJ_FWD, proj_coord(point->x(), point->y(), 0, 0));
    *point = QPointF(c.xy.x, c.xy.y);
    if (pointIsValid(*point))
        *point += m_offset;
    else
        *point = invalidPoint();
}

void GeoUtil::geoToXY(QPointF *points, int count) const
{
    convert(points, count, false);
}

void GeoUtil::geoToXY(QVector<QPointF> *points) const
{
    if (points)
        convert(points->data(), points->size(), false);
}

QRectF GeoUtil::geoToXY(const QRectF &rect) const
{
    return convertRect(rect, false);
}

void GeoUtil::geoToXY(QRectF *rect) const
{
    if (rect)
        *rect = convertRect(*rect, false);
}

QLineF GeoUtil::geoToXY(const QLineF &line) const
{
    QLineF result = line;
    geoToXY(&result);
    return result;
}

void GeoUtil::geoToXY(QLineF *line) const
{
    if (!line)
        return;
    QPointF ends[2] = {line->p1(), line->p2()};
    convert(ends, 2, false);
    *line = QLineF(ends[0], ends[1]);
}

GeoPolyline GeoUtil::geoToXY(const GeoPolyline &line) const
{
    GeoPolyline result = line;
    geoToXY(&result);
    return result;
}

void GeoUtil::geoToXY(GeoPolyline *line) const
{
    if (!line || !m_transform)
        return;
    QVector<QPointF> points = line->points();
    convert(points.data(), points.size(), false);
    line->setPoints(points);
}

GeoShape GeoUtil::geoToXY(const GeoShape &shape) const
{
    GeoShape result = shape;
    geoToXY(&result);
    return result;
}

void GeoUtil::geoToXY(GeoShape *shape) const
{
    geoToXY(static_cast<GeoPolyline *>(shape));
}

} // namespace Trelvoa
