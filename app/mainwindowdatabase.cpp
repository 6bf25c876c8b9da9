// The main window's database menu.
#include "mainwindow.h"
#include "serveraddressesdlga.h"

#include "editor/netedit.h"

#include <QAction>
#include <QMenuBar>
#include <QMenu>

void MainWindow::createDatabaseMenu()
{
    // Between the View and Settings menus: the menu bar already ends with Settings here.
    QMenu *database = new QMenu(tr("&Database"), this);
    database->setObjectName(QStringLiteral("databaseMenu"));
    database->addActions(m_edit->dbActions());
    menuBar()->insertMenu(m_settingsMenu->menuAction(), database);

    QAction *a = m_settingsMenu->addAction(tr("&Server addresses..."), this, [this] {
        ServerAddressesDlga dialog(this);
        dialog.exec();
    });
    a->setObjectName(QStringLiteral("actionServerAddresses"));
}
