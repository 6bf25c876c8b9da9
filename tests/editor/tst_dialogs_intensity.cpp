// The measured intensity dialog on a real junction, and the table components it is built from, driven
// through real widget events.

#include "editorfixture.h"
#include "layouts.h"
#include "saves.h"

#include "dialogs/comboboxdelegate.h"
#include "dialogs/intensitydlga.h"
#include "dialogs/parameterstable.h"
#include "editor/netedit.h"
#include "mapview.h"
#include "items/edgeg.h"
#include "scene/genericgraphicsitem.h"
#include "scene/networkg.h"
#include "scene/networkscene.h"

#include "customobject.h"
#include "edge.h"
#include "node.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimeEdit>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

using namespace Trelvoa;
using Trelvoga::IntensityDlga;
using Table = Trelvoga::ParametersTable;

namespace {

Layouts::Layout fourArm(Network *net)
{
    return Layouts::fourArm(net);
}

CustomObject *addCustom(Network *net, QObject *parent, const char *name, const QVariantMap &properties,
                        const QString &text = QString())
{
    auto *object = new CustomObject(parent);
    object->setObjectName(QString::fromLatin1(name));
    for (auto it = properties.cbegin(); it != properties.cend(); ++it)
        object->setProperty(it.key().toUtf8().constData(), it.value());
    if (!text.isEmpty())
        object->setText(text);
    if (!net->addItem(object))
        qFatal("addItem failed: %s", qPrintable(net->errorString()));
    return object;
}

// The measured data of the network, one line per object, edges by their layout names:
// "Working days", "  C 07:00 30", "    N>C: C>S=12".
QStringList stored(const Network *net)
{
    const auto edgeName = [net](const QVariant &id) {
        const auto *edge = net->findObject<Edge>(id.toInt());
        return edge ? Layouts::edgeName(edge) : QStringLiteral("?%1").arg(id.toString());
    };
    QStringList lines;
    for (CustomObject *group : net->findChildren<CustomObject *>(QString(), Qt::FindDirectChildrenOnly)) {
        lines << group->objectName() + QLatin1Char(':') + group->property("group_name").toString();
        for (CustomObject *intensity : group->customChildren()) {
            const auto *node = net->findObject<Node>(intensity->property("node").toInt());
            lines << QStringLiteral("  %1:%2 %3 %4")
                         .arg(intensity->objectName(), node ? node->name() : QStringLiteral("?"),
                              intensity->property("time").toString(), intensity->property("duration").toString());
            for (CustomObject *from : intensity->customChildren()) {
                QStringList cells;
                for (CustomObject *to : from->customChildren())
                    cells << to->objectName() + QLatin1Char(' ') + edgeName(to->property("edge_id")) + QLatin1Char('=')
                                 + to->text();
                lines << QStringLiteral("    %1 %2: %3")
                             .arg(from->objectName(), edgeName(from->property("edge_id")), cells.join(QStringLiteral(", ")));
            }
        }
    }
    return lines;
}

// Answers every message box that comes up until the returned object goes, keeping their texts.
struct MessageBoxAnswer
{
    explicit MessageBoxAnswer(QMessageBox::StandardButton button)
    {
        QObject::connect(&timer, &QTimer::timeout, [this, button] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || box->property("answered").toBool())
                return;
            box->setProperty("answered", true);
            texts << box->windowTitle() + QLatin1Char('|') + box->text();
            box->button(button)->click();
        });
        timer.start(10);
    }
    QTimer timer;
    QStringList texts;
};

QTabBar::ButtonPosition closeSide(const QTabBar *bar)
{
    return static_cast<QTabBar::ButtonPosition>(bar->style()->styleHint(QStyle::SH_TabBar_CloseButtonPosition, nullptr, bar));
}

void clickTab(QTabWidget *tabs, int index)
{
    QTabBar *bar = tabs->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(index).center());
}

void closeTab(QTabWidget *tabs, int index)
{
    QWidget *button = tabs->tabBar()->tabButton(index, closeSide(tabs->tabBar()));
    QVERIFY(button && button->isVisible());
    QTest::mouseClick(button, Qt::LeftButton);
}

void clickCell(QTableWidget *table, int row, int column)
{
    const QModelIndex index = table->model()->index(row, column);
    table->scrollTo(index);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, table->visualRect(index).center());
}

// Opens the cell's editor with F2, types the text and confirms with Return.
template<class Editor>
Editor *openEditor(QTableWidget *table, int row, int column)
{
    clickCell(table, row, column);
    QTest::keyClick(table, Qt::Key_F2);
    return table->viewport()->findChild<Editor *>();
}

