#include "objecteditortree.h"

#include "addpropertydialog.h"
#include "propertydelegate.h"
#include "propertyvalue.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QDynamicPropertyChangeEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenu>
#include <QTimerEvent>

using namespace ObjectEditor;

namespace {

enum Role {
    TypeRole = Qt::UserRole + 1, // RowType
    ObjectRole,                  // group rows: the object's address
    NameRole,                    // property name, also on sub-rows
    MaskRole,                    // flag rows: the key's value
    DynamicRole,                 // property rows: a dynamic property
    StoredTypeRole,              // property rows: the value type when the row was built
};

bool isEnumProperty(const QMetaProperty &property)
{
    return property.isValid() && (property.isEnumType() || property.isFlagType());
}

// Exact comparison: QVariant's own treats doubles and points fuzzily, and enumerations read back as
// their own type while the editor writes plain integers.
bool sameValue(const QVariant &a, const QVariant &b, bool asInt)
{
    if (asInt) {
        bool okA = false, okB = false;
        const int ia = intValue(a, &okA), ib = intValue(b, &okB);
        return okA && okB && ia == ib;
    }
    if (a.isValid() != b.isValid())
        return false;
    if (QMetaType::typeFlags(a.userType()) & QMetaType::PointerToQObject)
        return a.value<QObject *>() == b.value<QObject *>();
    if (a.userType() == QMetaType::Double || a.userType() == QMetaType::Float)
        return b.canConvert<double>() && a.toDouble() == b.toDouble();
    if (a.userType() == QMetaType::QPointF && b.userType() == QMetaType::QPointF) {
        const QPointF pa = a.toPointF(), pb = b.toPointF();
        return pa.x() == pb.x() && pa.y() == pb.y();
    }
    if (a.userType() != b.userType()) {
        QVariant converted = b;
        return converted.convert(a.userType()) && a == converted;
    }
    return a == b;
}

} // namespace

ObjectEditorTree::ObjectEditorTree(QWidget *parent)
    : QTreeWidget(parent)
    , m_delegate(new PropertyDelegate(this))
{
    setColumnCount(2);
    setHeaderLabels({tr("Property"), tr("Value")});
    setItemDelegate(m_delegate);
    setAlternatingRowColors(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                    | QAbstractItemView::AnyKeyPressed);
    header()->setSectionResizeMode(0, QHeaderView::Interactive);
    header()->setStretchLastSection(true);
    setColumnWidth(0, 180);

    m_notifySlot = staticMetaObject.indexOfSlot("onPropertyNotify()");

    // Rows can also go through the QTreeWidget API (clear(), takeTopLevelItem()); the bookkeeping
    // follows the model so that every way out is covered.
    connect(model(), &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex &parent, int first, int last) {
                if (parent.isValid())
                    return;
                for (int i = first; i <= last; ++i)
                    forgetGroup(topLevelItem(i));
            });
    connect(model(), &QAbstractItemModel::modelAboutToBeReset, this, &ObjectEditorTree::forgetAll);
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem *item) {
        if (item->parent())
            return;
        const auto it = m_entries.constFind(objectOf(item));
        if (it != m_entries.constEnd() && it->item == item && !it->populated)
            populate(item);
    });
    connect(this, &QTreeWidget::currentItemChanged, this, &ObjectEditorTree::currentRowChanged);
}

ObjectEditorTree::~ObjectEditorTree()
{
    // The base class deletes the items after this part is gone; the handlers must not see that.
    disconnect(model(), nullptr, this, nullptr);
    forgetAll();
}

// ---- Objects ----

void ObjectEditorTree::addObject(QObject *object)
{
    if (!object || m_entries.contains(object))
        return;
    for (const QMetaObject *mo = object->metaObject(); mo; mo = mo->superClass()) {
        const QString name = QString::fromLatin1(mo->className());
        if (m_classChains.contains(name))
            break;
        QStringList chain;
        for (const QMetaObject *base = mo; base; base = base->superClass())
            chain << QString::fromLatin1(base->className());
        m_classChains.insert(name, chain);
    }

    auto *group = new QTreeWidgetItem;
    group->setData(0, TypeRole, GroupRow);
    group->setData(0, ObjectRole, QVariant::fromValue(quintptr(object)));
    group->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    QFont bold = font();
    bold.setBold(true);
    group->setFont(0, bold);
    group->setFont(1, bold);
    group->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    m_entries.insert(object, Entry{object, group, false});
    addTopLevelItem(group);
    updateItem(group);

    connect(object, &QObject::destroyed, this, &ObjectEditorTree::objectDestroyed);
    object->installEventFilter(this);
    const QMetaObject *mo = object->metaObject();
    QSet<int> notifiers;
    for (int i = 0; i < mo->propertyCount(); ++i) {
        const QMetaProperty property = mo->property(i);
        if (property.hasNotifySignal())
            notifiers.insert(property.notifySignalIndex());
    }
    for (int signal : qAsConst(notifiers))
        QMetaObject::connect(object, signal, this, m_notifySlot);

    if (m_entries.size() <= m_autoExpandLimit) {
        populate(group);
        group->setExpanded(true);
    }
}

