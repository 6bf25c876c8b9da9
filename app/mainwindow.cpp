#include "mainwindow.h"

#include "mapview.h"
#include "networkfiles.h"
#include "editor/netedit.h"
#include "objecteditortree.h"
#include "scene/layer.h"
#include "scene/networkg.h"
#include "scene/networkscene.h"

#include "geo/geoutil.h"
#include "netobject.h"
#include "network.h"
#include "node.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDockWidget>
#include <QFileDialog>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGraphicsScene>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>
#include <QUndoStack>
#include <QUndoView>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

constexpr int MaxRecentFiles = 8;

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("mainWindow"));
    m_scene = new Trelvoga::NetworkScene(this);
    m_network = new Trelvoga::Networkg(m_scene);
    m_view = new MapView(m_scene, this);
    m_view->setObjectName(QStringLiteral("mapView"));
    m_view->setBackgroundBrush(QColor(242, 239, 233));
    setCentralWidget(m_view);
    m_edit = new Trelvoga::NetEdit(m_network, m_view, this);
    m_edit->setCustomMainWindow(this);
    m_undoStack = m_edit->createUndoStack();
    connect(m_edit, &Trelvoga::NetEdit::logMessage, this, &MainWindow::logMessage);
    // The hint stays until the next one (a plain message would time out while the user thinks).
    connect(m_edit, &Trelvoga::NetEdit::modeHintChanged, this, [this](const QString &hint) {
        if (hint.isEmpty())
            statusBar()->clearMessage();
        else
            statusBar()->showMessage(hint);
    });
    connect(m_undoStack, &QUndoStack::cleanChanged, this, &MainWindow::updateTitle);
    // A part pasted into an empty network brings its projection: the view follows to degrees.
    connect(m_undoStack, &QUndoStack::indexChanged, this, [this] {
        const bool geographic = m_network->geoUtil() != nullptr;
        if (m_view->isGeographic() != geographic) {
            m_view->setGeographic(geographic);
            fitNetwork();
        }
    });

    createDocks();
    createToolBars();
    createActions();
    createStatusBar();

    connect(m_view, &MapView::cursorMoved, this, &MainWindow::cursorMoved);
    connect(m_view, &MapView::zoomChanged, this, &MainWindow::zoomChanged);
    connect(m_network, &Trelvoa::Network::loadProgress, this, &MainWindow::loadProgress);

    resize(1280, 800);
    readSettings();
    updateTitle();
}

MainWindow::~MainWindow()
{
    // The editor holds items on the scene and reaches into the network; the scene network owns items on
    // the scene: both go before the scene.
    delete m_edit;
    m_edit = nullptr;
    delete m_network;
    m_network = nullptr;
}

