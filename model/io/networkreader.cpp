#include "io/networkreader.h"

#include "geo/geohelpers.h"
#include "geo/geoutil.h"
#include "granule.h"
#include "io/contentwriter.h"
#include "io/documentparser.h"
#include "io/documentscanner.h"
#include "io/fileprefetch.h"
#include "io/networkwriter.h"
#include "io/objectkind.h"
#include "io/xmlbytes.h"
#include "io/xmlvalues.h"
#include "netobject.h"
#include "network.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QPointer>
#include <QThread>
#include <QThreadPool>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>
#include <cmath>
#include <future>
#include <limits>
#include <memory>
#include <thread>

namespace Trelvoa {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("Trelvoa::NetworkReader", text);
}

// Objects built but not (yet) registered may delete each other through the deletion cascade, so they
// are deleted through guards.
void deleteGuarded(const QVector<QPointer<NetObject>> &objects)
{
    for (const QPointer<NetObject> &o : objects) {
        if (o)
            delete o.data();
    }
}

// Text the model keeps, in a block of its own: the document's blocks lie on the pages of the thread
// that parsed it, and one text kept from each page would hold all of them after the document goes.
QString ownCopy(const QString &text)
{
    return text.isEmpty() ? text : QString(text.constData(), text.size());
}

QVariant toVariant(const SavedValue &value)
{
    if (value.type == QMetaType::QVariantList) {
        QVariantList list;
        for (const SavedValue &item : value.items)
            list.append(toVariant(item));
        return list;
    }
    if (value.type == QMetaType::QVariantMap) {
        QVariantMap map;
        for (const SavedValue &item : value.items)
            map.insert(item.name, toVariant(item));
        return map;
    }
    if (value.type == QMetaType::QString)
        return ownCopy(value.text);
    QVariant v;
    XmlValues::scalarFromText(value.text, value.type, &v);
    return v;
}

QString typeName(AttributeSchema::Type type)
{
    switch (type) {
    case AttributeSchema::Text:
        return tr("text");
    case AttributeSchema::Number:
        return tr("number");
    case AttributeSchema::Integer:
        return tr("integer");
    case AttributeSchema::Boolean:
        return tr("boolean (true or false)");
    case AttributeSchema::Points:
        return tr("point list (\"x,y x,y ...\")");
    case AttributeSchema::Reference:
        return tr("id");
    case AttributeSchema::References:
        return tr("id list");
    }
    return QString();
}

} // namespace

NetworkReader::NetworkReader(Network *network)
    : m_network(network)
{
}

QString NetworkReader::owner(const SavedObject &object)
{
    return QStringLiteral("<%1 id=\"%2\">").arg(object.kind->tag).arg(object.id);
}

QString NetworkReader::Who::text() const
{
    const QString text = owner(*object);
    return item ? text + QStringLiteral(" <") + item->tag + QLatin1Char('>') : text;
}

bool NetworkReader::fail(const SavedPosition &position, const QString &cause)
{
    if (m_error.isEmpty())
        m_error = tr("Line %1, column %2: %3").arg(position.line).arg(position.column).arg(cause);
    return false;
}

bool NetworkReader::fail(const QString &cause)
{
    if (m_error.isEmpty())
        m_error = cause;
    return false;
}

bool NetworkReader::reportProgress(qint64 bytes, int current, int total)
{
    emit m_network->loadProgress(bytes, current, total);
    if (m_network->isLoadBroken()) {
        m_cancelled = true;
        return fail(tr("loading was cancelled"));
    }
    return true;
}

// ---------------------------------------------------------------------------------------------------
// Parsing and checking

bool NetworkReader::parse(QXmlStreamReader &reader, SavedDocument *document, bool report)
{
    DocumentParser parser(reader);
    if (report)
        parser.setProgress([this](qint64 bytes, int objects) { return reportProgress(bytes, objects, 0); });
    if (!parser.parseDocument(document)) {
        m_cancelled = m_cancelled || parser.cancelled();
        return fail(parser.errorString());
    }
    m_bytes = parser.bytesRead();
    return !report || reportProgress(m_bytes, 0, document->objects.size());
}

namespace {

// Where a large document of ours can be cut in two: the start of a line that opens a top-level
// element (written one to a line, indented by one space) near the middle; -1 for none.
int findSplit(const QByteArray &data)
{
    if (data.size() < NetworkReader::kParallelParseMinimumBytes || !XmlBytes::isUtf8Document(data))
        return -1;
    // Cut at the middle; the head's thread also reports progress and joins the halves afterwards.
    int at = data.indexOf("\n <", data.size() / 2);
    while (at >= 0 && at + 3 < data.size()) {
        const char c = data.at(at + 3);
        if (c != '/' && c != '!' && c != '?')
            return at + 1;
        at = data.indexOf("\n <", at + 1);
    }
    return -1;
}

void shiftLines(SavedValue &value, qint64 lines)
{
    value.position.line += lines;
    for (SavedValue &item : value.items)
        shiftLines(item, lines);
}

// Appends the objects of tail (parsed from later in the same file, lines shifted by lines) to
// document; false when an id is in both.
bool appendHalf(SavedDocument *document, SavedDocument &tail, qint64 lines)
{
    const int offset = document->objects.size();
    document->objects.reserve(offset + tail.objects.size());
    document->indexById.reserve(offset + tail.objects.size());
    for (int i = 0; i < tail.objects.size(); ++i) {
        SavedObject &o = tail.objects[i];
        if (document->indexById.contains(o.id))
            return false;
        document->indexById.insert(o.id, offset + i);
        if (o.parent >= 0)
            o.parent += offset;
        for (int &c : o.children)
            c += offset;
        o.position.line += lines;
        for (SavedItem &item : o.items)
            item.position.line += lines;
        for (SavedValue &value : o.dynamicProperties)
            shiftLines(value, lines);
        document->objects.append(std::move(o));
    }
    for (int root : qAsConst(tail.roots))
        document->roots.append(root + offset);
    return true;
}

// Parses the bytes (followed by "</network>\n" for the head of a cut file) with the scanner or, where
// it declines, with DocumentParser; on failure *error is the message and *cancelled whether the
// progress callback stopped the parse.
bool parseBytes(const char *data, int size, bool head, const DocumentParser::Progress &progress,
                SavedDocument *document, QString *error, bool *cancelled, qint64 *bytes = nullptr)
{
    DocumentScanner scanner(data, size);
    scanner.setRootClosedAtEnd(head);
    scanner.setProgress(progress);
    switch (scanner.scan(document)) {
    case DocumentScanner::Done:
        if (bytes)
            *bytes = size;
        return true;
    case DocumentScanner::Cancelled:
        *error = scanner.errorString();
        *cancelled = true;
        return false;
    case DocumentScanner::Declined:
        break;
    }
    QXmlStreamReader reader;
    reader.addData(QByteArray::fromRawData(data, size));
    if (head)
        reader.addData(QByteArrayLiteral("</network>\n"));
    DocumentParser parser(reader);
    parser.setProgress(progress);
    if (parser.parseDocument(document)) {
        if (bytes)
            *bytes = parser.bytesRead();
        return true;
    }
    *error = parser.errorString();
    *cancelled = parser.cancelled();
    return false;
}

} // namespace

