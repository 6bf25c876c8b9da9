#include "editor/modes/areaselectionmode.h"

#include "editor/editcontext.h"
#include "editor/netedit.h"

#include <QAction>
#include <QBrush>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QMetaObject>
#include <QPen>
#include <QSignalBlocker>

namespace Trelvoga {

AreaSelectionMode::~AreaSelectionMode()
{
    dropRect();
}

void AreaSelectionMode::dropRect()
{
    // A scene that went first took the rectangle with it.
    if (m_rect && context()->scene())
        delete m_rect;
    m_rect = nullptr;
}

void AreaSelectionMode::leave()
{
    dropRect();
    for (QAction *action : context()->edit()->dbActions()) {
        if (action->isCheckable()) {
            const QSignalBlocker blocker(action);
            action->setChecked(false);
        }
    }
}

bool AreaSelectionMode::mouseMoved(const QPointF &scenePos, Qt::MouseButtons, Qt::KeyboardModifiers)
{
    if (m_rect) {
        QRectF r = m_rect->rect();
        r.setBottomRight(scenePos);
        m_rect->setRect(r);
    }
    return false;
}

void AreaSelectionMode::clicked(const QPointF &scenePos, Qt::KeyboardModifiers)
{
    QGraphicsScene *scene = context()->scene();
    if (!m_rect) {
        if (!scene)
            return;
        m_rect = new QGraphicsRectItem(QRectF(scenePos, QSizeF(0, 0)));
        QPen pen;
        pen.setCosmetic(true);
        m_rect->setPen(pen);
        m_rect->setBrush(QBrush(QColor(71, 78, 210, 50)));
        m_rect->setZValue(98);
        scene->addItem(m_rect);
        return;
    }
    QRectF area = m_rect->rect();
    area.setBottomRight(scenePos);
    area = area.normalized();
    const bool join = context()->areaJoinChecked();
    NetEdit *edit = context()->edit();
    dropRect();
    if (m_download) {
        const DownloadHandler download = m_download;
        QMetaObject::invokeMethod(edit, [download, area, join] { download(area, join); }, Qt::QueuedConnection);
    }
    edit->leaveMode();
}

QString AreaSelectionMode::hint() const
{
    if (!m_rect)
        return tr("Click the first corner of the area to download");
    return tr("Click the opposite corner of the area to download (Escape cancels)");
}

} // namespace Trelvoga
