#include "editorfixture.h"

#include "saves.h"

#include "editor/netedit.h"
#include "geo/geoutil.h"
#include "mapview.h"
#include "scene/networkg.h"
#include "scene/networkscene.h"

#include <QAction>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QTest>
#include <QUndoStack>
#include <QXmlStreamReader>

EditorFixture::EditorFixture(const Builder &builder)
    : EditorFixture(builder, Options())
{
}

EditorFixture::EditorFixture(const Builder &builder, const Options &options)
    : m_scene(new Trelvoga::NetworkScene)
    , m_net(new Trelvoga::Networkg(m_scene.get()))
    , m_view(new MapView(m_scene.get()))
{
    m_layout.net = m_net.get();
    m_view->resize(options.viewSize);
    m_edit.reset(new Trelvoga::NetEdit(m_net.get(), m_view.get()));
    if (options.undoStack)
        m_edit->createUndoStack();
    if (builder)
        m_layout = builder(m_net.get());
    m_view->show();
    if (!QTest::qWaitForWindowExposed(m_view.get()))
        qWarning("EditorFixture: the view was not exposed");
    m_view->activateWindow();
    m_view->setFocus();
    fitNetwork();
    settle();
}

EditorFixture::~EditorFixture()
{
    // The editor's pending timers and queued calls must not outlive it.
    m_edit.reset();
    QCoreApplication::processEvents();
}

Trelvoga::Networkg *EditorFixture::net() const
{
    return m_net.get();
}

Trelvoga::NetworkScene *EditorFixture::scene() const
{
    return m_scene.get();
}

MapView *EditorFixture::view() const
{
    return m_view.get();
}

Trelvoga::NetEdit *EditorFixture::edit() const
{
    return m_edit.get();
}

QUndoStack *EditorFixture::undoStack() const
{
    return m_edit->undoStack();
}

QAction *EditorFixture::action(const QString &objectName) const
{
    if (QAction *a = m_edit->findChild<QAction *>(objectName))
        return a;
    // The layer actions belong to their layers.
    for (QAction *a : m_edit->viewActions()) {
        if (a->objectName() == objectName)
            return a;
    }
    return nullptr;
}

bool EditorFixture::trigger(const QString &objectName)
{
    QAction *a = action(objectName);
    if (!a)
        return false;
    a->trigger();
    settle();
    return true;
}

QPointF EditorFixture::toScene(const QPointF &modelXY) const
{
    const Trelvoa::GeoUtil *geo = m_net->geoUtil();
    return geo ? geo->xyToGeo(modelXY) : modelXY;
}

QPoint EditorFixture::toViewport(const QPointF &modelXY) const
{
    return m_view->mapFromScene(toScene(modelXY));
}

void EditorFixture::click(const QPointF &modelXY, Qt::KeyboardModifiers modifiers, Qt::MouseButton button)
{
    QTest::mouseClick(m_view->viewport(), button, modifiers, toViewport(modelXY));
    settle();
}

void EditorFixture::click(const Trelvoa::Node *node, Qt::KeyboardModifiers modifiers, Qt::MouseButton button)
{
    click(node->pos(), modifiers, button);
}

void EditorFixture::doubleClick(const QPointF &modelXY, Qt::KeyboardModifiers modifiers, Qt::MouseButton button)
{
    QTest::mouseDClick(m_view->viewport(), button, modifiers, toViewport(modelXY));
    settle();
}

void EditorFixture::press(const QPointF &modelXY, Qt::KeyboardModifiers modifiers, Qt::MouseButton button)
{
    QTest::mousePress(m_view->viewport(), button, modifiers, toViewport(modelXY));
    m_held |= button;
    settle();
}

void EditorFixture::release(const QPointF &modelXY, Qt::KeyboardModifiers modifiers, Qt::MouseButton button)
{
    m_held &= ~Qt::MouseButtons(button);
    QTest::mouseRelease(m_view->viewport(), button, modifiers, toViewport(modelXY));
    settle();
}

void EditorFixture::move(const QPointF &modelXY)
{
    // Sent as the window system sends it: QTest's own move does not carry the held buttons offscreen.
    QWidget *viewport = m_view->viewport();
    const QPoint p = toViewport(modelXY);
    QMouseEvent event(QEvent::MouseMove, p, viewport->mapToGlobal(p), Qt::NoButton, m_held,
                      QGuiApplication::keyboardModifiers());
    QCoreApplication::sendEvent(viewport, &event);
    settle();
}

void EditorFixture::key(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(m_view.get(), key, modifiers);
    settle();
}

void EditorFixture::settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

void EditorFixture::wait(int ms)
{
    QTest::qWait(ms);
}

QByteArray EditorFixture::canonicalSave() const
{
    return TestSupport::saveAll(m_net.get());
}

void EditorFixture::undoAll()
{
    if (QUndoStack *stack = undoStack()) {
        while (stack->canUndo())
            stack->undo();
    }
    settle();
}

void EditorFixture::redoAll()
{
    if (QUndoStack *stack = undoStack()) {
        while (stack->canRedo())
            stack->redo();
    }
    settle();
}

bool EditorFixture::load(const QByteArray &data, QString *error)
{
    m_edit->beforeLoad();
    QXmlStreamReader reader(data);
    const bool ok = m_net->load(reader, false);
    m_edit->afterLoad();
    if (!ok && error)
        *error = m_net->errorString();

    Layouts::Layout fresh;
    fresh.net = m_net.get();
    for (Trelvoa::NetObject *object : m_net->allObjects()) {
        if (object->name().isEmpty())
            continue;
        if (auto *n = qobject_cast<Trelvoa::Node *>(object))
            fresh.nodes.insert(n->name(), n);
        else if (auto *e = qobject_cast<Trelvoa::Edge *>(object))
            fresh.edges.insert(e->name(), e);
        else if (auto *g = qobject_cast<Trelvoa::EdgeGroup *>(object))
            fresh.groups.insert(g->name(), g);
    }
    m_layout = fresh;
    fitNetwork();
    settle();
    return ok;
}

Trelvoa::Node *EditorFixture::node(const QString &name) const
{
    return m_layout.node(name);
}

Trelvoa::Edge *EditorFixture::edge(const QString &from, const QString &to) const
{
    return m_layout.edge(from, to);
}

int EditorFixture::edgesBetween(const QString &from, const QString &to) const
{
    const Trelvoa::Node *a = node(from);
    const Trelvoa::Node *b = node(to);
    if (!a || !b)
        return 0;
    int count = 0;
    for (const Trelvoa::Edge *e : a->outgoingEdges())
        count += e->end() == b ? 1 : 0;
    return count;
}

void EditorFixture::fitNetwork()
{
    m_view->setGeographic(m_net->geoUtil() != nullptr);
    m_net->updateGeometry();
    const QRectF bounds = m_net->boundingRect();
    if (bounds.isNull())
        return;
    // Room around the network, as the host leaves for panning.
    const double mx = qMax(bounds.width(), 1e-3), my = qMax(bounds.height(), 1e-3);
    m_scene->setSceneRect(bounds.adjusted(-mx, -my, mx, my));
    m_view->fitInView(bounds);
}
