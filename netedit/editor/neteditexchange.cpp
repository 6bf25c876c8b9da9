// Exchange with the road database server and the Vantal service.
#include "editor/netedit.h"
#include "editor/neteditprivate.h"

#include <QRectF>
#include <QUrl>

namespace Trelvoga {

void NetEditPrivate::createDbActions()
{
}

QUrl NetEdit::getRRSUrl()
{
    return QUrl();
}

void NetEdit::uploadData(const QByteArray &)
{
}

void NetEdit::downloadNetworkForArea(const QRectF &, bool)
{
}

void NetEdit::downloadGranule(const QString &)
{
}

void NetEdit::downloadNetworkFromVantal()
{
}

void NetEdit::uploadNetworkToVantal()
{
}

} // namespace Trelvoga
