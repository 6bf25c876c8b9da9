#pragma once

#include "netobject.h"

namespace Trelvoa {

// A free point of interest; its position is primary data.
class TRELVOA_EXPORT PointObject : public NetObject
{
    Q_OBJECT
    Q_PROPERTY(QPointF pos READ pos WRITE setPos)

public:
    explicit PointObject(QObject *parent = nullptr);
    // A non-finite position is replaced by (0, 0).
    PointObject(QObject *parent, const QPointF &pos);
    ~PointObject() override;

    QString kindName() const override { return tr("Point object"); }
    QString jsonTag() const override { return QStringLiteral("pointObject"); }

    QPointF pos() const override { return m_pos; }
    // Refuses a non-finite position.
    bool setPos(const QPointF &pos);

private:
    QPointF m_pos;
};

} // namespace Trelvoa
