// Reading the objects of a load back: a value the model refused or changed, or an object not where
// the input put it, fails the load (all or nothing) with what the model reads back.
#include "io/networkreader.h"

#include "io/contentwriter.h"
#include "io/networkwriter.h"
#include "io/objectkind.h"
#include "io/xmlvalues.h"
#include "netobject.h"
#include "network.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>

namespace Trelvoa {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("Trelvoa::NetworkReader", text);
}

// The text of a reference attribute as the writer writes it, from the ids the check read.
QString referenceText(const SavedAttribute &a)
{
    if (a.value.userType() == QMetaType::Int)
        return QString::number(a.value.toInt());
    return XmlValues::ids(a.value.value<QVector<int>>());
}

// The text of a further attribute as the writer writes it: made from the checked value on demand, as
// most are only compared by value.
QString savedText(const SavedAttribute &a)
{
    if (a.schema && (a.schema->type == AttributeSchema::Reference || a.schema->type == AttributeSchema::References))
        return referenceText(a);
    return XmlValues::valueText(a.value);
}

// An element's attributes as name=text pairs in name order, to compare what was read with what the
// model writes back.
QString itemText(QStringList parts)
{
    parts.sort();
    return parts.join(QLatin1Char(' '));
}

bool samePoint(const QPointF &p, const QPointF &q)
{
    return p.x() == q.x() && p.y() == q.y() && std::signbit(p.x()) == std::signbit(q.x())
        && std::signbit(p.y()) == std::signbit(q.y());
}

// Whether two values of a property are the same, exactly: then they also write the same text. False
// when unsure (the caller compares the texts).
bool sameScalar(const QVariant &a, const QVariant &b)
{
    const int type = a.userType();
    if (type != b.userType())
        return false;
    switch (type) {
    case QMetaType::Bool:
        return a.toBool() == b.toBool();
    case QMetaType::Int:
    case QMetaType::LongLong:
        return a.toLongLong() == b.toLongLong();
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return a.toULongLong() == b.toULongLong();
    case QMetaType::Double: {
        const double x = a.toDouble(), y = b.toDouble();
        return x == y && std::signbit(x) == std::signbit(y);
    }
    case QMetaType::QString:
        return a.toString() == b.toString();
    case QMetaType::QPointF:
        return samePoint(a.toPointF(), b.toPointF());
    default:
        if (type == qMetaTypeId<QVector<QPointF>>()) {
            const QVector<QPointF> p = a.value<QVector<QPointF>>(), q = b.value<QVector<QPointF>>();
            if (p.size() != q.size())
                return false;
            for (int i = 0; i < p.size(); ++i) {
                if (!samePoint(p.at(i), q.at(i)))
                    return false;
            }
            return true;
        }
        return false;
    }
}

// Whether each attribute of a saved item was written back once, with the same value or text: the
// common case, decided without the sorted texts of the whole item that settle the others.
bool sameItem(const ContentWriter::Item &written, const SavedItem &saved)
{
    for (const SavedAttribute &a : saved.attributes) {
        const ContentWriter::Entry *entry = nullptr;
        for (const ContentWriter::Entry &e : written.attributes) {
            if (e.name != a.name)
                continue;
            if (entry)
                return false;
            entry = &e;
        }
        if (!entry)
            return false;
        if (!(entry->deferred && sameScalar(entry->value, a.value)) && ContentWriter::textOf(*entry) != savedText(a))
            return false;
    }
    return true;
}

} // namespace

