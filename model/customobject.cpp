#include "customobject.h"

#include "deletioncascade.h"

#include <QEvent>
#include <QVariant>

namespace Trelvoa {

CustomObject::CustomObject(QObject *parent)
    : NetObject(parent)
{
}

CustomObject::~CustomObject()
{
    beginDestroy();
}

QString CustomObject::text() const
{
    return property(textProperty()).toString();
}

void CustomObject::setText(const QString &text)
{
    setProperty(textProperty(), text.isEmpty() ? QVariant() : QVariant(text));
}

QList<CustomObject *> CustomObject::customChildren() const
{
    return findChildren<CustomObject *>(QString(), Qt::FindDirectChildrenOnly);
}

bool CustomObject::event(QEvent *event)
{
    if (event->type() == QEvent::DynamicPropertyChange && !isDestroying())
        setChanged(this, ChangeFlag::Attributes);
    return NetObject::event(event);
}

QList<NetObject *> CustomObject::linkedObjects() const
{
    return DeletionCascade::linkedObjects(this);
}

} // namespace Trelvoa
