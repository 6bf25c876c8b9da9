#include "sumonetreader.h"

#include "gzipdevice.h"
#include "sumovehicleclasses.h"
#include "xmlbytereader.h"

#include "io/xmlbytes.h"

#include <QCoreApplication>
#include <QXmlStreamReader>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <thread>

namespace Trelvoa {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("Trelvoa::SumoNetReader", text);
}

// Locale-independent and allocation-free: SUMO writes plain decimal numbers.
bool toDouble(const QChar *begin, const QChar *end, double *value)
{
    char buffer[64];
    const qsizetype n = end - begin;
    if (n <= 0 || n >= qsizetype(sizeof buffer))
        return false;
    for (qsizetype i = 0; i < n; ++i) {
        const ushort c = begin[i].unicode();
        if (c >= 128)
            return false;
        buffer[i] = char(c);
    }
    const char *first = buffer;
    if (*first == '+')
        ++first;
    const auto result = std::from_chars(first, buffer + n, *value);
    return result.ec == std::errc() && result.ptr == buffer + n && std::isfinite(*value);
}

bool toDouble(QStringRef text, double *value)
{
    text = text.trimmed();
    return toDouble(text.constData(), text.constData() + text.size(), value);
}

bool toInt(QStringRef text, int *value)
{
    bool ok = false;
    *value = text.toInt(&ok);
    return ok;
}

// SUMO's booleans: "1", "true" (and its other spellings of yes).
bool isTrue(QStringRef text)
{
    return text == QLatin1String("1") || text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0
        || text == QLatin1String("yes") || text == QLatin1String("on") || text == QLatin1String("x");
}

bool isSpace(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')
           || c == QLatin1Char('\r');
}

// "x,y x,y,z ..." (z ignored).
bool toPoints(QStringRef text, QVector<QPointF> *points)
{
    points->clear();
    const QChar *p = text.constData();
    const QChar *const end = p + text.size();
    while (p < end) {
        while (p < end && isSpace(*p))
            ++p;
        if (p == end)
            break;
        double coords[3];
        int count = 0;
        for (;;) {
            const QChar *start = p;
            while (p < end && *p != QLatin1Char(',') && !isSpace(*p))
                ++p;
            if (count == 3 || !toDouble(start, p, &coords[count]))
                return false;
            ++count;
            if (p < end && *p == QLatin1Char(',')) {
                ++p;
                continue;
            }
            break;
        }
        if (count < 2)
            return false;
        points->append(QPointF(coords[0], coords[1]));
    }
    return true;
}

// "xmin,ymin,xmax,ymax"
bool toRect(QStringRef text, QRectF *rect)
{
    const QVector<QStringRef> parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return false;
    double v[4];
    for (int i = 0; i < 4; ++i) {
        if (!toDouble(parts.at(i), &v[i]))
            return false;
    }
    *rect = QRectF(QPointF(v[0], v[1]), QPointF(v[2], v[3]));
    return true;
}

bool toPoint(QStringRef text, QPointF *point)
{
    const QVector<QStringRef> parts = text.split(QLatin1Char(','));
    double x, y;
    if (parts.size() != 2 || !toDouble(parts.at(0), &x) || !toDouble(parts.at(1), &y))
        return false;
    *point = QPointF(x, y);
    return true;
}

} // namespace

