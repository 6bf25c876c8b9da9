#include "networkfiles.h"

#include "io/fileprefetch.h"
#include "network.h"
#include "sumo/sumonetimporter.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace NetworkFiles {

bool isSumoNetwork(const QString &fileName)
{
    const QString lower = fileName.toLower();
    return lower.endsWith(QLatin1String(".net.xml")) || lower.endsWith(QLatin1String(".net.xml.gz"));
}

void prefetch(const QString &fileName)
{
    Trelvoa::FilePrefetch::start(fileName, isSumoNetwork(fileName) ? Trelvoa::FilePrefetch::Bytes
                                                                   : Trelvoa::FilePrefetch::Document);
}

void dropPrefetch()
{
    Trelvoa::FilePrefetch::discard();
}

bool load(Trelvoa::Network *network, const QString &fileName, bool sumo, QString *error, QStringList *warnings)
{
    const QFileInfo info(fileName);
    QString why;
    bool ok = false;
    if (!info.exists()) {
        why = QCoreApplication::translate("NetworkFiles", "The file does not exist");
    } else if (!info.isFile()) {
        why = QCoreApplication::translate("NetworkFiles", "Not a file");
    } else if (!info.isReadable()) {
        why = QCoreApplication::translate("NetworkFiles", "No permission to read the file");
    } else {
        ok = sumo ? Trelvoa::importSumoNetwork(network, fileName, warnings) : network->load(fileName, false);
        why = network->errorString();
    }
    if (!ok && error)
        *error = QCoreApplication::translate("NetworkFiles", "Cannot open %1: %2").arg(fileName, why);
    return ok;
}

bool save(Trelvoa::Network *network, const QString &fileName, QString *error)
{
    const bool full = fileName.endsWith(QLatin1String(".trvaf"), Qt::CaseInsensitive);
    if (network->save(fileName, false, full))
        return true;
    if (error)
        *error = QCoreApplication::translate("NetworkFiles", "Cannot save %1: %2").arg(fileName, network->errorString());
    return false;
}

} // namespace NetworkFiles
