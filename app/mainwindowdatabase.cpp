// The main window's database menu.
#include "mainwindow.h"

void MainWindow::createDatabaseMenu()
{
}
