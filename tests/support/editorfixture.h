#pragma once

// What a host builds around the editor: the scene, the scene network, the application's view shown at a
// fixed size, NetEdit on them and (unless asked not to) its undo stack. Input goes to the view as real
// QTest events at the viewport pixels of model points, so hit tests, snapping and the editor's queued
// press handling run as they do for a user.

#include "layouts.h"

#include <QByteArray>
#include <QPoint>
#include <QPointF>
#include <QSize>
#include <QString>
#include <Qt>
#include <functional>
#include <memory>

class MapView;
class QAction;
class QUndoStack;

namespace Trelvoga {
class NetEdit;
class NetworkScene;
class Networkg;
} // namespace Trelvoga

class EditorFixture
{
public:
    // Fills the network; the layout's names are what node() and edge() look up.
    using Builder = std::function<Layouts::Layout(Trelvoa::Network *)>;

    struct Options
    {
        bool undoStack = true;
        QSize viewSize = QSize(800, 600);
    };

    explicit EditorFixture(const Builder &builder = Builder());
    EditorFixture(const Builder &builder, const Options &options);
    ~EditorFixture();

    EditorFixture(const EditorFixture &) = delete;
    EditorFixture &operator=(const EditorFixture &) = delete;

    Trelvoga::Networkg *net() const;
    Trelvoga::NetworkScene *scene() const;
    MapView *view() const;
    Trelvoga::NetEdit *edit() const;
    // Null when made without one.
    QUndoStack *undoStack() const;
    Layouts::Layout &layout() { return m_layout; }

    // The editor's action of that object name (its own or a layer's), or null.
    QAction *action(const QString &objectName) const;
    // Triggers the action as a user would (a checkable one toggles); false when there is none.
    bool trigger(const QString &objectName);

    // Model XY to scene (through the projection when the network has one) and to viewport pixels.
    QPointF toScene(const QPointF &modelXY) const;
    QPoint toViewport(const QPointF &modelXY) const;

    void click(const QPointF &modelXY, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
               Qt::MouseButton button = Qt::LeftButton);
    // At the node's position.
    void click(const Trelvoa::Node *node, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
               Qt::MouseButton button = Qt::LeftButton);
    void doubleClick(const QPointF &modelXY, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                     Qt::MouseButton button = Qt::LeftButton);
    void press(const QPointF &modelXY, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
               Qt::MouseButton button = Qt::LeftButton);
    void release(const QPointF &modelXY, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                 Qt::MouseButton button = Qt::LeftButton);
    // Buttons still held from press() stay held.
    void move(const QPointF &modelXY);
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Runs what the editor queued (presses are handled through queued calls).
    void settle();
    void wait(int ms);

    // The whole network in canonical form.
    QByteArray canonicalSave() const;
    void undoAll();
    void redoAll();

    // Replaces the network by a saved one as the host opens a file: the load between beforeLoad() and
    // afterLoad(), nothing else (the mode is deliberately not left first). The layout's names are looked
    // up again in the new network.
    bool load(const QByteArray &data, QString *error = nullptr);

    // Lookups in the layout.
    Trelvoa::Node *node(const QString &name) const;
    Trelvoa::Edge *edge(const QString &from, const QString &to) const;
    // Edges now leading from node `from` to node `to`.
    int edgesBetween(const QString &from, const QString &to) const;

private:
    void fitNetwork();

    // Destroyed in reverse: the editor first, the scene last.
    std::unique_ptr<Trelvoga::NetworkScene> m_scene;
    std::unique_ptr<Trelvoga::Networkg> m_net;
    std::unique_ptr<MapView> m_view;
    std::unique_ptr<Trelvoga::NetEdit> m_edit;
    Layouts::Layout m_layout;
    Qt::MouseButtons m_held;
};