void MainWindow::createActions()
{
    QMenu *file = menuBar()->addMenu(tr("&File"));
    QAction *a = file->addAction(tr("&New"), this, &MainWindow::newNetwork, QKeySequence::New);
    a->setObjectName(QStringLiteral("actionNew"));
    // A second network beside this one, to copy parts between them.
    a = file->addAction(tr("New &window"), this, &MainWindow::newWindow, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
    a->setObjectName(QStringLiteral("actionNewWindow"));
    a = file->addAction(tr("&Open..."), this, &MainWindow::open, QKeySequence::Open);
    a->setObjectName(QStringLiteral("actionOpen"));
    a = file->addAction(tr("Open &SUMO network..."), this, &MainWindow::openSumo);
    a->setObjectName(QStringLiteral("actionOpenSumo"));
    m_recentMenu = file->addMenu(tr("Open &recent"));
    file->addSeparator();
    a = file->addAction(tr("&Save"), this, &MainWindow::save, QKeySequence::Save);
    a->setObjectName(QStringLiteral("actionSave"));
    a = file->addAction(tr("Save &as..."), this, &MainWindow::saveAs, QKeySequence::SaveAs);
    a->setObjectName(QStringLiteral("actionSaveAs"));
    a = file->addAction(tr("Export to SUMO..."), this, [this] { m_edit->runExportDialog(fileName()); });
    a->setObjectName(QStringLiteral("actionExportSumo"));
    file->addSeparator();
    a = file->addAction(tr("&Quit"), this, &QWidget::close, QKeySequence::Quit);
    a->setObjectName(QStringLiteral("actionQuit"));

    QMenu *edit = menuBar()->addMenu(tr("&Edit"));
    QAction *undo = m_undoStack->createUndoAction(this, tr("&Undo"));
    undo->setShortcut(QKeySequence::Undo);
    undo->setObjectName(QStringLiteral("actionUndo"));
    QAction *redo = m_undoStack->createRedoAction(this, tr("&Redo"));
    redo->setShortcut(QKeySequence::Redo);
    redo->setObjectName(QStringLiteral("actionRedo"));
    edit->addAction(undo);
    edit->addAction(redo);
    edit->addSeparator();
    edit->addActions(m_edit->editActions());
    for (QAction *action : m_edit->editActions()) {
        if (action->objectName() == QLatin1String("pasteInplace"))
            action->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V));
    }
    QMenu *modes = menuBar()->addMenu(tr("&Network"));
    modes->setObjectName(QStringLiteral("networkMenu"));
    modes->addActions(m_edit->inputActions());

    m_viewMenu = menuBar()->addMenu(tr("&View"));
    a = m_viewMenu->addAction(tr("&Fit network"), this, &MainWindow::fitNetwork);
    a->setObjectName(QStringLiteral("actionFitNetwork"));
    QMenu *layers = m_viewMenu->addMenu(tr("&Layers"));
    layers->setObjectName(QStringLiteral("layersMenu"));
    layers->addActions(m_edit->viewActions());
    m_viewMenu->addSeparator();
    const QList<QDockWidget *> docks = findChildren<QDockWidget *>();
    for (QDockWidget *dock : docks)
        m_viewMenu->addAction(dock->toggleViewAction());
    m_settingsMenu = menuBar()->addMenu(tr("&Settings"));
    m_settingsMenu->setObjectName(QStringLiteral("settingsMenu"));
    createDatabaseMenu();
    createPanoramaAndColours();
    updateRecentMenu();
}

void MainWindow::createToolBars()
{
    for (QToolBar *bar : {m_edit->createViewToolbar(), m_edit->createInputToolbar(), m_edit->createDBToolbar()}) {
        if (bar->actions().isEmpty()) {
            delete bar;
            continue;
        }
        bar->setParent(this);
        bar->setIconSize(QSize(24, 24));
        addToolBar(bar);
    }
}

void MainWindow::createDocks()
{
    auto makeDock = [this](const QString &title, const QString &name, QWidget *widget, Qt::DockWidgetArea area) {
        auto *dock = new QDockWidget(title, this);
        dock->setObjectName(name);
        dock->setWidget(widget);
        addDockWidget(area, dock);
        return dock;
    };

    m_objectTree = m_edit->objectsTree();
    makeDock(tr("Objects"), QStringLiteral("objectsDock"), m_objectTree, Qt::LeftDockWidgetArea);

    m_propertyEditor = m_edit->objectEditor();
    makeDock(tr("Properties"), QStringLiteral("propertiesDock"), m_propertyEditor, Qt::LeftDockWidgetArea);

    auto *undoView = new QUndoView(m_undoStack);
    undoView->setObjectName(QStringLiteral("undoView"));
    makeDock(tr("Undo history"), QStringLiteral("undoDock"), undoView, Qt::RightDockWidgetArea);

    m_log = new QPlainTextEdit;
    m_log->setObjectName(QStringLiteral("messageLog"));
    m_log->setReadOnly(true);
    m_log->setMaximumBlockCount(5000);
    makeDock(tr("Messages"), QStringLiteral("messagesDock"), m_log, Qt::BottomDockWidgetArea);
}

void MainWindow::createStatusBar()
{
    m_positionLabel = new QLabel(this);
    m_positionLabel->setObjectName(QStringLiteral("positionLabel"));
    m_zoomLabel = new QLabel(this);
    m_zoomLabel->setObjectName(QStringLiteral("zoomLabel"));
    statusBar()->addPermanentWidget(m_positionLabel);
    statusBar()->addPermanentWidget(m_zoomLabel);
    zoomChanged(m_view->zoom());
}

