#pragma once

#include "objecteditor_global.h"

#include <QBasicTimer>
#include <QHash>
#include <QMetaEnum>
#include <QMetaProperty>
#include <QPointer>
#include <QSet>
#include <QTreeWidget>
#include <QVariantMap>

class QMenu;

namespace ObjectEditor {
class PropertyDelegate;
}

// Property editor for one or several QObjects. Each object is a top-level row (its class and name);
// below it stand its properties: the static ones in meta-object order, then the dynamic ones. The
// "Value" column edits them in place: spin boxes for numbers, check boxes for booleans and for each
// flag of a flag set, combo boxes for enumerations, line editors for texts, lists, points ("x; y", with
// x and y sub-rows) and colours (with the colour dialog). Object references show the referenced
// object's name; properties without a WRITE accessor are shown greyed and cannot be edited.
//
// Every write goes through setObjectProperty(): beforePropertyChanged, the write, propertyChanged.
// Input that does not convert to the property's type is refused without a write; after a write the
// row shows the value read back from the object, so a value the object refuses disappears again.
//
// Shown values follow the objects: through NOTIFY signals, through dynamic-property events, through a
// periodic refresh of the visible rows while the widget is shown (refreshInterval()), and through
// refresh(). An object destroyed while shown is removed from the editor.
//
// Property rows of an object are built when its row is first expanded; the first
// autoExpandLimit() objects are expanded when they are added. QTreeWidget::clear() removes every
// object; the editor's bookkeeping follows the rows, however they are removed.
class OBJECTEDITOR_EXPORT ObjectEditorTree : public QTreeWidget
{
    Q_OBJECT

public:
    explicit ObjectEditorTree(QWidget *parent = nullptr);
    ~ObjectEditorTree() override;

    // Adding an object already shown, or a null object, does nothing.
    void addObject(QObject *object);
    void removeObject(QObject *object);
    // The shown objects, in the order of their rows.
    QList<QObject *> objects() const;
    bool containsObject(QObject *object) const;

    // Display names for property, class, type and enumeration key names. The per-class form wins for
    // objects of that class and of its subclasses.
    void addNameDecorator(const QString &name, const QString &display);
    void addNameDecorator(const QString &className, const QString &name, const QString &display);
    // The display name of name: the decorator of className or of its nearest base class that has
    // one, else the global decorator, else name itself. Base classes are known once an object of the
    // class has been shown.
    QString dn(const QString &name) const;
    QString dn(const QString &className, const QString &name) const;

    // Properties (static or dynamic) of that name are not shown for any object.
    void hideProperty(const QByteArray &name);
    void hideProperty(const QString &name);
    void hideProperty(const char *name);
    bool isPropertyHidden(const QByteArray &name) const;

    // Properties set on the value editors, for every property of a meta-type or for the properties of a
    // name (the name wins). "decimals" sets the decimals of floating and point editors and of their
    // display. "type" (a meta-type id) edits a property as that type, e.g. QColor for a colour stored as
    // a string or an ARGB integer. Other names are set on the editor widget when it has such a property.
    void setEditorProperty(int metaType, const QByteArray &editorProperty, const QVariant &value);
    void setEditorProperty(const QByteArray &propertyName, const QByteArray &editorProperty, const QVariant &value);
    void setEditorProperty(const QString &propertyName, const QByteArray &editorProperty, const QVariant &value);
    void setEditorProperty(const char *propertyName, const QByteArray &editorProperty, const QVariant &value);
    // The merged editor properties for a property of that name and meta-type.
    QVariantMap editorProperties(const QByteArray &propertyName, int metaType) const;

    // Whether the user chooses the type of a new dynamic property (otherwise it is a string).
    void allowDynamicPropertyType(bool allow);
    bool isDynamicPropertyTypeAllowed() const;
    // Names offered when the user adds a dynamic property to an object of that class or a subclass.
    void setKnownDynamicProperties(const QString &className, const QStringList &names);
    QStringList knownDynamicProperties(const QObject *object) const;

    // Writes a property through the editor's protocol: nothing happens when the value equals the
    // current one; otherwise beforePropertyChanged, the write, propertyChanged (skipped when the object
    // was destroyed meanwhile) and the object's rows are refreshed. The value is converted to the
    // property's type first; a value that does not convert, or a read-only property, gives false
    // without signals. Returns whether the object holds the value afterwards (false when the object
    // refused or changed it). An invalid value removes a dynamic property.
    bool setObjectProperty(QObject *object, const QByteArray &name, const QVariant &value);
    // A new dynamic property, written through setObjectProperty(). False for an empty name, a name in
    // use, Qt's "_q_" names or an invalid value.
    bool addDynamicProperty(QObject *object, const QByteArray &name, const QVariant &value);

