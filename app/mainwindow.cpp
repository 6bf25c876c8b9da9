#include "mainwindow.h"

#include <QFileInfo>
#include <QLabel>

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    auto *placeholder = new QLabel(this);
    placeholder->setAlignment(Qt::AlignCenter);
    setCentralWidget(placeholder);
    resize(1024, 768);
    updateTitle();
}

bool MainWindow::openFile(const QString &fileName, QString *error)
{
    QFileInfo info(fileName);
    if (!info.isFile() || !info.isReadable()) {
        if (error)
            *error = tr("Cannot read \"%1\"").arg(fileName);
        return false;
    }
    m_fileName = info.absoluteFilePath();
    updateTitle();
    return true;
}

void MainWindow::updateTitle()
{
    const QString name = m_fileName.isEmpty() ? tr("Untitled") : QFileInfo(m_fileName).fileName();
    setWindowTitle(tr("%1 - Trelvo network editor").arg(name));
}
