// Measured traffic counts of a junction.
#include "editor/netedit.h"

#include "dialogs/intensitydlga.h"
#include "editor/neteditprivate.h"
#include "scene/networkg.h"

#include "node.h"

namespace Trelvoga {

void NetEdit::editMeasurementData()
{
    Trelvoa::Node *node = nullptr;
    for (Trelvoa::NetObject *object : selectedObjects()) {
        if (auto *selected = qobject_cast<Trelvoa::Node *>(object)) {
            // The counts are of one junction: with several selected it is not clear which.
            if (node && node != selected)
                return;
            node = selected;
        }
    }
    if (!node)
        return;
    QWidget *parent = findMainWindow();
    if (!parent)
        parent = d->view;
    IntensityDlga dialog(d->net, node->id(), parent);
    if (dialog.exec() == QDialog::Accepted)
        d->net->setChanged(true);
}

} // namespace Trelvoga