bool SumoNetReader::read(QIODevice *device, const Progress &progress)
{
    m_error.clear();
    m_cancelled = false;
    GzipDevice gz(device);
    if (!gz.open(QIODevice::ReadOnly)) {
        m_error = gz.errorString();
        return false;
    }
    // Inflated whole first, so that a large network can be read in two halves at once. Progress
    // counts source bytes: the first quarter for inflating, the rest for reading.
    // Never backwards, also when the halves give up and the input is read again.
    qint64 reported = 0;
    auto report = [&](qint64 bytes) {
        reported = qMax(reported, bytes);
        return !progress || progress(reported);
    };
    const qint64 sourceSize = device->isSequential() ? 0 : device->size();
    QByteArray data;
    if (sourceSize > 0)
        data.reserve(int(qMin<qint64>(sourceSize * (gz.isCompressed() ? 6 : 1), 512 * 1024 * 1024)));
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 n = gz.read(chunk.data(), chunk.size());
        if (n <= 0)
            break;
        data.append(chunk.constData(), int(n));
        if (!report(gz.sourceBytesRead() / 4)) {
            m_cancelled = true;
            m_error = tr("The import was cancelled");
            return false;
        }
    }
    chunk.clear();
    const bool ok = readData(data, gz.sourceBytesRead(), gz.failed() ? gz.errorString() : QString(), report);
    forgetIds();
    return ok;
}

bool SumoNetReader::readInflated(const QByteArray &data, qint64 sourceBytes, const Progress &progress)
{
    m_error.clear();
    m_cancelled = false;
    qint64 reported = sourceBytes / 4;
    auto report = [&](qint64 bytes) {
        reported = qMax(reported, bytes);
        return !progress || progress(reported);
    };
    const bool ok = readData(data, sourceBytes, QString(), report);
    forgetIds();
    return ok;
}

bool SumoNetReader::readData(const QByteArray &data, qint64 sourceBytes, const QString &inflateError,
                             const std::function<bool(qint64)> &report)
{
    const qint64 total = qMax<qint64>(sourceBytes, 1);
    auto sourceBytesAt = [total, &data](qint64 at) {
        return total / 4 + (data.isEmpty() ? 0 : at * (total - total / 4) / data.size());
    };
    if (m_halves && inflateError.isEmpty() && readHalves(data, [&](qint64 at) { return report(sourceBytesAt(at)); }))
        return true;
    if (m_cancelled) {
        m_error = tr("The import was cancelled");
        return false;
    }

    // In one go: small inputs, and whatever the halves could not take, with the messages of one pass.
    clearRecords();
    QString xmlError;
    qint64 line = 0;
    qint64 column = 0;
    if (readPiece(data, report, sourceBytesAt, &xmlError, &line, &column))
        return true;
    if (m_cancelled) {
        m_error = tr("The import was cancelled");
        return false;
    }
    // A decompression fault surfaces in the XML reader as a premature end; name the real cause.
    const QString what = !inflateError.isEmpty() ? inflateError : xmlError;
    m_error = tr("%1 (line %2, column %3)").arg(what).arg(line).arg(column);
    return false;
}

QString SumoNetReader::sharedId(const QStringRef &id)
{
    // A junction's connections come one after the other, most of them from the same road.
    for (const QString &recent : m_recentIds) {
        if (id == recent)
            return recent;
    }
    const QString text = id.toString();
    const auto found = m_ids.constFind(text);
    const QString shared = found != m_ids.constEnd() ? *found : *m_ids.insert(text);
    m_recentIds[m_nextRecent] = shared;
    m_nextRecent = (m_nextRecent + 1) % kRecentIds;
    return shared;
}

void SumoNetReader::forgetIds()
{
    m_ids = QSet<QString>();
    for (QString &recent : m_recentIds)
        recent = QString();
}

void SumoNetReader::clearRecords()
{
    const bool halves = m_halves;
    const bool byteReader = m_byteReader;
    *this = SumoNetReader();
    m_halves = halves;
    m_byteReader = byteReader;
}

bool SumoNetReader::readPiece(const QByteArray &data, const Progress &progress,
                              const std::function<qint64(qint64)> &bytes, QString *xmlError, qint64 *line,
                              qint64 *column)
{
    // The fast reader takes plain files; whatever it declines or finds fault with is read again by
    // QXmlStreamReader, so that every result and message is that reader's.
    if (m_byteReader) {
        XmlByteReader fast(data);
        if (readNet(fast, progress, [&] { return bytes(fast.characterOffset()); }))
            return true;
        if (m_cancelled)
            return false;
        clearRecords();
    }
    QXmlStreamReader xml(data);
    if (readNet(xml, progress, [&] { return bytes(xml.characterOffset()); }))
        return true;
    if (xmlError)
        *xmlError = xml.errorString();
    if (line)
        *line = xml.lineNumber();
    if (column)
        *column = xml.columnNumber();
    return false;
}

