#include "editor/objecttreeitem.h"

#include "compositedetector.h"
#include "netobject.h"
#include "route.h"

namespace Trelvoga {

ObjectTreeItem::ObjectTreeItem(Trelvoa::NetObject *object, const QString &typeText)
    : QTreeWidgetItem(Type)
    , m_object(object)
    , m_typeText(typeText)
{
}

QVariant ObjectTreeItem::data(int column, int role) const
{
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        if (column == 0)
            return treeName(m_object);
        if (column == 1)
            return m_typeText;
    }
    return QTreeWidgetItem::data(column, role);
}

QString ObjectTreeItem::treeName(const Trelvoa::NetObject *object)
{
    if (!object)
        return QString();
    QString text = object->objectName().isEmpty()
                       ? QString::number(object->id())
                       : object->objectName() + QStringLiteral(" (id=") + QString::number(object->id())
                             + QLatin1Char(')');
    bool invalid = false;
    if (auto *route = qobject_cast<const Trelvoa::Route *>(object))
        invalid = !route->isValid();
    else if (auto *composite = qobject_cast<const Trelvoa::CompositeDetector *>(object))
        invalid = !composite->isValid();
    return invalid ? QStringLiteral("? ") + text : text;
}

GroupTreeItem::GroupTreeItem(const char *className, const QString &text)
    : QTreeWidgetItem(Type)
    , m_className(className)
    , m_text(text)
{
}

void GroupTreeItem::setPending(bool pending)
{
    m_pending = pending;
    setChildIndicatorPolicy(pending ? ShowIndicator : DontShowIndicatorWhenChildless);
}

QVariant GroupTreeItem::data(int column, int role) const
{
    if (column == 0) {
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return m_text;
        if (role == ClassRole)
            return QString::fromLatin1(m_className);
    }
    return QTreeWidgetItem::data(column, role);
}

} // namespace Trelvoga
