#pragma once

#include "io/saveddocument.h"

#include <QList>
#include <QPointF>
#include <QString>
#include <QVector>

#include <functional>

namespace Trelvoa {

class NetObject;

// Gives a kind's loader the checked values of one object's further attributes and items. Every value
// was checked against the kind's schemas before the load touched anything, so the getters cannot meet a
// malformed value; a loader only fails when the model refuses a value, and says so with fail().
class ContentReader
{
public:
    using Resolver = std::function<NetObject *(int id)>;

    // A set of attributes: those of the object element or of one item.
    class Values
    {
    public:
        Values(const QVector<SavedAttribute> *attributes, const Resolver *resolver)
            : m_attributes(attributes)
            , m_resolver(resolver)
        {
        }
        bool has(const QString &name) const { return find(name) != nullptr; }
        QString text(const QString &name, const QString &fallback = QString()) const;
        double number(const QString &name, double fallback = 0.0) const;
        qlonglong integer(const QString &name, qlonglong fallback = 0) const;
        bool boolean(const QString &name, bool fallback = false) const;
        QVector<QPointF> points(const QString &name) const;
        NetObject *reference(const QString &name) const;
        QList<NetObject *> references(const QString &name) const;
        template<class T>
        T *reference(const QString &name) const
        {
            return qobject_cast<T *>(reference(name));
        }
        template<class T>
        QList<T *> references(const QString &name) const
        {
            QList<T *> list;
            for (NetObject *o : references(name)) {
                if (T *t = qobject_cast<T *>(o))
                    list.append(t);
            }
            return list;
        }

    private:
        const SavedAttribute *find(const QString &name) const;
        const QVector<SavedAttribute> *m_attributes;
        const Resolver *m_resolver;
    };

    ContentReader(const SavedObject *object, const Resolver *resolver);

    const Values &values() const { return m_values; }
    // The items with the tag, in file order.
    QVector<Values> items(const QString &tag) const;

    // Records why the model refused the saved state; the load fails with this message.
    bool fail(const QString &message);
    QString errorMessage() const { return m_error; }
    SavedPosition errorPosition() const { return m_errorPosition; }

private:
    const SavedObject *m_object;
    const Resolver *m_resolver;
    Values m_values;
    QString m_error;
    SavedPosition m_errorPosition;
};

} // namespace Trelvoa