void ObjectEditorTree::removeObject(QObject *object)
{
    const auto it = m_entries.constFind(object);
    if (it != m_entries.constEnd())
        delete it->item; // forgetGroup() runs from the model's removal signal
}

QList<QObject *> ObjectEditorTree::objects() const
{
    QList<QObject *> result;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        const QTreeWidgetItem *group = topLevelItem(i);
        const auto it = m_entries.constFind(objectOf(group));
        if (it != m_entries.constEnd() && it->item == group && it->object)
            result << it->object.data();
    }
    return result;
}

bool ObjectEditorTree::containsObject(QObject *object) const
{
    const auto it = m_entries.constFind(object);
    return it != m_entries.constEnd() && it->object;
}

void ObjectEditorTree::forgetGroup(QTreeWidgetItem *group)
{
    QObject *raw = objectOf(group);
    const auto it = m_entries.find(raw);
    if (it == m_entries.end() || it->item != group)
        return;
    if (QObject *object = it->object) {
        object->removeEventFilter(this);
        disconnect(object, nullptr, this, nullptr);
    }
    m_structureDirty.remove(raw);
    m_entries.erase(it);
}

void ObjectEditorTree::forgetAll()
{
    for (const Entry &entry : qAsConst(m_entries)) {
        if (QObject *object = entry.object) {
            object->removeEventFilter(this);
            disconnect(object, nullptr, this, nullptr);
        }
    }
    m_entries.clear();
    m_structureDirty.clear();
}

void ObjectEditorTree::objectDestroyed(QObject *object)
{
    // Only the address is used: the object is no longer what it was.
    const auto it = m_entries.constFind(object);
    if (it != m_entries.constEnd())
        delete it->item;
}

// ---- Names and settings ----

void ObjectEditorTree::addNameDecorator(const QString &name, const QString &display)
{
    m_names.insert(name, display);
}

void ObjectEditorTree::addNameDecorator(const QString &className, const QString &name, const QString &display)
{
    m_classNames[className].insert(name, display);
}

QString ObjectEditorTree::dn(const QString &name) const
{
    return m_names.value(name, name);
}

QString ObjectEditorTree::dn(const QString &className, const QString &name) const
{
    const QStringList chain = m_classChains.value(className, QStringList{className});
    for (const QString &cls : chain) {
        const auto it = m_classNames.constFind(cls);
        if (it != m_classNames.constEnd() && it->contains(name))
            return it->value(name);
    }
    return dn(name);
}

QString ObjectEditorTree::displayName(const QMetaObject *metaObject, const QString &name) const
{
    if (!m_classNames.isEmpty()) {
        for (const QMetaObject *mo = metaObject; mo; mo = mo->superClass()) {
            const auto it = m_classNames.constFind(QString::fromLatin1(mo->className()));
            if (it != m_classNames.constEnd() && it->contains(name))
                return it->value(name);
        }
    }
    return dn(name);
}

void ObjectEditorTree::hideProperty(const QByteArray &name)
{
    m_hidden.insert(name);
    for (auto it = m_entries.constBegin(); it != m_entries.constEnd(); ++it) {
        if (it->populated)
            m_structureDirty.insert(it.key());
    }
    if (!m_structureDirty.isEmpty())
        m_structureTimer.start(0, this);
}

void ObjectEditorTree::hideProperty(const QString &name)
{
    hideProperty(name.toUtf8());
}

void ObjectEditorTree::hideProperty(const char *name)
{
    hideProperty(QByteArray(name));
}

bool ObjectEditorTree::isPropertyHidden(const QByteArray &name) const
{
    return m_hidden.contains(name);
}

void ObjectEditorTree::setEditorProperty(int metaType, const QByteArray &editorProperty, const QVariant &value)
{
    m_typeEditorProperties[metaType].insert(QString::fromLatin1(editorProperty), value);
}

void ObjectEditorTree::setEditorProperty(const QByteArray &propertyName, const QByteArray &editorProperty,
                                         const QVariant &value)
{
    m_nameEditorProperties[propertyName].insert(QString::fromLatin1(editorProperty), value);
}

void ObjectEditorTree::setEditorProperty(const QString &propertyName, const QByteArray &editorProperty,
                                         const QVariant &value)
{
    setEditorProperty(propertyName.toUtf8(), editorProperty, value);
}