void typeCount(QTableWidget *table, int row, int column, const QString &text)
{
    auto *spin = openEditor<QSpinBox>(table, row, column);
    QVERIFY(spin);
    QTest::keyClick(spin, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(spin, text);
    QTest::keyClick(spin, Qt::Key_Return);
    QTRY_VERIFY(!table->viewport()->findChild<QSpinBox *>());
}

QTabWidget *intervalsOf(IntensityDlga &dialog, int group)
{
    auto *groups = dialog.findChild<QTabWidget *>(QStringLiteral("dayGroups"));
    return groups->widget(group)->findChild<QTabWidget *>(QStringLiteral("intensities"));
}

QTableWidget *tableOf(IntensityDlga &dialog, int group, int interval)
{
    return intervalsOf(dialog, group)->widget(interval)->findChild<QTableWidget *>(QStringLiteral("table"));
}

QStringList tabTexts(const QTabWidget *tabs)
{
    QStringList texts;
    for (int i = 0; i < tabs->count(); ++i)
        texts << tabs->tabText(i);
    return texts;
}

void clickButton(IntensityDlga &dialog, QDialogButtonBox::StandardButton which)
{
    QTest::mouseClick(dialog.findChild<QDialogButtonBox *>()->button(which), Qt::LeftButton);
}

// The table with the fixed content used by the clipboard tests: cell (r, c) holds "rc".
std::unique_ptr<Table> letterTable(int rows, int columns)
{
    auto table = std::make_unique<Table>(rows, columns);
    for (int r = 0; r < rows; ++r) {
        table->setVerticalHeaderItem(r, new QTableWidgetItem(QStringLiteral("R%1").arg(r)));
        for (int c = 0; c < columns; ++c)
            table->setItem(r, c, new QTableWidgetItem(QStringLiteral("%1%2").arg(r).arg(c)));
    }
    for (int c = 0; c < columns; ++c)
        table->setHorizontalHeaderItem(c, new QTableWidgetItem(QStringLiteral("C%1").arg(c)));
    return table;
}

QString cellText(const QTableWidget *table, int row, int column)
{
    const QTableWidgetItem *item = table->item(row, column);
    return item ? item->text() : QString();
}

void selectRange(QTableWidget *table, int top, int left, int bottom, int right)
{
    table->setRangeSelected(QTableWidgetSelectionRange(top, left, bottom, right), true);
}

class DragTable : public Table
{
public:
    using Table::mimeData;
    using Trelvoga::ParametersTable::ParametersTable;
};

} // namespace

namespace Trelvoa {
// Stands for the property editor's table editor, which the table reports its changes to.
class ParametersTable : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;
    int changes = 0;
public slots:
    void dataChanged() { ++changes; }
};
} // namespace Trelvoa

class TestDialogsIntensity : public QObject
{
    Q_OBJECT

private slots:
    void opensSavedDataOfTheJunction();
    void entersCountsAndStoresThemPerMovement();
    void addsAndRenamesGroupsAndIntervals();
    void deletesOnlyOnAccept();
    void acceptWithoutChangesKeepsTheNetwork();
    void highlightsTheCurrentMovement();
    void editorRunsTheDialogOnTheSelectedNode();

    void tableCopiesVisibleCells();
    void tablePastesClippedAndClears();
    void tableShortcutsWorkWhileFocused();
    void tableMovesDraggedRows();
    void tableReportsChangesToItsEditor();
    void comboBoxDelegateMapsTextsAndValues();
};

// A group with an interval at "C" and one at another node, and a group without data at "C".
struct SavedData
{
    explicit SavedData(EditorFixture &f)
    {
        Network *net = f.net();
        working = addCustom(net, net, "DayGroup", {{"group_name", "Working days"}});
        atC = addCustom(net, working, "Intensity",
                        {{"time", "07:00"}, {"duration", "30"}, {"node", f.node("C")->id()}});
        CustomObject *from = addCustom(net, atC, "FromEdge", {{"edge_id", f.edge("N", "C")->id()}});
        addCustom(net, from, "ToEdge", {{"edge_id", f.edge("C", "S")->id()}}, QStringLiteral(" 12 "));
        addCustom(net, from, "ToEdge", {{"edge_id", f.edge("C", "E")->id()}}, QStringLiteral("3"));
        CustomObject *atN = addCustom(net, working, "Intensity",
                                      {{"time", "09:00"}, {"duration", "60"}, {"node", f.node("N")->id()}});
        CustomObject *fromN = addCustom(net, atN, "FromEdge", {{"edge_id", f.edge("C", "N")->id()}});
        addCustom(net, fromN, "ToEdge", {{"edge_id", f.edge("C", "N")->id()}}, QStringLiteral("5"));
        weekend = addCustom(net, net, "DayGroup", {{"group_name", "Weekend"}});
    }
    CustomObject *working;
    CustomObject *atC;
    CustomObject *weekend;
};