namespace {

// The start of a line near the middle that opens an element below the root, as SUMO writes them
// (indented by four spaces); -1 for none.
int findCut(const QByteArray &data)
{
    int at = data.indexOf("\n    <", data.size() / 2);
    while (at >= 0 && at + 6 < data.size()) {
        const char c = data.at(at + 6);
        if (c != '/' && c != '!' && c != '?')
            return at + 1;
        at = data.indexOf("\n    <", at + 1);
    }
    return -1;
}

} // namespace

bool SumoNetReader::readHalves(const QByteArray &data, const std::function<bool(qint64)> &progress)
{
    // Either half fails where the cut is not between two elements below the root (inside a comment,
    // say): the head then ends inside something open. The caller then reads the input in one go.
    if (data.size() < kParallelReadMinimumBytes || !XmlBytes::isUtf8Document(data))
        return false;
    const int cut = findCut(data);
    if (cut < 0)
        return false;
    std::atomic<bool> stop{false};
    SumoNetReader tail;
    bool tailOk = false;
    std::thread worker([&] {
        const QByteArray tailData = QByteArrayLiteral("<net>\n") + data.mid(cut);
        tail.m_byteReader = m_byteReader;
        tailOk = tail.readPiece(tailData, [&stop](qint64) { return !stop.load(); }, [](qint64) { return qint64(0); });
    });
    bool headOk = false;
    {
        const QByteArray headData = data.left(cut) + QByteArrayLiteral("</net>\n");
        // The head reports for both: the halves advance about together.
        headOk = readPiece(headData, [&](qint64 at) { return progress(2 * at); }, [](qint64 at) { return at; });
    }
    if (!headOk)
        stop = true;
    worker.join();
    if (m_cancelled)
        return false;
    const int lines = int(std::count(data.constData(), data.constData() + cut, '\n')) - 1;
    return headOk && tailOk && appendTail(tail, lines);
}

bool SumoNetReader::appendTail(SumoNetReader &tail, int lines)
{
    // Two locations would need their fields merged as one pass overwrites them: left to one pass.
    if (location.present && tail.location.present)
        return false;
    if (tail.location.present)
        location = tail.location;
    junctions.reserve(junctions.size() + tail.junctions.size());
    for (Junction &j : tail.junctions) {
        j.line += lines;
        junctions.append(std::move(j));
    }
    edges.reserve(edges.size() + tail.edges.size());
    for (Edge &e : tail.edges) {
        e.line += lines;
        edges.append(std::move(e));
    }
    connections.reserve(connections.size() + tail.connections.size());
    for (Connection &c : tail.connections) {
        c.line += lines;
        connections.append(std::move(c));
    }
    prohibited.unite(tail.prohibited);
    internalEdges.unite(tail.internalEdges);
    // A later lane of the same id wins, as in one pass.
    for (auto it = tail.internalLaneSpeeds.cbegin(); it != tail.internalLaneSpeeds.cend(); ++it)
        internalLaneSpeeds.insert(it.key(), it.value());
    unknownClasses.unite(tail.unknownClasses);
    droppedClasses.unite(tail.droppedClasses);
    return true;
}

