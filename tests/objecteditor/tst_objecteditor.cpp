#include "objecteditor.h"
#include "objecteditortree.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStandardPaths>
#include <QStyledItemDelegate>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

// One property of every kind the editor handles.
class Sample : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int count READ count WRITE setCount NOTIFY countChanged)
    Q_PROPERTY(double width READ width WRITE setWidth)
    Q_PROPERTY(bool enabled READ isEnabled WRITE setEnabled)
    Q_PROPERTY(QString label READ label WRITE setLabel)
    Q_PROPERTY(QStringList tags READ tags WRITE setTags)
    Q_PROPERTY(QPointF pos READ pos WRITE setPos)
    Q_PROPERTY(QColor color READ color WRITE setColor)
    Q_PROPERTY(QString borderColor READ borderColor WRITE setBorderColor)
    Q_PROPERTY(Shape shape READ shape WRITE setShape)
    Q_PROPERTY(Features features READ features WRITE setFeatures)
    Q_PROPERTY(Sample *target READ target WRITE setTarget)
    Q_PROPERTY(int id READ id)
    Q_PROPERTY(int limited READ limited WRITE setLimited)
    Q_PROPERTY(qlonglong serial READ serial WRITE setSerial)
    Q_PROPERTY(QString secret READ secret WRITE setSecret)

public:
    enum Shape { Circle, Square, Triangle };
    Q_ENUM(Shape)
    enum Feature { Lights = 1, Sound = 2, Heating = 4, AllFeatures = 7 };
    Q_DECLARE_FLAGS(Features, Feature)
    Q_FLAG(Features)

    using QObject::QObject;

    int count() const { return m_count; }
    void setCount(int v)
    {
        if (v != m_count) {
            m_count = v;
            emit countChanged();
        }
    }
    double width() const { return m_width; }
    void setWidth(double v) { m_width = v; }
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool v) { m_enabled = v; }
    QString label() const { return m_label; }
    void setLabel(const QString &v) { m_label = v; }
    QStringList tags() const { return m_tags; }
    void setTags(const QStringList &v) { m_tags = v; }
    QPointF pos() const { return m_pos; }
    void setPos(const QPointF &v) { m_pos = v; }
    QColor color() const { return m_color; }
    void setColor(const QColor &v) { m_color = v; }
    QString borderColor() const { return m_borderColor; }
    void setBorderColor(const QString &v) { m_borderColor = v; }
    Shape shape() const { return m_shape; }
    void setShape(Shape v) { m_shape = v; }
    Features features() const { return m_features; }
    void setFeatures(Features v) { m_features = v; }
    Sample *target() const { return m_target; }
    void setTarget(Sample *v) { m_target = v; }
    int id() const { return 42; }
    int limited() const { return m_limited; }
    // Refuses negative values.
    bool setLimited(int v)
    {
        if (v < 0)
            return false;
        m_limited = v;
        return true;
    }
    qlonglong serial() const { return m_serial; }
    void setSerial(qlonglong v) { m_serial = v; }
    QString secret() const { return QStringLiteral("s"); }
    void setSecret(const QString &) {}

signals:
    void countChanged();

private:
    int m_count = 3;
    double m_width = 1.25;
    bool m_enabled = false;
    QString m_label = QStringLiteral("start");
    QStringList m_tags{QStringLiteral("a"), QStringLiteral("b")};
    QPointF m_pos{1.5, 2.5};
    QColor m_color{Qt::red};
    QString m_borderColor = QStringLiteral("#00ff00");
    Shape m_shape = Circle;
    Features m_features = Lights;
    QPointer<Sample> m_target;
    int m_limited = 5;
    qlonglong m_serial = 7;
};

class Special : public Sample
{
    Q_OBJECT
public:
    using Sample::Sample;
};