int rowOf(const QTableWidget *table, const Edge *edge)
{
    for (int r = 0; r < table->rowCount(); ++r) {
        if (table->verticalHeaderItem(r)->data(Qt::UserRole).toInt() == edge->id())
            return r;
    }
    return -1;
}

int columnOf(const QTableWidget *table, const Edge *edge)
{
    for (int c = 0; c < table->columnCount(); ++c) {
        if (table->horizontalHeaderItem(c)->data(Qt::UserRole).toInt() == edge->id())
            return c;
    }
    return -1;
}

void TestDialogsIntensity::opensSavedDataOfTheJunction()
{
    EditorFixture f(fourArm);
    SavedData data(f);
    IntensityDlga dialog(f.net(), f.node("C")->id(), f.view());
    dialog.show();

    QCOMPARE(dialog.objectName(), QStringLiteral("IntensityDlga"));
    auto *groups = dialog.findChild<QTabWidget *>(QStringLiteral("dayGroups"));
    QCOMPARE(tabTexts(groups), (QStringList{"Working days", "Weekend", "Add new"}));
    QCOMPARE(groups->currentIndex(), 0);
    QCOMPARE(groups->widget(0)->findChild<QLineEdit *>(QStringLiteral("name"))->text(), QStringLiteral("Working days"));
    // Only this junction's interval; a group without one shows one empty interval.
    QCOMPARE(tabTexts(intervalsOf(dialog, 0)), (QStringList{"07:00 - 07:30", "Add new"}));
    QCOMPARE(tabTexts(intervalsOf(dialog, 1)), (QStringList{"00:00 - 01:00", "Add new"}));
    QCOMPARE(intervalsOf(dialog, 1)->widget(0)->findChild<QSpinBox *>(QStringLiteral("duration"))->value(), 60);
    // Neither "Add new" tab can be closed.
    QVERIFY(!groups->tabBar()->tabButton(2, closeSide(groups->tabBar()))->isVisible());

    // Rows and columns: every edge of the junction, named, with the edge id as data.
    const Node *c = f.node("C");
    QTableWidget *table = tableOf(dialog, 0, 0);
    QCOMPARE(table->rowCount(), c->edgesCount());
    QCOMPARE(table->columnCount(), c->edgesCount());
    for (int i = 0; i < c->edgesCount(); ++i) {
        QCOMPARE(table->verticalHeaderItem(i)->data(Qt::UserRole).toInt(), c->edge(i)->id());
        QCOMPARE(table->horizontalHeaderItem(i)->text(), c->edge(i)->printableName());
    }
    const int n = rowOf(table, f.edge("N", "C"));
    QCOMPARE(table->item(n, columnOf(table, f.edge("C", "S")))->data(Qt::EditRole), QVariant(12));
    QCOMPARE(table->item(n, columnOf(table, f.edge("C", "E")))->data(Qt::EditRole), QVariant(3));
    int filled = 0;
    for (int r = 0; r < table->rowCount(); ++r)
        for (int col = 0; col < table->columnCount(); ++col)
            filled += table->item(r, col) ? 1 : 0;
    QCOMPARE(filled, 2);
    QVERIFY(!tableOf(dialog, 1, 0)->item(n, 0));
}

