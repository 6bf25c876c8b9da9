#include "sumoplainwriter.h"

#include "sumoexportmodel.h"

#include <QDir>
#include <QFile>
#include <QXmlStreamWriter>

#include <functional>

namespace Trelvoa {

bool writeSumoXml(const QString &fileName, QString *error, const std::function<void(QXmlStreamWriter &)> &body)
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(4);
    xml.writeStartDocument();
    body(xml);
    xml.writeEndDocument();
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        *error = QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(fileName), file.errorString());
        return false;
    }
    return true;
}


SumoPlainWriter::SumoPlainWriter(const SumoExportModel &model)
    : m_model(model)
{
}

QString SumoPlainWriter::number(double value)
{
    return QString::number(value, 'f', 2);
}

QString SumoPlainWriter::shapeText(const QVector<QPointF> &points)
{
    QString text;
    text.reserve(points.size() * 20);
    for (const QPointF &p : points) {
        if (!text.isEmpty())
            text += QLatin1Char(' ');
        text += number(p.x());
        text += QLatin1Char(',');
        text += number(p.y());
    }
    return text;
}

bool SumoPlainWriter::writeNodes(const QString &fileName, const QString &projection)
{
    return writeSumoXml(fileName, &m_error, [&](QXmlStreamWriter &xml) {
        xml.writeStartElement(QStringLiteral("nodes"));
        xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.9"));
        const QRectF &b = m_model.bounds;
        const QRectF &g = m_model.geoBounds;
        auto box = [](const QRectF &r, int precision) {
            return QStringLiteral("%1,%2,%3,%4")
                .arg(r.left(), 0, 'f', precision)
                .arg(r.top(), 0, 'f', precision)
                .arg(r.right(), 0, 'f', precision)
                .arg(r.bottom(), 0, 'f', precision);
        };
        xml.writeEmptyElement(QStringLiteral("location"));
        xml.writeAttribute(QStringLiteral("netOffset"), number(m_model.netOffset.x()) + QLatin1Char(',') + number(m_model.netOffset.y()));
        xml.writeAttribute(QStringLiteral("convBoundary"), box(b, 2));
        xml.writeAttribute(QStringLiteral("origBoundary"), box(g, projection.isEmpty() ? 2 : 6));
        xml.writeAttribute(QStringLiteral("projParameter"), projection.isEmpty() ? QStringLiteral("!") : projection);
        for (const SumoExportModel::Junction &j : m_model.junctions) {
            xml.writeEmptyElement(QStringLiteral("node"));
            xml.writeAttribute(QStringLiteral("id"), j.id);
            xml.writeAttribute(QStringLiteral("x"), number(j.pos.x()));
            xml.writeAttribute(QStringLiteral("y"), number(j.pos.y()));
            if (!j.type.isEmpty())
                xml.writeAttribute(QStringLiteral("type"), j.type);
            if (!j.tl.isEmpty())
                xml.writeAttribute(QStringLiteral("tl"), j.tl);
            if (!j.shape.isEmpty())
                xml.writeAttribute(QStringLiteral("shape"), shapeText(j.shape));
        }
        xml.writeEndElement();
    });
}

bool SumoPlainWriter::writeEdges(const QString &fileName)
{
    return writeSumoXml(fileName, &m_error, [&](QXmlStreamWriter &xml) {
        xml.writeStartElement(QStringLiteral("edges"));
        xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.9"));
        for (const SumoExportModel::Edge &e : m_model.edges) {
            xml.writeStartElement(QStringLiteral("edge"));
            xml.writeAttribute(QStringLiteral("id"), e.id);
            xml.writeAttribute(QStringLiteral("from"), e.from);
            xml.writeAttribute(QStringLiteral("to"), e.to);
            xml.writeAttribute(QStringLiteral("numLanes"), QString::number(e.lanes.size()));
            xml.writeAttribute(QStringLiteral("spreadType"), e.centred ? QStringLiteral("center") : QStringLiteral("right"));
            if (!e.name.isEmpty())
                xml.writeAttribute(QStringLiteral("name"), e.name);
            if (e.priority != -1)
                xml.writeAttribute(QStringLiteral("priority"), QString::number(e.priority));
            if (e.shape.size() >= 2)
                xml.writeAttribute(QStringLiteral("shape"), shapeText(e.shape));
            for (int i = 0; i < e.lanes.size(); ++i) {
                const SumoExportModel::Lane &l = e.lanes.at(i);
                xml.writeEmptyElement(QStringLiteral("lane"));
                xml.writeAttribute(QStringLiteral("index"), QString::number(i));
                if (!l.classAttribute.isEmpty())
                    xml.writeAttribute(l.classAttribute, l.classes);
                xml.writeAttribute(QStringLiteral("speed"), number(l.speed));
                xml.writeAttribute(QStringLiteral("width"), number(l.width));
                if (l.endOffset > 0)
                    xml.writeAttribute(QStringLiteral("endOffset"), number(l.endOffset));
                if (!l.shape.isEmpty())
                    xml.writeAttribute(QStringLiteral("shape"), shapeText(l.shape));
            }
            xml.writeEndElement();
        }
        xml.writeEndElement();
    });
}