void MainWindow::readSettings()
{
    QSettings settings;
    settings.setIniCodec("UTF-8");
    settings.beginGroup(QStringLiteral("mainWindow"));
    const QByteArray geometry = settings.value(QStringLiteral("geometry")).toByteArray();
    if (!geometry.isEmpty())
        restoreGeometry(geometry);
    restoreState(settings.value(QStringLiteral("state")).toByteArray());
    m_recentFiles = settings.value(QStringLiteral("recentFiles")).toStringList();
    settings.endGroup();
    updateRecentMenu();
}

void MainWindow::writeSettings()
{
    QSettings settings;
    settings.setIniCodec("UTF-8");
    settings.beginGroup(QStringLiteral("mainWindow"));
    settings.setValue(QStringLiteral("geometry"), saveGeometry());
    settings.setValue(QStringLiteral("state"), saveState());
    settings.setValue(QStringLiteral("recentFiles"), m_recentFiles);
    settings.endGroup();
}

void MainWindow::addRecentFile(const QString &fileName)
{
    m_recentFiles.removeAll(fileName);
    m_recentFiles.prepend(fileName);
    while (m_recentFiles.size() > MaxRecentFiles)
        m_recentFiles.removeLast();
    updateRecentMenu();
    writeSettings();
}

void MainWindow::updateRecentMenu()
{
    if (!m_recentMenu)
        return;
    m_recentMenu->clear();
    for (const QString &f : qAsConst(m_recentFiles)) {
        QAction *a = m_recentMenu->addAction(QFileInfo(f).fileName(), this, &MainWindow::openRecent);
        a->setData(f);
        a->setToolTip(f);
    }
    m_recentMenu->setEnabled(!m_recentFiles.isEmpty());
}

void MainWindow::updateTitle()
{
    const QString name = m_fileName.isEmpty() ? tr("Untitled") : QFileInfo(m_fileName).fileName();
    setWindowTitle(tr("%1[*] - Trelvo network editor").arg(name));
    setWindowModified(m_network->isChanged());
}

void MainWindow::logMessage(const QString &text, QtMsgType type)
{
    QString colour = QStringLiteral("black");
    QString level = tr("info");
    switch (type) {
    case QtWarningMsg:
        colour = QStringLiteral("#b06000");
        level = tr("warning");
        break;
    case QtCriticalMsg:
    case QtFatalMsg:
        colour = QStringLiteral("#c00000");
        level = tr("error");
        break;
    default:
        break;
    }
    const QString time = QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss"));
    m_log->appendHtml(QStringLiteral("<span style=\"color:%1\">%2 %3: %4</span>")
                          .arg(colour, time, level, text.toHtmlEscaped()));
}

bool MainWindow::maybeSave()
{
    if (!m_network->isChanged() || !m_interactive)
        return true;
    const auto answer = QMessageBox::warning(
        this, tr("Network changed"), tr("The network has been modified. Do you want to save your changes?"),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (answer == QMessageBox::Save)
        return save();
    return answer == QMessageBox::Discard;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!maybeSave()) {
        event->ignore();
        return;
    }
    writeSettings();
    event->accept();
}

void MainWindow::newWindow()
{
    auto *window = new MainWindow;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setInteractive(m_interactive);
    window->resize(size());
    window->show();
}

void MainWindow::newNetwork()
{
    if (!maybeSave())
        return;
    m_edit->clear();
    m_network->setProjection(QByteArray());
    m_fileName.clear();
    updateTitle();
}

void MainWindow::open()
{
    if (!maybeSave())
        return;
    const QString f = QFileDialog::getOpenFileName(
        this, tr("Open network"), QString(),
        tr("Networks (*.trva *.trvaf *.net.xml *.net.xml.gz);;Network files (*.trva *.trvaf);;All files (*)"));
    if (f.isEmpty())
        return;
    QString error;
    if (!openFile(f, &error))
        QMessageBox::critical(this, tr("Open network"), error);
}

void MainWindow::openSumo()
{
    if (!maybeSave())
        return;
    const QString f = QFileDialog::getOpenFileName(this, tr("Open SUMO network"), QString(),
                                                   tr("SUMO networks (*.net.xml *.net.xml.gz *.xml *.gz)"));
    if (f.isEmpty())
        return;
    QString error;
    if (!openWith(f, true, &error))
        QMessageBox::critical(this, tr("Open SUMO network"), error);
}