void TestDialogsIntensity::entersCountsAndStoresThemPerMovement()
{
    EditorFixture f(fourArm);
    SavedData data(f);
    const QStringList before = stored(f.net());
    IntensityDlga dialog(f.net(), f.node("C")->id(), f.view());
    dialog.show();

    QTableWidget *table = tableOf(dialog, 0, 0);
    const int fromN = rowOf(table, f.edge("N", "C"));
    const int fromW = rowOf(table, f.edge("W", "C"));
    // A new movement, a changed one, and one set to 0, which leaves no count.
    typeCount(table, fromW, columnOf(table, f.edge("C", "N")), QStringLiteral("40"));
    typeCount(table, fromN, columnOf(table, f.edge("C", "S")), QStringLiteral("15"));
    typeCount(table, fromN, columnOf(table, f.edge("C", "E")), QStringLiteral("0"));
    QVERIFY(!table->item(fromN, columnOf(table, f.edge("C", "E")))->data(Qt::EditRole).isValid());
    QCOMPARE(table->item(fromW, columnOf(table, f.edge("C", "N")))->data(Qt::EditRole), QVariant(40));
    // The weekend's empty interval gets one count; its begin and duration through the keyboard.
    clickTab(dialog.findChild<QTabWidget *>(QStringLiteral("dayGroups")), 1);
    QWidget *weekendPage = intervalsOf(dialog, 1)->widget(0);
    auto *time = weekendPage->findChild<QTimeEdit *>(QStringLiteral("time"));
    for (int i = 0; i < 8; ++i)
        QTest::keyClick(time, Qt::Key_Up);
    auto *duration = weekendPage->findChild<QSpinBox *>(QStringLiteral("duration"));
    QTest::keyClick(duration, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(duration, QStringLiteral("15"));
    QCOMPARE(intervalsOf(dialog, 1)->tabText(0), QStringLiteral("08:00 - 08:15"));
    QTableWidget *weekend = tableOf(dialog, 1, 0);
    typeCount(weekend, rowOf(weekend, f.edge("S", "C")), columnOf(weekend, f.edge("C", "W")), QStringLiteral("7"));

    QCOMPARE(stored(f.net()), before);
    clickButton(dialog, QDialogButtonBox::Ok);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(stored(f.net()), (QStringList{
                                  "DayGroup:Working days",
                                  "  Intensity:C 07:00 30",
                                  "    FromEdge N>C: ToEdge C>S=15",
                                  "    FromEdge W>C: ToEdge C>N=40",
                                  "  Intensity:N 09:00 60",
                                  "    FromEdge C>N: ToEdge C>N=5",
                                  "DayGroup:Weekend",
                                  "  Intensity:C 08:00 15",
                                  "    FromEdge S>C: ToEdge C>W=7",
                              }));
    // What the exporter reads: the junction id and the edge ids as integers, the count as text.
    CustomObject *weekendIntensity = data.weekend->customChildren().value(0);
    QVERIFY(weekendIntensity);
    QCOMPARE(weekendIntensity->property("node").userType(), int(QMetaType::Int));
    CustomObject *from = weekendIntensity->customChildren().value(0);
    QCOMPARE(from->property("edge_id"), QVariant(f.edge("S", "C")->id()));
    QCOMPARE(from->customChildren().value(0)->property("#text"), QVariant(QStringLiteral("7")));

    // The stored data survives a save and load, and opens again as entered.
    const QByteArray saved = f.canonicalSave();
    QVERIFY(f.load(saved));
    QCOMPARE(f.canonicalSave(), saved);
    IntensityDlga again(f.net(), f.node("C")->id(), f.view());
    QCOMPARE(tabTexts(intervalsOf(again, 1)), (QStringList{"08:00 - 08:15", "Add new"}));
    QTableWidget *reopened = tableOf(again, 0, 0);
    QCOMPARE(reopened->item(rowOf(reopened, f.edge("W", "C")), columnOf(reopened, f.edge("C", "N")))->text(),
             QStringLiteral("40"));
}

void TestDialogsIntensity::addsAndRenamesGroupsAndIntervals()
{
    EditorFixture f(fourArm);
    SavedData data(f);
    IntensityDlga dialog(f.net(), f.node("C")->id(), f.view());
    dialog.show();
    auto *groups = dialog.findChild<QTabWidget *>(QStringLiteral("dayGroups"));

    // Renaming renames the tab.
    auto *name = groups->widget(0)->findChild<QLineEdit *>(QStringLiteral("name"));
    QTest::keyClick(name, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(name, QStringLiteral("Mon-Fri"));
    QCOMPARE(groups->tabText(0), QStringLiteral("Mon-Fri"));

    // "Add new" makes a new group before it, with one empty interval.
    clickTab(groups, 2);
    QCOMPARE(groups->count(), 4);
    QCOMPARE(groups->currentIndex(), 2);
    QCOMPARE(groups->tabText(3), QStringLiteral("Add new"));
    QCOMPARE(tabTexts(intervalsOf(dialog, 2)), (QStringList{"00:00 - 01:00", "Add new"}));
    auto *newName = groups->widget(2)->findChild<QLineEdit *>(QStringLiteral("name"));
    QTest::keyClick(newName, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(newName, QStringLiteral("Holidays"));
    QCOMPARE(groups->tabText(2), QStringLiteral("Holidays"));

    // A second interval in the first group; the new interval with no counts is not stored.
    clickTab(groups, 0);
    QTabWidget *intervals = intervalsOf(dialog, 0);
    clickTab(intervals, 1);
    QCOMPARE(tabTexts(intervals), (QStringList{"07:00 - 07:30", "00:00 - 01:00", "Add new"}));
    QCOMPARE(intervals->currentIndex(), 1);
    QTest::keyClick(intervals->widget(1)->findChild<QTimeEdit *>(QStringLiteral("time")), Qt::Key_Up);
    QCOMPARE(intervals->tabText(1), QStringLiteral("01:00 - 02:00"));
    clickTab(intervals, 2);
    QCOMPARE(intervals->count(), 4);
    QTableWidget *table = tableOf(dialog, 0, 1);
    typeCount(table, rowOf(table, f.edge("E", "C")), columnOf(table, f.edge("C", "W")), QStringLiteral("9"));

    clickButton(dialog, QDialogButtonBox::Ok);
    // The untouched interval keeps its objects as they were written.
    QCOMPARE(stored(f.net()), (QStringList{
                                  "DayGroup:Mon-Fri",
                                  "  Intensity:C 07:00 30",
                                  "    FromEdge N>C: ToEdge C>S= 12 , ToEdge C>E=3",
                                  "  Intensity:N 09:00 60",
                                  "    FromEdge C>N: ToEdge C>N=5",
                                  "  Intensity:C 01:00 60",
                                  "    FromEdge E>C: ToEdge C>W=9",
                                  "DayGroup:Weekend",
                                  "DayGroup:Holidays",
                              }));
    QCOMPARE(data.working->property("group_name"), QVariant(QStringLiteral("Mon-Fri")));
}

void TestDialogsIntensity::deletesOnlyOnAccept()
{
    EditorFixture f(fourArm);
    SavedData data(f);
    const QByteArray before = f.canonicalSave();
    for (bool accept : {false, true}) {
        IntensityDlga dialog(f.net(), f.node("C")->id(), f.view());
        dialog.show();
        auto *groups = dialog.findChild<QTabWidget *>(QStringLiteral("dayGroups"));
        {
            // "No" keeps the page.
            MessageBoxAnswer no(QMessageBox::No);
            closeTab(intervalsOf(dialog, 0), 0);
            QCOMPARE(no.texts, QStringList{"Data remove|Delete current intensity data?"});
            QCOMPARE(intervalsOf(dialog, 0)->count(), 2);
        }
        {
            MessageBoxAnswer yes(QMessageBox::Yes);
            closeTab(intervalsOf(dialog, 0), 0);
            // The interval is gone from the dialog; its group shows no page of data and makes none by itself.
            QCOMPARE(tabTexts(intervalsOf(dialog, 0)), QStringList{"Add new"});
            closeTab(groups, 1);
            QCOMPARE(yes.texts.value(1), QStringLiteral("Group remove|This action will remove all of the data for "
                                                        "the group in the other objects.\nDelete group of days "
                                                        "'Weekend'?"));
            QCOMPARE(tabTexts(groups), (QStringList{"Working days", "Add new"}));
        }
        // Nothing goes before OK.
        QCOMPARE(TestSupport::firstDifference(before, f.canonicalSave()), QString());
        if (!accept) {
            clickButton(dialog, QDialogButtonBox::Cancel);
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
            QCOMPARE(TestSupport::firstDifference(before, f.canonicalSave()), QString());
            QVERIFY(data.atC && data.weekend);
            continue;
        }
        clickButton(dialog, QDialogButtonBox::Ok);
    }
    // The other junction's interval stays in the kept group.
    QCOMPARE(stored(f.net()), (QStringList{
                                  "DayGroup:Working days",
                                  "  Intensity:N 09:00 60",
                                  "    FromEdge C>N: ToEdge C>N=5",
                              }));

    // A group deleted after one of its intervals: both go, once.
    IntensityDlga dialog(f.net(), f.node("N")->id(), f.view());
    dialog.show();
    {
        MessageBoxAnswer yes(QMessageBox::Yes);
        closeTab(intervalsOf(dialog, 0), 0);
        closeTab(dialog.findChild<QTabWidget *>(QStringLiteral("dayGroups")), 0);
    }
    clickButton(dialog, QDialogButtonBox::Ok);
    QCOMPARE(stored(f.net()), QStringList());
}

void TestDialogsIntensity::acceptWithoutChangesKeepsTheNetwork()
{
    EditorFixture f(fourArm);
    SavedData data(f);
    const QByteArray before = f.canonicalSave();
    IntensityDlga dialog(f.net(), f.node("C")->id(), f.view());
    dialog.show();
    clickButton(dialog, QDialogButtonBox::Ok);
    // The weekend's empty interval is not stored, and the saved counts keep their objects and ids.
    QCOMPARE(TestSupport::firstDifference(before, f.canonicalSave()), QString());
}

void TestDialogsIntensity::highlightsTheCurrentMovement()
{
    EditorFixture f(fourArm);
    SavedData data(f);
    f.settle();
    auto dialog = std::make_unique<IntensityDlga>(f.net(), f.node("C")->id(), f.view());
    dialog->show();
    QTableWidget *table = tableOf(*dialog, 0, 0);
    Edge *from = f.edge("N", "C");
    Edge *to = f.edge("C", "S");
    Edge *other = f.edge("W", "C");
    const auto colorOf = [&f](Edge *edge) {
        auto *item = dynamic_cast<Trelvoga::Edgeg *>(f.net()->object2item(edge));
        return item ? item->color() : QColor(Qt::black);
    };

    clickCell(table, rowOf(table, from), columnOf(table, to));
    QCOMPARE(table->verticalHeaderItem(rowOf(table, from))->background().color(), QColor(Qt::green));
    QCOMPARE(table->horizontalHeaderItem(columnOf(table, to))->background().color(), QColor(Qt::red));
    QCOMPARE(colorOf(from), QColor(Qt::green));
    QCOMPARE(colorOf(to), QColor(Qt::red));

    // Moving on resets the previous edge and header cell.
    clickCell(table, rowOf(table, other), columnOf(table, to));
    QCOMPARE(table->verticalHeaderItem(rowOf(table, from))->background().style(), Qt::NoBrush);
    QCOMPARE(colorOf(from), QColor());
    QCOMPARE(colorOf(other), QColor(Qt::green));
    QCOMPARE(colorOf(to), QColor(Qt::red));
    QCOMPARE(table->verticalHeaderItem(rowOf(table, other))->background().color(), QColor(Qt::green));

    // Another interval page: its own current cell counts; closing the dialog leaves the map as it was.
    clickTab(dialog->findChild<QTabWidget *>(QStringLiteral("dayGroups")), 1);
    QCOMPARE(colorOf(other), QColor());
    clickCell(tableOf(*dialog, 1, 0), rowOf(table, from), columnOf(table, other));
    QCOMPARE(colorOf(from), QColor(Qt::green));
    clickButton(*dialog, QDialogButtonBox::Cancel);
    QCOMPARE(colorOf(from), QColor());
    QCOMPARE(colorOf(other), QColor());
}

void TestDialogsIntensity::editorRunsTheDialogOnTheSelectedNode()
{
    EditorFixture f(fourArm);
    f.settle();
    const auto selectOnly = [&f](const QStringList &names) {
        f.scene()->clearSelection();
        for (const QString &name : names)
            f.net()->object2item(f.node(name))->setSelected(true);
    };
    // Whatever dialog comes up: a first group through "Add new", one count, then the button.
    int shown = 0;
    QWidget *parent = nullptr;
    QDialogButtonBox::StandardButton button = QDialogButtonBox::Cancel;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<IntensityDlga *>(QApplication::activeModalWidget());
        if (!dialog || dialog->property("answered").toBool())
            return;
        dialog->setProperty("answered", true);
        ++shown;
        parent = dialog->parentWidget();
        auto *groups = dialog->findChild<QTabWidget *>(QStringLiteral("dayGroups"));
        QCOMPARE(tabTexts(groups), QStringList{"Add new"});
        clickTab(groups, 0);
        typeCount(tableOf(*dialog, 0, 0), 0, 1, QStringLiteral("4"));
        clickButton(*dialog, button);
    });
    timer.start(10);

    selectOnly({"C"});
    f.net()->setChanged(false);
    const QByteArray before = f.canonicalSave();
    f.edit()->editMeasurementData();
    QCOMPARE(shown, 1);
    QWidget *mainWindow = f.edit()->findMainWindow();
    QCOMPARE(parent, mainWindow ? mainWindow : static_cast<QWidget *>(f.view()));
    QVERIFY(!f.net()->isChanged());
    QCOMPARE(TestSupport::firstDifference(before, f.canonicalSave()), QString());

    button = QDialogButtonBox::Ok;
    f.edit()->editMeasurementData();
    QCOMPARE(shown, 2);
    QVERIFY(f.net()->isChanged());
    const Node *c = f.node("C");
    QCOMPARE(stored(f.net()), (QStringList{
                                  "DayGroup:New group",
                                  "  Intensity:C 00:00 60",
                                  QStringLiteral("    FromEdge %1: ToEdge %2=4")
                                      .arg(Layouts::edgeName(c->edge(0)), Layouts::edgeName(c->edge(1))),
                              }));

    // Two selected nodes: no dialog.
    selectOnly({"C", "N"});
    f.net()->setChanged(false);
    f.edit()->editMeasurementData();
    QCOMPARE(shown, 2);
    QVERIFY(!f.net()->isChanged());
}

void TestDialogsIntensity::tableCopiesVisibleCells()
{
    auto table = letterTable(4, 4);
    table->setColumnHidden(1, true);
    selectRange(table.get(), 1, 0, 2, 2);
    table->copy();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("10\t12\n20\t22\n"));
    table->copy_with_titles();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("\tC0\tC2\nR1\t10\t12\nR2\t20\t22\n"));

    // A hidden row is left out too; an empty cell copies as nothing between its tabs.
    table->setColumnHidden(1, false);
    table->setRowHidden(2, true);
    delete table->takeItem(1, 1);
    table->clearSelection();
    selectRange(table.get(), 1, 0, 3, 1);
    table->copy();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("10\t\n30\t31\n"));
    // Without a selection the clipboard is left alone.
    table->clearSelection();
    table->copy();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("10\t\n30\t31\n"));
}