void ObjectEditorTree::setEditorProperty(const char *propertyName, const QByteArray &editorProperty,
                                         const QVariant &value)
{
    setEditorProperty(QByteArray(propertyName), editorProperty, value);
}

QVariantMap ObjectEditorTree::editorProperties(const QByteArray &propertyName, int metaType) const
{
    QVariantMap result = m_typeEditorProperties.value(metaType);
    const QVariantMap named = m_nameEditorProperties.value(propertyName);
    for (auto it = named.constBegin(); it != named.constEnd(); ++it)
        result.insert(it.key(), it.value());
    return result;
}

void ObjectEditorTree::allowDynamicPropertyType(bool allow)
{
    m_allowDynamicType = allow;
}

bool ObjectEditorTree::isDynamicPropertyTypeAllowed() const
{
    return m_allowDynamicType;
}

void ObjectEditorTree::setKnownDynamicProperties(const QString &className, const QStringList &names)
{
    m_knownDynamic.insert(className, names);
}

QStringList ObjectEditorTree::knownDynamicProperties(const QObject *object) const
{
    QStringList result;
    for (const QMetaObject *mo = object ? object->metaObject() : nullptr; mo; mo = mo->superClass()) {
        for (const QString &name : m_knownDynamic.value(QString::fromLatin1(mo->className()))) {
            if (!result.contains(name))
                result << name;
        }
    }
    return result;
}

int ObjectEditorTree::refreshInterval() const
{
    return m_refreshInterval;
}

void ObjectEditorTree::setRefreshInterval(int milliseconds)
{
    m_refreshInterval = qMax(0, milliseconds);
    restartRefreshTimer();
}

int ObjectEditorTree::autoExpandLimit() const
{
    return m_autoExpandLimit;
}

void ObjectEditorTree::setAutoExpandLimit(int count)
{
    m_autoExpandLimit = qMax(0, count);
}

// ---- Rows ----

QTreeWidgetItem *ObjectEditorTree::groupOf(const QTreeWidgetItem *item) const
{
    while (item && item->parent())
        item = item->parent();
    return const_cast<QTreeWidgetItem *>(item);
}

QObject *ObjectEditorTree::objectOf(const QTreeWidgetItem *group) const
{
    return group ? reinterpret_cast<QObject *>(group->data(0, ObjectRole).value<quintptr>()) : nullptr;
}

ObjectEditorTree::Row ObjectEditorTree::row(const QModelIndex &index) const
{
    return row(itemFromIndex(index));
}

ObjectEditorTree::Row ObjectEditorTree::row(const QTreeWidgetItem *item) const
{
    Row r;
    const QTreeWidgetItem *group = groupOf(item);
    const auto it = m_entries.constFind(objectOf(group));
    if (!group || it == m_entries.constEnd() || it->item != group || !it->object)
        return r;
    QObject *object = it->object;
    r.object = object;
    r.type = RowType(item->data(0, TypeRole).toInt());
    if (r.type == GroupRow)
        return r;
    r.name = item->data(0, NameRole).toByteArray();
    r.mask = item->data(0, MaskRole).toInt();

    const QMetaObject *mo = object->metaObject();
    const int index = mo->indexOfProperty(r.name.constData());
    if (index >= 0) {
        r.property = mo->property(index);
        r.writable = r.property.isWritable();
        r.storedType = r.property.userType();
        if (r.storedType == QMetaType::QVariant)
            r.storedType = r.property.read(object).userType();
    } else {
        r.storedType = object->property(r.name.constData()).userType();
        r.writable = true;
    }
    r.editType = r.storedType;
    const QVariant type = editorProperties(r.name, r.storedType).value(QStringLiteral("type"));
    if (type.isValid() && QMetaType::isRegistered(type.toInt()))
        r.editType = type.toInt();

    if (isEnumProperty(r.property) && r.editType == r.storedType && r.property.enumerator().isValid()) {
        r.enumerator = r.property.enumerator();
        r.kind = r.enumerator.isFlag() ? Kind::Flags : Kind::Enum;
    } else {
        r.kind = kindOf(r.editType);
    }
    return r;
}

ObjectEditorTree::Kind ObjectEditorTree::kindOf(int metaType)
{
    switch (metaType) {
    case QMetaType::UnknownType:
        return Kind::None;
    case QMetaType::Bool:
        return Kind::Bool;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return Kind::Int;
    case QMetaType::Double:
    case QMetaType::Float:
        return Kind::Double;
    case QMetaType::QString:
        return Kind::String;
    case QMetaType::QStringList:
        return Kind::StringList;
    case QMetaType::QPointF:
        return Kind::Point;
    case QMetaType::QColor:
        return Kind::Color;
    default:
        break;
    }
    if (QMetaType::typeFlags(metaType) & QMetaType::PointerToQObject)
        return Kind::Object;
    // Anything a text converts to and from (64-bit integers, dates, byte arrays, URLs).
    const QVariant probe(metaType, nullptr);
    if (probe.canConvert<QString>() && QVariant(QString()).canConvert(metaType))
        return Kind::Text;
    return Kind::Unsupported;
}