void MainWindow::openRecent()
{
    auto *a = qobject_cast<QAction *>(sender());
    if (!a || !maybeSave())
        return;
    QString error;
    if (!openFile(a->data().toString(), &error))
        QMessageBox::critical(this, tr("Open network"), error);
}

bool MainWindow::openFile(const QString &fileName, QString *error)
{
    return openWith(fileName, NetworkFiles::isSumoNetwork(fileName), error);
}

bool MainWindow::openWith(const QString &fileName, bool sumo, QString *error)
{
    QElapsedTimer timer;
    timer.start();
    if (m_interactive && isVisible()) {
        m_progress = new QProgressDialog(tr("Loading %1...").arg(QFileInfo(fileName).fileName()), tr("Cancel"),
                                         0, 100, this);
        m_progress->setWindowModality(Qt::WindowModal);
        m_progress->setMinimumDuration(300);
        m_progressShown.invalidate();
    }
    QStringList warnings;
    // A load that replaces the network has the editor drop its history and build the tree anew; a
    // failed one leaves network, tree and history as they were.
    m_edit->leaveMode();
    m_edit->beforeLoad();
    const bool ok = NetworkFiles::load(m_network, fileName, sumo, error, &warnings);
#ifdef __GLIBC__
    // The parse ran on threads of their own, whose heaps keep the freed document's pages; given back
    // now, before the first paint asks for more.
    malloc_trim(0);
#endif
    // Before the editor shows the view again: a scene without a rectangle of its own would walk all
    // its items for their extent when the view shows.
    if (ok)
        updateSceneRect();
    m_edit->afterLoad();
    // The editor hid the view for the load: the layout gives it back its room before the window's
    // state is saved (with the recent files) and before the fit.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    // Showing the view again queued a repaint of all of it for later, which would come after the first
    // paint and draw the whole network a second time; taken now, it joins the first paint.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateLater);
    delete m_progress;
    for (const QString &w : qAsConst(warnings))
        logMessage(w, QtWarningMsg);
    if (!ok) {
        logMessage(error ? *error : tr("Cannot open %1").arg(fileName), QtCriticalMsg);
        return false;
    }
    m_fileName = sumo ? QString() : QFileInfo(fileName).absoluteFilePath();
    if (!sumo)
        addRecentFile(m_fileName);
    rebuildScene();
    fitNetwork();
    // With the time it took (load, items, tree and fit; the first paint follows).
    logMessage(tr("Opened %1: %2 objects in %3 s")
                   .arg(QFileInfo(fileName).fileName())
                   .arg(m_network->objectCount())
                   .arg(timer.nsecsElapsed() / 1e9, 0, 'f', 2),
               QtInfoMsg);
    updateTitle();
    return true;
}

bool MainWindow::save()
{
    if (m_fileName.isEmpty())
        return saveAs();
    QString error;
    if (!saveFile(m_fileName, &error)) {
        QMessageBox::critical(this, tr("Save network"), error);
        return false;
    }
    return true;
}

bool MainWindow::saveAs()
{
    QString f = QFileDialog::getSaveFileName(this, tr("Save network"), m_fileName,
                                             tr("Network (*.trva);;Network with full geometry (*.trvaf)"));
    if (f.isEmpty())
        return false;
    if (!f.endsWith(QLatin1String(".trva")) && !f.endsWith(QLatin1String(".trvaf")))
        f += QStringLiteral(".trva");
    QString error;
    if (!saveFile(f, &error)) {
        QMessageBox::critical(this, tr("Save network"), error);
        return false;
    }
    return true;
}

bool MainWindow::saveFile(const QString &fileName, QString *error)
{
    if (!NetworkFiles::save(m_network, fileName, error))
        return false;
    m_fileName = QFileInfo(fileName).absoluteFilePath();
    m_undoStack->setClean();
    addRecentFile(m_fileName);
    updateTitle();
    logMessage(tr("Saved %1").arg(QFileInfo(fileName).fileName()), QtInfoMsg);
    return true;
}