void TestDialogsIntensity::tablePastesClippedAndClears()
{
    auto table = letterTable(3, 4);
    // Three columns at the second-to-last column: the third is cut off, as is the row past the end.
    QApplication::clipboard()->setText(QStringLiteral("a\tb\tc\r\nd\te\tf\ng\th\ti\n"));
    table->setCurrentCell(1, 2);
    table->paste();
    QCOMPARE(cellText(table.get(), 1, 2), QStringLiteral("a"));
    QCOMPARE(cellText(table.get(), 1, 3), QStringLiteral("b"));
    QCOMPARE(cellText(table.get(), 2, 2), QStringLiteral("d"));
    QCOMPARE(cellText(table.get(), 2, 3), QStringLiteral("e"));
    QCOMPARE(cellText(table.get(), 0, 2), QStringLiteral("02"));
    QCOMPARE(cellText(table.get(), 1, 1), QStringLiteral("11"));

    // The top-left of the selection is where pasting starts; read-only cells keep their text.
    table->item(0, 1)->setFlags(table->item(0, 1)->flags() & ~Qt::ItemIsEditable);
    QApplication::clipboard()->setText(QStringLiteral("x\ty\n"));
    table->clearSelection();
    selectRange(table.get(), 0, 0, 1, 1);
    table->paste();
    QCOMPARE(cellText(table.get(), 0, 0), QStringLiteral("x"));
    QCOMPARE(cellText(table.get(), 0, 1), QStringLiteral("01"));

    table->clear();
    QCOMPARE(cellText(table.get(), 0, 0), QString());
    QCOMPARE(cellText(table.get(), 1, 0), QString());
    QCOMPARE(cellText(table.get(), 1, 1), QString());
    QCOMPARE(cellText(table.get(), 0, 1), QStringLiteral("01"));
    QCOMPARE(cellText(table.get(), 2, 2), QStringLiteral("d"));
    QCOMPARE(table->horizontalHeaderItem(0)->text(), QStringLiteral("C0"));
}

