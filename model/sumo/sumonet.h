#pragma once

#include "trelvoa_global.h"

#include <QRectF>
#include <QString>
#include <QStringList>

#include <memory>

namespace Trelvoa {

class Network;
class Taz;

// A network converted for the SUMO simulator (Network::toSUMO()). The conversion takes the network's
// state when it is made: junctions, edges with their lanes (widths, speeds, vehicle classes, shapes),
// connections, crosswalks and walking areas, traffic lights from granules with signal groups, TAZ,
// detectors, routes and measured data; the model's own connections and geometry are written as they
// are, never recomputed. Objects imported from SUMO keep their SUMO ids (their names), so that a
// scenario's route, stop and detector files still fit the exported network.
//
// What the export adds (flows, user files, the viewport, GUI settings) is set before a save. Every
// save writes into an existing directory and returns false with errorString() on failure; the file
// names are fixed by the converter and reported by the *FileName() accessors (names relative to the
// export directory).
class TRELVOA_EXPORT SUMONet
{
public:
    // Use Network::toSUMO(); null there with the network's errorString() when the network cannot be
    // converted.
    static std::shared_ptr<SUMONet> create(Network *network, QString *error);
    ~SUMONet();
    SUMONet(const SUMONet &) = delete;
    SUMONet &operator=(const SUMONet &) = delete;

    // The SUMO project: the network file, the TAZ, route, detector and GUI-settings files around it and
    // the .sumocfg that names them all. projection: the PROJ string the network's coordinates are in
    // (empty: none).
    bool saveAsProject(const QString &dir, const QString &projection);
    // SUMO's plain files (nodes, edges, connections, traffic-light definitions) for netconvert, and the
    // files of the project that do not depend on the network file.
    bool saveAsSource(const QString &dir, const QString &projection);
    // After netconvert has built the network file from the plain files: the plain files rewritten so
    // that a second netconvert run keeps what the first one changed against the model.
    bool reprocessSource(const QString &dir, const QString &projection);
    // The .sumocfg alone (after files were added to it).
    bool saveProjectFile(const QString &dir);
    // The TAZ file (with a "ped" zone per TAZ for pedestrian demand, as od2trips expects it).
    bool saveTazFile(const QString &dir);

    // A flow of `count` vehicles of the class (a Lane::VehicleClass bit) from one TAZ to another,
    // starting at `begin` seconds and spread over the experiment time.
    void addFlow(Taz *from, Taz *to, int begin, int count, int vehicleClass);
    // The simulated time in seconds (the end of the flows; 0: SUMO runs until the demand is done).
    void setExperimentTime(int seconds);
    int experimentTime() const;
    // Measured intensities of the nodes written as routes with flows.
    void allowSaveMesDataToRoute(bool allow);
    // Composite detectors written as SUMO multi-entry/exit detectors.
    void allowCreateMultiDetector(bool allow);
    // Route files of the user, joined by fileNameDelim(), added to the project.
    void setUserRouteFiles(const QString &files);
    void addUserAdditionalFile(const QString &file);
    // What separates file names in one text (SUMO's own list separator).
    static QString fileNameDelim();
    // The area the GUI shows first, in model coordinates.
    void setViewport(const QRectF &rect);
    // The GUI's colour scheme (empty: SUMO's default) and its simulation delay in ms.
    void setGuiSettings(const QString &scheme, int delay);

    QString netFileName() const;
    QString nodeFileName() const;
    QString edgeFileName() const;
    QString connectionFileName() const;
    QString tlDefFileName() const;
    QString tazFileName() const;
    QString projectFileName() const;
    // The further files of the project: the generated demand, the detectors and their output, and the
    // GUI settings.
    QString routeFileName() const;
    QString detectorFileName() const;
    QString detectorOutputFileName() const;
    QString guiSettingsFileName() const;
    QString errorString() const;
    // What the conversion had to leave out (edges without lanes, detectors off lanes), one line each.
    QStringList warnings() const;

    // SUMO's simulator (its GUI when gui), found in the PATH, else next to this program; the bare
    // name when it is found nowhere. No ".exe" outside Windows.
    static QString sumo_exe(bool gui);
    // The experiment launcher, found the same way.
    static QString sumoqlindar_exe();
    // A program of SUMO's found the same way ("netconvert", "od2trips"); the bare name when none.
    static QString findTool(const QString &name);

private:
    explicit SUMONet(Network *network);

    class Private;
    std::unique_ptr<Private> d;
};

} // namespace Trelvoa