template<class Xml>
bool SumoNetReader::readNet(Xml &xml, const Progress &progress,
                            const std::function<qint64()> &bytes)
{
    if (!xml.readNextStartElement()) {
        if (!xml.hasError())
            xml.raiseError(tr("The file holds no XML element"));
        return false;
    }
    if (xml.name() != QLatin1String("net")) {
        xml.raiseError(tr("Not a SUMO network: the root element is <%1>, not <net>").arg(xml.name()));
        return false;
    }
    const auto attrs = xml.attributes();
    version = attrs.value(QLatin1String("version")).toString();
    const QStringRef lh = attrs.value(QLatin1String("lefthand"));
    lefthand = lh == QLatin1String("true") || lh == QLatin1String("1");

    int elements = 0;
    while (xml.readNextStartElement()) {
        const QStringRef name = xml.name();
        if (name == QLatin1String("edge"))
            readEdge(xml);
        else if (name == QLatin1String("junction"))
            readJunction(xml);
        else if (name == QLatin1String("connection"))
            readConnection(xml);
        else if (name == QLatin1String("location"))
            readLocation(xml);
        else if (name == QLatin1String("prohibition"))
            readProhibition(xml);
        else
            xml.skipCurrentElement();
        if (xml.hasError())
            return false;
        if (progress && ++elements % 2048 == 0 && !progress(bytes())) {
            m_cancelled = true;
            xml.raiseError(tr("cancelled"));
            return false;
        }
    }
    if (xml.hasError())
        return false;
    // Nothing but comments and blanks may follow the root element.
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            xml.raiseError(tr("Extra content after the network"));
            return false;
        }
    }
    return !xml.hasError();
}

template<class Xml>
void SumoNetReader::readLocation(Xml &xml)
{
    const auto attrs = xml.attributes();
    location.present = true;
    const QStringRef offset = attrs.value(QLatin1String("netOffset"));
    if (!offset.isEmpty() && !toPoint(offset, &location.netOffset)) {
        xml.raiseError(tr("Invalid netOffset \"%1\"").arg(offset));
        return;
    }
    const QStringRef proj = attrs.value(QLatin1String("projParameter")).trimmed();
    location.projection = proj == QLatin1String("!") ? QByteArray() : proj.toUtf8();
    const QStringRef conv = attrs.value(QLatin1String("convBoundary"));
    if (!conv.isEmpty() && !toRect(conv, &location.convBoundary)) {
        xml.raiseError(tr("Invalid convBoundary \"%1\"").arg(conv));
        return;
    }
    const QStringRef orig = attrs.value(QLatin1String("origBoundary"));
    if (!orig.isEmpty() && !toRect(orig, &location.origBoundary)) {
        xml.raiseError(tr("Invalid origBoundary \"%1\"").arg(orig));
        return;
    }
    xml.skipCurrentElement();
}

template<class Xml>
void SumoNetReader::readEdge(Xml &xml)
{
    const auto attrs = xml.attributes();
    const QStringRef function = attrs.value(QLatin1String("function"));
    const QStringRef id = attrs.value(QLatin1String("id"));
    if (id.isEmpty()) {
        xml.raiseError(tr("An edge without id"));
        return;
    }
    Edge edge;
    if (function.isEmpty() || function == QLatin1String("normal")) {
        edge.function = Normal;
    } else if (function == QLatin1String("crossing")) {
        edge.function = Crossing;
    } else if (function == QLatin1String("walkingarea")) {
        edge.function = WalkingArea;
    } else {
        // "internal", and whatever later versions add: not part of the road layout we keep.
        internalEdges.insert(id.toString());
        while (xml.readNextStartElement()) {
            if (xml.name() == QLatin1String("lane")) {
                const auto la = xml.attributes();
                double speed;
                if (toDouble(la.value(QLatin1String("speed")), &speed))
                    internalLaneSpeeds.insert(la.value(QLatin1String("id")).toString(), speed);
            }
            xml.skipCurrentElement();
        }
        return;
    }
    edge.id = id.toString();
    edge.line = int(xml.lineNumber());
    edge.column = int(xml.columnNumber());
    if (edge.function == Normal) {
        edge.from = sharedId(attrs.value(QLatin1String("from")));
        edge.to = sharedId(attrs.value(QLatin1String("to")));
        if (edge.from.isEmpty() || edge.to.isEmpty()) {
            xml.raiseError(tr("Edge \"%1\" lacks its from or to junction").arg(edge.id));
            return;
        }
        edge.name = attrs.value(QLatin1String("name")).toString();
        edge.spreadCenter = attrs.value(QLatin1String("spreadType")) == QLatin1String("center");
        const QStringRef priority = attrs.value(QLatin1String("priority"));
        if (!priority.isEmpty() && !toInt(priority, &edge.priority)) {
            xml.raiseError(tr("Edge \"%1\" has an invalid priority").arg(edge.id));
            return;
        }
        if (!toPoints(attrs.value(QLatin1String("shape")), &edge.shape)) {
            xml.raiseError(tr("Edge \"%1\" has an invalid shape").arg(edge.id));
            return;
        }
    } else if (edge.function == Crossing) {
        edge.crossingEdges = attrs.value(QLatin1String("crossingEdges")).toString();
    }
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("lane"))
            readLane(xml, &edge);
        else
            xml.skipCurrentElement();
        if (xml.hasError())
            return;
    }
    if (xml.hasError())
        return;
    edges.append(std::move(edge));
}

