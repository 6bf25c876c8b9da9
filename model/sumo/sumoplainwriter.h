#pragma once

#include "trelvoa_global.h"

#include <QPointF>
#include <QString>
#include <QVector>

#include <functional>

class QXmlStreamWriter;

namespace Trelvoa {

// Writes an XML document into memory first, then the file in one write: nothing half-written on
// failure (*error then says why).
bool writeSumoXml(const QString &fileName, QString *error, const std::function<void(QXmlStreamWriter &)> &body);

class SumoExportModel;

// Writes a converted network as SUMO's plain XML files for netconvert: nodes (with the location),
// edges with every lane's width, speed, classes and shape, connections (an edge into a junction
// without connections says so, so that netconvert adds none) and crossings, and the traffic-light
// programs with the link indexes of the connections. Coordinates are written with SUMO's precision
// (centimetres).
class TRELVOA_EXPORT SumoPlainWriter
{
public:
    explicit SumoPlainWriter(const SumoExportModel &model);

    // projection: the PROJ string (empty: none).
    bool writeNodes(const QString &fileName, const QString &projection);
    bool writeEdges(const QString &fileName);
    bool writeConnections(const QString &fileName);
    bool writeTlLogics(const QString &fileName);

    QString errorString() const { return m_error; }

    // "x,y x,y ..." with two decimals.
    static QString shapeText(const QVector<QPointF> &points);
    static QString number(double value);

private:
    const SumoExportModel &m_model;
    QString m_error;
};

} // namespace Trelvoa