QVariant ObjectEditorTree::readValue(const Row &row) const
{
    if (!row.object || row.type == GroupRow)
        return QVariant();
    return row.property.isValid() ? row.property.read(row.object) : row.object->property(row.name.constData());
}

QVariant ObjectEditorTree::editValue(const Row &row) const
{
    const QVariant value = readValue(row);
    if (row.kind == Kind::Enum || row.kind == Kind::Flags)
        return intValue(value);
    if (row.editType == row.storedType)
        return value;
    if (row.kind == Kind::Color)
        return colorFromVariant(value);
    QVariant converted = value;
    return converted.convert(row.editType) ? converted : QVariant();
}

int ObjectEditorTree::decimals(const Row &row) const
{
    return editorProperties(row.name, row.storedType).value(QStringLiteral("decimals"), -1).toInt();
}

bool ObjectEditorTree::isEditable(const Row &row) const
{
    if (!row.object || !row.writable)
        return false;
    if (row.type == PointXRow || row.type == PointYRow)
        return true;
    if (row.type != PropertyRow)
        return false;
    switch (row.kind) {
    case Kind::Int:
    case Kind::Double:
    case Kind::String:
    case Kind::StringList:
    case Kind::Point:
    case Kind::Color:
    case Kind::Enum:
    case Kind::Text:
        return true;
    default:
        return false;
    }
}

bool ObjectEditorTree::isCheckable(const Row &row) const
{
    return row.type == FlagRow || (row.type == PropertyRow && row.kind == Kind::Bool);
}

QString ObjectEditorTree::objectTitle(QObject *object, bool fallbackToClass) const
{
    if (!object)
        return tr("(none)");
    if (!object->objectName().isEmpty())
        return object->objectName();
    const QMetaObject *mo = object->metaObject();
    QString title;
    if (mo->indexOfMethod("printableName()") >= 0)
        QMetaObject::invokeMethod(object, "printableName", Qt::DirectConnection, Q_RETURN_ARG(QString, title));
    if (title.isEmpty() && mo->indexOfProperty("printableName") >= 0)
        title = object->property("printableName").toString();
    if (!title.isEmpty() || !fallbackToClass)
        return title;
    title = dn(QString::fromLatin1(mo->className()));
    const QVariant id = object->property("id");
    if (id.isValid())
        title += QLatin1Char(' ') + id.toString();
    return title;
}

QString ObjectEditorTree::displayText(const Row &row, const QVariant &value) const
{
    const QMetaObject *mo = row.object ? row.object->metaObject() : nullptr;
    switch (row.kind) {
    case Kind::Int:
        return QString::number(value.toLongLong());
    case Kind::Double:
        return formatDouble(value.toDouble(), decimals(row), locale());
    case Kind::String:
    case Kind::Text:
        return value.toString();
    case Kind::StringList:
        return joinList(value.toStringList());
    case Kind::Point:
        return formatPoint(value.toPointF(), decimals(row), locale());
    case Kind::Color:
        return colorText(value.value<QColor>());
    case Kind::Enum: {
        const int v = intValue(value);
        const char *key = row.enumerator.valueToKey(v);
        return key ? displayName(mo, QString::fromLatin1(key)) : QString::number(v);
    }
    case Kind::Flags: {
        QStringList names;
        const QByteArray keys = row.enumerator.valueToKeys(intValue(value));
        for (const QByteArray &key : keys.split('|')) {
            if (!key.isEmpty())
                names << displayName(mo, QString::fromLatin1(key));
        }
        return names.join(QLatin1String(" | "));
    }
    case Kind::Object:
        return objectTitle(value.value<QObject *>(), true);
    case Kind::Unsupported:
        return QStringLiteral("(%1)").arg(dn(QString::fromLatin1(QMetaType::typeName(row.storedType))));
    default:
        return QString();
    }
}

// ---- Building and refreshing ----

