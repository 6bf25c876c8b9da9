#include "sumo/sumonet.h"

#include "geo/geopolyline.h"
#include "network.h"
#include "sumo/sumoexportmodel.h"
#include "sumo/sumoplainwriter.h"
#include "sumo/sumoprojectwriter.h"
#include "taz.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamWriter>

namespace Trelvoa {

std::shared_ptr<SUMONet> Network::toSUMO()
{
    QString error;
    std::shared_ptr<SUMONet> net = SUMONet::create(this, &error);
    if (!net)
        setErrorString(error);
    return net;
}

class SUMONet::Private
{
public:
    SumoExportModel model;
    QVector<SumoProjectWriter::Flow> flows;
    int experimentTime = 0;
    bool measuredData = false;
    bool multiDetectors = false;
    QStringList userRouteFiles;
    QStringList userAdditionalFiles;
    QRectF viewport;
    QString scheme;
    int delay = 20;
    QString error;

    bool fail(const QString &message)
    {
        error = message;
        return false;
    }
    bool checkDir(const QString &dir)
    {
        if (!QFileInfo(dir).isDir())
            return fail(QStringLiteral("The export directory %1 does not exist").arg(QDir::toNativeSeparators(dir)));
        return true;
    }
    bool writePlain(const QString &dir, const QString &projection, const QString &prefix);
    bool runNetconvert(const QStringList &arguments, const QString &workingDir);
    // What netconvert does not keep goes into its network file afterwards: the nodes without edges
    // (it drops them; SUMO loads them) and the model's lane lines.
    bool patchNetFile(const QString &netFile);
    // The files that do not need the network file: TAZ, demand, detectors, GUI settings.
    bool writeProjectFiles(const QString &dir);
    bool writeConfig(const QString &dir);
    bool hasDetectors() const
    {
        return !model.detectors.isEmpty() || (multiDetectors && !model.multiDetectors.isEmpty());
    }
};

namespace {

const char kNetFile[] = "net.net.xml";
const char kNodeFile[] = "net.nod.xml";
const char kEdgeFile[] = "net.edg.xml";
const char kConnectionFile[] = "net.con.xml";
const char kTlFile[] = "net.tll.xml";
const char kTazFile[] = "taz.add.xml";
const char kRouteFile[] = "routes.rou.xml";
const char kDetectorFile[] = "detectors.add.xml";
const char kDetectorOutput[] = "detectors.out.xml";
const char kGuiFile[] = "gui-settings.xml";
const char kProjectFile[] = "net.sumocfg";

QString in(const QString &dir, const char *name)
{
    return QDir(dir).filePath(QString::fromLatin1(name));
}

QString findProgram(const QString &name)
{
#ifdef Q_OS_WIN
    const QString file = name + QStringLiteral(".exe");
#else
    const QString file = name;
#endif
    const QString inPath = QStandardPaths::findExecutable(file);
    if (!inPath.isEmpty())
        return inPath;
    if (QCoreApplication::instance()) {
        const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(file);
        if (QFileInfo(beside).isExecutable())
            return beside;
    }
    return file;
}

// What netconvert must not change against the model: coordinates stay where they are, the explicit
// connections are all there is (no turnarounds added where the model has none).
QStringList netconvertOptions(const SumoExportModel &model)
{
    QStringList options{QStringLiteral("--offset.disable-normalization"), QStringLiteral("true"),
                        QStringLiteral("--no-turnarounds"), QStringLiteral("true"),
                        QStringLiteral("--output.street-names"), QStringLiteral("true"),
                        QStringLiteral("--xml-validation"), QStringLiteral("never"),
                        QStringLiteral("--no-warnings"), QStringLiteral("true")};
    if (model.hasWalkingAreas)
        options << QStringLiteral("--walkingareas") << QStringLiteral("true");
    return options;
}

} // namespace

bool SUMONet::Private::writePlain(const QString &dir, const QString &projection, const QString &prefix)
{
    SumoPlainWriter writer(model);
    const QString base = QDir(dir).filePath(prefix);
    if (!writer.writeNodes(base + QLatin1String(".nod.xml"), projection) || !writer.writeEdges(base + QLatin1String(".edg.xml"))
        || !writer.writeConnections(base + QLatin1String(".con.xml")) || !writer.writeTlLogics(base + QLatin1String(".tll.xml")))
        return fail(writer.errorString());
    return true;
}

bool SUMONet::Private::runNetconvert(const QStringList &arguments, const QString &workingDir)
{
    QProcess process;
    process.setWorkingDirectory(workingDir);
    process.start(findTool(QStringLiteral("netconvert")), arguments);
    if (!process.waitForStarted())
        return fail(QStringLiteral("netconvert could not be started: %1").arg(process.errorString()));
    process.closeWriteChannel();
    process.waitForFinished(-1);
    if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return true;
    QStringList errors;
    const QStringList lines = QString::fromLocal8Bit(process.readAllStandardError()).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (line.startsWith(QLatin1String("Error")) && errors.size() < 10)
            errors << line.trimmed();
    }
    if (errors.isEmpty())
        errors << QStringLiteral("exit code %1").arg(process.exitCode());
    return fail(QStringLiteral("netconvert failed: %1").arg(errors.join(QLatin1String("; "))));
}

