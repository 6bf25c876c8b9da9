// The network exported to the SUMO simulator.
#include "editor/netedit.h"

#include "editor/neteditprivate.h"
#include "export/sumoexportdlga.h"
#include "scene/networkg.h"

#include <QGraphicsView>

namespace Trelvoga {

void NetEdit::runExportDialog(const QString &networkFile, const QString &tlConfigDir, int tlList)
{
    QWidget *parent = findMainWindow();
    if (!parent)
        parent = d->view;
    SUMOExportDlga dialog(d->net, parent, networkFile, tlConfigDir, tlList);
    if (d->view)
        dialog.setVisibleRect(d->view->mapToScene(d->view->viewport()->rect()).boundingRect());
    connect(&dialog, &SUMOExportDlga::logMessage, this, &NetEdit::logMessage);
    dialog.exec();
}

} // namespace Trelvoga