void ObjectEditorTree::populate(QTreeWidgetItem *group)
{
    const auto it = m_entries.find(objectOf(group));
    if (it == m_entries.end() || it->item != group || !it->object)
        return;
    QObject *object = it->object;
    it->populated = true;

    // Keep the current row and the open sub-rows over a rebuild.
    QByteArray currentName;
    int currentType = -1, currentMask = 0;
    if (QTreeWidgetItem *current = currentItem(); current && current != group && groupOf(current) == group) {
        currentName = current->data(0, NameRole).toByteArray();
        currentType = current->data(0, TypeRole).toInt();
        currentMask = current->data(0, MaskRole).toInt();
    }
    QSet<QByteArray> expanded;
    for (int i = 0; i < group->childCount(); ++i) {
        if (group->child(i)->isExpanded())
            expanded.insert(group->child(i)->data(0, NameRole).toByteArray());
    }

    const bool wasBuilding = std::exchange(m_building, true);
    qDeleteAll(group->takeChildren());
    const QMetaObject *mo = object->metaObject();
    for (int i = 0; i < mo->propertyCount(); ++i) {
        const QMetaProperty property = mo->property(i);
        if (property.isReadable() && !m_hidden.contains(property.name()))
            addPropertyRow(group, property.name());
    }
    for (const QByteArray &name : object->dynamicPropertyNames()) {
        if (!name.startsWith("_q_") && !m_hidden.contains(name) && mo->indexOfProperty(name.constData()) < 0)
            addPropertyRow(group, name);
    }
    group->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);

    for (int i = 0; i < group->childCount(); ++i) {
        QTreeWidgetItem *child = group->child(i);
        const QByteArray name = child->data(0, NameRole).toByteArray();
        if (expanded.contains(name))
            child->setExpanded(true);
        if (name != currentName)
            continue;
        QTreeWidgetItem *target = child;
        for (int j = 0; j < child->childCount() && currentType != PropertyRow; ++j) {
            QTreeWidgetItem *sub = child->child(j);
            if (sub->data(0, TypeRole).toInt() == currentType && sub->data(0, MaskRole).toInt() == currentMask)
                target = sub;
        }
        setCurrentItem(target, 1);
    }
    m_building = wasBuilding;
}

void ObjectEditorTree::addPropertyRow(QTreeWidgetItem *group, const QByteArray &name)
{
    auto *item = new QTreeWidgetItem(group);
    item->setData(0, TypeRole, PropertyRow);
    item->setData(0, NameRole, name);
    const Row r = row(item);
    item->setData(0, DynamicRole, !r.property.isValid());
    item->setData(0, StoredTypeRole, r.storedType);
    const QMetaObject *mo = r.object->metaObject();
    const QString rawName = QString::fromUtf8(name);
    item->setText(0, displayName(mo, rawName));

    QString typeName;
    if (r.enumerator.isValid())
        typeName = QString::fromLatin1(r.enumerator.scope()) + QLatin1String("::") + QString::fromLatin1(r.enumerator.name());
    else
        typeName = QString::fromLatin1(QMetaType::typeName(r.storedType));
    item->setToolTip(0, QStringLiteral("%1 (%2)").arg(rawName, dn(typeName)));

    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (isEditable(r))
        flags |= Qt::ItemIsEditable;
    if (isCheckable(r) && r.writable)
        flags |= Qt::ItemIsUserCheckable;
    item->setFlags(flags);
    const QBrush greyed = palette().brush(QPalette::Disabled, QPalette::Text);
    const auto addSubRow = [&](RowType type, const QString &text, int mask) {
        auto *sub = new QTreeWidgetItem(item);
        sub->setData(0, TypeRole, type);
        sub->setData(0, NameRole, name);
        sub->setData(0, MaskRole, mask);
        sub->setText(0, text);
        Qt::ItemFlags subFlags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (r.writable)
            subFlags |= type == FlagRow ? Qt::ItemIsUserCheckable : Qt::ItemIsEditable;
        sub->setFlags(subFlags);
        if (!r.writable) {
            sub->setForeground(0, greyed);
            sub->setForeground(1, greyed);
        }
    };
    if (r.kind == Kind::Flags) {
        for (int i = 0; i < r.enumerator.keyCount(); ++i) {
            if (r.enumerator.value(i) != 0)
                addSubRow(FlagRow, displayName(mo, QString::fromLatin1(r.enumerator.key(i))), r.enumerator.value(i));
        }
    } else if (r.kind == Kind::Point) {
        addSubRow(PointXRow, QStringLiteral("x"), 0);
        addSubRow(PointYRow, QStringLiteral("y"), 0);
    }
    if (!r.writable || r.kind == Kind::Unsupported) {
        item->setForeground(0, greyed);
        item->setForeground(1, greyed);
    }
    updateTree(item);
}