bool SUMONet::Private::patchNetFile(const QString &netFile)
{
    QByteArray isolated;
    for (const SumoExportModel::Junction &j : qAsConst(model.junctions)) {
        if (!j.isolated)
            continue;
        QVector<QPointF> shape = j.shape;
        if (shape.isEmpty())
            shape << j.pos;
        QByteArray line;
        QXmlStreamWriter xml(&line);
        xml.writeEmptyElement(QStringLiteral("junction"));
        xml.writeAttribute(QStringLiteral("id"), j.id);
        xml.writeAttribute(QStringLiteral("type"), QStringLiteral("dead_end"));
        xml.writeAttribute(QStringLiteral("x"), SumoPlainWriter::number(j.pos.x()));
        xml.writeAttribute(QStringLiteral("y"), SumoPlainWriter::number(j.pos.y()));
        xml.writeAttribute(QStringLiteral("incLanes"), QString());
        xml.writeAttribute(QStringLiteral("intLanes"), QString());
        xml.writeAttribute(QStringLiteral("shape"), SumoPlainWriter::shapeText(shape));
        xml.writeEndDocument();
        isolated += "    " + line + '\n';
    }
    // The lane lines as the model has them, by lane id (XML-escaped as netconvert writes ids).
    QHash<QByteArray, const SumoExportModel::Lane *> lanes;
    for (const SumoExportModel::Edge &e : qAsConst(model.edges)) {
        const QByteArray edge = e.id.toUtf8().replace('&', "&amp;");
        for (int i = 0; i < e.lanes.size(); ++i) {
            if (e.lanes.at(i).shape.size() >= 2)
                lanes.insert(edge + '_' + QByteArray::number(i), &e.lanes.at(i));
        }
    }

    QFile file(netFile);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("Cannot read %1: %2").arg(QDir::toNativeSeparators(netFile), file.errorString()));
    const QByteArray content = file.readAll();
    file.close();
    QByteArray out;
    out.reserve(content.size() + isolated.size() + content.size() / 50);
    bool junctionsPlaced = isolated.isEmpty();
    int pos = 0;
    while (pos < content.size()) {
        int end = content.indexOf('\n', pos);
        end = end < 0 ? content.size() : end + 1;
        const QByteArray line = QByteArray::fromRawData(content.constData() + pos, end - pos);
        pos = end;
        const int indent = line.indexOf('<');
        if (!junctionsPlaced && (line.mid(indent, 10) == "<junction " || line.mid(indent, 6) == "</net>")) {
            out += isolated;
            junctionsPlaced = true;
        }
        // netconvert moves the ends of lane lines that do not reach their junctions (hand-edited
        // lanes); the network keeps the model's lines.
        if (line.mid(indent, 10) != "<lane id=\"" || line.at(indent + 10) == ':') {
            out += line;
            continue;
        }
        const int idEnd = line.indexOf('"', indent + 10);
        const SumoExportModel::Lane *lane = lanes.value(line.mid(indent + 10, idEnd - indent - 10));
        const int shapeAt = line.indexOf(" shape=\"", idEnd);
        const int shapeEnd = shapeAt < 0 ? -1 : line.indexOf('"', shapeAt + 8);
        const int lengthAt = line.indexOf(" length=\"", idEnd);
        const int lengthEnd = lengthAt < 0 ? -1 : line.indexOf('"', lengthAt + 9);
        if (!lane || shapeEnd < 0 || lengthEnd < 0 || lengthAt > shapeAt) {
            out += line;
            continue;
        }
        const QByteArray shape = SumoPlainWriter::shapeText(lane->shape).toLatin1();
        if (line.mid(shapeAt + 8, shapeEnd - shapeAt - 8) == shape) {
            out += line;
            continue;
        }
        // Not marked as a custom shape: a netconvert reading the network again lays such a lane out
        // from its edge, as it does for the same lanes in SUMO's own files (it fails on them as custom
        // lines).
        const double length = qMax(0.1, GeoPolyline(lane->shape).length());
        QByteArray patched = line.left(lengthAt + 9);
        patched += SumoPlainWriter::number(length).toLatin1();
        patched += line.mid(lengthEnd, shapeAt + 8 - lengthEnd);
        patched += shape;
        patched += line.mid(shapeEnd);
        out += patched.replace(" customShape=\"1\"", "");
    }
    if (!junctionsPlaced)
        return fail(QStringLiteral("%1 is not a SUMO network").arg(QDir::toNativeSeparators(netFile)));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(out) != out.size())
        return fail(QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(netFile), file.errorString()));
    return true;
}