bool NetworkReader::propertyMatches(const PropertyCodec &codec, const NetObject *object, const SavedAttribute &a)
{
    // The common types read straight into their own type.
    if (codec.type == PropertyCodec::Scalar && a.value.userType() == codec.userType) {
        switch (codec.userType) {
        case QMetaType::Double: {
            double d = 0;
            codec.readRaw(object, &d);
            const double saved = *static_cast<const double *>(a.value.constData());
            return d == saved && std::signbit(d) == std::signbit(saved);
        }
        case QMetaType::Int: {
            int i = 0;
            codec.readRaw(object, &i);
            return i == *static_cast<const int *>(a.value.constData());
        }
        case QMetaType::Bool: {
            bool b = false;
            codec.readRaw(object, &b);
            return b == *static_cast<const bool *>(a.value.constData());
        }
        case QMetaType::QString: {
            QString text;
            codec.readRaw(object, &text);
            return text == *static_cast<const QString *>(a.value.constData());
        }
        default:
            break;
        }
    }
    if (codec.type == PropertyCodec::Reference) {
        QObject *p = nullptr;
        codec.readRaw(object, &p);
        const auto *target = codec.netObjectTarget ? static_cast<const NetObject *>(p) : qobject_cast<NetObject *>(p);
        return (target ? target->id() : 0) == a.value.toInt();
    }
    if (codec.type == PropertyCodec::Enum && codec.intEnum) {
        int value = 0;
        codec.readRaw(object, &value);
        return value == a.value.toInt();
    }
    // Any other value of the property's own type (points, point lists) read into a value of that
    // type: QMetaProperty::read would look a type that is not built in up by name, under a lock.
    if (codec.type == PropertyCodec::Scalar && a.value.userType() == codec.userType
        && codec.userType != QMetaType::QVariant && codec.userType != QMetaType::UnknownType) {
        QVariant v(codec.userType, nullptr);
        codec.readRaw(object, v.data());
        return sameScalar(v, a.value);
    }
    const QVariant v = codec.property.read(object);
    switch (codec.type) {
    case PropertyCodec::Scalar:
        return sameScalar(v, a.value);
    case PropertyCodec::Enum:
        return NetworkWriter::enumValue(v) == a.value.toInt();
    case PropertyCodec::Reference: {
        const auto *target = qobject_cast<NetObject *>(v.value<QObject *>());
        return (target ? target->id() : 0) == a.value.toInt();
    }
    case PropertyCodec::References: {
        // As written: targets that are gone are left out.
        QVector<int> ids;
        for (const QVariant &entry : v.toList()) {
            if (const auto *target = qobject_cast<NetObject *>(entry.value<QObject *>()))
                ids.append(target->id());
        }
        return ids == a.value.value<QVector<int>>();
    }
    }
    return false;
}

QString NetworkReader::canonicalText(const PropertyCodec &codec, const SavedAttribute &a)
{
    switch (codec.type) {
    case PropertyCodec::Scalar: {
        QString text;
        XmlValues::scalarToText(a.value, &text);
        return text;
    }
    case PropertyCodec::Enum:
        return XmlValues::enumToText(codec.property, a.value.toInt());
    case PropertyCodec::Reference:
    case PropertyCodec::References:
        return referenceText(a);
    }
    return QString();
}

QString NetworkReader::mismatch(const SavedDocument &document, int index, const Built &built) const
{
    const NetObject *object = built.objects.at(index);
    const SavedObject &o = document.objects.at(index);
    const ObjectKind *kind = o.kind;

    if (object->parent() != expectedParent(document, index, built))
        return tr("it is not under the owner it was saved under");

    for (const SavedAttribute &a : o.attributes) {
        if (a.property < 0)
            continue;
        const PropertyCodec &codec = kind->properties.at(a.property);
        if (kind->skipProperty && kind->skipProperty(object, codec.name))
            continue;
        if (propertyMatches(codec, object, a))
            continue;
        // Different values may still write the same text (a float property given more digits).
        QString text;
        NetworkWriter::propertyText(codec, object, &text);
        const QString expected = canonicalText(codec, a);
        if (text != expected)
            return tr("the model refuses %1=\"%2\" (it reads back \"%3\")")
                .arg(a.name, expected.left(80), text.left(80));
    }

    // Most objects (lanes, stoplines) carry nothing beyond their properties: nothing to compare.
    bool further = !kind->items.isEmpty();
    for (int i = 0; !further && i < o.attributes.size(); ++i)
        further = o.attributes.at(i).schema != nullptr;
    if (!further)
        return orderMismatch(document, index, built);

    ContentWriter content(true);
    if (kind->save)
        kind->save(object, content);
    object->saveContent(content);
    for (const SavedAttribute &a : o.attributes) {
        if (!a.schema)
            continue;
        const ContentWriter::Entry *entry = nullptr;
        for (const ContentWriter::Entry &e : content.attributes()) {
            if (e.name == a.name)
                entry = &e;
        }
        if (entry && entry->deferred && sameScalar(entry->value, a.value))
            continue;
        const QString text = entry ? ContentWriter::textOf(*entry) : QString();
        const QString expected = savedText(a);
        if (text != expected)
            return tr("the model refuses %1=\"%2\" (it reads back \"%3\")")
                .arg(a.name, expected.left(80), text.left(80));
    }
    for (const ItemSchema &schema : kind->items) {
        QVector<const SavedItem *> savedItems;
        for (const SavedItem &item : o.items) {
            if (item.tag == schema.tag)
                savedItems.append(&item);
        }
        int k = 0;
        for (const ContentWriter::Item &item : content.items()) {
            if (item.tag != schema.tag)
                continue;
            if (k >= savedItems.size())
                return tr("the model refuses its <%1> elements").arg(schema.tag);
            // Only what the input gives is compared; an attribute it leaves out keeps the model's
            // default.
            const SavedItem *saved = savedItems.at(k++);
            if (sameItem(item, *saved))
                continue;
            QStringList written;
            for (const ContentWriter::Entry &e : item.attributes) {
                for (const SavedAttribute &sa : saved->attributes) {
                    if (sa.name == e.name)
                        written.append(e.name + QLatin1Char('=') + ContentWriter::textOf(e));
                }
            }
            QStringList read;
            for (const SavedAttribute &a : saved->attributes)
                read.append(a.name + QLatin1Char('=') + savedText(a));
            if (itemText(written) != itemText(read))
                return tr("the model refuses its <%1> elements").arg(schema.tag);
        }
        if (k != savedItems.size())
            return tr("the model refuses its <%1> elements").arg(schema.tag);
    }

    return orderMismatch(document, index, built);
}