bool NetworkReader::parseDocumentData(const QByteArray &data, const std::function<bool(qint64, int)> &progress,
                                      SavedDocument *document, qint64 *bytes, QString *error, bool *cancelled)
{
    // A large file is parsed in two halves at once, cut between two top-level elements. Either half
    // fails where the cut is not at the top level (inside a comment, say) or the file is faulty; then
    // the whole file is parsed again in one go, so that results and messages are exactly those of a
    // single pass.
    const int split = findSplit(data);
    if (split > 0) {
        // The second half read in place, as the inside of a root element: its lines are off by the
        // lines before the cut. Where the scanner declines it, the whole file is parsed in one go.
        const qint64 lines = std::count(data.constData(), data.constData() + split, '\n');
        SavedDocument tail;
        bool tailOk = false;
        std::thread worker([&] {
            DocumentScanner scanner(data.constData() + split, data.size() - split);
            scanner.setRootOpen(1);
            tailOk = scanner.scan(&tail) == DocumentScanner::Done;
        });
        const bool headOk = parseBytes(data.constData(), split, true, progress, document, error, cancelled);
        worker.join();
        if (*cancelled)
            return false;
        if (headOk && tailOk && document->version == tail.version && appendHalf(document, tail, lines)) {
            *bytes = data.size();
            return true;
        }
        *document = SavedDocument();
        error->clear();
    }
    return parseBytes(data.constData(), data.size(), false, progress, document, error, cancelled, bytes);
}

bool NetworkReader::parseData(const QByteArray &data, SavedDocument *document)
{
    const DocumentParser::Progress progress = [this, &data](qint64 bytes, int objects) {
        return reportProgress(std::min<qint64>(bytes, data.size()), objects, 0);
    };
    QString error;
    bool cancelled = false;
    if (!parseDocumentData(data, progress, document, &m_bytes, &error, &cancelled)) {
        m_cancelled = m_cancelled || cancelled;
        return fail(error);
    }
    return reportProgress(m_bytes, 0, document->objects.size());
}

bool NetworkReader::loadPrefetched(FilePrefetch &prefetch, Mode mode, bool *usable)
{
    begin(mode);
    *usable = true;
    if (!prefetch.wait([this](qint64 bytes, int objects) { return reportProgress(bytes, objects, 0); }))
        return fail(tr("loading was cancelled"));
    if (!prefetch.ok()) {
        *usable = false;
        return false;
    }
    SavedDocument document = prefetch.takeDocument();
    m_bytes = prefetch.bytesParsed();
    if (!reportProgress(m_bytes, 0, document.objects.size()))
        return false;
    return loadDocument(document, mode);
}

void NetworkReader::prune(SavedDocument &document)
{
    // A fragment loaded on its own (a paste) cannot keep what refers to objects it does not hold: as
    // deleting those objects would, it drops the objects that need them and clears the rest.
    const int n = document.objects.size();
    QVector<bool> dropped(n, false);
    auto known = [&](int id) {
        const auto it = document.indexById.constFind(id);
        return it != document.indexById.constEnd() && !dropped.at(it.value());
    };
    auto dropTree = [&](int index) {
        QVector<int> stack{index};
        while (!stack.isEmpty()) {
            const int i = stack.takeLast();
            dropped[i] = true;
            stack += document.objects.at(i).children;
        }
    };
    // References of an attribute: the ids it names, or false when it is no reference (or malformed,
    // which the check reports).
    auto referenceIds = [](const SavedAttribute &a, AttributeSchema::Type type, QVector<int> *ids) {
        if (type == AttributeSchema::Reference) {
            int id = 0;
            if (!XmlValues::parseInt(a.text(), &id) || id < 0)
                return false;
            *ids = id > 0 ? QVector<int>{id} : QVector<int>();
            return true;
        }
        if (type == AttributeSchema::References)
            return XmlValues::parseIds(a.text(), ids);
        return false;
    };
    auto attributeType = [](const ObjectKind *kind, const SavedAttribute &a) {
        if (const PropertyCodec *codec = kind->findProperty(a.name)) {
            if (codec->type == PropertyCodec::Reference)
                return AttributeSchema::Reference;
            if (codec->type == PropertyCodec::References)
                return AttributeSchema::References;
            return AttributeSchema::Text;
        }
        const AttributeSchema *schema = kind->findExtra(a.name);
        return schema ? schema->type : AttributeSchema::Text;
    };

    bool changed = true;
    while (changed) {
        changed = false;
        for (int i = 0; i < n; ++i) {
            if (dropped.at(i))
                continue;
            SavedObject &o = document.objects[i];
            bool drop = o.parentId != 0;
            for (SavedAttribute &a : o.attributes) {
                const AttributeSchema::Type type = attributeType(o.kind, a);
                QVector<int> ids;
                if (drop || !referenceIds(a, type, &ids))
                    continue;
                QVector<int> kept;
                for (int id : qAsConst(ids)) {
                    if (known(id))
                        kept.append(id);
                }
                if (kept.size() == ids.size())
                    continue;
                if (type == AttributeSchema::References)
                    a.setText(XmlValues::ids(kept));
                else if (o.kind->optionalReferences.contains(a.name))
                    a.setText(QStringLiteral("0"));
                else
                    drop = true;
                changed = true;
            }
            for (int k = o.items.size() - 1; k >= 0 && !drop; --k) {
                const SavedItem &item = o.items.at(k);
                const ItemSchema *schema = o.kind->findItem(item.tag);
                if (!schema)
                    continue;
                bool missing = false;
                for (const SavedAttribute &a : item.attributes) {
                    for (const AttributeSchema &s : schema->attributes) {
                        QVector<int> ids;
                        if (s.name != a.name || !referenceIds(a, s.type, &ids))
                            continue;
                        for (int id : qAsConst(ids))
                            missing = missing || !known(id);
                    }
                }
                if (missing) {
                    o.items.remove(k);
                    changed = true;
                }
            }
            if (drop) {
                dropTree(i);
                changed = true;
            }
        }
    }
    if (!dropped.contains(true))
        return;

    SavedDocument kept = document;
    kept.objects.clear();
    kept.roots.clear();
    kept.indexById.clear();
    QVector<int> newIndex(n, -1);
    for (int i = 0; i < n; ++i) {
        if (dropped.at(i))
            continue;
        SavedObject o = document.objects.at(i);
        o.parent = o.parent >= 0 ? newIndex.at(o.parent) : -1;
        o.children.clear();
        newIndex[i] = kept.objects.size();
        kept.indexById.insert(o.id, kept.objects.size());
        if (o.parent >= 0)
            kept.objects[o.parent].children.append(kept.objects.size());
        else
            kept.roots.append(kept.objects.size());
        kept.objects.append(o);
    }
    document = kept;
}