// Records the order of the write signals.
struct SignalLog
{
    explicit SignalLog(ObjectEditorTree *tree)
    {
        QObject::connect(tree, &ObjectEditorTree::beforePropertyChanged, tree,
                         [this](QObject *o, const QByteArray &n) { entries << "before:" + n; objects << o; });
        QObject::connect(tree, &ObjectEditorTree::propertyChanged, tree,
                         [this](QObject *o, const QByteArray &n) { entries << "after:" + n; objects << o; });
    }
    QList<QByteArray> entries;
    QList<QObject *> objects;
};

class TestObjectEditor : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void rowsAndNames();
    void editsThroughEditors();
    void checkBoxes();
    void invalidAndRefusedInput();
    void valuesFollowObject();
    void severalObjectsAndRemoval();
    void destroyedDuringWrite();
    void referencesAndSelection();
    void contextMenuAndDynamicProperties();
    void translations();

private:
    QTreeWidgetItem *group(QObject *object) const;
    QTreeWidgetItem *rowOf(QObject *object, const QString &display) const;
    QModelIndex valueIndex(QTreeWidgetItem *item) const;
    // Opens the editor of a row by clicking its value cell and returns it.
    QWidget *openEditor(QTreeWidgetItem *item);
    void typeAndEnter(QWidget *editor, const QString &text);
    void clickCheck(QTreeWidgetItem *item);

    ObjectEditorTree *tree = nullptr;
    Sample *sample = nullptr;
};

void TestObjectEditor::init()
{
    tree = new ObjectEditorTree;
    tree->resize(500, 900);
    tree->setRefreshInterval(0);
    tree->addNameDecorator(QStringLiteral("count"), QStringLiteral("Count of things"));
    tree->addNameDecorator(QStringLiteral("Sample"), QStringLiteral("Sample object"));
    tree->addNameDecorator(QStringLiteral("Sound"), QStringLiteral("sound"));
    tree->addNameDecorator(QStringLiteral("Square"), QStringLiteral("square"));
    tree->addNameDecorator(QStringLiteral("width"), QStringLiteral("Width"));
    tree->addNameDecorator(QStringLiteral("Special"), QStringLiteral("width"), QStringLiteral("Special width"));
    tree->hideProperty("secret");
    tree->hideProperty(QStringLiteral("objectName"));
    tree->setEditorProperty(QMetaType::Double, "decimals", 2);
    tree->setEditorProperty(QMetaType::QPointF, "decimals", 2);
    tree->setEditorProperty("borderColor", "type", int(QMetaType::QColor));
    sample = new Sample;
    sample->setObjectName(QStringLiteral("first"));
    tree->show();
    QApplication::setActiveWindow(tree);
    QVERIFY(QTest::qWaitForWindowActive(tree));
}

void TestObjectEditor::cleanup()
{
    delete tree;
    delete sample;
}

QTreeWidgetItem *TestObjectEditor::group(QObject *object) const
{
    const int index = tree->objects().indexOf(object);
    return index < 0 ? nullptr : tree->topLevelItem(index);
}

QTreeWidgetItem *TestObjectEditor::rowOf(QObject *object, const QString &display) const
{
    QTreeWidgetItem *g = group(object);
    for (int i = 0; g && i < g->childCount(); ++i) {
        if (g->child(i)->text(0) == display)
            return g->child(i);
    }
    return nullptr;
}

QModelIndex TestObjectEditor::valueIndex(QTreeWidgetItem *item) const
{
    if (!item->parent())
        return tree->model()->index(tree->indexOfTopLevelItem(item), 1);
    const QModelIndex parent = valueIndex(item->parent()).siblingAtColumn(0);
    return tree->model()->index(item->parent()->indexOfChild(item), 1, parent);
}

QWidget *TestObjectEditor::openEditor(QTreeWidgetItem *item)
{
    tree->scrollToItem(item);
    const QRect cell = tree->visualRect(valueIndex(item));
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, cell.center());
    return QApplication::focusWidget();
}

void TestObjectEditor::typeAndEnter(QWidget *editor, const QString &text)
{
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
}