bool SUMONet::Private::writeProjectFiles(const QString &dir)
{
    SumoProjectWriter writer(model);
    const int end = experimentTime > 0 ? experimentTime : 0;
    QVector<SumoProjectWriter::Flow> timed = flows;
    for (SumoProjectWriter::Flow &f : timed)
        f.end = end > f.begin ? end : f.begin + 3600;
    // Files of an earlier export that this one does not write would still be named by the project.
    const bool withTaz = !model.tazs.isEmpty();
    const bool withRoutes = writer.hasDemand(timed, measuredData);
    if (!withTaz)
        QFile::remove(in(dir, kTazFile));
    if (!withRoutes)
        QFile::remove(in(dir, kRouteFile));
    if (!hasDetectors())
        QFile::remove(in(dir, kDetectorFile));
    bool ok = true;
    if (withTaz)
        ok = writer.writeTaz(in(dir, kTazFile));
    if (ok && withRoutes)
        ok = writer.writeRoutes(in(dir, kRouteFile), timed, measuredData);
    if (ok && hasDetectors())
        ok = writer.writeDetectors(in(dir, kDetectorFile), multiDetectors, QString::fromLatin1(kDetectorOutput));
    if (ok)
        ok = writer.writeGuiSettings(in(dir, kGuiFile), viewport, scheme, delay);
    return ok || fail(writer.errorString());
}

bool SUMONet::Private::writeConfig(const QString &dir)
{
    SumoProjectWriter writer(model);
    SumoProjectWriter::Config config;
    config.netFile = QString::fromLatin1(kNetFile);
    // Only the generated files that are there: a project file must not name missing files.
    auto present = [&](const char *name) { return QFileInfo::exists(in(dir, name)); };
    if (present(kRouteFile))
        config.routeFiles << QString::fromLatin1(kRouteFile);
    config.routeFiles += userRouteFiles;
    if (present(kTazFile))
        config.additionalFiles << QString::fromLatin1(kTazFile);
    if (present(kDetectorFile) && hasDetectors())
        config.additionalFiles << QString::fromLatin1(kDetectorFile);
    config.additionalFiles += userAdditionalFiles;
    if (present(kGuiFile))
        config.guiSettingsFile = QString::fromLatin1(kGuiFile);
    config.end = experimentTime;
    return writer.writeConfig(in(dir, kProjectFile), config) || fail(writer.errorString());
}