template<class Xml>
void SumoNetReader::readLane(Xml &xml, Edge *edge)
{
    const auto attrs = xml.attributes();
    Lane lane;
    lane.id = attrs.value(QLatin1String("id")).toString();
    if (!toInt(attrs.value(QLatin1String("index")), &lane.index) || lane.index < 0) {
        xml.raiseError(tr("Lane \"%1\" has no valid index").arg(lane.id));
        return;
    }
    const QStringRef speed = attrs.value(QLatin1String("speed"));
    if (!speed.isEmpty() && (!toDouble(speed, &lane.speed) || lane.speed < 0)) {
        xml.raiseError(tr("Lane \"%1\": invalid speed \"%2\"").arg(lane.id, speed));
        return;
    }
    const QStringRef width = attrs.value(QLatin1String("width"));
    if (!width.isEmpty()) {
        // SUMO writes -1 for "the default".
        if (!toDouble(width, &lane.width)) {
            xml.raiseError(tr("Lane \"%1\": invalid width \"%2\"").arg(lane.id, width));
            return;
        }
        if (lane.width <= 0)
            lane.width = -1;
    }
    if (!toPoints(attrs.value(QLatin1String("shape")), &lane.shape) || lane.shape.size() < 2) {
        xml.raiseError(tr("Lane \"%1\" has no valid shape").arg(lane.id));
        return;
    }
    const bool hasAllow = attrs.hasAttribute(QLatin1String("allow"));
    const bool hasDisallow = attrs.hasAttribute(QLatin1String("disallow"));
    const QStringRef allow = attrs.value(QLatin1String("allow"));
    const QStringRef disallow = attrs.value(QLatin1String("disallow"));
    // A network repeats a handful of class lists thousands of times.
    QString key;
    key.reserve(allow.size() + disallow.size() + 3);
    key.append(hasAllow ? QLatin1Char('a') : QLatin1Char('-')).append(allow);
    key.append(hasDisallow ? QLatin1Char('d') : QLatin1Char('-')).append(disallow);
    auto cached = m_classCache.constFind(key);
    if (cached == m_classCache.constEnd()) {
        cached = m_classCache.insert(key, SumoVehicleClasses::fromAllowDisallow(hasAllow, allow, hasDisallow, disallow,
                                                                             &unknownClasses, &droppedClasses));
    }
    lane.classes = cached.value();
    edge->lanes.append(std::move(lane));
    xml.skipCurrentElement();
}