void TestObjectEditor::clickCheck(QTreeWidgetItem *item)
{
    // The indicator where the delegate looks for it.
    struct Probe : QStyledItemDelegate
    {
        using QStyledItemDelegate::initStyleOption;
    } probe;
    const QModelIndex index = valueIndex(item);
    QStyleOptionViewItem option;
    option.initFrom(tree->viewport());
    option.rect = tree->visualRect(index);
    option.widget = tree;
    probe.initStyleOption(&option, index);
    const QRect check = tree->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, tree);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, check.center());
    QCoreApplication::processEvents();
}

void TestObjectEditor::rowsAndNames()
{
    sample->setProperty("note", QStringLiteral("dyn"));
    tree->addObject(sample);
    QTreeWidgetItem *g = group(sample);
    QVERIFY(g);
    QCOMPARE(g->text(0), QStringLiteral("Sample object"));
    QCOMPARE(g->text(1), QStringLiteral("first"));

    QStringList names;
    for (int i = 0; i < g->childCount(); ++i)
        names << g->child(i)->text(0);
    QCOMPARE(names, (QStringList{"Count of things", "Width", "enabled", "label", "tags", "pos", "color", "borderColor",
                                 "shape", "features", "target", "id", "limited", "serial", "note"}));

    // Values as shown.
    QCOMPARE(rowOf(sample, "Width")->text(1), QStringLiteral("1.25"));
    QCOMPARE(rowOf(sample, "tags")->text(1), QStringLiteral("a, b"));
    QCOMPARE(rowOf(sample, "pos")->text(1), QStringLiteral("1.50; 2.50"));
    QCOMPARE(rowOf(sample, "color")->text(1), QStringLiteral("#ff0000"));
    QCOMPARE(rowOf(sample, "borderColor")->data(1, Qt::DecorationRole).value<QColor>(), QColor(Qt::green));
    QCOMPARE(rowOf(sample, "shape")->text(1), QStringLiteral("Circle"));
    QCOMPARE(rowOf(sample, "features")->text(1), QStringLiteral("Lights"));
    QCOMPARE(rowOf(sample, "target")->text(1), QStringLiteral("(none)"));
    QCOMPARE(rowOf(sample, "note")->text(1), QStringLiteral("dyn"));
    QCOMPARE(rowOf(sample, "enabled")->checkState(1), Qt::Unchecked);

    // Sub-rows: one per flag (the decorated name), x and y of a point.
    QTreeWidgetItem *features = rowOf(sample, "features");
    QStringList flags;
    for (int i = 0; i < features->childCount(); ++i)
        flags << features->child(i)->text(0);
    QCOMPARE(flags, (QStringList{"Lights", "sound", "Heating", "AllFeatures"}));
    QCOMPARE(rowOf(sample, "pos")->childCount(), 2);

    // A read-only property is greyed and has no editor.
    QTreeWidgetItem *id = rowOf(sample, "id");
    QVERIFY(!(id->flags() & Qt::ItemIsEditable));
    QCOMPARE(id->foreground(1).color(), tree->palette().color(QPalette::Disabled, QPalette::Text));
    QVERIFY(!tree->itemDelegate()->createEditor(tree->viewport(), QStyleOptionViewItem(), valueIndex(id)));

    // dn: class-specific first, along the base classes, then global, then the name itself.
    Special special;
    tree->addObject(&special);
    QVERIFY(rowOf(&special, "Special width"));
    QCOMPARE(tree->dn(QStringLiteral("width")), QStringLiteral("Width"));
    QCOMPARE(tree->dn(QStringLiteral("Special"), QStringLiteral("width")), QStringLiteral("Special width"));
    QCOMPARE(tree->dn(QStringLiteral("Sample"), QStringLiteral("width")), QStringLiteral("Width"));
    QCOMPARE(tree->dn(QStringLiteral("unknown")), QStringLiteral("unknown"));

    // Hiding later takes the rows away.
    tree->hideProperty("serial");
    tree->refresh();
    QVERIFY(!rowOf(sample, "serial"));
    QVERIFY(rowOf(sample, "limited"));
}

