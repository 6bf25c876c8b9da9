#include "granule.h"

#include "io/networkreader.h"
#include "io/networkwriter.h"
#include "network.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace Trelvoa {

bool Granule::save(QXmlStreamWriter &writer, bool fullGeometry) const
{
    Network *net = network();
    if (!net)
        return false;
    NetworkWriter w(net);
    if (!w.writeElement(writer, this, fullGeometry)) {
        NetworkWriter::reportError(net, w.errorString());
        return false;
    }
    return true;
}

Granule *Granule::fromStream(QXmlStreamReader &reader, Network *net, bool fullGeometry)
{
    Q_UNUSED(fullGeometry)
    if (!net)
        return nullptr;
    NetworkReader r(net);
    Granule *granule = r.readGranule(reader);
    if (!granule)
        NetworkWriter::reportError(net, r.errorString());
    return granule;
}

} // namespace Trelvoa
