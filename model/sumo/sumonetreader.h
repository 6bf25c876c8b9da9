#pragma once

#include <QHash>
#include <QPointF>
#include <QRectF>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

class QIODevice;

namespace Trelvoa {

// Streaming reader of a SUMO network file (.net.xml) into plain records, without touching any model.
// Keeps what the importer maps: junctions that are not internal, edges that are not internal (normal,
// crossing, walking area) with their lanes, connections, and the location. Everything else (internal
// edges and junction requests, signal programs, roundabouts, types) is skipped. Prohibitions are kept
// as edge-to-edge movements.
//
// Numbers and point lists are checked while reading: a malformed value is an error naming its line and
// column, like an XML error. References between records are not resolved here.
class SumoNetReader
{
public:
    enum EdgeFunction { Normal, Crossing, WalkingArea };

    struct Lane
    {
        QString id;
        int index = -1;
        double speed = 13.89; // m/s, SUMO's default
        double width = -1;    // SUMO's default width when negative
        int classes = 0;      // model bits (Lane::VehicleClasses)
        QVector<QPointF> shape;
    };

    struct Edge
    {
        QString id;
        QString from;
        QString to;
        QString name; // street name
        QString crossingEdges;
        QVector<QPointF> shape; // the edge geometry when it is not the line between the junctions
        EdgeFunction function = Normal;
        bool spreadCenter = false; // spreadType "center": the lanes are centred on the edge geometry
        int priority = -1;         // SUMO's default when the file gives none
        QVector<Lane> lanes;
        int line = 0;
        int column = 0;
    };

    struct Junction
    {
        QString id;
        QString type;
        QPointF pos;
        QVector<QPointF> shape;
        int line = 0;
        int column = 0;
    };

    struct Connection
    {
        QString from;
        QString to;
        int fromLane = -1;
        int toLane = -1;
        double speed = -1; // m/s; negative when the file gives none
        QString via;       // the internal lane SUMO drives the movement on
        QString tl;        // the controlling traffic light; empty: none
        int linkIndex = -1;
        QChar state;       // SUMO's link state at the start (M major, m minor, = equal, s stop, ...)
        bool uncontrolled = false;
        // Explicit settings; negative (keepClear, pass: -1 unset, 0 false, 1 true) when not given.
        int keepClear = -1;
        int pass = -1;
        double visibility = -1;
        double contPos = -1;
        int line = 0;
    };

    struct Location
    {
        bool present = false;
        QPointF netOffset;
        QByteArray projection; // empty for none ("!")
        QRectF convBoundary;   // model XY
        QRectF origBoundary;   // geographic degrees, or the original plane for non-geographic input
    };

    // Called now and then with the bytes read from the device so far; returning false cancels.
    using Progress = std::function<bool(qint64 bytes)>;

    // Reads the whole device (plain or gzip-compressed XML). False with errorString() on any fault.
    bool read(QIODevice *device, const Progress &progress = Progress());
    // The same for a file already inflated into memory; sourceBytes is its size on disk, what
    // progress counts.
    bool readInflated(const QByteArray &data, qint64 sourceBytes, const Progress &progress = Progress());

    // Inflated inputs from this size on are read in two halves at once, unless turned off (to compare).
    static constexpr int kParallelReadMinimumBytes = 1024 * 1024;
    void setReadInHalves(bool on) { m_halves = on; }
    // Reads with a fast reader of plain UTF-8 XML first, and with QXmlStreamReader whatever that declines
    // or finds fault with, unless turned off (to compare).
    void setByteReader(bool on) { m_byteReader = on; }

    QString errorString() const { return m_error; }
    bool cancelled() const { return m_cancelled; }

    QString version;
    bool lefthand = false;
    Location location;
    QVector<Junction> junctions; // not internal
    QVector<Edge> edges;         // not internal
    QVector<Connection> connections;
    // "from to" edge pairs of the movements a <prohibition> makes wait.
    QSet<QString> prohibited;
    // Ids of internal edges: connections from or to them are not errors but are not imported.
    QSet<QString> internalEdges;
    // The speeds (m/s) of the internal lanes, by lane id: the speed of the movements through junctions.
    QHash<QString, double> internalLaneSpeeds;
    // Vehicle class names SUMO does not define, and names of allowed classes the model cannot hold.
    QSet<QString> unknownClasses;
    QSet<QString> droppedClasses;

private:
    bool readData(const QByteArray &data, qint64 sourceBytes, const QString &inflateError,
                  const std::function<bool(qint64)> &report);
    bool readHalves(const QByteArray &data, const std::function<bool(qint64 bytes)> &progress);
    bool appendTail(SumoNetReader &tail, int lines);
    bool readPiece(const QByteArray &data, const Progress &progress, const std::function<qint64(qint64)> &bytes,
                   QString *xmlError = nullptr, qint64 *line = nullptr, qint64 *column = nullptr);
    void clearRecords();
    // Over QXmlStreamReader and XmlByteReader alike.
    template<class Xml>
    bool readNet(Xml &xml, const Progress &progress, const std::function<qint64()> &bytes);
    template<class Xml>
    void readLocation(Xml &xml);
    template<class Xml>
    void readEdge(Xml &xml);
    template<class Xml>
    void readLane(Xml &xml, Edge *edge);
    template<class Xml>
    void readJunction(Xml &xml);
    template<class Xml>
    void readConnection(Xml &xml);
    template<class Xml>
    void readProhibition(Xml &xml);

    QString m_error;
    bool m_cancelled = false;
    bool m_halves = true;
    bool m_byteReader = true;
    QHash<QString, int> m_classCache; // model classes by allow and disallow lists
    // Ids named again and again (a road by each of its connections, a junction by each of its roads):
    // one string each, shared by the records that name it. Emptied once the file is read.
    QString sharedId(const QStringRef &id);
    void forgetIds();
    QSet<QString> m_ids;
    static constexpr int kRecentIds = 4;
    QString m_recentIds[kRecentIds];
    int m_nextRecent = 0;
};

} // namespace Trelvoa