bool NetworkReader::checkTarget(const SavedDocument &document, CheckMode mode, int id,
                                const QMetaObject *target, const SavedPosition &position,
                                const Who &who, const QString &attribute)
{
    const QMetaObject *kind = nullptr;
    const int index = document.indexOf(id);
    if (index >= 0) {
        kind = document.objects.at(index).kind->metaObject;
    } else if (mode == CheckMerge || mode == CheckNew) {
        if (NetObject *o = m_network->findObject(id)) {
            kind = o->metaObject();
            m_referencedExisting.append(id);
        }
    }
    if (!kind) {
        return fail(position, mode == CheckMerge || mode == CheckNew
                                  ? tr("%1: attribute \"%2\" refers to id %3, which is neither in the input "
                                       "nor in the network")
                                        .arg(who.text(), attribute)
                                        .arg(id)
                                  : tr("%1: attribute \"%2\" refers to id %3, which is not in the input")
                                        .arg(who.text(), attribute)
                                        .arg(id));
    }
    if (target && !kind->inherits(target)) {
        return fail(position, tr("%1: attribute \"%2\" refers to id %3, a %4, where a %5 is needed")
                                  .arg(who.text(), attribute)
                                  .arg(id)
                                  .arg(QLatin1String(kind->className()), QLatin1String(target->className())));
    }
    return true;
}

bool NetworkReader::parseTypedValue(const SavedDocument &document, CheckMode mode, const AttributeSchema &schema,
                                   SavedAttribute &a, const SavedPosition &position, const Who &who)
{
    auto bad = [&]() {
        return fail(position, tr("%1: attribute \"%2\": \"%3\" is not a %4")
                                  .arg(who.text(), a.name, a.text().left(80), typeName(schema.type)));
    };
    switch (schema.type) {
    case AttributeSchema::Text:
        return true;
    case AttributeSchema::Number: {
        double v = 0;
        if (!XmlValues::parseNumber(a.text(), &v))
            return bad();
        a.value = v;
        return true;
    }
    case AttributeSchema::Integer: {
        int v = 0;
        if (!XmlValues::parseInt(a.text(), &v))
            return bad();
        a.value = qlonglong(v);
        return true;
    }
    case AttributeSchema::Boolean: {
        bool v = false;
        if (!XmlValues::parseBoolean(a.text(), &v))
            return bad();
        a.value = v;
        return true;
    }
    case AttributeSchema::Points: {
        QVector<QPointF> points;
        if (!XmlValues::parsePoints(a.text(), &points))
            return bad();
        for (const QPointF &p : qAsConst(points)) {
            if (!pointIsValid(p))
                return fail(position, tr("%1: attribute \"%2\" has a coordinate that is not finite")
                                          .arg(who.text(), a.name));
        }
        a.value = QVariant::fromValue(points);
        return true;
    }
    case AttributeSchema::Reference: {
        int id = 0;
        if (!XmlValues::parseInt(a.text(), &id) || id < 0)
            return bad();
        if (id > 0 && !checkTarget(document, mode, id, schema.target, position, who, a.name))
            return false;
        a.value = id;
        return true;
    }
    case AttributeSchema::References: {
        QVector<int> ids;
        if (!XmlValues::parseIds(a.text(), &ids))
            return bad();
        for (int id : qAsConst(ids)) {
            if (!checkTarget(document, mode, id, schema.target, position, who, a.name))
                return false;
        }
        a.value = QVariant::fromValue(ids);
        return true;
    }
    }
    return bad();
}

