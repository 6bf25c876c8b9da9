// The export run of the SUMO export dialog: the project, the demand from the OD matrices and SUMO's
// tools.
#include "export/sumoexportdlga.h"

#include "geo/geoutil.h"
#include "lane.h"
#include "network.h"
#include "odmatrix.h"
#include "sumo/sumonet.h"
#include "taz.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QRadioButton>
#include <QSpinBox>
#include <QTextEdit>
#include <QTextStream>
#include <QVBoxLayout>

#include <cmath>
#include <limits>

namespace Trelvoga {

namespace {

constexpr int toolTimeout = 10000;
constexpr int defaultExperimentTime = 3600;

bool isPositive(double value)
{
    return value > 0; // false for NaN as well
}

// A positive trip count as the converter takes it: truncated.
int flowCount(double value)
{
    return value >= double(std::numeric_limits<int>::max()) ? std::numeric_limits<int>::max() : int(value);
}

QString tazId(const Trelvoa::Taz *taz)
{
    return QString::number(taz->id());
}

// od2trips writes a schema reference SUMO may not be able to resolve when it reads the trips.
QString withoutSchemaLocation(QString line)
{
    const QString attribute = QStringLiteral("xsi:noNamespaceSchemaLocation=");
    const int start = line.indexOf(attribute);
    if (start < 0)
        return line;
    const int open = line.indexOf(QLatin1Char('"'), start + attribute.size());
    const int close = open < 0 ? -1 : line.indexOf(QLatin1Char('"'), open + 1);
    const int end = close < 0 ? line.size() : close + 1;
    const int from = start > 0 && line.at(start - 1) == QLatin1Char(' ') ? start - 1 : start;
    line.remove(from, end - from);
    return line;
}

} // namespace

void SUMOExportDlga::accept()
{
    rememberExport();

    const QString dir = exportPath();
    if (!QFileInfo(dir).isDir() && !QDir().mkpath(dir)) {
        emit logMessage(tr("Error create export directory"), QtCriticalMsg);
        return;
    }
    saveExperiment(QDir(dir).filePath(QStringLiteral("experiment.ini")));

    const std::shared_ptr<Trelvoa::SUMONet> sumo = m_network ? m_network->toSUMO() : nullptr;
    if (!sumo) {
        emit logMessage(m_network ? m_network->errorString() : tr("No network to export"), QtCriticalMsg);
        return;
    }
    if (m_useODMatrix->isChecked())
        addDemand(sumo.get(), dir);

    if (m_useMeasData->isChecked())
        sumo->allowSaveMesDataToRoute(true);
    if (m_createMultidetector->isChecked())
        sumo->allowCreateMultiDetector(true);
    sumo->setUserRouteFiles(m_routeFiles->text());
    for (const QString &file : m_additionalFiles->text().split(Trelvoa::SUMONet::fileNameDelim(), Qt::SkipEmptyParts))
        sumo->addUserAdditionalFile(file);
    Trelvoa::GeoUtil *geo = m_network->geoUtil();
    sumo->setViewport(geo ? geo->geoToXY(m_visibleRect) : m_visibleRect);
    sumo->setGuiSettings(m_scheme->text(), m_simDelay->value());

    const QString projection = geo ? QString::fromUtf8(geo->projectionStr()) : QString();
    const bool source = m_srcFormat->isChecked() && m_sourceFormatOffered;
    const bool saved = source ? sumo->saveAsSource(dir, projection) : sumo->saveAsProject(dir, projection);
    if (!saved) {
        emit logMessage(sumo->errorString(), QtCriticalMsg);
        return;
    }

    bool netconvertFailed = false;
    if (source) {
        netconvertFailed = !runNetconvert(sumo.get(), dir);
        if (!netconvertFailed) {
            sumo->saveProjectFile(dir);
            if (m_doubleProcessing->isChecked()) {
                // Without the rewritten plain files a second run would only repeat the first.
                if (sumo->reprocessSource(dir, projection))
                    netconvertFailed = !runNetconvert(sumo.get(), dir);
                else
                    emit logMessage(sumo->errorString(), QtCriticalMsg);
            }
        }
    }

    launch(sumo.get(), dir, netconvertFailed);
    QDialog::accept();
}

void SUMOExportDlga::addDemand(Trelvoa::SUMONet *sumo, const QString &dir)
{
    sumo->saveTazFile(dir);
    bool anyPositive = false;
    for (int row = 0; row < m_matrices->count(); ++row) {
        const QListWidgetItem *item = m_matrices->item(row);
        if (item->checkState() != Qt::Checked)
            continue;
        auto *matrix = m_network->findObject<Trelvoa::OdMatrix>(item->data(Qt::UserRole).toInt());
        if (!matrix)
            continue;
        const QList<Trelvoa::OdMatrix::Cell> cells = matrix->cells();
        for (const Trelvoa::OdMatrix::Cell &cell : cells)
            anyPositive = anyPositive || isPositive(cell.forward) || isPositive(cell.backward);
        if (matrix->vehiclesType() == Trelvoa::Lane::vcPedestrian) {
            const QString odFile = QStringLiteral("od_ped%1.txt").arg(row);
            if (writePedestrianOd(matrix, QDir(dir).filePath(odFile)))
                runOd2trips(sumo, dir, row);
            continue;
        }
        for (const Trelvoa::OdMatrix::Cell &cell : cells) {
            if (!cell.from || !cell.to)
                continue;
            if (isPositive(cell.forward))
                sumo->addFlow(cell.from, cell.to, 0, flowCount(cell.forward), matrix->vehiclesType());
            if (isPositive(cell.backward))
                sumo->addFlow(cell.to, cell.from, 0, flowCount(cell.backward), matrix->vehiclesType());
        }
    }
    if (!anyPositive)
        sumo->setExperimentTime(defaultExperimentTime);
}

bool SUMOExportDlga::writePedestrianOd(Trelvoa::OdMatrix *matrix, const QString &fileName) const
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    QTextStream out(&file);
    out.setCodec("UTF-8");
    out << "$OR;D2\n"
        << "* From-Time  To-Time\n"
        << "0.00 1.00\n"
        << "* Factor\n"
        << "1.00\n"
        << "* matrix id = " << matrix->id() << '\n';
    auto line = [&out](const Trelvoa::Taz *from, const Trelvoa::Taz *to, double trips) {
        out << "ped" << tazId(from) << '\t' << "ped" << tazId(to) << '\t' << QString::number(trips, 'f', 1) << '\n';
    };
    for (const Trelvoa::OdMatrix::Cell &cell : matrix->cells()) {
        if (!cell.from || !cell.to)
            continue;
        if (isPositive(cell.forward))
            line(cell.from, cell.to, cell.forward);
        if (isPositive(cell.backward))
            line(cell.to, cell.from, cell.backward);
    }
    out.flush();
    return file.error() == QFileDevice::NoError;
}

