// The street-view panorama dock and its marker on the map.
#include "editor/netedit.h"
#include "editor/neteditprivate.h"

namespace Trelvoga {

void NetEdit::addPanoramaContextMenu(QMenu *)
{
}

void NetEdit::loadPanoramaHtml()
{
}

void NetEdit::showPanoramaSetupDlg(QWidget *)
{
}

void NetEdit::showPanorama()
{
}

void NetEdit::panoramaClosed()
{
}

void NetEdit::panoramaPosChanged(double, double)
{
}

void NetEdit::panoramaPovChanged(double)
{
}

} // namespace Trelvoga
