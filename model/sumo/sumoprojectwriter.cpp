#include "sumoprojectwriter.h"

#include "sumoexportmodel.h"
#include "sumoplainwriter.h"
#include "sumovehicleclasses.h"

#include <QDir>
#include <QFile>
#include <QXmlStreamWriter>

#include <algorithm>
#include <cmath>
#include <functional>

namespace Trelvoa {

namespace {

constexpr int kPedestrian = 0x100000;
constexpr int kDetectorPeriod = 60;


QString typeId(int vehicleClass)
{
    return QStringLiteral("vc_") + SumoVehicleClasses::primaryName(vehicleClass);
}

void writeDetector(QXmlStreamWriter &xml, const QString &element, const SumoExportModel::Detector &d)
{
    xml.writeEmptyElement(element);
    xml.writeAttribute(QStringLiteral("lane"), d.lane);
    xml.writeAttribute(QStringLiteral("pos"), SumoPlainWriter::number(d.pos));
    xml.writeAttribute(QStringLiteral("friendlyPos"), QStringLiteral("true"));
}

} // namespace

SumoProjectWriter::SumoProjectWriter(const SumoExportModel &model)
    : m_model(model)
{
}

bool SumoProjectWriter::writeTaz(const QString &fileName)
{
    return writeSumoXml(fileName, &m_error, [&](QXmlStreamWriter &xml) {
        xml.writeStartElement(QStringLiteral("additional"));
        auto link = [&](const char *element, const QString &edge) {
            xml.writeEmptyElement(QString::fromLatin1(element));
            xml.writeAttribute(QStringLiteral("id"), edge);
            xml.writeAttribute(QStringLiteral("weight"), QStringLiteral("1.00"));
        };
        for (const SumoExportModel::Taz &t : m_model.tazs) {
            xml.writeStartElement(QStringLiteral("taz"));
            xml.writeAttribute(QStringLiteral("id"), t.id);
            if (t.shape.size() >= 3)
                xml.writeAttribute(QStringLiteral("shape"), SumoPlainWriter::shapeText(t.shape));
            for (const SumoExportModel::TazLink &l : t.links)
                link(l.source ? "tazSource" : "tazSink", l.edge);
            xml.writeEndElement();
        }
        for (const SumoExportModel::Taz &t : m_model.tazs) {
            if (std::none_of(t.links.begin(), t.links.end(), [](const SumoExportModel::TazLink &l) { return l.sidewalk; }))
                continue;
            xml.writeStartElement(QStringLiteral("taz"));
            xml.writeAttribute(QStringLiteral("id"), QStringLiteral("ped") + t.id);
            for (const SumoExportModel::TazLink &l : t.links) {
                if (!l.sidewalk)
                    continue;
                link("tazSource", l.edge);
                link("tazSink", l.edge);
            }
            xml.writeEndElement();
        }
        xml.writeEndElement();
    });
}

bool SumoProjectWriter::hasDemand(const QVector<Flow> &flows, bool withCounts) const
{
    if (!m_model.routes.isEmpty() || (withCounts && !m_model.counts.isEmpty()))
        return true;
    return std::any_of(flows.begin(), flows.end(), [](const Flow &f) { return f.vehicleClass != kPedestrian && f.count > 0; });
}

bool SumoProjectWriter::writeRoutes(const QString &fileName, const QVector<Flow> &flows, bool withCounts)
{
    struct Entry
    {
        int begin;
        int order;
        const Flow *flow;
        const SumoExportModel::Count *count;
    };
    QVector<Entry> entries;
    QVector<int> classes;
    for (const Flow &f : flows) {
        if (f.vehicleClass == kPedestrian || f.count <= 0 || SumoVehicleClasses::primaryName(f.vehicleClass).isEmpty())
            continue;
        entries.append({f.begin, entries.size(), &f, nullptr});
        if (!classes.contains(f.vehicleClass))
            classes.append(f.vehicleClass);
    }
    if (withCounts) {
        for (const SumoExportModel::Count &c : m_model.counts)
            entries.append({c.begin, entries.size(), nullptr, &c});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        return a.begin != b.begin ? a.begin < b.begin : a.order < b.order;
    });
    std::sort(classes.begin(), classes.end());
    return writeSumoXml(fileName, &m_error, [&](QXmlStreamWriter &xml) {
        xml.writeStartElement(QStringLiteral("routes"));
        for (int vehicleClass : qAsConst(classes)) {
            xml.writeEmptyElement(QStringLiteral("vType"));
            xml.writeAttribute(QStringLiteral("id"), typeId(vehicleClass));
            xml.writeAttribute(QStringLiteral("vClass"), SumoVehicleClasses::primaryName(vehicleClass));
        }
        for (const SumoExportModel::Route &r : m_model.routes) {
            xml.writeEmptyElement(QStringLiteral("route"));
            xml.writeAttribute(QStringLiteral("id"), r.id);
            xml.writeAttribute(QStringLiteral("edges"), r.edges.join(QLatin1Char(' ')));
        }
        int flowNumber = 0;
        int countNumber = 0;
        for (const Entry &e : qAsConst(entries)) {
            xml.writeEmptyElement(QStringLiteral("flow"));
            if (e.flow) {
                const Flow &f = *e.flow;
                xml.writeAttribute(QStringLiteral("id"), QStringLiteral("flow%1").arg(flowNumber++));
                xml.writeAttribute(QStringLiteral("type"), typeId(f.vehicleClass));
                xml.writeAttribute(QStringLiteral("begin"), QString::number(f.begin));
                xml.writeAttribute(QStringLiteral("end"), QString::number(qMax(f.end, f.begin + 1)));
                xml.writeAttribute(QStringLiteral("number"), QString::number(f.count));
                xml.writeAttribute(QStringLiteral("fromTaz"), f.fromTaz);
                xml.writeAttribute(QStringLiteral("toTaz"), f.toTaz);
            } else {
                const SumoExportModel::Count &c = *e.count;
                xml.writeAttribute(QStringLiteral("id"), QStringLiteral("count%1").arg(countNumber++));
                xml.writeAttribute(QStringLiteral("begin"), QString::number(c.begin));
                xml.writeAttribute(QStringLiteral("end"), QString::number(qMax(c.end, c.begin + 1)));
                xml.writeAttribute(QStringLiteral("number"), QString::number(c.number));
                xml.writeAttribute(QStringLiteral("from"), c.from);
                xml.writeAttribute(QStringLiteral("to"), c.to);
            }
            xml.writeAttribute(QStringLiteral("departLane"), QStringLiteral("best"));
            xml.writeAttribute(QStringLiteral("departSpeed"), QStringLiteral("max"));
        }
        xml.writeEndElement();
    });
}

