#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <QRectF>
#include <QStringList>

class QAction;
class QDockWidget;
class QGraphicsScene;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QProgressDialog;
class QTreeWidget;
class QTreeWidgetItem;
class QUndoStack;
class MapView;
class ObjectEditorTree;

namespace Trelvoa {
class NetObject;
class Network;
} // namespace Trelvoa

namespace Trelvoga {
class NetEdit;
class Networkg;
} // namespace Trelvoga

// The editor's main window: the map view in the centre, the object tree, the property editor, the undo
// history and the message log as docks, the cursor position and zoom in the status bar.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Opens a network file (ours, or a SUMO network by its suffix). On failure *error holds the reason
    // (line, column, cause) and the open network is as it was.
    bool openFile(const QString &fileName, QString *error);
    bool saveFile(const QString &fileName, QString *error);
    QString fileName() const { return m_fileName; }

    Trelvoga::Networkg *network() const { return m_network; }
    Trelvoga::NetEdit *editor() const { return m_edit; }
    QUndoStack *undoStack() const { return m_undoStack; }
    MapView *view() const { return m_view; }
    QGraphicsScene *scene() const { return m_scene; }
    ObjectEditorTree *propertyEditor() const { return m_propertyEditor; }
    QTreeWidget *objectTree() const { return m_objectTree; }
    QPlainTextEdit *messageLog() const { return m_log; }

    // Renders the current view to an image of the given size (for --screenshot).
    QImage renderView(const QSize &size);
    // The scene's rectangle: the network's bounds with room to pan around them; returns the bounds.
    QRectF updateSceneRect();
    // Fits the view to the network.
    void fitNetwork();
    // Centres the view on focus: a node id, or "LON,LAT" ("X,Y" in model metres for a network without
    // projection); an empty focus keeps the centre. Then zoom (a web-map level) or, when zoom is 0,
    // span (metres the view shows across at least) sets the scale; both 0 keep it. False with *error
    // when the focus cannot be read or names no node.
    bool focusView(const QString &focus, int zoom, double span, QString *error);

    // Question boxes are skipped when set (tests, screenshot mode): a changed network is then kept.
    void setInteractive(bool interactive) { m_interactive = interactive; }

public slots:
    void logMessage(const QString &text, QtMsgType type);

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    void newWindow();
    void newNetwork();
    void open();
    void openSumo();
    bool save();
    bool saveAs();
    void openRecent();
    void cursorMoved(const QPointF &scenePos);
    void zoomChanged(int zoom);
    void loadProgress(qint64 bytes, int current, int total);

private:
    void createActions();
    // The "Database" menu and the server addresses' settings (mainwindowdatabase.cpp).
    void createDatabaseMenu();
    // View > Panorama, the colour settings and the stored colours (mainwindowextras.cpp).
    void createPanoramaAndColours();
    void createDocks();
    void createStatusBar();
    void createToolBars();
    void readSettings();
    void writeSettings();
    void addRecentFile(const QString &fileName);
    void updateRecentMenu();
    void updateTitle();
    void rebuildScene();
    // Asks whether to save a changed network; false when the user cancels.
    bool maybeSave();
    bool openWith(const QString &fileName, bool sumo, QString *error);

    Trelvoga::Networkg *m_network = nullptr;
    QGraphicsScene *m_scene = nullptr;
    MapView *m_view = nullptr;
    Trelvoga::NetEdit *m_edit = nullptr;
    QUndoStack *m_undoStack = nullptr; // the editor's
    QTreeWidget *m_objectTree = nullptr;
    ObjectEditorTree *m_propertyEditor = nullptr;
    QPlainTextEdit *m_log = nullptr;
    QLabel *m_positionLabel = nullptr;
    QLabel *m_zoomLabel = nullptr;
    QMenu *m_recentMenu = nullptr;
    QMenu *m_viewMenu = nullptr;
    QMenu *m_settingsMenu = nullptr;
    QPointer<QProgressDialog> m_progress;
    QElapsedTimer m_progressShown; // since the progress dialog last took events
    QStringList m_recentFiles;
    QString m_fileName;
    bool m_interactive = true;
};
