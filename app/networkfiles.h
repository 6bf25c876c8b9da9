#pragma once

#include <QString>
#include <QStringList>

namespace Trelvoa {
class Network;
}

// Opening and saving network files for the application: our own format (.trva, .trvaf with full
// geometry) and SUMO networks (.net.xml, .net.xml.gz), which are imported.
namespace NetworkFiles {

// True for names that look like SUMO networks.
bool isSumoNetwork(const QString &fileName);

// Begins reading (and for our own files parsing) a file that load() will open soon, on a thread of
// its own: the program's start then overlaps the read.
void prefetch(const QString &fileName);
// Drops a prefetch that no load took.
void dropPrefetch();

// Replaces the network's content with the file's. False with *error (line, column, cause) when the file
// cannot be read; the network is then as it was. Things skipped on import go to *warnings.
bool load(Trelvoa::Network *network, const QString &fileName, bool sumo, QString *error,
          QStringList *warnings = nullptr);

// Writes the whole network; ".trvaf" also writes the derived geometry. The file is replaced only when
// everything was written.
bool save(Trelvoa::Network *network, const QString &fileName, QString *error);

} // namespace NetworkFiles