template<class Xml>
void SumoNetReader::readJunction(Xml &xml)
{
    const auto attrs = xml.attributes();
    const QStringRef type = attrs.value(QLatin1String("type"));
    if (type == QLatin1String("internal")) {
        xml.skipCurrentElement();
        return;
    }
    Junction j;
    j.id = attrs.value(QLatin1String("id")).toString();
    if (j.id.isEmpty()) {
        xml.raiseError(tr("A junction without id"));
        return;
    }
    j.type = type.toString();
    j.line = int(xml.lineNumber());
    j.column = int(xml.columnNumber());
    double x, y;
    if (!toDouble(attrs.value(QLatin1String("x")), &x) || !toDouble(attrs.value(QLatin1String("y")), &y)) {
        xml.raiseError(tr("Junction \"%1\" has no valid position").arg(j.id));
        return;
    }
    j.pos = QPointF(x, y);
    if (!toPoints(attrs.value(QLatin1String("shape")), &j.shape)) {
        xml.raiseError(tr("Junction \"%1\" has an invalid shape").arg(j.id));
        return;
    }
    junctions.append(std::move(j));
    xml.skipCurrentElement();
}

template<class Xml>
void SumoNetReader::readProhibition(Xml &xml)
{
    QString prohibited = xml.attributes().value(QLatin1String("prohibited")).toString();
    prohibited.replace(QLatin1String("->"), QLatin1String(" "));
    if (!prohibited.isEmpty())
        this->prohibited.insert(prohibited);
    xml.skipCurrentElement();
}

template<class Xml>
void SumoNetReader::readConnection(Xml &xml)
{
    Connection c;
    c.line = int(xml.lineNumber());
    QStringRef fromLane;
    QStringRef toLane;
    QStringRef speed;
    QStringRef linkIndex;
    QStringRef visibility;
    QStringRef contPos;
    // One pass over the attributes: connections are the bulk of a network file.
    const auto attrs = xml.attributes();
    for (const auto &a : attrs) {
        const QStringRef name = a.name();
        const QStringRef value = a.value();
        if (name == QLatin1String("from"))
            c.from = sharedId(value);
        else if (name == QLatin1String("to"))
            c.to = sharedId(value);
        else if (name == QLatin1String("fromLane"))
            fromLane = value;
        else if (name == QLatin1String("toLane"))
            toLane = value;
        else if (name == QLatin1String("via"))
            c.via = value.toString();
        else if (name == QLatin1String("speed"))
            speed = value;
        else if (name == QLatin1String("state"))
            c.state = value.isEmpty() ? QChar() : value.at(0);
        else if (name == QLatin1String("tl"))
            c.tl = value.toString();
        else if (name == QLatin1String("linkIndex"))
            linkIndex = value;
        else if (name == QLatin1String("visibility"))
            visibility = value;
        else if (name == QLatin1String("contPos"))
            contPos = value;
        else if (name == QLatin1String("uncontrolled"))
            c.uncontrolled = isTrue(value);
        else if (name == QLatin1String("keepClear"))
            c.keepClear = isTrue(value);
        else if (name == QLatin1String("pass"))
            c.pass = isTrue(value);
    }
    if (c.from.isEmpty() || c.to.isEmpty() || !toInt(fromLane, &c.fromLane) || !toInt(toLane, &c.toLane)) {
        xml.raiseError(tr("A connection without valid from, to, fromLane and toLane"));
        return;
    }
    if (!speed.isEmpty() && !toDouble(speed, &c.speed)) {
        xml.raiseError(tr("Connection %1 -> %2: invalid speed \"%3\"").arg(c.from, c.to, speed));
        return;
    }
    if ((!linkIndex.isEmpty() && !toInt(linkIndex, &c.linkIndex)) || (!visibility.isEmpty() && !toDouble(visibility, &c.visibility))
        || (!contPos.isEmpty() && !toDouble(contPos, &c.contPos))) {
        xml.raiseError(tr("Connection %1 -> %2: invalid linkIndex, visibility or contPos").arg(c.from, c.to));
        return;
    }
    connections.append(std::move(c));
    xml.skipCurrentElement();
}

} // namespace Trelvoa
