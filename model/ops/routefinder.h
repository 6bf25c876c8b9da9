#pragma once

#include "lane.h"

#include <QList>
#include <QString>

// The course search behind Network::findRoute and Route; not part of the library's interface.
namespace Trelvoa {

class Edge;

namespace RouteFinder {

// The shortest course through `edges` in their order (see Network::findRoute); consecutive repeats of
// an edge count once. Edges being deleted are never used. Empty, with *error (may be null) saying why,
// when there is none.
QList<Edge *> findCourse(const QList<Edge *> &edges, Lane::VehicleClasses classes, QString *error = nullptr);

} // namespace RouteFinder
} // namespace Trelvoa