bool SumoPlainWriter::writeConnections(const QString &fileName)
{
    return writeSumoXml(fileName, &m_error, [&](QXmlStreamWriter &xml) {
        xml.writeStartElement(QStringLiteral("connections"));
        xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.9"));
        for (const SumoExportModel::Edge &e : m_model.edges) {
            if (e.hasConnections)
                continue;
            xml.writeEmptyElement(QStringLiteral("connection"));
            xml.writeAttribute(QStringLiteral("from"), e.id);
        }
        for (const SumoExportModel::Connection &c : m_model.connections) {
            xml.writeEmptyElement(QStringLiteral("connection"));
            xml.writeAttribute(QStringLiteral("from"), c.from);
            xml.writeAttribute(QStringLiteral("to"), c.to);
            xml.writeAttribute(QStringLiteral("fromLane"), QString::number(c.fromLane));
            xml.writeAttribute(QStringLiteral("toLane"), QString::number(c.toLane));
            if (c.speed >= 0)
                xml.writeAttribute(QStringLiteral("speed"), number(c.speed));
            if (c.shape.size() >= 2)
                xml.writeAttribute(QStringLiteral("shape"), shapeText(c.shape));
            for (const auto &a : c.extra)
                xml.writeAttribute(a.first, a.second);
        }
        for (const SumoExportModel::Prohibition &p : m_model.prohibitions) {
            xml.writeEmptyElement(QStringLiteral("prohibition"));
            xml.writeAttribute(QStringLiteral("prohibitor"), p.prohibitorFrom + QLatin1String("->") + p.prohibitorTo);
            xml.writeAttribute(QStringLiteral("prohibited"), p.prohibitedFrom + QLatin1String("->") + p.prohibitedTo);
        }
        for (const SumoExportModel::Crossing &x : m_model.crossings) {
            xml.writeEmptyElement(QStringLiteral("crossing"));
            xml.writeAttribute(QStringLiteral("node"), x.node);
            xml.writeAttribute(QStringLiteral("edges"), x.edges.join(QLatin1Char(' ')));
            xml.writeAttribute(QStringLiteral("width"), number(x.width));
            if (x.linkIndex >= 0)
                xml.writeAttribute(QStringLiteral("linkIndex"), QString::number(x.linkIndex));
        }
        xml.writeEndElement();
    });
}

bool SumoPlainWriter::writeTlLogics(const QString &fileName)
{
    return writeSumoXml(fileName, &m_error, [&](QXmlStreamWriter &xml) {
        xml.writeStartElement(QStringLiteral("tlLogics"));
        xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.9"));
        for (const SumoExportModel::TlLogic &logic : m_model.tlLogics) {
            xml.writeStartElement(QStringLiteral("tlLogic"));
            xml.writeAttribute(QStringLiteral("id"), logic.id);
            xml.writeAttribute(QStringLiteral("type"), QStringLiteral("static"));
            xml.writeAttribute(QStringLiteral("programID"), QStringLiteral("0"));
            xml.writeAttribute(QStringLiteral("offset"), QStringLiteral("0"));
            for (const SumoExportModel::Phase &p : logic.phases) {
                xml.writeEmptyElement(QStringLiteral("phase"));
                xml.writeAttribute(QStringLiteral("duration"), QString::number(p.duration));
                xml.writeAttribute(QStringLiteral("state"), p.state);
            }
            xml.writeEndElement();
        }
        for (const SumoExportModel::Connection &c : m_model.connections) {
            if (c.tl.isEmpty() || c.linkIndex < 0)
                continue;
            xml.writeEmptyElement(QStringLiteral("connection"));
            xml.writeAttribute(QStringLiteral("from"), c.from);
            xml.writeAttribute(QStringLiteral("to"), c.to);
            xml.writeAttribute(QStringLiteral("fromLane"), QString::number(c.fromLane));
            xml.writeAttribute(QStringLiteral("toLane"), QString::number(c.toLane));
            xml.writeAttribute(QStringLiteral("tl"), c.tl);
            xml.writeAttribute(QStringLiteral("linkIndex"), QString::number(c.linkIndex));
        }
        xml.writeEndElement();
    });
}

} // namespace Trelvoa