    // Period of the refresh of the visible rows while the widget is shown; 0 switches it off.
    int refreshInterval() const;
    void setRefreshInterval(int milliseconds);
    int autoExpandLimit() const;
    void setAutoExpandLimit(int count);

public slots:
    // Re-reads every shown value and applies pending structure changes (dynamic properties).
    void refresh();

signals:
    void beforePropertyChanged(QObject *object, const QByteArray &name);
    void propertyChanged(QObject *object, const QByteArray &name);
    // The user made a property row current (the name of the property, also for its sub-rows).
    // Delivered from the event loop, after the selection change is complete.
    void propertySelected(QObject *object, const QByteArray &name);
    // Before the context menu of a row is shown; name is empty for an object's own row.
    void beforeContextMenu(QMenu &menu, QObject *object, const QByteArray &name);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

protected slots:
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;

private slots:
    void onPropertyNotify();

private:
    friend class ObjectEditor::PropertyDelegate;

    enum RowType { GroupRow, PropertyRow, FlagRow, PointXRow, PointYRow };
    enum class Kind { None, Int, Double, Bool, String, StringList, Point, Color, Enum, Flags, Object, Text, Unsupported };

    // What a row stands for, resolved from the item and the live object when needed.
    struct Row
    {
        RowType type = GroupRow;
        QPointer<QObject> object;
        QByteArray name;
        int storedType = 0; // the property's value type
        int editType = 0;   // the type it is edited as ("type" editor property)
        Kind kind = Kind::None;
        QMetaProperty property; // invalid for a dynamic property
        QMetaEnum enumerator;
        int mask = 0; // a flag row's key value
        bool writable = false;
    };

    struct Entry
    {
        QPointer<QObject> object;
        QTreeWidgetItem *item = nullptr;
        bool populated = false;
    };

    Row row(const QTreeWidgetItem *item) const;
    Row row(const QModelIndex &index) const;
    QTreeWidgetItem *groupOf(const QTreeWidgetItem *item) const;
    QObject *objectOf(const QTreeWidgetItem *group) const;
    QVariant readValue(const Row &row) const;
    // The value in the edit type (a QColor for a colour stored as text, an int for an enumeration).
    QVariant editValue(const Row &row) const;
    int decimals(const Row &row) const;
    bool isEditable(const Row &row) const;
    bool isCheckable(const Row &row) const;
    QString displayText(const Row &row, const QVariant &value) const;
    QString objectTitle(QObject *object, bool fallbackToClass) const;
    QString displayName(const QMetaObject *metaObject, const QString &name) const;
    static Kind kindOf(int metaType);

    // Called by the delegate with the value in the edit type; false when refused.
    bool commitValue(const Row &row, const QVariant &value);
    // Toggles a boolean or flag row from the event loop, away from the view's event handling.
    void toggleLater(const Row &row);
    bool convertForWrite(QObject *object, const QByteArray &name, QVariant &value, bool *dynamic) const;

    void populate(QTreeWidgetItem *group);
    void addPropertyRow(QTreeWidgetItem *group, const QByteArray &name);
    void updateItem(QTreeWidgetItem *item);
    void updateTree(QTreeWidgetItem *item);
    void refreshObject(QObject *object);
    void refreshVisible();
    void applyPendingStructure();
    void restartRefreshTimer();

    void forgetGroup(QTreeWidgetItem *group);
    void forgetAll();
    void objectDestroyed(QObject *object);
    void currentRowChanged(QTreeWidgetItem *current, QTreeWidgetItem *previous);
    void addPropertyInteractively(QObject *object);

    QHash<QObject *, Entry> m_entries;
    QHash<QString, QString> m_names;
    QHash<QString, QHash<QString, QString>> m_classNames;
    QHash<QString, QStringList> m_knownDynamic;
    // Base classes of the classes seen, for the class-aware look-ups by name.
    QHash<QString, QStringList> m_classChains;
    QSet<QByteArray> m_hidden;
    QHash<int, QVariantMap> m_typeEditorProperties;
    QHash<QByteArray, QVariantMap> m_nameEditorProperties;
    QSet<QObject *> m_structureDirty;
    QBasicTimer m_refreshTimer;
    QBasicTimer m_structureTimer;
    ObjectEditor::PropertyDelegate *m_delegate;
    int m_refreshInterval = 500;
    int m_autoExpandLimit = 8;
    int m_notifySlot = -1;
    bool m_allowDynamicType = true;
    bool m_building = false;
};