QString NetworkReader::orderMismatch(const SavedDocument &document, int index, const Built &built) const
{
    const NetObject *object = built.objects.at(index);
    const SavedObject &o = document.objects.at(index);
    const ObjectKind *kind = o.kind;
    if (o.index >= 0) {
        const auto *parent = qobject_cast<const NetObject *>(object->parent());
        const ObjectKind *parentKind = ObjectKind::of(parent);
        if (!parentKind || !parentKind->orderedChildren
            || parentKind->orderedChildren(parent).indexOf(const_cast<NetObject *>(object)) != o.index)
            return tr("it is not at index %1 of its owner").arg(o.index);
    }
    if (kind->orderedChildren && kind->orderedChildKind && !o.partial) {
        QList<NetObject *> saved;
        for (int c : o.children) {
            if (document.objects.at(c).kind->metaObject == kind->orderedChildKind)
                saved.append(built.objects.at(c));
        }
        if (kind->orderedChildren(object).mid(0, saved.size()) != saved)
            return tr("its children are not in the saved order");
    }
    return QString();
}

bool NetworkReader::verify(const SavedDocument &document, Built &built, QVector<int> *mismatched, bool report)
{
    // Reading back only reads the objects' stored state (no derived geometry), each object its own: a
    // large load looks for mismatches on two threads at once, listed in document order. Objects differ
    // much in what there is to compare (a walking area's items against a stopline's nothing), so the
    // threads take runs of objects as they get free rather than a half each.
    const int n = document.objects.size();
    if (!report && mismatched && n >= kParallelCheckMinimum && QThread::idealThreadCount() >= 2) {
        constexpr int run = 256;
        std::atomic<int> next{0};
        const auto look = [&](QVector<int> *found) {
            for (int begin = next.fetch_add(run); begin < n; begin = next.fetch_add(run)) {
                const int end = std::min(n, begin + run);
                for (int i = begin; i < end; ++i) {
                    if (!mismatch(document, i, built).isEmpty())
                        found->append(i);
                }
            }
        };
        QVector<int> second;
        std::thread worker([&] { look(&second); });
        QVector<int> first;
        look(&first);
        worker.join();
        first += second;
        std::sort(first.begin(), first.end());
        *mismatched += first;
        return true;
    }
    for (int i = 0; i < document.objects.size(); ++i) {
        const QString problem = mismatch(document, i, built);
        if (problem.isEmpty())
            continue;
        if (report)
            return fail(document.objects.at(i).position, tr("%1: %2").arg(owner(document.objects.at(i)), problem));
        mismatched->append(i);
    }
    return true;
}

} // namespace Trelvoa