bool SumoProjectWriter::writeDetectors(const QString &fileName, bool withMulti, const QString &outputFile)
{
    return writeSumoXml(fileName, &m_error, [&](QXmlStreamWriter &xml) {
        xml.writeStartElement(QStringLiteral("additional"));
        for (const SumoExportModel::Detector &d : m_model.detectors) {
            xml.writeEmptyElement(QStringLiteral("inductionLoop"));
            xml.writeAttribute(QStringLiteral("id"), d.id);
            xml.writeAttribute(QStringLiteral("lane"), d.lane);
            xml.writeAttribute(QStringLiteral("pos"), SumoPlainWriter::number(d.pos));
            xml.writeAttribute(QStringLiteral("friendlyPos"), QStringLiteral("true"));
            xml.writeAttribute(QStringLiteral("freq"), QString::number(kDetectorPeriod));
            xml.writeAttribute(QStringLiteral("file"), outputFile);
        }
        if (withMulti) {
            for (const SumoExportModel::MultiDetector &md : m_model.multiDetectors) {
                xml.writeStartElement(QStringLiteral("entryExitDetector"));
                xml.writeAttribute(QStringLiteral("id"), md.id);
                xml.writeAttribute(QStringLiteral("freq"), QString::number(kDetectorPeriod));
                xml.writeAttribute(QStringLiteral("file"), outputFile);
                for (const SumoExportModel::Detector &d : md.entries)
                    writeDetector(xml, QStringLiteral("detEntry"), d);
                for (const SumoExportModel::Detector &d : md.exits)
                    writeDetector(xml, QStringLiteral("detExit"), d);
                xml.writeEndElement();
            }
        }
        xml.writeEndElement();
    });
}

bool SumoProjectWriter::writeGuiSettings(const QString &fileName, const QRectF &viewport, const QString &scheme, int delay)
{
    const QRectF view = viewport.isValid() && !viewport.isEmpty() ? viewport : m_model.bounds;
    return writeSumoXml(fileName, &m_error, [&](QXmlStreamWriter &xml) {
        xml.writeStartElement(QStringLiteral("viewsettings"));
        if (!scheme.isEmpty()) {
            xml.writeEmptyElement(QStringLiteral("scheme"));
            xml.writeAttribute(QStringLiteral("name"), scheme);
        }
        // SUMO's zoom 100 shows the whole network.
        const QRectF &net = m_model.bounds;
        double zoom = 100;
        if (view.width() > 0 && view.height() > 0 && net.width() > 0 && net.height() > 0)
            zoom = 100 * qMax(net.width() / view.width(), net.height() / view.height());
        xml.writeEmptyElement(QStringLiteral("viewport"));
        xml.writeAttribute(QStringLiteral("zoom"), SumoPlainWriter::number(qBound(1.0, zoom, 1e6)));
        xml.writeAttribute(QStringLiteral("x"), SumoPlainWriter::number(view.center().x()));
        xml.writeAttribute(QStringLiteral("y"), SumoPlainWriter::number(view.center().y()));
        xml.writeEmptyElement(QStringLiteral("delay"));
        xml.writeAttribute(QStringLiteral("value"), QString::number(qMax(0, delay)));
        xml.writeEndElement();
    });
}

bool SumoProjectWriter::writeConfig(const QString &fileName, const Config &config)
{
    return writeSumoXml(fileName, &m_error, [&](QXmlStreamWriter &xml) {
        xml.writeStartElement(QStringLiteral("configuration"));
        xml.writeStartElement(QStringLiteral("input"));
        auto value = [&](const char *element, const QString &text) {
            if (text.isEmpty())
                return;
            xml.writeEmptyElement(QString::fromLatin1(element));
            xml.writeAttribute(QStringLiteral("value"), text);
        };
        value("net-file", config.netFile);
        value("route-files", config.routeFiles.join(QLatin1Char(',')));
        value("additional-files", config.additionalFiles.join(QLatin1Char(',')));
        xml.writeEndElement();
        if (config.end > 0) {
            xml.writeStartElement(QStringLiteral("time"));
            value("begin", QStringLiteral("0"));
            value("end", QString::number(config.end));
            xml.writeEndElement();
        }
        if (!config.guiSettingsFile.isEmpty()) {
            xml.writeStartElement(QStringLiteral("gui_only"));
            value("gui-settings-file", config.guiSettingsFile);
            xml.writeEndElement();
        }
        xml.writeEndElement();
    });
}

} // namespace Trelvoa