bool NetworkReader::checkAttribute(const SavedDocument &document, CheckMode mode, const SavedObject &object,
                                   SavedAttribute &a, int *hint)
{
    const ObjectKind *kind = object.kind;
    if (const PropertyCodec *codec = kind->findProperty(a.name, *hint)) {
        a.property = int(codec - kind->properties.constData());
        *hint = a.property + 1;
        const Who who{&object, nullptr};
        switch (codec->type) {
        case PropertyCodec::Scalar: {
            QVariant v;
            if (!XmlValues::scalarFromText(a.text(), codec->userType, &v))
                return fail(object.position, tr("%1: attribute \"%2\": \"%3\" is not a value of type %4")
                                                 .arg(who.text(), a.name, a.text().left(80),
                                                      QLatin1String(codec->property.typeName())));
            a.value = v;
            return true;
        }
        case PropertyCodec::Enum: {
            int v = 0;
            if (!XmlValues::enumFromText(codec->property, a.text(), &v))
                return fail(object.position, tr("%1: attribute \"%2\": \"%3\" is not a value of %4")
                                                 .arg(who.text(), a.name, a.text().left(80),
                                                      QLatin1String(codec->property.typeName())));
            a.value = v;
            return true;
        }
        case PropertyCodec::Reference: {
            AttributeSchema schema;
            schema.name = a.name;
            schema.type = AttributeSchema::Reference;
            schema.target = codec->target;
            return parseTypedValue(document, mode, schema, a, object.position, who);
        }
        case PropertyCodec::References: {
            AttributeSchema schema;
            schema.name = a.name;
            schema.type = AttributeSchema::References;
            schema.target = codec->target;
            return parseTypedValue(document, mode, schema, a, object.position, who);
        }
        }
    }
    if (const AttributeSchema *schema = kind->findExtra(a.name)) {
        a.schema = schema;
        return parseTypedValue(document, mode, *schema, a, object.position, Who{&object, nullptr});
    }
    return fail(object.position, tr("%1: unknown attribute \"%2\"").arg(owner(object), a.name.left(80)));
}

bool NetworkReader::checkItem(const SavedDocument &document, CheckMode mode, const SavedObject &object,
                              SavedItem &item)
{
    const ItemSchema *schema = object.kind->findItem(item.tag);
    if (!schema)
        return fail(item.position, tr("%1: unknown element <%2>").arg(owner(object), item.tag.left(80)));
    const Who who{&object, &item};
    for (SavedAttribute &a : item.attributes) {
        const AttributeSchema *valueSchema = nullptr;
        for (const AttributeSchema &s : schema->attributes) {
            if (s.name == a.name)
                valueSchema = &s;
        }
        if (!valueSchema)
            return fail(item.position, tr("%1: unknown attribute \"%2\"").arg(who.text(), a.name.left(80)));
        for (const SavedAttribute &other : qAsConst(item.attributes)) {
            if (&other != &a && other.name == a.name)
                return fail(item.position, tr("%1: attribute \"%2\" given twice").arg(who.text(), a.name));
        }
        a.schema = valueSchema;
        if (!parseTypedValue(document, mode, *valueSchema, a, item.position, who))
            return false;
    }
    for (const AttributeSchema &s : schema->attributes) {
        if (!s.required)
            continue;
        bool found = false;
        for (const SavedAttribute &a : qAsConst(item.attributes))
            found = found || a.name == s.name;
        if (!found)
            return fail(item.position, tr("%1: attribute \"%2\" is missing").arg(who.text(), s.name));
    }
    return true;
}

bool NetworkReader::check(SavedDocument &document, CheckMode mode)
{
    m_referencedExisting.clear();
    const int n = document.objects.size();
    // Objects are checked independently of each other: a large input is checked in two halves at
    // once. Both only read the network and the rest of the document; the first fault in document
    // order is the one reported, as when checking in one go.
    if (n < kParallelCheckMinimum || QThread::idealThreadCount() < 2)
        return checkRange(document, mode, 0, n);
    document.objects.detach();
    NetworkReader second(m_network);
    bool secondOk = false;
    std::thread worker([&] { secondOk = second.checkRange(document, mode, n / 2, n); });
    const bool firstOk = checkRange(document, mode, 0, n / 2);
    worker.join();
    if (!firstOk)
        return false;
    m_referencedExisting += second.m_referencedExisting;
    if (!secondOk)
        m_error = second.m_error;
    return secondOk;
}

