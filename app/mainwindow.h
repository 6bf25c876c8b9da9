#pragma once

#include <QMainWindow>

// The editor's main window. It shows the open network's file name in its title.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);

    // Opens a network file; returns false and sets *error when it cannot be read.
    bool openFile(const QString &fileName, QString *error);
    QString fileName() const { return m_fileName; }

private:
    void updateTitle();

    QString m_fileName;
};