SUMONet::SUMONet(Network *network)
    : d(new Private)
{
    d->model = SumoExportModel::fromNetwork(network);
}

SUMONet::~SUMONet() = default;

std::shared_ptr<SUMONet> SUMONet::create(Network *network, QString *error)
{
    if (!network) {
        if (error)
            *error = QStringLiteral("No network to convert");
        return nullptr;
    }
    return std::shared_ptr<SUMONet>(new SUMONet(network));
}

bool SUMONet::saveAsProject(const QString &dir, const QString &projection)
{
    if (!d->checkDir(dir))
        return false;
    if (d->model.edges.isEmpty())
        return d->fail(QStringLiteral("The network has no edges with lanes: SUMO cannot simulate it"));
    QTemporaryDir work;
    if (!work.isValid())
        return d->fail(QStringLiteral("No temporary directory for the plain files: %1").arg(work.errorString()));
    const QString base = QStringLiteral("plain");
    if (!d->writePlain(work.path(), projection, base))
        return false;
    const QString prefix = work.filePath(base);
    QStringList arguments{QStringLiteral("-n"), prefix + QLatin1String(".nod.xml"),
                          QStringLiteral("-e"), prefix + QLatin1String(".edg.xml"),
                          QStringLiteral("-x"), prefix + QLatin1String(".con.xml")};
    if (!d->model.tlLogics.isEmpty())
        arguments << QStringLiteral("-i") << prefix + QLatin1String(".tll.xml");
    arguments << QStringLiteral("-o") << QDir(dir).absoluteFilePath(netFileName());
    arguments += netconvertOptions(d->model);
    return d->runNetconvert(arguments, dir) && d->patchNetFile(QDir(dir).absoluteFilePath(netFileName()))
           && d->writeProjectFiles(dir) && d->writeConfig(dir);
}

bool SUMONet::saveAsSource(const QString &dir, const QString &projection)
{
    if (!d->checkDir(dir) || !d->writePlain(dir, projection, QStringLiteral("net")))
        return false;
    return d->writeProjectFiles(dir);
}

bool SUMONet::reprocessSource(const QString &dir, const QString &projection)
{
    Q_UNUSED(projection) // the network file carries its location
    if (!d->checkDir(dir))
        return false;
    const QString net = in(dir, kNetFile);
    if (!QFileInfo::exists(net))
        return d->fail(QStringLiteral("%1 is missing: run netconvert on the plain files first").arg(QDir::toNativeSeparators(net)));
    QTemporaryDir work;
    if (!work.isValid())
        return d->fail(QStringLiteral("No temporary directory for the plain files: %1").arg(work.errorString()));
    const QString prefix = work.filePath(QStringLiteral("plain"));
    const QStringList arguments{QStringLiteral("-s"), net,
                                QStringLiteral("--plain-output-prefix"), prefix,
                                QStringLiteral("--offset.disable-normalization"), QStringLiteral("true"),
                                QStringLiteral("--xml-validation"), QStringLiteral("never"),
                                QStringLiteral("--no-warnings"), QStringLiteral("true")};
    if (!d->runNetconvert(arguments, dir))
        return false;
    const QStringList suffixes{QStringLiteral(".nod.xml"), QStringLiteral(".edg.xml"), QStringLiteral(".con.xml"),
                               QStringLiteral(".tll.xml")};
    const QStringList targets{nodeFileName(), edgeFileName(), connectionFileName(), tlDefFileName()};
    for (int i = 0; i < suffixes.size(); ++i) {
        const QString source = prefix + suffixes.at(i);
        const QString target = QDir(dir).filePath(targets.at(i));
        if (!QFileInfo::exists(source))
            continue;
        // Without the schema reference: netconvert would validate against a schema it may not find
        // (SUMO_HOME unset) and refuse the file.
        QFile in(source);
        QFile out(target);
        if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return d->fail(QStringLiteral("Cannot write %1").arg(QDir::toNativeSeparators(target)));
        QString text = QString::fromUtf8(in.readAll());
        text.remove(QRegularExpression(QStringLiteral(" xsi:noNamespaceSchemaLocation=\"[^\"]*\"")));
        const QByteArray content = text.toUtf8();
        if (out.write(content) != content.size())
            return d->fail(QStringLiteral("Cannot write %1").arg(QDir::toNativeSeparators(target)));
    }
    return true;
}