void ObjectEditorTree::updateItem(QTreeWidgetItem *item)
{
    // Leave the row under an open editor alone: a changed value would reset what is being typed.
    if (state() == EditingState && item == currentItem())
        return;
    const Row r = row(item);
    if (!r.object)
        return;
    if (r.type == GroupRow) {
        item->setText(0, displayName(r.object->metaObject(), QString::fromLatin1(r.object->metaObject()->className())));
        item->setText(1, objectTitle(r.object, false));
        return;
    }
    const QVariant value = editValue(r);
    switch (r.type) {
    case FlagRow:
        item->setData(1, Qt::CheckStateRole, (intValue(value) & r.mask) == r.mask ? Qt::Checked : Qt::Unchecked);
        break;
    case PointXRow:
        item->setText(1, formatDouble(value.toPointF().x(), decimals(r), locale()));
        break;
    case PointYRow:
        item->setText(1, formatDouble(value.toPointF().y(), decimals(r), locale()));
        break;
    default:
        if (r.kind == Kind::Bool) {
            item->setData(1, Qt::CheckStateRole, value.toBool() ? Qt::Checked : Qt::Unchecked);
        } else {
            item->setText(1, displayText(r, value));
            if (r.kind == Kind::Color)
                item->setData(1, Qt::DecorationRole, value.value<QColor>());
        }
        break;
    }
}

void ObjectEditorTree::updateTree(QTreeWidgetItem *item)
{
    updateItem(item);
    for (int i = 0; i < item->childCount(); ++i)
        updateTree(item->child(i));
}

void ObjectEditorTree::refreshObject(QObject *object)
{
    const auto it = m_entries.constFind(object);
    if (it != m_entries.constEnd() && it->object)
        updateTree(it->item);
}

void ObjectEditorTree::refresh()
{
    applyPendingStructure();
    for (int i = 0; i < topLevelItemCount(); ++i)
        updateTree(topLevelItem(i));
}

void ObjectEditorTree::refreshVisible()
{
    const int bottom = viewport()->height();
    for (QTreeWidgetItem *item = itemAt(0, 0); item; item = itemBelow(item)) {
        if (visualItemRect(item).top() > bottom)
            break;
        updateItem(item);
    }
}

void ObjectEditorTree::applyPendingStructure()
{
    m_structureTimer.stop();
    const QSet<QObject *> dirty = std::exchange(m_structureDirty, {});
    for (QObject *raw : dirty) {
        const auto it = m_entries.constFind(raw);
        if (it == m_entries.constEnd() || !it->object || !it->populated)
            continue;
        QObject *object = it->object;
        QTreeWidgetItem *group = it->item;
        // Rebuild only when the set of rows would differ; a new value alone is an update.
        QList<QPair<QByteArray, int>> shown, wanted;
        bool hiddenShown = false;
        for (int i = 0; i < group->childCount(); ++i) {
            const QTreeWidgetItem *child = group->child(i);
            const QByteArray name = child->data(0, NameRole).toByteArray();
            hiddenShown = hiddenShown || m_hidden.contains(name);
            if (child->data(0, DynamicRole).toBool())
                shown.append({name, child->data(0, StoredTypeRole).toInt()});
        }
        const QMetaObject *mo = object->metaObject();
        for (const QByteArray &name : object->dynamicPropertyNames()) {
            if (!name.startsWith("_q_") && !m_hidden.contains(name) && mo->indexOfProperty(name.constData()) < 0)
                wanted.append({name, object->property(name.constData()).userType()});
        }
        if (hiddenShown || shown != wanted)
            populate(group);
        else
            updateTree(group);
    }
}

void ObjectEditorTree::restartRefreshTimer()
{
    if (isVisible() && m_refreshInterval > 0)
        m_refreshTimer.start(m_refreshInterval, this);
    else
        m_refreshTimer.stop();
}

void ObjectEditorTree::onPropertyNotify()
{
    refreshObject(sender());
}

// ---- Writing ----

bool ObjectEditorTree::convertForWrite(QObject *object, const QByteArray &name, QVariant &value, bool *dynamic) const
{
    const QMetaObject *mo = object->metaObject();
    const int index = mo->indexOfProperty(name.constData());
    *dynamic = index < 0;
    if (*dynamic) {
        const QVariant current = object->property(name.constData());
        if (current.isValid() && value.isValid() && value.userType() != current.userType())
            return value.convert(current.userType());
        return true;
    }
    const QMetaProperty property = mo->property(index);
    if (!property.isWritable() || !value.isValid())
        return false;
    if (isEnumProperty(property)) {
        bool ok = false;
        int v = intValue(value, &ok);
        if (!ok && value.userType() == QMetaType::QString && property.enumerator().isValid()) {
            const QByteArray keys = value.toString().toLatin1();
            v = property.isFlagType() ? property.enumerator().keysToValue(keys, &ok)
                                      : property.enumerator().keyToValue(keys, &ok);
        }
        value = v;
        return ok;
    }
    const int type = property.userType();
    if (type == QMetaType::QVariant || value.userType() == type)
        return true;
    return value.convert(type);
}

