#pragma once

// A network with every kind of model object and every property set away from its default, built
// through the model's public calls; shared by the persistence tests.

#include "network.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

namespace Trelvoa {
class NetObject;
}

namespace EveryKind {

// Fills an empty network; returns the objects by name.
QMap<QString, Trelvoa::NetObject *> build(Trelvoa::Network *net);

// The whole network as a document, the way the editor saves it (auto-formatting, UTF-8).
QByteArray save(Trelvoa::Network *net, bool fullGeometry = false);
QByteArray saveFragment(Trelvoa::Network *net, const QList<Trelvoa::NetObject *> &objects);
// False (with the message) when the load failed.
bool load(Trelvoa::Network *net, const QByteArray &bytes, bool merge, QString *error = nullptr);

// The snapshot list of the editor: the object, its linked objects (recursively), its model children
// (recursively); each once, in the order met.
void collectObjects(Trelvoa::NetObject *object, QList<Trelvoa::NetObject *> *list);

// Every class name that the model saves, for the check that build() made one of each.
QStringList kindClassNames();

} // namespace EveryKind
