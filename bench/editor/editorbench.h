#pragma once

// What the editing benchmarks share: a shared real network opened as our own file in a scene network
// shown by a map view (not on screen), with the editor on it, its undo stack and its object tree.

#include "mapview.h"
#include "editor/netedit.h"
#include "scene/networkg.h"
#include "scene/networkscene.h"

#include <QPointF>
#include <QSize>
#include <QString>

#include <memory>

class QUndoStack;

namespace BenchSupport {

struct EditorBench
{
    Trelvoga::NetworkScene scene;
    std::unique_ptr<Trelvoga::Networkg> net;
    std::unique_ptr<MapView> view;
    std::unique_ptr<Trelvoga::NetEdit> edit;
    QUndoStack *stack = nullptr;

    // Model XY to the scene (through the network's projection, when it has one).
    QPointF toScene(const QPointF &xy) const;
};

// Opens the shared SUMO network `relative` (imported, saved as our file, loaded back) for editing;
// null, with the reason on stderr, when that fails.
std::unique_ptr<EditorBench> openForEditing(const QString &relative, const QSize &viewSize);

} // namespace BenchSupport
