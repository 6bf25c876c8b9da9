#pragma once

#include <QGraphicsView>
#include <QPainterPath>

// The host view of the network scene. It shows the scene north-up: scene y grows to the north, so the
// view flips it. In geographic mode (scene in degrees, x = longitude) the zoom levels are those of a
// web map: at zoom z a degree of longitude is 256 * 2^z / 360 pixels wide, and a degree of latitude
// 1 / cos(latitude of the view centre) times that, so that shapes keep their proportions. In model
// mode (scene in metres) the same levels are used with the length of the equator for 360 degrees.
class MapView : public QGraphicsView
{
    Q_OBJECT
    Q_PROPERTY(int zoom READ zoom WRITE setZoom NOTIFY zoomChanged)
    Q_PROPERTY(bool geographic READ isGeographic WRITE setGeographic)

public:
    static constexpr int MinZoom = 1;
    static constexpr int MaxZoom = 24;

    explicit MapView(QWidget *parent = nullptr);
    explicit MapView(QGraphicsScene *scene, QWidget *parent = nullptr);

    int zoom() const { return m_zoom; }
    bool isGeographic() const { return m_geographic; }
    void setGeographic(bool geographic);

    // The editable area; outside it the view is shaded. An empty path means everything is editable.
    Q_INVOKABLE QPainterPath enabledPath() const { return m_enabledPath; }

    // Pixels per scene unit along x and y at a zoom level and latitude.
    static double pixelsPerUnitX(int zoom, bool geographic);
    static double pixelsPerUnitY(int zoom, bool geographic, double latitude);

    // Not the network's extent, as a graphics view's would be: the window's layout asks for it, and a
    // scene without a rectangle of its own would walk all its items to answer.
    QSize sizeHint() const override;

public slots:
    void setZoom(int zoom);
    // Centres the rectangle and picks the largest zoom at which it fits.
    void fitInView(const QRectF &rect);
    // Centres the rectangle at the given zoom.
    void fitInViewZ(const QRectF &rect, int zoom);
    void setEnabledPath(const QPainterPath &path);
    void uniteEnabledPath(const QPainterPath &path);

signals:
    void zoomChanged(int zoom);
    void mouseReleased(int button, const QPointF &scenePos);
    void keyPressed(int key, int modifiers);
    void keyReleased(int key, int modifiers);
    // The cursor moved over the scene (for the status bar).
    void cursorMoved(const QPointF &scenePos);

protected:
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void drawForeground(QPainter *painter, const QRectF &rect) override;
    void paintEvent(QPaintEvent *event) override;
    // Keeps the scene active while a modal dialog is over the window (see m_keptActive).
    bool viewportEvent(QEvent *event) override;

private:
    void init();
    // Applies the zoom with the scene point under the viewport point kept in place.
    void applyZoom(int zoom, const QPointF &scenePoint, const QPoint &viewportPoint);
    void applyTransform(double latitude);
    void startPan(const QPoint &pos);

    QPainterPath m_enabledPath;
    QPoint m_panStart;
    QPoint m_pressedAt;
    int m_zoom = 16;
    bool m_geographic = true;
    bool m_panning = false;
    bool m_spaceHeld = false;
    // A scene that becomes active again walks all its items, twice (a tenth of a second on a city).
    // The window going inactive for a modal dialog of its own (a load's progress, a property dialog)
    // is not passed on to the scene, nor is its coming back.
    bool m_keptActive = false;
};
