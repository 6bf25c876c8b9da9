// The main window's panorama and colour settings.
#include "mainwindow.h"

void MainWindow::createPanoramaAndColours()
{
}