bool SUMONet::saveProjectFile(const QString &dir)
{
    return d->checkDir(dir) && d->writeConfig(dir);
}

bool SUMONet::saveTazFile(const QString &dir)
{
    if (!d->checkDir(dir))
        return false;
    SumoProjectWriter writer(d->model);
    return writer.writeTaz(in(dir, kTazFile)) || d->fail(writer.errorString());
}

void SUMONet::addFlow(Taz *from, Taz *to, int begin, int count, int vehicleClass)
{
    if (!from || !to)
        return;
    SumoProjectWriter::Flow flow;
    flow.fromTaz = QString::number(from->id());
    flow.toTaz = QString::number(to->id());
    flow.begin = qMax(0, begin);
    flow.count = count;
    flow.vehicleClass = vehicleClass;
    d->flows.append(flow);
}

void SUMONet::setExperimentTime(int seconds)
{
    d->experimentTime = qMax(0, seconds);
}

int SUMONet::experimentTime() const
{
    return d->experimentTime;
}

void SUMONet::allowSaveMesDataToRoute(bool allow)
{
    d->measuredData = allow;
}

void SUMONet::allowCreateMultiDetector(bool allow)
{
    d->multiDetectors = allow;
}

void SUMONet::setUserRouteFiles(const QString &files)
{
    d->userRouteFiles.clear();
    for (const QString &f : files.split(fileNameDelim(), Qt::SkipEmptyParts)) {
        if (!f.trimmed().isEmpty())
            d->userRouteFiles << f.trimmed();
    }
}

void SUMONet::addUserAdditionalFile(const QString &file)
{
    if (!file.trimmed().isEmpty() && !d->userAdditionalFiles.contains(file.trimmed()))
        d->userAdditionalFiles << file.trimmed();
}

QString SUMONet::fileNameDelim()
{
    return QStringLiteral(",");
}

void SUMONet::setViewport(const QRectF &rect)
{
    d->viewport = rect.normalized();
}

void SUMONet::setGuiSettings(const QString &scheme, int delay)
{
    d->scheme = scheme;
    d->delay = delay;
}

QString SUMONet::netFileName() const
{
    return QString::fromLatin1(kNetFile);
}

QString SUMONet::nodeFileName() const
{
    return QString::fromLatin1(kNodeFile);
}

QString SUMONet::edgeFileName() const
{
    return QString::fromLatin1(kEdgeFile);
}

QString SUMONet::connectionFileName() const
{
    return QString::fromLatin1(kConnectionFile);
}

QString SUMONet::tlDefFileName() const
{
    return QString::fromLatin1(kTlFile);
}

QString SUMONet::tazFileName() const
{
    return QString::fromLatin1(kTazFile);
}

QString SUMONet::projectFileName() const
{
    return QString::fromLatin1(kProjectFile);
}

QString SUMONet::routeFileName() const
{
    return QString::fromLatin1(kRouteFile);
}

QString SUMONet::detectorFileName() const
{
    return QString::fromLatin1(kDetectorFile);
}

QString SUMONet::detectorOutputFileName() const
{
    return QString::fromLatin1(kDetectorOutput);
}

QString SUMONet::guiSettingsFileName() const
{
    return QString::fromLatin1(kGuiFile);
}

QString SUMONet::errorString() const
{
    return d->error;
}

QStringList SUMONet::warnings() const
{
    return d->model.warnings;
}

QString SUMONet::sumo_exe(bool gui)
{
    return findProgram(gui ? QStringLiteral("sumo-gui") : QStringLiteral("sumo"));
}

QString SUMONet::sumoqlindar_exe()
{
    return findProgram(QStringLiteral("sumoqlindar"));
}

QString SUMONet::findTool(const QString &name)
{
    return findProgram(name);
}

} // namespace Trelvoa
