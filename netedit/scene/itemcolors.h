#pragma once

#include <QColor>

namespace Trelvoga {

// Default values of the items' static colours (Nodeg::nodeColor and the like), so that the items and
// the colour settings share them:   QColor Nodeg::nodeColor = ItemColors::node();
namespace ItemColors {
inline QColor node() { return QColor(160, 160, 164, 255); }
inline QColor nodeSelected() { return QColor(0, 255, 0, 255); }
inline QColor junction() { return QColor(160, 160, 164, 127); }
inline QColor junctionSelected() { return QColor(0, 255, 0, 127); }
inline QColor nodeMarker() { return QColor(255, 0, 0, 255); }
inline QColor edgeMarker() { return QColor(255, 0, 0, 255); }
inline QColor edgeGroupMarker() { return QColor(255, 0, 0, 255); }
inline QColor road() { return QColor(0, 0, 0, 127); }
inline QColor sidewalk() { return QColor(192, 192, 192, 127); }
inline QColor splitlane() { return QColor(255, 0, 0, 127); }
inline QColor laneMarker() { return QColor(255, 0, 0, 255); }
inline QColor crossWalk() { return QColor(128, 128, 128, 143); }
inline QColor walkingArea() { return QColor(192, 192, 192, 127); }
inline QColor walkingAreaSelected() { return QColor(0, 255, 0, 127); }
inline QColor detector() { return QColor(114, 188, 210, 255); }
inline QColor detectorSelected() { return QColor(255, 243, 8, 255); }
inline QColor detectorGroup() { return QColor(71, 78, 210, 255); }
inline QColor detectorGroupSelected() { return QColor(239, 255, 62, 255); }
inline QColor compositeDetector() { return QColor(71, 78, 210, 255); }
inline QColor compositeDetectorSelected() { return QColor(239, 255, 62, 255); }
inline QColor emergencyDetector() { return QColor(255, 16, 16, 32); }
inline QColor emergencyDetectorSelected() { return QColor(255, 243, 8, 32); }
inline QColor route() { return QColor(34, 130, 255, 127); }
inline QColor routeSelected() { return QColor(246, 251, 0, 255); }
inline QColor taz() { return QColor(29, 236, 229, 255); }
inline QColor tazSelected() { return QColor(246, 251, 0, 255); }
inline QColor ptStop() { return QColor(89, 183, 237, 127); }
inline QColor ptStopSelected() { return QColor(255, 243, 8, 255); }
inline QColor pointObject() { return QColor(0, 170, 255, 255); }
inline QColor pointObjectSelected() { return QColor(0, 255, 16, 255); }
} // namespace ItemColors

} // namespace Trelvoga
