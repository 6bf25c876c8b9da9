#pragma once

// Canonical saves, fragments and the shared real networks: what tests compare a network by.

#include "netobject.h"
#include "network.h"

#include <QByteArray>
#include <QList>
#include <QPointF>
#include <QString>
#include <QVector>

namespace TestSupport {

// The editor's object collection: the object, its linked objects, then its model children, each once.
void collectObjects(Trelvoa::NetObject *object, QList<Trelvoa::NetObject *> *list);

// The whole network in canonical form; "save failed: <error>" when the save fails, so that a failed
// save never compares equal to a good one.
QByteArray saveAll(Trelvoa::Network *net);
// The whole network as the editor writes its files (auto-formatted, one element to a line, which is
// what large loads cut at); empty when the save fails.
QByteArray saveAsFile(Trelvoa::Network *net);
// The fragment of those objects as undo snapshots and the clipboard take it; empty on failure.
QByteArray saveFragment(Trelvoa::Network *net, const QList<Trelvoa::NetObject *> &objects);
// Merges a fragment into the network; false (with *error) on failure.
bool loadFragment(Trelvoa::Network *net, const QByteArray &data, QString *error = nullptr);
// The first line where two saves differ, or an empty string.
QString firstDifference(const QByteArray &before, const QByteArray &after);

// A file's bytes, gunzipped when compressed (plain files pass unchanged), read with zlib itself so that
// tests check the model's own reading against an independent one; empty when it cannot be read.
QByteArray readMaybeGzipped(const QString &fileName);
// The bytes gzip-compressed, as a .gz file holds them.
QByteArray gzip(const QByteArray &data);
// The points of a SUMO shape attribute ("x,y x,y ...").
QVector<QPointF> sumoPoints(const QString &text);

// The path of a file of the shared real networks.
QString dataPath(const QString &relative);
// The network at TRELVO_DATA_DIR/relative imported from SUMO; null (with *error) on failure.
Trelvoa::Network *importNetwork(const QString &relative, QString *error = nullptr);

} // namespace TestSupport