bool NetworkReader::checkRange(SavedDocument &document, CheckMode mode, int begin, int end)
{
    SavedObject *objects = document.objects.data();
    for (int i = begin; i < end; ++i) {
        SavedObject &o = objects[i];
        const ObjectKind *kind = o.kind;
        const Who who{&o, nullptr};

        // Its place in the ownership tree.
        const QMetaObject *parentKind = nullptr;
        int parentId = 0;
        bool parentIsNew = false;
        if (o.parent >= 0) {
            const SavedObject &p = document.objects.at(o.parent);
            parentKind = p.kind->metaObject;
            parentId = p.id;
            parentIsNew = mode != CheckMerge || !m_network->findObject(p.id);
        } else if (o.parentId) {
            if (mode != CheckMerge)
                return fail(o.position, tr("%1 names its owner %2, which is not in the input").arg(who.text()).arg(o.parentId));
            if (document.indexOf(o.parentId) >= 0)
                return fail(o.position, tr("%1 names its owner %2, which is in the input: the element belongs "
                                           "inside it")
                                            .arg(who.text())
                                            .arg(o.parentId));
            NetObject *p = m_network->findObject(o.parentId);
            if (!p)
                return fail(o.position, tr("%1 names its owner %2, which is neither in the input nor in the "
                                           "network")
                                            .arg(who.text())
                                            .arg(o.parentId));
            parentKind = p->metaObject();
            parentId = o.parentId;
        }
        if (!kind->allowsParent(parentKind)) {
            return fail(o.position, parentKind ? tr("%1 cannot belong to a %2")
                                                     .arg(who.text(), QLatin1String(parentKind->className()))
                                               : tr("%1 cannot be a top-level object").arg(who.text()));
        }

        NetObject *existing = mode == CheckMerge ? m_network->findObject(o.id) : nullptr;
        if (mode == CheckNew && m_network->findObject(o.id))
            return fail(o.position, tr("%1: id %2 is already in use").arg(who.text()).arg(o.id));
        if (existing) {
            if (existing->metaObject() != kind->metaObject)
                return fail(o.position, tr("%1: id %2 is a %3 in the network")
                                            .arg(who.text())
                                            .arg(o.id)
                                            .arg(existing->kindName()));
            const NetObject *current = existing->parentObject();
            if ((current ? current->id() : 0) != parentId && !kind->reparentable)
                return fail(o.position, tr("%1 cannot move to another owner (from %2 to %3)")
                                            .arg(who.text())
                                            .arg(current ? current->id() : 0)
                                            .arg(parentId));
        } else if (!kind->create && !(o.parent >= 0 && parentIsNew)) {
            return fail(o.position, tr("%1 does not exist and is only made together with its owner").arg(who.text()));
        }

        // Children that the constructor makes, in their roles.
        if (!kind->fixedChildKinds.isEmpty() && !o.partial) {
            QVector<int> fixed;
            for (int c : qAsConst(o.children)) {
                if (kind->fixedChildKinds.contains(document.objects.at(c).kind->metaObject))
                    fixed.append(c);
            }
            bool rolesMatch = fixed.size() == kind->fixedChildKinds.size();
            for (int j = 0; rolesMatch && j < fixed.size(); ++j)
                rolesMatch = document.objects.at(fixed.at(j)).kind->metaObject == kind->fixedChildKinds.at(j);
            if (!rolesMatch) {
                QStringList tags;
                for (const QMetaObject *mo : kind->fixedChildKinds) {
                    for (const ObjectKind *k : ObjectKind::all()) {
                        if (k->metaObject == mo)
                            tags.append(QLatin1Char('<') + k->tag + QLatin1Char('>'));
                    }
                }
                return fail(o.position, tr("%1 must hold exactly these elements of its own: %2")
                                            .arg(who.text(), tags.join(QStringLiteral(", "))));
            }
            if (existing) {
                const QList<NetObject *> current = kind->fixedChildren(existing);
                for (int j = 0; j < fixed.size(); ++j) {
                    const SavedObject &child = document.objects.at(fixed.at(j));
                    if (current.value(j) == nullptr || current.value(j)->id() != child.id)
                        return fail(child.position, tr("%1 is not the line of %2 in that role (it is %3)")
                                                        .arg(owner(child), who.text())
                                                        .arg(current.value(j) ? current.value(j)->id() : 0));
                }
            }
        }

        int hint = 0;
        for (SavedAttribute &a : o.attributes) {
            if (!checkAttribute(document, mode, o, a, &hint))
                return false;
        }
        for (SavedItem &item : o.items) {
            if (!checkItem(document, mode, o, item))
                return false;
        }
    }
    return true;
}

QString NetworkReader::projectionProblem(const SavedDocument &document, std::unique_ptr<GeoUtil> *geo)
{
    if (!document.hasProjection || document.projection.trimmed().isEmpty())
        return QString();
    QString error;
    std::unique_ptr<GeoUtil> fileGeo(GeoUtil::create(document.projection.constData(), &error));
    if (!fileGeo)
        return tr("the projection \"%1\" is not valid: %2").arg(QString::fromUtf8(document.projection).left(200), error);
    if (geo)
        *geo = std::move(fileGeo);
    return QString();
}

bool NetworkReader::checkProjection(SavedDocument &document)
{
    std::unique_ptr<GeoUtil> fileGeo;
    const QString problem = projectionProblem(document, &fileGeo);
    if (!problem.isEmpty())
        return fail(document.position, problem);
    if (!fileGeo)
        return true;
    fileGeo->setOffset(document.offset);
    const GeoUtil *netGeo = m_network->geoUtil();
    if (!netGeo)
        return true;
    if (netGeo->projectionStr() == document.projection && netGeo->offset() == document.offset)
        return true;

    // Another projection: the file's coordinates are brought into the network's.
    auto convert = [&](QPointF *p) {
        *p = netGeo->geoToXY(fileGeo->xyToGeo(*p));
    };
    auto convertAttribute = [&](SavedAttribute &a) {
        if (a.value.userType() == QMetaType::QPointF) {
            QPointF p = a.value.toPointF();
            convert(&p);
            a.value = p;
        } else if (a.schema && a.schema->type == AttributeSchema::Points) {
            QVector<QPointF> points = a.value.value<QVector<QPointF>>();
            for (QPointF &p : points)
                convert(&p);
            a.value = QVariant::fromValue(points);
        }
    };
    for (SavedObject &o : document.objects) {
        for (SavedAttribute &a : o.attributes)
            convertAttribute(a);
        for (SavedItem &item : o.items) {
            for (SavedAttribute &a : item.attributes)
                convertAttribute(a);
        }
    }
    if (document.hasBound) {
        QRectF r = netGeo->geoToXY(fileGeo->xyToGeo(document.bound));
        document.bound = r;
        document.boundText = rectToString(r);
    }
    return true;
}

// ---------------------------------------------------------------------------------------------------
// Building

NetObject *NetworkReader::resolve(const SavedDocument &document, const Built &built, int id) const
{
    const int index = document.indexOf(id);
    if (index >= 0)
        return built.objects.value(index);
    return m_networkReferences ? m_network->findObject(id) : nullptr;
}

QObject *NetworkReader::expectedParent(const SavedDocument &document, int index, const Built &built) const
{
    const SavedObject &o = document.objects.at(index);
    if (o.parent >= 0)
        return built.objects.at(o.parent);
    if (o.parentId)
        return m_network->findObject(o.parentId);
    return m_holder;
}