bool ObjectEditorTree::setObjectProperty(QObject *object, const QByteArray &name, const QVariant &value)
{
    if (!object || name.isEmpty())
        return false;
    QPointer<QObject> guard(object);
    QVariant v = value;
    bool dynamic = false;
    if (!convertForWrite(object, name, v, &dynamic))
        return false;
    const int index = object->metaObject()->indexOfProperty(name.constData());
    const bool asInt = !dynamic && isEnumProperty(object->metaObject()->property(index));
    if (sameValue(object->property(name.constData()), v, asInt))
        return true;

    emit beforePropertyChanged(object, name);
    if (!guard)
        return false;
    bool ok;
    if (dynamic) {
        object->setProperty(name.constData(), v);
        ok = guard && sameValue(object->property(name.constData()), v, false);
    } else {
        const QMetaProperty property = object->metaObject()->property(index);
        ok = property.write(object, v);
        ok = ok && guard && sameValue(property.read(object), v, asInt);
    }
    if (!guard)
        return false;
    emit propertyChanged(object, name);
    if (guard)
        refreshObject(object);
    return ok;
}

bool ObjectEditorTree::addDynamicProperty(QObject *object, const QByteArray &name, const QVariant &value)
{
    if (!object || name.isEmpty() || name.startsWith("_q_") || !value.isValid()
        || object->metaObject()->indexOfProperty(name.constData()) >= 0
        || object->dynamicPropertyNames().contains(name))
        return false;
    return setObjectProperty(object, name, value);
}

bool ObjectEditorTree::commitValue(const Row &row, const QVariant &value)
{
    if (!row.object || !row.writable)
        return false;
    QVariant v = value;
    if (row.type == PointXRow || row.type == PointYRow) {
        QPointF point = editValue(row).toPointF();
        (row.type == PointXRow ? point.rx() : point.ry()) = value.toDouble();
        v = point;
    }
    if (row.editType != row.storedType) {
        if (row.kind == Kind::Color)
            v = colorToType(v.value<QColor>(), row.storedType);
        else if (!v.convert(row.storedType))
            return false;
    }
    return setObjectProperty(row.object, row.name, v);
}

void ObjectEditorTree::toggleLater(const Row &row)
{
    QMetaObject::invokeMethod(
        this,
        [this, row] {
            if (!row.object)
                return;
            if (row.type == FlagRow) {
                const int current = intValue(readValue(row));
                const bool on = (current & row.mask) == row.mask;
                commitValue(row, on ? current & ~row.mask : current | row.mask);
            } else {
                commitValue(row, !editValue(row).toBool());
            }
        },
        Qt::QueuedConnection);
}

// ---- Events ----

bool ObjectEditorTree::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::DynamicPropertyChange && m_entries.contains(watched)) {
        const QByteArray name = static_cast<QDynamicPropertyChangeEvent *>(event)->propertyName();
        if (!name.startsWith("_q_")) {
            m_structureDirty.insert(watched);
            // Applied from the event loop: the change may come from a write this widget is making.
            m_structureTimer.start(0, this);
        }
    }
    return QTreeWidget::eventFilter(watched, event);
}

void ObjectEditorTree::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_structureTimer.timerId()) {
        applyPendingStructure();
    } else if (event->timerId() == m_refreshTimer.timerId()) {
        refreshVisible();
    } else {
        QTreeWidget::timerEvent(event);
    }
}

void ObjectEditorTree::showEvent(QShowEvent *event)
{
    QTreeWidget::showEvent(event);
    restartRefreshTimer();
}

void ObjectEditorTree::hideEvent(QHideEvent *event)
{
    QTreeWidget::hideEvent(event);
    m_refreshTimer.stop();
}

void ObjectEditorTree::mousePressEvent(QMouseEvent *event)
{
    QTreeWidget::mousePressEvent(event);
    // One click on a value opens its editor, as in a property panel.
    const QModelIndex index = indexAt(event->pos());
    if (event->button() == Qt::LeftButton && index.column() == 1 && state() != EditingState
        && (index.flags() & Qt::ItemIsEditable))
        edit(index);
}

void ObjectEditorTree::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->pos());
    const Row r = row(index);
    if (event->button() == Qt::LeftButton && r.object && r.kind == Kind::Object && r.type == PropertyRow) {
        const QPointer<QObject> object = r.object;
        const QByteArray name = r.name;
        QMetaObject::invokeMethod(this, [this, object, name] {
            if (object)
                emit propertySelected(object, name);
        }, Qt::QueuedConnection);
    }
    if (event->button() == Qt::LeftButton && index.column() == 0) {
        const QModelIndex value = index.sibling(index.row(), 1);
        if (value.flags() & Qt::ItemIsEditable) {
            setCurrentIndex(value);
            edit(value);
            return;
        }
    }
    QTreeWidget::mouseDoubleClickEvent(event);
}