void SUMOExportDlga::runOd2trips(Trelvoa::SUMONet *sumo, const QString &dir, int row)
{
    const QString program = QDir(m_sumoRoot->text()).filePath(toolFileName(QStringLiteral("od2trips")));
    if (m_sumoRoot->text().isEmpty() || !QFileInfo(program).isFile())
        return;
    const QString tripsFile = QStringLiteral("ped%1.trips.xml").arg(row);
    const QStringList arguments{QStringLiteral("--pedestrians"), QStringLiteral("true"),
                                QStringLiteral("--taz-files"), sumo->tazFileName(),
                                QStringLiteral("-d"), QStringLiteral("od_ped%1.txt").arg(row),
                                QStringLiteral("-o"), tripsFile};
    QByteArray errors;
    if (!runTool(program, arguments, dir, &errors)) {
        showToolErrors(tr("od2trips errors"),
                       QLatin1Char('"') + program + QStringLiteral("\" ") + arguments.join(QLatin1Char(' ')), errors);
        return;
    }
    QFile trips(QDir(dir).filePath(tripsFile));
    if (trips.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QStringList lines;
        QTextStream in(&trips);
        in.setCodec("UTF-8");
        while (!in.atEnd())
            lines << withoutSchemaLocation(in.readLine());
        trips.close();
        if (trips.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
            QTextStream out(&trips);
            out.setCodec("UTF-8");
            for (const QString &line : qAsConst(lines))
                out << line << '\n';
        }
    }
    sumo->addUserAdditionalFile(tripsFile);
    sumo->saveProjectFile(dir);
}

bool SUMOExportDlga::runNetconvert(Trelvoa::SUMONet *sumo, const QString &dir)
{
    const QString program = QDir(m_sumoRoot->text()).filePath(toolFileName(QStringLiteral("netconvert")));
    const QStringList arguments{QStringLiteral("-o"), sumo->netFileName(),
                                QStringLiteral("-n"), sumo->nodeFileName(),
                                QStringLiteral("-e"), sumo->edgeFileName(),
                                QStringLiteral("-x"), sumo->connectionFileName(),
                                QStringLiteral("--no-turnarounds"), QStringLiteral("true")};
    QByteArray errors;
    if (runTool(program, arguments, dir, &errors))
        return true;
    showToolErrors(tr("netconvert errors"), QStringLiteral("netconvert ") + arguments.join(QLatin1Char(' ')), errors);
    return false;
}

bool SUMOExportDlga::runTool(const QString &program, const QStringList &arguments, const QString &dir,
                             QByteArray *errors)
{
    QProcess process;
    process.setWorkingDirectory(dir);
    process.start(program, arguments);
    if (!process.waitForStarted(toolTimeout)) {
        *errors = process.errorString().toLocal8Bit();
        return false;
    }
    process.closeWriteChannel();
    const bool finished = process.waitForFinished(toolTimeout);
    if (!finished) {
        process.kill();
        process.waitForFinished();
    }
    *errors = process.readAllStandardError();
    if (!finished)
        *errors += '\n' + tr("Not finished within %1 s").arg(toolTimeout / 1000).toLocal8Bit();
    return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

void SUMOExportDlga::showToolErrors(const QString &title, const QString &commandLine, const QByteArray &errors)
{
    QDialog window(this);
    window.setObjectName(QStringLiteral("toolErrors"));
    window.setWindowTitle(title);
    auto *layout = new QVBoxLayout(&window);
    auto *text = new QTextEdit(&window);
    text->setObjectName(QStringLiteral("errors"));
    text->setReadOnly(true);
    text->setPlainText(commandLine + QLatin1Char('\n') + QString::fromLocal8Bit(errors));
    layout->addWidget(text);
    window.exec();
}

} // namespace Trelvoga