bool NetworkReader::create(const SavedDocument &document, CheckMode mode, QObject *holder, Built *built)
{
    const int n = document.objects.size();
    built->objects.fill(nullptr, n);
    built->created.fill(false, n);
    for (int i = 0; i < n; ++i) {
        const SavedObject &o = document.objects.at(i);
        if (mode == CheckMerge) {
            if (NetObject *existing = m_network->findObject(o.id)) {
                built->objects[i] = existing;
                continue;
            }
        }
        QObject *parent = o.parent >= 0 ? built->objects.at(o.parent)
                                        : o.parentId ? m_network->findObject(o.parentId) : holder;
        NetObject *object = nullptr;
        if (!o.kind->create) {
            // Made by the owner's constructor: the role is the place among the owner's fixed children.
            const SavedObject &p = document.objects.at(o.parent);
            int role = 0;
            for (int c : p.children) {
                if (c == i)
                    break;
                if (p.kind->fixedChildKinds.contains(document.objects.at(c).kind->metaObject))
                    ++role;
            }
            object = p.kind->fixedChildren ? p.kind->fixedChildren(built->objects.at(o.parent)).value(role)
                                           : nullptr;
        } else {
            object = o.kind->create(parent);
        }
        if (!object)
            return fail(o.position, tr("%1 could not be made").arg(owner(o)));
        Network::presetId(object, o.id);
        built->objects[i] = object;
        built->created[i] = true;
        if (holder != m_network && (i + 1) % 1024 == 0 && !reportProgress(m_bytes, i + 1, 4 * n))
            return false;
    }
    return true;
}

bool NetworkReader::applyObject(const SavedDocument &document, int index, Built &built, int phase)
{
    NetObject *object = built.objects.at(index);
    const SavedObject &o = document.objects.at(index);
    const ObjectKind *kind = o.kind;

    if (phase == 0) {
        if (!built.created.at(index)) {
            for (const QByteArray &name : object->dynamicPropertyNames()) {
                if (name.startsWith("_q_"))
                    continue;
                bool saved = false;
                for (const SavedValue &v : o.dynamicProperties)
                    saved = saved || v.name.toUtf8() == name;
                if (!saved)
                    object->setProperty(name.constData(), QVariant());
            }
        }
        for (const SavedValue &v : o.dynamicProperties)
            object->setProperty(v.name.toUtf8().constData(), toVariant(v));
        bool hasName = false;
        for (const SavedAttribute &a : o.attributes) {
            if (a.property < 0)
                continue;
            const PropertyCodec &codec = kind->properties.at(a.property);
            if (codec.name == "name")
                hasName = true;
            if (codec.type == PropertyCodec::Scalar) {
                if (a.value.userType() == QMetaType::QString && codec.userType == QMetaType::QString) {
                    const QString own = ownCopy(*static_cast<const QString *>(a.value.constData()));
                    codec.writeRaw(object, &own);
                } else if (a.value.userType() == codec.userType && codec.userType != QMetaType::QVariant)
                    codec.writeRaw(object, a.value.constData());
                else
                    codec.property.write(object, a.value);
            } else if (codec.type == PropertyCodec::Enum) {
                const int value = a.value.toInt();
                if (codec.intEnum)
                    codec.writeRaw(object, &value);
                else
                    codec.property.write(object, QVariant(value));
            }
        }
        if (!hasName && !object->name().isEmpty())
            object->setName(QString());
        return true;
    }

    if (phase == 1) {
        for (const SavedAttribute &a : o.attributes) {
            if (a.property < 0)
                continue;
            const PropertyCodec &codec = kind->properties.at(a.property);
            if (codec.type == PropertyCodec::Reference) {
                const int id = a.value.toInt();
                QObject *target = id > 0 ? resolve(document, built, id) : nullptr;
                codec.writeRaw(object, &target);
            } else if (codec.type == PropertyCodec::References) {
                QVariantList list;
                for (int id : a.value.value<QVector<int>>())
                    list.append(QVariant::fromValue<QObject *>(resolve(document, built, id)));
                codec.property.write(object, list);
            }
        }
        return true;
    }

    ContentReader reader(&o, &m_resolver);
    if ((kind->load && !kind->load(object, reader)) || !object->loadContent(reader))
        return fail(reader.errorPosition(), tr("%1: %2").arg(owner(o), reader.errorMessage()));
    if (kind->restoreOrder && kind->orderedChildKind && !o.partial) {
        QList<NetObject *> ordered;
        for (int c : o.children) {
            if (document.objects.at(c).kind->metaObject == kind->orderedChildKind)
                ordered.append(built.objects.at(c));
        }
        if (!kind->restoreOrder(object, ordered))
            return fail(o.position, tr("%1: the saved order of its children cannot be restored").arg(owner(o)));
    }
    return true;
}

bool NetworkReader::applyAll(const SavedDocument &document, Built &built, bool progress)
{
    m_resolver = [this, &document, &built](int id) { return resolve(document, built, id); };
    const int n = document.objects.size();
    for (int phase = 0; phase < 3; ++phase) {
        for (int i = 0; i < n; ++i) {
            if (!applyObject(document, i, built, phase))
                return false;
            if (progress && (i + 1) % 1024 == 0 && !reportProgress(m_bytes, (phase + 1) * n + i + 1, 4 * n))
                return false;
        }
    }
    if (!placeChildren(document, built))
        return false;
    // State that depends on objects later in the file (a zone's link clamped to an edge whose custom
    // skeleton came after it) is set once more; what still differs is refused by the model.
    QVector<int> mismatched;
    verify(document, built, &mismatched, false);
    if (!mismatched.isEmpty()) {
        for (int phase = 0; phase < 3; ++phase) {
            for (int i : qAsConst(mismatched)) {
                if (!applyObject(document, i, built, phase))
                    return false;
            }
        }
        if (!verify(document, built, nullptr, true))
            return false;
    }
    return true;
}

bool NetworkReader::placeChildren(const SavedDocument &document, Built &built)
{
    // Lanes written without their edge go back to their places, lowest index first.
    QVector<int> placed;
    for (int i = 0; i < document.objects.size(); ++i) {
        if (document.objects.at(i).index >= 0)
            placed.append(i);
    }
    std::sort(placed.begin(), placed.end(), [&](int a, int b) {
        return document.objects.at(a).index < document.objects.at(b).index;
    });
    for (int i : qAsConst(placed)) {
        const SavedObject &o = document.objects.at(i);
        NetObject *parent = m_network->findObject(o.parentId);
        const ObjectKind *parentKind = ObjectKind::of(parent);
        if (!parentKind || !parentKind->placeChild || parentKind->orderedChildKind != o.kind->metaObject)
            return fail(o.position, tr("%1: its owner keeps no order of such children").arg(owner(o)));
        if (!parentKind->placeChild(parent, built.objects.at(i), o.index))
            return fail(o.position, tr("%1 cannot be put at index %2").arg(owner(o)).arg(o.index));
    }
    return true;
}