void MainWindow::loadProgress(qint64 bytes, int current, int total)
{
    Q_UNUSED(bytes)
    if (!m_progress)
        return;
    // The scene reports every item it refreshes: a few updates a second are all a person sees, and
    // taking events for each of tens of thousands of items would slow the load down.
    if (m_progressShown.isValid() && m_progressShown.elapsed() < 40 && current != total)
        return;
    m_progressShown.start();
    if (total > 0) {
        m_progress->setMaximum(total);
        m_progress->setValue(qMin(current, total));
    }
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (m_progress && m_progress->wasCanceled())
        m_network->breakLoad();
}

void MainWindow::rebuildScene()
{
    // The scene network follows the model by itself; the view follows the kind of coordinates.
    m_view->setGeographic(m_network->geoUtil() != nullptr);
    updateTitle();
}

QRectF MainWindow::updateSceneRect()
{
    const QRectF bounds = m_network->boundingRect();
    if (bounds.isNull())
        return bounds;
    const double mx = qMax(bounds.width(), 1e-3), my = qMax(bounds.height(), 1e-3);
    m_scene->setSceneRect(bounds.adjusted(-mx, -my, mx, my));
    return bounds;
}

void MainWindow::fitNetwork()
{
    const QRectF bounds = updateSceneRect();
    if (!bounds.isNull())
        m_view->fitInView(bounds);
}

bool MainWindow::focusView(const QString &focus, int zoom, double span, QString *error)
{
    auto fail = [error](const QString &message) {
        if (error)
            *error = message;
        return false;
    };
    Trelvoa::GeoUtil *geo = m_network->geoUtil();
    QPointF centre = m_view->mapToScene(m_view->viewport()->rect().center());
    if (!focus.isEmpty()) {
        const QStringList parts = focus.split(QLatin1Char(','));
        bool ok = false;
        if (parts.size() == 2) {
            bool okX = false, okY = false;
            const double x = parts.at(0).trimmed().toDouble(&okX);
            const double y = parts.at(1).trimmed().toDouble(&okY);
            if (!okX || !okY || !qIsFinite(x) || !qIsFinite(y)
                || (geo && (qAbs(x) > 180.0 || qAbs(y) > 90.0)))
                return fail(tr("invalid focus \"%1\" (expected LON,LAT)").arg(focus));
            centre = QPointF(x, y);
        } else {
            const int id = focus.toInt(&ok);
            auto *node = ok ? qobject_cast<Trelvoa::Node *>(m_network->findObject(id)) : nullptr;
            if (!node)
                return fail(tr("no node with id \"%1\"").arg(focus));
            centre = geo ? geo->xyToGeo(node->pos()) : node->pos();
        }
    }
    if (zoom > 0) {
        m_view->fitInViewZ(QRectF(centre, QSizeF(0, 0)), zoom);
    } else if (span > 0.0) {
        // The span across, and as much in proportion upwards, as model metres around the centre.
        const QPointF xy = geo ? geo->geoToXY(centre) : centre;
        const QSize size = m_view->viewport()->size();
        const QPointF half(span / 2, span / 2 * size.height() / qMax(1, size.width()));
        QRectF area(xy - half, xy + half);
        if (geo)
            area = QRectF(geo->xyToGeo(area.topLeft()), geo->xyToGeo(area.bottomRight())).normalized();
        // Round down to a level that still shows the whole span, centred where asked.
        m_view->fitInView(area);
        m_view->fitInViewZ(QRectF(centre, QSizeF(0, 0)), m_view->zoom());
    } else {
        m_view->fitInViewZ(QRectF(centre, QSizeF(0, 0)), m_view->zoom());
    }
    return true;
}

void MainWindow::cursorMoved(const QPointF &scenePos)
{
    QPointF xy = scenePos;
    QString text;
    if (Trelvoa::GeoUtil *geo = m_network->geoUtil()) {
        xy = geo->geoToXY(scenePos);
        text = tr("lon %1, lat %2 | ").arg(scenePos.x(), 0, 'f', 7).arg(scenePos.y(), 0, 'f', 7);
    }
    text += tr("x %1, y %2").arg(xy.x(), 0, 'f', 2).arg(xy.y(), 0, 'f', 2);
    m_positionLabel->setText(text);
}

void MainWindow::zoomChanged(int zoom)
{
    m_zoomLabel->setText(tr("zoom %1").arg(zoom));
}

QImage MainWindow::renderView(const QSize &size)
{
    resize(size);
    QApplication::processEvents();
    return grab().toImage();
}
