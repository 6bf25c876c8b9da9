#pragma once

#include "trelvoa_global.h"

#include <QRectF>
#include <QString>
#include <QStringList>
#include <QVector>

namespace Trelvoa {

class SumoExportModel;

// Writes the files of a SUMO project around the network file: TAZ, demand (flows between zones,
// the model's routes, measured counts), detectors, GUI settings and the .sumocfg naming them.
class TRELVOA_EXPORT SumoProjectWriter
{
public:
    struct Flow
    {
        QString fromTaz;
        QString toTaz;
        int begin = 0;
        int end = 0;
        int count = 0;
        int vehicleClass = 0; // a Lane::VehicleClass bit
    };
    struct Config
    {
        QString netFile;
        QStringList routeFiles;
        QStringList additionalFiles;
        QString guiSettingsFile;
        int end = 0; // 0: none
    };

    explicit SumoProjectWriter(const SumoExportModel &model);

    // Every zone with its source and sink edges, and a zone "ped<id>" per zone with sidewalks, whose
    // sidewalk edges are both sources and sinks (pedestrian demand from od2trips --pedestrians).
    bool writeTaz(const QString &fileName);
    // Vehicle types of the flows' classes, the model's routes, the flows and (withCounts) the measured
    // counts as flows from edge to edge, sorted by their begin as SUMO requires. Pedestrian flows are
    // left out: pedestrian demand goes through od2trips.
    bool writeRoutes(const QString &fileName, const QVector<Flow> &flows, bool withCounts);
    // Induction loops, and (withMulti) entry/exit detectors; their output goes to outputFile.
    bool writeDetectors(const QString &fileName, bool withMulti, const QString &outputFile);
    // viewport in network coordinates (an empty one: the whole network).
    bool writeGuiSettings(const QString &fileName, const QRectF &viewport, const QString &scheme, int delay);
    bool writeConfig(const QString &fileName, const Config &config);

    // Whether writeRoutes would write anything besides vehicle types.
    bool hasDemand(const QVector<Flow> &flows, bool withCounts) const;

    QString errorString() const { return m_error; }

private:
    const SumoExportModel &m_model;
    QString m_error;
};

} // namespace Trelvoa