void NetworkReader::dropCreated(const Built &built)
{
    QVector<QPointer<NetObject>> roots;
    for (int i = 0; i < built.objects.size(); ++i) {
        NetObject *o = built.objects.at(i);
        if (!o || !built.created.at(i))
            continue;
        auto *parent = qobject_cast<NetObject *>(o->parent());
        const int parentIndex = parent ? built.objects.indexOf(parent) : -1;
        if (parentIndex < 0 || !built.created.at(parentIndex))
            roots.append(o);
    }
    deleteGuarded(roots);
}

void NetworkReader::finishLoad(const SavedDocument &document)
{
    // An empty network without a projection takes the one of what was loaded into it.
    if (m_adoptProjection && document.hasProjection)
        m_network->setProjection(document.projection, document.offset);
    if (document.hasBound)
        m_network->setProperty("bound", rectToString(document.bound));
    else
        m_network->setProperty("bound", QVariant());
}

// ---------------------------------------------------------------------------------------------------
// The three loads

bool NetworkReader::replace(SavedDocument &document)
{
    // The projection is checked on another thread while the objects are made and filled in here: it
    // costs the projection library's first load and a look-up in its database. The answer is awaited
    // before anything changes. (A file without one starts no thread.)
    const bool hasProjection = document.hasProjection && !document.projection.trimmed().isEmpty();
    std::future<QString> projection
        = std::async(hasProjection ? std::launch::async : std::launch::deferred,
                     [&document] { return projectionProblem(document, nullptr); });
    Network staging;
    m_holder = &staging;
    Built built;
    bool ok = create(document, CheckReplace, &staging, &built) && applyAll(document, built, true)
        && reportProgress(m_bytes, 4 * document.objects.size(), 4 * document.objects.size());
    if (ok) {
        const QString problem = projection.get();
        if (!problem.isEmpty())
            ok = fail(document.position, problem);
    }
    if (!ok) {
        QVector<QPointer<NetObject>> tops;
        for (QObject *c : staging.children()) {
            if (auto *o = qobject_cast<NetObject *>(c))
                tops.append(o);
        }
        deleteGuarded(tops);
        m_holder = nullptr;
        return false;
    }

    // The saved objects go before the network indexes the new ones and the views make their items,
    // which then take their memory instead of adding to it (a city's is some tens of megabytes).
    release(document);
    // Everything is in place: only now does the network change.
    m_network->clear();
    m_network->setProjection(document.hasProjection ? document.projection : QByteArray(), document.offset);
    m_network->adoptLoaded(&staging);
    m_holder = nullptr;
    finishLoad(document);
    m_network->m_changed = false;
    m_network->afterLoad();
    // Cancelled while the views made their items: they have emptied the network, and the load failed.
    if (m_network->isLoadBroken()) {
        m_cancelled = true;
        return fail(tr("loading was cancelled"));
    }
    return true;
}

QByteArray NetworkReader::backup(const SavedDocument &document) const
{
    // The objects a merge may change: those it brings to a saved state, the owners it adds to, the
    // objects it refers to, and the holders of references to any of these (a detector taken into a
    // group leaves its former group).
    QList<NetObject *> list;
    QSet<NetObject *> seen;
    auto add = [&](NetObject *o) {
        if (o && !seen.contains(o)) {
            seen.insert(o);
            list.append(o);
        }
    };
    auto addWithHolders = [&](NetObject *o) {
        if (!o)
            return;
        add(o);
        for (NetObject *holder : o->referrers())
            add(holder);
    };
    for (const SavedObject &o : document.objects) {
        addWithHolders(m_network->findObject(o.id));
        if (o.parentId)
            add(m_network->findObject(o.parentId));
    }
    for (int id : m_referencedExisting)
        addWithHolders(m_network->findObject(id));
    if (list.isEmpty())
        return QByteArray();
    QByteArray bytes;
    QXmlStreamWriter writer(&bytes);
    NetworkWriter w(m_network);
    if (!w.writeFragment(writer, list, true, false))
        return QByteArray();
    return bytes;
}

bool NetworkReader::merge(SavedDocument &document, bool rollback)
{
    if (!rollback && !checkProjection(document))
        return false;
    const QByteArray saved = rollback ? QByteArray() : backup(document);
    const bool wasSilent = m_network->isSilent();
    m_network->setSilent(true);
    m_holder = m_network;

    Built built;
    bool ok = create(document, CheckMerge, m_network, &built);
    if (ok) {
        for (int i = 0; i < built.objects.size(); ++i) {
            if (built.created.at(i))
                continue;
            QObject *parent = expectedParent(document, i, built);
            if (built.objects.at(i)->parent() != parent)
                built.objects.at(i)->setParent(parent);
        }
        ok = applyAll(document, built, false);
    }
    if (!ok) {
        if (!rollback) {
            // Existing objects first give up their references to the new ones, then those go.
            const QString error = m_error;
            m_error.clear();
            bool restored = true;
            if (!saved.isEmpty()) {
                QXmlStreamReader reader(saved);
                SavedDocument previous;
                DocumentParser parser(reader);
                const QVector<int> referenced = m_referencedExisting;
                restored = parser.parseDocument(&previous) && check(previous, CheckMerge) && merge(previous, true);
                m_referencedExisting = referenced;
                if (!restored && m_error.isEmpty())
                    m_error = parser.errorString();
            }
            dropCreated(built);
            m_error = restored ? error : tr("%1 (restoring the objects it touched failed: %2)").arg(error, m_error);
        }
        m_network->setSilent(wasSilent);
        m_holder = nullptr;
        return false;
    }
    if (rollback) {
        m_network->setSilent(wasSilent);
        return true;
    }

    // A saved object holds its whole subtree: children the input does not have go.
    QSet<NetObject *> inInput;
    for (NetObject *o : qAsConst(built.objects))
        inInput.insert(o);
    QVector<QPointer<NetObject>> stale;
    QVector<QPointer<NetObject>> existing;
    for (int i = 0; i < built.objects.size(); ++i) {
        if (built.created.at(i))
            continue;
        existing.append(built.objects.at(i));
        if (document.objects.at(i).partial)
            continue;
        for (QObject *c : built.objects.at(i)->children()) {
            auto *child = qobject_cast<NetObject *>(c);
            if (child && child->network() == m_network && !inInput.contains(child))
                stale.append(child);
        }
    }
    m_network->setSilent(wasSilent);
    deleteGuarded(stale);

    // New objects join, parents first.
    for (int i = 0; i < built.objects.size(); ++i) {
        if (!built.created.at(i))
            continue;
        const SavedObject &o = document.objects.at(i);
        if (o.parent >= 0 && built.created.at(o.parent))
            continue;
        m_network->addItem(built.objects.at(i), o.id);
    }

    // Existing objects were changed silently: they and what depends on them are announced now.
    ChangeSet set;
    for (const QPointer<NetObject> &o : qAsConst(existing)) {
        if (o)
            set.add(o);
    }
    for (const QPointer<NetObject> &o : qAsConst(existing)) {
        if (o)
            o->collectAffected(set, ChangeFlag::All);
    }
    QVector<QPointer<NetObject>> dependants;
    for (NetObject *o : set.objects()) {
        if (!inInput.contains(o))
            dependants.append(o);
    }
    m_network->notifyObjects(existing, ChangeFlag::All);
    m_network->notifyObjects(dependants, ChangeFlag::Geometry | ChangeFlag::Topology);
    m_holder = nullptr;
    finishLoad(document);
    m_network->m_changed = true;
    return true;
}