void TestDialogsIntensity::tableShortcutsWorkWhileFocused()
{
    auto table = letterTable(3, 3);
    QCOMPARE(table->actions().size(), 4);
    for (const char *name : {"copy", "copy_with_titles", "paste", "clear"}) {
        auto *action = table->findChild<QAction *>(QString::fromLatin1(name));
        QVERIFY(action);
        QCOMPARE(action->shortcutContext(), Qt::WidgetShortcut);
    }
    QCOMPARE(table->findChild<QAction *>(QStringLiteral("copy_with_titles"))->shortcut(),
             QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_C));
    table->show();
    table->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(table.get()));
    table->setFocus();

    clickCell(table.get(), 0, 0);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                      table->visualRect(table->model()->index(1, 1)).center());
    QApplication::clipboard()->clear();
    QTest::keyClick(table.get(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("00\t01\n10\t11\n"));
    QTest::keyClick(table.get(), Qt::Key_C, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("\tC0\tC1\nR0\t00\t01\nR1\t10\t11\n"));
    QTest::keyClick(table.get(), Qt::Key_Delete);
    QCOMPARE(cellText(table.get(), 1, 1), QString());
    QApplication::clipboard()->setText(QStringLiteral("p\tq\n"));
    clickCell(table.get(), 2, 1);
    QTest::keyClick(table.get(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(cellText(table.get(), 2, 1), QStringLiteral("p"));
    QCOMPARE(cellText(table.get(), 2, 2), QStringLiteral("q"));
    QCOMPARE(cellText(table.get(), 2, 0), QStringLiteral("20"));
}

void TestDialogsIntensity::tableMovesDraggedRows()
{
    DragTable table(4, 2);
    for (int r = 0; r < 4; ++r) {
        table.setVerticalHeaderItem(r, new QTableWidgetItem(QStringLiteral("R%1").arg(r)));
        table.setItem(r, 0, new QTableWidgetItem(QStringLiteral("%1").arg(r)));
    }
    table.resize(300, 300);
    table.show();
    QVERIFY(QTest::qWaitForWindowExposed(&table));
    QSignalSpy moved(&table, &Table::rowOrderChanged);

    // The drag carries the rows of the selected cells, empty ones included.
    selectRange(&table, 0, 1, 0, 1);
    selectRange(&table, 2, 0, 2, 1);
    std::unique_ptr<QMimeData> data(table.mimeData(table.selectedItems()));
    QVERIFY(data);
    QCOMPARE(data->data(QStringLiteral("application/rows.text.list")), QByteArray("0\n2"));

    // Dropped on the upper half of the last row: before it.
    const QPoint target = table.visualRect(table.model()->index(3, 0)).center() - QPoint(0, 2);
    QDragEnterEvent enter(target, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(table.viewport(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(target, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(table.viewport(), &drop);
    QVERIFY(drop.isAccepted());
    QCOMPARE(moved.count(), 1);
    QStringList order;
    for (int r = 0; r < 4; ++r)
        order << table.verticalHeaderItem(r)->text() + QLatin1Char('=') + cellText(&table, r, 0);
    QCOMPARE(order, (QStringList{"R1=1", "R0=0", "R2=2", "R3=3"}));

    // A drop that changes nothing is no reordering; other data is refused.
    QMimeData same;
    same.setData(QStringLiteral("application/rows.text.list"), "3");
    QDropEvent noMove(table.visualRect(table.model()->index(3, 0)).center(), Qt::MoveAction, &same, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(table.viewport(), &noMove);
    QCOMPARE(moved.count(), 1);
    QMimeData text;
    text.setText(QStringLiteral("0"));
    QDragEnterEvent foreign(target, Qt::MoveAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(table.viewport(), &foreign);
    QVERIFY(!foreign.isAccepted());
}

void TestDialogsIntensity::tableReportsChangesToItsEditor()
{
    Trelvoa::ParametersTable editor;
    auto *table = new Table(2, 2, &editor);
    table->setItem(0, 0, new QTableWidgetItem(QStringLiteral("a")));
    const int after = editor.changes;
    table->item(0, 0)->setText(QStringLiteral("b"));
    QCOMPARE(editor.changes, after + 1);
    // Any other container is not told.
    QWidget plain;
    auto *other = new Table(1, 1, &plain);
    other->setItem(0, 0, new QTableWidgetItem(QStringLiteral("a")));
    other->item(0, 0)->setText(QStringLiteral("b"));
    QCOMPARE(editor.changes, after + 1);
}

void TestDialogsIntensity::comboBoxDelegateMapsTextsAndValues()
{
    Table table(2, 2);
    table.setItemDelegateForColumn(0, new Trelvoga::ComboBoxDelegate(&table, {"off", "on", "blinking"}, {0, 1, 7}));
    table.setItemDelegateForColumn(1, new Trelvoga::ComboBoxDelegate(&table, {"left", "right"}));
    auto *valued = static_cast<Trelvoga::ComboBoxDelegate *>(table.itemDelegateForColumn(0));
    QCOMPARE(valued->textFor(7), QStringLiteral("blinking"));
    QCOMPARE(valued->textFor(QStringLiteral("1")), QStringLiteral("on"));
    QCOMPARE(valued->textFor(3), QString());
    QVERIFY(valued->sizeHint(QStyleOptionViewItem(), QModelIndex()).width() > 0);
    auto *item = new QTableWidgetItem;
    item->setData(Qt::EditRole, 7);
    table.setItem(0, 0, item);
    table.resize(400, 200);
    table.show();
    QVERIFY(QTest::qWaitForWindowExposed(&table));

    // The editor opens on the value's text; the choice writes the value back.
    auto *combo = openEditor<QComboBox>(&table, 0, 0);
    QVERIFY(combo);
    QCOMPARE(combo->currentText(), QStringLiteral("blinking"));
    QTest::keyClick(combo, Qt::Key_Up);
    QCOMPARE(combo->currentText(), QStringLiteral("on"));
    QTest::keyClick(combo, Qt::Key_Return);
    QTRY_VERIFY(!table.viewport()->findChild<QComboBox *>());
    QCOMPARE(table.item(0, 0)->data(Qt::EditRole), QVariant(1));
    QCOMPARE(valued->textFor(table.item(0, 0)->data(Qt::EditRole)), QStringLiteral("on"));

    // Without values the text itself is stored.
    combo = openEditor<QComboBox>(&table, 1, 1);
    QVERIFY(combo);
    QTest::keyClick(combo, Qt::Key_Down);
    QTest::keyClick(combo, Qt::Key_Return);
    QTRY_VERIFY(!table.viewport()->findChild<QComboBox *>());
    QCOMPARE(table.item(1, 1)->data(Qt::EditRole), QVariant(QStringLiteral("right")));
}

QTEST_MAIN(TestDialogsIntensity)
#include "tst_dialogs_intensity.moc"
