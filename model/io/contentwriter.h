#pragma once

#include <QList>
#include <QPointF>
#include <QString>
#include <QVariant>
#include <QVector>

namespace Trelvoa {

class NetObject;

// Collects the class state of one object that its properties do not carry: further attributes of the
// object element and item elements, each with attributes in the order written. Values take the
// canonical text forms of XmlValues.
class ContentWriter
{
public:
    struct Entry
    {
        QString name;
        QString text;
        // With keepValues: numbers, booleans, texts, points and the ids of references keep their value
        // here and get their text only when asked (textOf), as a load's check of every object compares
        // values.
        QVariant value;
        bool deferred = false;
    };
    struct Item
    {
        QString tag;
        QVector<Entry> attributes;
    };

    // keepValues: see Entry.
    explicit ContentWriter(bool keepValues = false)
        : m_keepValues(keepValues)
    {
    }

    // The entry's text, made from its value when that was deferred.
    static QString textOf(const Entry &entry);

    void text(const QString &name, const QString &value);
    void number(const QString &name, double value);
    void integer(const QString &name, qlonglong value);
    void boolean(const QString &name, bool value);
    void points(const QString &name, const QVector<QPointF> &points);
    // Null is written as 0.
    void reference(const QString &name, const NetObject *object);
    void references(const QString &name, const QList<NetObject *> &objects);
    template<class T>
    void references(const QString &name, const QList<T *> &objects)
    {
        QList<NetObject *> list;
        list.reserve(objects.size());
        for (T *o : objects)
            list.append(o);
        references(name, list);
    }

    // Values written between beginItem and endItem go to the item.
    void beginItem(const QString &tag);
    void endItem();

    const QVector<Entry> &attributes() const { return m_attributes; }
    const QVector<Item> &items() const { return m_items; }
    // The objects referred to, for the check that they belong to the network being saved.
    const QVector<const NetObject *> &referencedObjects() const { return m_referenced; }
    void clear();

private:
    void addValue(const QString &name, const QVariant &value);
    // The value kept (keepValues) or its text.
    template<class T, class Text>
    void put(const QString &name, const T &value, Text text);
    void add(const QString &name, const QString &text);

    QVector<Entry> m_attributes;
    QVector<Item> m_items;
    QVector<const NetObject *> m_referenced;
    bool m_keepValues = false;
    bool m_inItem = false;
};

} // namespace Trelvoa