void TestObjectEditor::editsThroughEditors()
{
    tree->addObject(sample);
    SignalLog log(tree);

    QWidget *editor = openEditor(rowOf(sample, "Count of things"));
    QVERIFY(qobject_cast<QSpinBox *>(editor));
    typeAndEnter(editor, "17");
    QCOMPARE(sample->count(), 17);
    QCOMPARE(log.entries, (QList<QByteArray>{"before:count", "after:count"}));
    QCOMPARE(log.objects, (QList<QObject *>{sample, sample}));
    QCOMPARE(rowOf(sample, "Count of things")->text(1), QStringLiteral("17"));

    log.entries.clear();
    editor = openEditor(rowOf(sample, "Width"));
    auto *spin = qobject_cast<QDoubleSpinBox *>(editor);
    QVERIFY(spin);
    QCOMPARE(spin->decimals(), 2);
    typeAndEnter(editor, "3.75");
    QCOMPARE(sample->width(), 3.75);
    QCOMPARE(log.entries, (QList<QByteArray>{"before:width", "after:width"}));

    editor = openEditor(rowOf(sample, "label"));
    QVERIFY(qobject_cast<QLineEdit *>(editor));
    typeAndEnter(editor, "hello");
    QCOMPARE(sample->label(), QStringLiteral("hello"));

    editor = openEditor(rowOf(sample, "tags"));
    typeAndEnter(editor, "x, y\\, z,  w ");
    QCOMPARE(sample->tags(), (QStringList{"x", "y, z", "w"}));
    QCOMPARE(rowOf(sample, "tags")->text(1), QStringLiteral("x, y\\, z, w"));

    editor = openEditor(rowOf(sample, "pos"));
    typeAndEnter(editor, "10.5; -2");
    QCOMPARE(sample->pos(), QPointF(10.5, -2));
    QTreeWidgetItem *pos = rowOf(sample, "pos");
    pos->setExpanded(true);
    editor = openEditor(pos->child(1));
    QVERIFY(qobject_cast<QDoubleSpinBox *>(editor));
    typeAndEnter(editor, "4.25");
    QCOMPARE(sample->pos(), QPointF(10.5, 4.25));
    QCOMPARE(pos->text(1), QStringLiteral("10.50; 4.25"));

    editor = openEditor(rowOf(sample, "color"));
    typeAndEnter(editor, "#0000ff");
    QCOMPARE(sample->color(), QColor(Qt::blue));

    // Stored as a string, edited as a colour, written back as a string.
    editor = openEditor(rowOf(sample, "borderColor"));
    QVERIFY(editor->inherits("ObjectEditor::ColorEdit"));
    typeAndEnter(editor, "#80ff0000");
    QCOMPARE(sample->borderColor(), QStringLiteral("#80ff0000"));

    log.entries.clear();
    editor = openEditor(rowOf(sample, "shape"));
    auto *combo = qobject_cast<QComboBox *>(editor);
    QVERIFY(combo);
    QCOMPARE(combo->itemText(1), QStringLiteral("square"));
    QTest::keyClick(combo, Qt::Key_Down);
    QTest::keyClick(combo, Qt::Key_Return);
    QCoreApplication::processEvents();
    QCOMPARE(sample->shape(), Sample::Square);
    QCOMPARE(rowOf(sample, "shape")->text(1), QStringLiteral("square"));
    QCOMPARE(log.entries, (QList<QByteArray>{"before:shape", "after:shape"}));

    // Opening and leaving an editor without a change writes nothing, even when the editor rounds.
    sample->setWidth(1.23456);
    tree->refresh();
    log.entries.clear();
    editor = openEditor(rowOf(sample, "Width"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    QCOMPARE(sample->width(), 1.23456);
    QVERIFY(log.entries.isEmpty());
}

void TestObjectEditor::checkBoxes()
{
    tree->addObject(sample);
    SignalLog log(tree);

    clickCheck(rowOf(sample, "enabled"));
    QCOMPARE(sample->isEnabled(), true);
    QCOMPARE(rowOf(sample, "enabled")->checkState(1), Qt::Checked);
    QCOMPARE(log.entries, (QList<QByteArray>{"before:enabled", "after:enabled"}));

    // The keyboard toggles too, also from the name column.
    tree->setCurrentItem(rowOf(sample, "enabled"), 0);
    QTest::keyClick(tree, Qt::Key_Space);
    QCoreApplication::processEvents();
    QCOMPARE(sample->isEnabled(), false);

    QTreeWidgetItem *features = rowOf(sample, "features");
    features->setExpanded(true);
    const auto flag = [&](int i) { return features->child(i); };
    clickCheck(flag(1)); // Sound on
    QCOMPARE(sample->features(), Sample::Features(Sample::Lights | Sample::Sound));
    QCOMPARE(flag(1)->checkState(1), Qt::Checked);
    QCOMPARE(features->text(1), QStringLiteral("Lights | sound"));
    clickCheck(flag(3)); // all of them
    QCOMPARE(sample->features(), Sample::Features(Sample::AllFeatures));
    QCOMPARE(flag(2)->checkState(1), Qt::Checked);
    clickCheck(flag(0)); // Lights off
    QCOMPARE(sample->features(), Sample::Features(Sample::Sound | Sample::Heating));
    QCOMPARE(flag(0)->checkState(1), Qt::Unchecked);
    QCOMPARE(flag(3)->checkState(1), Qt::Unchecked);
    QCOMPARE(log.entries.count("after:features"), 3);
}

void TestObjectEditor::invalidAndRefusedInput()
{
    tree->addObject(sample);
    SignalLog log(tree);

    // Letters do not get into a number editor; the old value stays.
    QWidget *editor = openEditor(rowOf(sample, "Count of things"));
    typeAndEnter(editor, "abc");
    QCOMPARE(sample->count(), 3);
    editor = openEditor(rowOf(sample, "serial"));
    QVERIFY(qobject_cast<QLineEdit *>(editor));
    typeAndEnter(editor, "abc");
    QCOMPARE(sample->serial(), 7);
    QCOMPARE(rowOf(sample, "serial")->text(1), QStringLiteral("7"));
    editor = openEditor(rowOf(sample, "pos"));
    typeAndEnter(editor, "abc; 3");
    QCOMPARE(sample->pos(), QPointF(1.5, 2.5));
    editor = openEditor(rowOf(sample, "color"));
    typeAndEnter(editor, "notacolour");
    QCOMPARE(sample->color(), QColor(Qt::red));
    QVERIFY(log.entries.isEmpty());

    // A valid text for the wider type is taken.
    editor = openEditor(rowOf(sample, "serial"));
    typeAndEnter(editor, "12345678901");
    QCOMPARE(sample->serial(), 12345678901LL);

    // The object refuses the value: the shown value is the object's.
    log.entries.clear();
    editor = openEditor(rowOf(sample, "limited"));
    typeAndEnter(editor, "-4");
    QCOMPARE(sample->limited(), 5);
    QCOMPARE(rowOf(sample, "limited")->text(1), QStringLiteral("5"));
    QCOMPARE(log.entries, (QList<QByteArray>{"before:limited", "after:limited"}));
    QVERIFY(!tree->setObjectProperty(sample, "limited", -1));
    QVERIFY(tree->setObjectProperty(sample, "limited", 8));

    // The write path refuses what does not convert and what cannot be written, without signals.
    log.entries.clear();
    QVERIFY(!tree->setObjectProperty(sample, "count", QStringLiteral("many")));
    QVERIFY(!tree->setObjectProperty(sample, "id", 1));
    QVERIFY(!tree->setObjectProperty(sample, "shape", QStringLiteral("Hexagon")));
    QVERIFY(tree->setObjectProperty(sample, "shape", QStringLiteral("Triangle")));
    QCOMPARE(sample->shape(), Sample::Triangle);
    QCOMPARE(log.entries, (QList<QByteArray>{"before:shape", "after:shape"}));
    // Writing the current value is not a change.
    QVERIFY(tree->setObjectProperty(sample, "shape", int(Sample::Triangle)));
    QCOMPARE(log.entries.size(), 2);
}

void TestObjectEditor::valuesFollowObject()
{
    tree->addObject(sample);
    // NOTIFY: at once.
    sample->setCount(99);
    QCOMPARE(rowOf(sample, "Count of things")->text(1), QStringLiteral("99"));
    // No NOTIFY: on refresh(), or by the periodic refresh while shown.
    sample->setWidth(8);
    QCOMPARE(rowOf(sample, "Width")->text(1), QStringLiteral("1.25"));
    tree->refresh();
    QCOMPARE(rowOf(sample, "Width")->text(1), QStringLiteral("8.00"));
    sample->setLabel(QStringLiteral("later"));
    tree->setRefreshInterval(20);
    QTRY_COMPARE(rowOf(sample, "label")->text(1), QStringLiteral("later"));
    tree->setRefreshInterval(0);

    // Dynamic properties appear, change type and go.
    sample->setProperty("extra", 5);
    QTRY_VERIFY(rowOf(sample, "extra"));
    QCOMPARE(rowOf(sample, "extra")->text(1), QStringLiteral("5"));
    sample->setProperty("extra", true);
    QTRY_COMPARE(rowOf(sample, "extra")->data(1, Qt::CheckStateRole).toInt(), int(Qt::Checked));
    sample->setProperty("extra", QVariant());
    QTRY_VERIFY(!rowOf(sample, "extra"));

    // The object's name in its row.
    sample->setObjectName(QStringLiteral("renamed"));
    tree->refresh();
    QCOMPARE(group(sample)->text(1), QStringLiteral("renamed"));
}

void TestObjectEditor::severalObjectsAndRemoval()
{
    auto *second = new Sample;
    second->setObjectName(QStringLiteral("second"));
    auto *third = new Special;
    tree->addObject(sample);
    tree->addObject(second);
    tree->addObject(third);
    tree->addObject(second);
    tree->addObject(nullptr);
    QCOMPARE(tree->objects(), (QList<QObject *>{sample, second, third}));

    // Each object edits its own value.
    SignalLog log(tree);
    QWidget *editor = openEditor(rowOf(second, "Count of things"));
    typeAndEnter(editor, "21");
    QCOMPARE(second->count(), 21);
    QCOMPARE(sample->count(), 3);
    QCOMPARE(log.objects.value(0), second);

    tree->removeObject(second);
    QCOMPARE(tree->objects(), (QList<QObject *>{sample, third}));
    // A removed object no longer reaches the editor.
    second->setCount(1);
    second->setProperty("late", 1);
    QCoreApplication::processEvents();

    // Destroyed while shown, also with its editor open.
    editor = openEditor(rowOf(third, "label"));
    QVERIFY(editor);
    QTest::keyClicks(editor, "typing");
    delete third;
    QCOMPARE(tree->objects(), (QList<QObject *>{sample}));
    QCOMPARE(tree->topLevelItemCount(), 1);
    QCoreApplication::processEvents();
    tree->refresh();

    // clear(), also through the base class, forgets everything.
    tree->addObject(second);
    static_cast<QTreeWidget *>(tree)->clear();
    QVERIFY(tree->objects().isEmpty());
    QVERIFY(!tree->containsObject(sample));
    sample->setCount(4);
    delete second;
    tree->addObject(sample);
    QCOMPARE(tree->objects(), (QList<QObject *>{sample}));

    // Lazy rows past the expansion limit.
    tree->setAutoExpandLimit(1);
    Sample more;
    tree->addObject(&more);
    QCOMPARE(group(&more)->childCount(), 0);
    group(&more)->setExpanded(true);
    QVERIFY(rowOf(&more, "label"));
}

void TestObjectEditor::destroyedDuringWrite()
{
    auto *victim = new Sample;
    tree->addObject(victim);
    tree->addObject(sample);
    QList<QByteArray> after;
    connect(tree, &ObjectEditorTree::beforePropertyChanged, tree, [&](QObject *o, const QByteArray &) {
        if (o == victim)
            delete victim;
    });
    connect(tree, &ObjectEditorTree::propertyChanged, tree, [&](QObject *, const QByteArray &n) { after << n; });
    QWidget *editor = openEditor(rowOf(victim, "label"));
    typeAndEnter(editor, "boom");
    QCoreApplication::processEvents();
    QCOMPARE(tree->objects(), (QList<QObject *>{sample}));
    QVERIFY(after.isEmpty());

    // The same through a check box (written from the event loop).
    victim = new Sample;
    tree->addObject(victim);
    clickCheck(rowOf(victim, "enabled"));
    QCOMPARE(tree->objects(), (QList<QObject *>{sample}));
    QVERIFY(after.isEmpty());
}

void TestObjectEditor::referencesAndSelection()
{
    Sample other;
    other.setObjectName(QStringLiteral("other"));
    sample->setTarget(&other);
    Sample unnamed;
    tree->addObject(sample);
    QCOMPARE(rowOf(sample, "target")->text(1), QStringLiteral("other"));

    QSignalSpy selected(tree, &ObjectEditorTree::propertySelected);
    QTreeWidgetItem *target = rowOf(sample, "target");
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(target).center());
    QTRY_COMPARE(selected.count(), 1);
    QCOMPARE(selected.at(0).at(0).value<QObject *>(), sample);
    QCOMPARE(selected.at(0).at(1).toByteArray(), QByteArray("target"));
    QVERIFY(!tree->indexWidget(valueIndex(target)));

    // Sub-rows name their property.
    QTreeWidgetItem *pos = rowOf(sample, "pos");
    pos->setExpanded(true);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(pos->child(0)).center() - QPoint(100, 0));
    QTRY_COMPARE(selected.count(), 2);
    QCOMPARE(selected.at(1).at(1).toByteArray(), QByteArray("pos"));

    // Without a name the class and the id stand for the object.
    tree->setObjectProperty(sample, "target", QVariant::fromValue(&unnamed));
    QCOMPARE(rowOf(sample, "target")->text(1), QStringLiteral("Sample object 42"));
}

