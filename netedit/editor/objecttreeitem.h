#pragma once

#include "trelvoga_global.h"

#include <QString>
#include <QTreeWidgetItem>

namespace Trelvoa {
class NetObject;
} // namespace Trelvoa

namespace Trelvoga {

// Rows of the object tree. A city network has a hundred thousand of them, so they store no texts:
// an object row reads its name from the object when it is shown, a group row shares its class's
// display name. Both are told apart by type().
class TRELVOGA_EXPORT ObjectTreeItem : public QTreeWidgetItem
{
public:
    enum { Type = QTreeWidgetItem::UserType + 1 };

    // typeText: the class's display name (shared, not copied).
    ObjectTreeItem(Trelvoa::NetObject *object, const QString &typeText);

    Trelvoa::NetObject *object() const { return m_object; }
    QVariant data(int column, int role) const override;
    // Tells the view that the name changed.
    void refresh() { emitDataChanged(); }

    // The object's name in the tree: "Main (id=12)", "12" without a name, with "? " in front for a
    // route or composite detector that has no valid course.
    static QString treeName(const Trelvoa::NetObject *object);

private:
    Trelvoa::NetObject *m_object;
    QString m_typeText;
};

// The group of the objects of one class below a parent; the class name is its data in role
// Qt::UserRole + 1.
class TRELVOGA_EXPORT GroupTreeItem : public QTreeWidgetItem
{
public:
    enum { Type = QTreeWidgetItem::UserType + 2 };
    static constexpr int ClassRole = Qt::UserRole + 1;

    // className: a class name that lives as long as the program (a static meta-object's).
    GroupTreeItem(const char *className, const QString &text);

    const char *className() const { return m_className; }
    QVariant data(int column, int role) const override;
    // A group whose rows are made when it is first opened (a large group of a city network): it shows
    // that it can be opened meanwhile.
    bool isPending() const { return m_pending; }
    void setPending(bool pending);

private:
    const char *m_className;
    QString m_text;
    bool m_pending = false;
};

} // namespace Trelvoga