bool NetworkReader::join(SavedDocument &document)
{
    if (!checkProjection(document))
        return false;
    m_holder = m_network;
    Built built;
    // Objects keep their ids of the file while they are built, so that the result can be compared
    // with the input; they get fresh ids when they join.
    if (!create(document, CheckJoin, m_network, &built) || !applyAll(document, built, false)) {
        dropCreated(built);
        m_holder = nullptr;
        return false;
    }
    // m_holder must no longer resolve ids in the network from here on.
    for (NetObject *o : qAsConst(built.objects))
        Network::presetId(o, 0);
    for (int i = 0; i < built.objects.size(); ++i) {
        if (document.objects.at(i).parent < 0)
            m_network->addItem(built.objects.at(i), 0);
    }
    m_holder = nullptr;
    finishLoad(document);
    return true;
}

void NetworkReader::release(SavedDocument &document)
{
    // Each half mostly goes back to the memory pool of the thread that parsed it, so the two threads
    // seldom wait for each other.
    const int n = document.objects.size();
    if (n >= kParallelCheckMinimum && QThread::idealThreadCount() >= 2) {
        SavedObject *objects = document.objects.data();
        std::thread worker([objects, n] {
            for (int i = n / 2; i < n; ++i)
                objects[i] = SavedObject();
        });
        for (int i = 0; i < n / 2; ++i)
            objects[i] = SavedObject();
        worker.join();
    }
    document.objects = QVector<SavedObject>();
    document.roots = QVector<int>();
    document.indexById = QHash<int, int>();
    document.idTable = QVector<int>();
}

void NetworkReader::releaseInBackground(SavedDocument &&document)
{
    // Freeing the parsed form of a large file takes a noticeable share of the load, and nothing
    // waits for it.
    if (document.objects.size() < kParallelCheckMinimum)
        return;
    auto *doomed = new SavedDocument(std::move(document));
    QThreadPool::globalInstance()->start([doomed] { delete doomed; });
}

void NetworkReader::begin(Mode mode)
{
    m_error.clear();
    m_adoptProjection = mode != Replace && !m_network->geoUtil() && m_network->objectCount() == 0;
    m_cancelled = false;
    m_network->resetLoadBroken();
}

bool NetworkReader::load(QXmlStreamReader &reader, Mode mode)
{
    begin(mode);
    SavedDocument document;
    if (!parse(reader, &document, true))
        return false;
    return loadDocument(document, mode);
}

bool NetworkReader::load(QByteArray data, Mode mode)
{
    begin(mode);
    SavedDocument document;
    const bool parsed = parseData(data, &document);
    // The file's bytes are not needed past here (when the caller handed them over): their memory goes
    // to the objects.
    data = QByteArray();
    if (!parsed)
        return false;
    return loadDocument(document, mode);
}

bool NetworkReader::loadDocument(SavedDocument &document, Mode mode)
{
    const CheckMode checkMode = mode == Replace ? CheckReplace : mode == Merge ? CheckMerge : CheckJoin;
    m_networkReferences = mode == Merge;
    if (mode != Merge && document.fragment)
        prune(document);
    document.makeIdTable();
    if (!check(document, checkMode))
        return false;
    bool ok = false;
    switch (mode) {
    case Replace:
        ok = replace(document);
        break;
    case Merge:
        ok = merge(document, false);
        break;
    case Join:
        ok = join(document);
        break;
    }
    releaseInBackground(std::move(document));
    return ok;
}

Granule *NetworkReader::readGranule(QXmlStreamReader &reader)
{
    m_error.clear();
    SavedDocument document;
    DocumentParser parser(reader);
    if (!parser.parseElement(&document)) {
        fail(parser.errorString());
        return nullptr;
    }
    if (document.objects.isEmpty() || document.objects.first().kind->metaObject != &Granule::staticMetaObject) {
        fail(tr("the element is not a granule"));
        return nullptr;
    }
    m_networkReferences = true;
    if (!check(document, CheckNew))
        return nullptr;
    m_holder = m_network;
    Built built;
    if (!create(document, CheckNew, m_network, &built) || !applyAll(document, built, false)) {
        dropCreated(built);
        m_holder = nullptr;
        return nullptr;
    }
    m_holder = nullptr;
    return static_cast<Granule *>(built.objects.first());
}

} // namespace Trelvoa