void TestObjectEditor::contextMenuAndDynamicProperties()
{
    tree->allowDynamicPropertyType(false);
    tree->setKnownDynamicProperties(QStringLiteral("Sample"), {QStringLiteral("speed"), QStringLiteral("note")});
    sample->setProperty("note", QStringLiteral("n"));
    tree->addObject(sample);
    QCOMPARE(tree->knownDynamicProperties(sample), (QStringList{"speed", "note"}));

    QList<QPair<QObject *, QByteArray>> menus;
    connect(tree, &ObjectEditorTree::beforeContextMenu, tree, [&](QMenu &menu, QObject *o, const QByteArray &n) {
        menus.append({o, n});
        menu.addAction(QStringLiteral("Caller entry"));
    });

    // Opens the context menu of a row, runs check on it, then picks the entry named pick (or closes).
    QStringList shown;
    QStringList offered;
    const auto runMenu = [&](QTreeWidgetItem *item, const QString &pick) {
        shown.clear();
        QTimer::singleShot(0, tree, [&, pick] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QVERIFY(menu);
            for (QAction *a : menu->actions())
                shown << a->text();
            QAction *chosen = nullptr;
            for (QAction *a : menu->actions())
                chosen = a->text() == pick ? a : chosen;
            if (!chosen) {
                menu->close();
                return;
            }
            if (pick == "Add property...") {
                QTimer::singleShot(0, tree, [&] {
                    auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
                    QVERIFY(dialog);
                    auto *name = dialog->findChild<QComboBox *>(QStringLiteral("name"));
                    QVERIFY(name);
                    QVERIFY(!dialog->findChild<QComboBox *>(QStringLiteral("type")));
                    for (int i = 0; i < name->count(); ++i)
                        offered << name->itemText(i);
                    name->setCurrentText(QStringLiteral("speed"));
                    dialog->accept();
                });
            }
            menu->setActiveAction(chosen);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        const QRect rect = tree->visualItemRect(item);
        QContextMenuEvent event(QContextMenuEvent::Mouse, rect.center(), tree->viewport()->mapToGlobal(rect.center()));
        QApplication::sendEvent(tree->viewport(), &event);
    };

    runMenu(rowOf(sample, "label"), QString());
    QCOMPARE(menus.last(), qMakePair(static_cast<QObject *>(sample), QByteArray("label")));
    QVERIFY(shown.contains("Caller entry"));
    QVERIFY(shown.contains("Copy value"));
    QVERIFY(!shown.contains("Remove property"));

    runMenu(group(sample), QString());
    QCOMPARE(menus.last(), qMakePair(static_cast<QObject *>(sample), QByteArray()));

    // Adding: the known names not yet set are offered; the new property is written with the signals.
    SignalLog log(tree);
    runMenu(group(sample), QStringLiteral("Add property..."));
    QCOMPARE(offered, QStringList{"speed"});
    QCOMPARE(sample->property("speed").userType(), int(QMetaType::QString));
    QCOMPARE(log.entries, (QList<QByteArray>{"before:speed", "after:speed"}));
    QTreeWidgetItem *speed = rowOf(sample, "speed");
    QVERIFY(speed);
    // Its editor is open.
    QCOMPARE(tree->currentItem(), speed);
    QLineEdit *editor = nullptr;
    for (QLineEdit *line : tree->viewport()->findChildren<QLineEdit *>())
        editor = line->isVisible() ? line : editor;
    QVERIFY(editor);
    typeAndEnter(editor, "50");
    QCOMPARE(sample->property("speed").toString(), QStringLiteral("50"));

    // Removing a dynamic property.
    runMenu(rowOf(sample, "note"), QStringLiteral("Remove property"));
    QVERIFY(!sample->property("note").isValid());
    QTRY_VERIFY(!rowOf(sample, "note"));

    QVERIFY(!tree->addDynamicProperty(sample, "label", 1));
    QVERIFY(!tree->addDynamicProperty(sample, "speed", 1));
    QVERIFY(!tree->addDynamicProperty(sample, "_q_internal", 1));
    QVERIFY(tree->addDynamicProperty(sample, "lane_group", 3));
    QCOMPARE(sample->property("lane_group").toInt(), 3);
}

void TestObjectEditor::translations()
{
    QTemporaryDir dir;
    QVERIFY(!ObjectEditor::loadTranslations(dir.path()));
    QVERIFY(!ObjectEditor::loadTranslations(dir.filePath("missing.qm")));

    const QString lrelease = QStandardPaths::findExecutable(QStringLiteral("lrelease"));
    if (lrelease.isEmpty())
        QSKIP("lrelease is not installed");
    QFile ts(dir.filePath("objecteditor_xx.ts"));
    QVERIFY(ts.open(QIODevice::WriteOnly));
    ts.write("<?xml version=\"1.0\" encoding=\"utf-8\"?><!DOCTYPE TS><TS version=\"2.1\" language=\"de\">"
             "<context><name>ObjectEditorTree</name><message><source>Property</source>"
             "<translation>Eigenschaft</translation></message></context></TS>");
    ts.close();
    QCOMPARE(QProcess::execute(lrelease, {"-silent", ts.fileName()}), 0);
    QVERIFY(ObjectEditor::loadTranslations(dir.filePath("objecteditor_xx.qm")));
    ObjectEditorTree translated;
    QCOMPARE(translated.headerItem()->text(0), QStringLiteral("Eigenschaft"));
    // A second load replaces the first.
    QVERIFY(ObjectEditor::loadTranslations(dir.filePath("objecteditor_xx")));
}

QTEST_MAIN(TestObjectEditor)
#include "tst_objecteditor.moc"