void ObjectEditorTree::keyPressEvent(QKeyEvent *event)
{
    // Editing keys on the name of a property act on its value.
    const QModelIndex current = currentIndex();
    const QString text = event->text();
    const bool editKey = event->key() == Qt::Key_F2 || event->key() == Qt::Key_Select
        || (!text.isEmpty() && text.at(0).isPrint() && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)));
    if (editKey && current.isValid() && current.column() == 0 && row(current).type != GroupRow)
        selectionModel()->setCurrentIndex(current.sibling(current.row(), 1), QItemSelectionModel::NoUpdate);
    QTreeWidget::keyPressEvent(event);
}

void ObjectEditorTree::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    // The row was left alone while its editor was open; it shows the object's value again.
    QTreeWidgetItem *edited = currentItem();
    QTreeWidget::closeEditor(editor, hint);
    if (edited)
        updateTree(edited);
}

void ObjectEditorTree::currentRowChanged(QTreeWidgetItem *current, QTreeWidgetItem *previous)
{
    if (m_building || !current || current == previous)
        return;
    const Row r = row(current);
    if (!r.object || r.type == GroupRow)
        return;
    // Delivered later: a receiver may change the shown objects, which must not happen inside the
    // view's selection handling.
    const QPointer<QObject> object = r.object;
    const QByteArray name = r.name;
    QMetaObject::invokeMethod(this, [this, object, name] {
        if (object)
            emit propertySelected(object, name);
    }, Qt::QueuedConnection);
}

void ObjectEditorTree::contextMenuEvent(QContextMenuEvent *event)
{
    QTreeWidgetItem *item = itemAt(event->pos());
    const Row r = row(item);
    if (!r.object)
        return;
    const QPointer<QObject> object = r.object;
    const QByteArray name = r.type == GroupRow ? QByteArray() : r.name;
    QMenu menu(this);
    if (r.type != GroupRow) {
        const QString text = r.kind == Kind::Bool && r.type == PropertyRow
            ? (readValue(r).toBool() ? QStringLiteral("true") : QStringLiteral("false"))
            : item->text(1);
        menu.addAction(tr("Copy value"), this, [text] { QGuiApplication::clipboard()->setText(text); });
    }
    menu.addAction(tr("Add property..."), this, [this, object] {
        if (object)
            addPropertyInteractively(object);
    });
    if (r.type == PropertyRow && !r.property.isValid()) {
        menu.addAction(tr("Remove property"), this, [this, object, name] {
            if (object)
                setObjectProperty(object, name, QVariant());
        });
    }
    emit beforeContextMenu(menu, object, name);
    if (object && !menu.isEmpty())
        menu.exec(event->globalPos());
}

void ObjectEditorTree::addPropertyInteractively(QObject *object)
{
    QPointer<QObject> guard(object);
    QStringList taken;
    const QMetaObject *mo = object->metaObject();
    for (int i = 0; i < mo->propertyCount(); ++i)
        taken << QString::fromLatin1(mo->property(i).name());
    for (const QByteArray &name : object->dynamicPropertyNames())
        taken << QString::fromUtf8(name);
    QStringList suggested;
    for (const QString &name : knownDynamicProperties(object)) {
        if (!taken.contains(name))
            suggested << name;
    }
    QList<QPair<QString, int>> types;
    if (m_allowDynamicType) {
        for (int type : {int(QMetaType::QString), int(QMetaType::Int), int(QMetaType::Double), int(QMetaType::Bool),
                         int(QMetaType::QStringList), int(QMetaType::QPointF), int(QMetaType::QColor)})
            types.append({dn(QString::fromLatin1(QMetaType::typeName(type))), type});
    }
    AddPropertyDialog dialog(suggested, taken, types, this);
    if (dialog.exec() != QDialog::Accepted || !guard)
        return;
    const QByteArray name = dialog.propertyName();
    if (!addDynamicProperty(guard, name, QVariant(dialog.propertyType(), nullptr)) || !guard)
        return;
    applyPendingStructure();
    const auto it = m_entries.constFind(guard.data());
    if (it == m_entries.constEnd())
        return;
    for (int i = 0; i < it->item->childCount(); ++i) {
        QTreeWidgetItem *child = it->item->child(i);
        if (child->data(0, NameRole).toByteArray() == name) {
            it->item->setExpanded(true);
            setCurrentItem(child, 1);
            if (child->flags() & Qt::ItemIsEditable)
                editItem(child, 1);
            break;
        }
    }
}
