// The colour settings dialog driven through its buttons and the colour dialogs it opens, and the main
// window that hosts it: stored colours at start, repainting on a change and after a cancel. With
// TRELVO_SHOT_DIR set, the dialog is written there as a screenshot.

#include "layouts.h"
#include "mainwindow.h"
#include "mapview.h"

#include "dialogs/colorsettingsdlga.h"
#include "items/crosswalkg.h"
#include "items/detectorg.h"
#include "items/edgeg.h"
#include "items/emergencydetectorg.h"
#include "items/laneg.h"
#include "items/nodeg.h"
#include "scene/networkg.h"

#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTranslator>
#include <QToolButton>
#include <QtTest>
#include <functional>

using Trelvoga::ColorSettingsDlga;

namespace {

struct Expected
{
    const char *label;
    QColor *color;
    QRgb defaultArgb;
};

const QList<Expected> expectedRows = {
    {"Nodes", &Trelvoga::Nodeg::nodeColor, 0xffa0a0a4},
    {"Selected nodes", &Trelvoga::Nodeg::nodeSelectedColor, 0xff00ff00},
    {"Junction shapes", &Trelvoga::Nodeg::junctionColor, 0x7fa0a0a4},
    {"Selected junction shapes", &Trelvoga::Nodeg::junctionSelectedColor, 0x7f00ff00},
    {"Roads", &Trelvoga::Laneg::roadColor, 0x7f000000},
    {"Sidewalks", &Trelvoga::Laneg::sidewalkColor, 0x7fc0c0c0},
    {"Skeleton markers", &Trelvoga::Laneg::markerColor, 0xffff0000},
    {"Crosswalk", &Trelvoga::CrossWalkg::color, 0x8f808080},
    {"Edge markers", &Trelvoga::Edgeg::markerColor, 0xffff0000},
    {"Detectors", &Trelvoga::Detectorg::color, 0xff72bcd2},
    {"Selected detectors", &Trelvoga::Detectorg::selectedColor, 0xfffff308},
    {"Emergency call detectors", &Trelvoga::EmergencyDetectorg::color, 0x20ff1010},
    {"Selected emergency call detectors", &Trelvoga::EmergencyDetectorg::selectedColor, 0x20fff308},
};

QToolButton *rowButton(QDialog *dialog, int row)
{
    auto *table = dialog->findChild<QTableWidget *>(QStringLiteral("colorTable"));
    return table ? qobject_cast<QToolButton *>(table->cellWidget(row, 2)) : nullptr;
}

// Clicks the row's "..." button and answers the colour dialog: the colour and OK, or Cancel when the
// colour is invalid. False when no colour dialog came.
bool choose(QDialog *dialog, int row, const QColor &color)
{
    bool answered = false;
    QTimer::singleShot(0, [&answered, color] {
        auto *colors = qobject_cast<QColorDialog *>(QApplication::activeModalWidget());
        if (!colors)
            return;
        answered = colors->windowTitle() == QLatin1String("Select color")
            && colors->testOption(QColorDialog::ShowAlphaChannel);
        auto *box = colors->findChild<QDialogButtonBox *>();
        if (color.isValid()) {
            colors->setCurrentColor(color);
            QTest::mouseClick(box->button(QDialogButtonBox::Ok), Qt::LeftButton);
        } else {
            QTest::mouseClick(box->button(QDialogButtonBox::Cancel), Qt::LeftButton);
        }
    });
    QToolButton *button = rowButton(dialog, row);
    if (!button)
        return false;
    QTest::mouseClick(button, Qt::LeftButton);
    return answered;
}

void clickBox(QDialog *dialog, QDialogButtonBox::StandardButton which)
{
    auto *box = dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
    QTest::mouseClick(box->button(which), Qt::LeftButton);
}

QVariant stored(const QString &label)
{
    QSettings settings;
    return settings.value(QStringLiteral("Colors/") + label);
}

// A colour that differs from c in every channel, alpha included.
QColor other(const QColor &c)
{
    return QColor(255 - c.red(), 255 - c.green(), 255 - c.blue(), c.alpha() > 128 ? 64 : 200);
}

} // namespace

class TestColorSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void cancelRestoresEveryColour();
    void sameColourEmitsNothing();
    void acceptStoresWithAlpha();
    void cancelAfterAcceptKeepsAccepted();
    void keysFollowTheLanguage();
    void mainWindowRepaints();
    void mainWindowAppliesStoredColours();
    void screenshot();
};

void TestColorSettings::init()
{
    QSettings().clear();
    for (const Expected &row : expectedRows)
        *row.color = QColor::fromRgba(row.defaultArgb);
}

void TestColorSettings::cleanup()
{
    init();
}

void TestColorSettings::cancelRestoresEveryColour()
{
    ColorSettingsDlga dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QSignalSpy changed(&dialog, &ColorSettingsDlga::colorsChanged);
    auto *table = dialog.findChild<QTableWidget *>(QStringLiteral("colorTable"));
    QCOMPARE(table->rowCount(), expectedRows.size());
    for (int i = 0; i < expectedRows.size(); ++i) {
        QCOMPARE(table->item(i, 1)->text(), QString::fromLatin1(expectedRows.at(i).label));
        const QColor next = other(*expectedRows.at(i).color);
        QVERIFY(choose(&dialog, i, next));
        // Previewed at once: the item colour and the swatch.
        QCOMPARE(expectedRows.at(i).color->rgba(), next.rgba());
        QCOMPARE(table->item(i, 0)->background().color().rgba(), next.rgba());
        QCOMPARE(changed.count(), i + 1);
    }
    clickBox(&dialog, QDialogButtonBox::Cancel);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    for (const Expected &row : expectedRows)
        QCOMPARE(row.color->rgba(), row.defaultArgb);
    QCOMPARE(changed.count(), expectedRows.size());
    QVERIFY(QSettings().childGroups().isEmpty());
}

void TestColorSettings::sameColourEmitsNothing()
{
    ColorSettingsDlga dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QSignalSpy changed(&dialog, &ColorSettingsDlga::colorsChanged);
    QVERIFY(choose(&dialog, 2, Trelvoga::Nodeg::junctionColor));
    QVERIFY(choose(&dialog, 2, QColor()));
    QCOMPARE(changed.count(), 0);
    QCOMPARE(Trelvoga::Nodeg::junctionColor.rgba(), QRgb(0x7fa0a0a4));
    // Only the alpha differs: a change.
    QVERIFY(choose(&dialog, 2, QColor::fromRgba(0x80a0a0a4)));
    QCOMPARE(changed.count(), 1);
}

void TestColorSettings::acceptStoresWithAlpha()
{
    {
        ColorSettingsDlga dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(choose(&dialog, 4, QColor::fromRgba(0x20123456)));
        clickBox(&dialog, QDialogButtonBox::Ok);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
    // Every row is stored, as an unsigned ARGB number under its label.
    for (const Expected &row : expectedRows)
        QCOMPARE(stored(QString::fromLatin1(row.label)).toUInt(), row.color->rgba());
    QCOMPARE(stored(QStringLiteral("Roads")).toUInt(), 0x20123456u);

    Trelvoga::Laneg::roadColor = QColor::fromRgba(0xff000000);
    ColorSettingsDlga reread;
    QCOMPARE(Trelvoga::Laneg::roadColor.rgba(), QRgb(0x20123456));
    QCOMPARE(Trelvoga::Laneg::roadColor.alpha(), 0x20);
    // Cancelling the new dialog keeps what it read.
    reread.reject();
    QCOMPARE(Trelvoga::Laneg::roadColor.rgba(), QRgb(0x20123456));

    // A value that is no number leaves the colour alone.
    QSettings().setValue(QStringLiteral("Colors/Sidewalks"), QStringLiteral("grey"));
    ColorSettingsDlga::applyStoredColors();
    QCOMPARE(Trelvoga::Laneg::sidewalkColor.rgba(), QRgb(0x7fc0c0c0));
}

void TestColorSettings::cancelAfterAcceptKeepsAccepted()
{
    ColorSettingsDlga dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(choose(&dialog, 0, QColor(Qt::red)));
    clickBox(&dialog, QDialogButtonBox::Ok);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(choose(&dialog, 0, QColor(Qt::blue)));
    clickBox(&dialog, QDialogButtonBox::Cancel);
    QCOMPARE(Trelvoga::Nodeg::nodeColor, QColor(Qt::red));
}

void TestColorSettings::keysFollowTheLanguage()
{
    {
        ColorSettingsDlga english;
        english.show();
        QVERIFY(QTest::qWaitForWindowExposed(&english));
        QVERIFY(choose(&english, 4, QColor::fromRgba(0xff102030)));
        clickBox(&english, QDialogButtonBox::Ok);
    }
    Trelvoga::Laneg::roadColor = QColor::fromRgba(0x7f000000);
    QTranslator german;
    if (!german.load(QStringLiteral("qtrelvoga_de"), QStringLiteral(TRELVO_BINARY_DIR "/bin")))
        QSKIP("the German translation is not built");
    QCoreApplication::installTranslator(&german);
    {
        // The German rows look for their German labels: the English entries are not found.
        ColorSettingsDlga deutsch;
        QCOMPARE(deutsch.findChild<QTableWidget *>()->item(4, 1)->text(), QStringLiteral("Straßen"));
        QCOMPARE(Trelvoga::Laneg::roadColor.rgba(), QRgb(0x7f000000));
        deutsch.accept();
    }
    QCoreApplication::removeTranslator(&german);
    QCOMPARE(stored(QStringLiteral("Straßen")).toUInt(), 0x7f000000u);
    QCOMPARE(stored(QStringLiteral("Roads")).toUInt(), 0xff102030u);
}

namespace {

// The window's pixel at a scene point as last painted (the offscreen platform grabs the backing store).
QColor shownAt(MainWindow &window, const QPointF &scenePos)
{
    const QPoint inViewport = window.view()->mapFromScene(scenePos);
    const QPoint inWindow = window.view()->viewport()->mapTo(&window, inViewport);
    return window.screen()->grabWindow(window.winId()).toImage().pixelColor(inWindow);
}

QPointF pointAlong(const Trelvoa::Lane *lane, double distance)
{
    QPointF point;
    lane->fullSkeleton().lineAtDistance(distance, true, &point);
    return point;
}

bool closeTo(const QColor &a, const QColor &b)
{
    return qAbs(a.red() - b.red()) <= 3 && qAbs(a.green() - b.green()) <= 3 && qAbs(a.blue() - b.blue()) <= 3;
}

} // namespace

void TestColorSettings::mainWindowRepaints()
{
    MainWindow window;
    window.setInteractive(false);
    Layouts::Layout l;
    l.net = window.network();
    Layouts::addNode(l, QStringLiteral("A"), QPointF(0, 0));
    Layouts::addNode(l, QStringLiteral("B"), QPointF(100, 0));
    Layouts::addEdge(l, QStringLiteral("A"), QStringLiteral("B"), 1);
    window.resize(1000, 700);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.fitNetwork();
    window.network()->flushUpdates();
    const QPointF onLane = pointAlong(l.edge(QStringLiteral("A"), QStringLiteral("B"))->lanes().first(), 50);
    QTest::qWait(200);
    const QColor before = shownAt(window, onLane);
    QVERIFY2(!closeTo(before, Qt::blue), qPrintable(before.name()));

    auto *action = window.findChild<QAction *>(QStringLiteral("actionColors"));
    QVERIFY(action);
    action->trigger();
    auto *dialog = window.findChild<ColorSettingsDlga *>();
    QVERIFY(dialog);
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QVERIFY(choose(dialog, 4, QColor(Qt::blue)));
    QTRY_VERIFY_WITH_TIMEOUT(closeTo(shownAt(window, onLane), Qt::blue), 3000);

    // Cancelled, the map shows the old colour again although no change was signalled.
    clickBox(dialog, QDialogButtonBox::Cancel);
    QTRY_VERIFY_WITH_TIMEOUT(closeTo(shownAt(window, onLane), before), 3000);
    // The dialog is gone with its window.
    QTRY_VERIFY_WITH_TIMEOUT(!window.findChild<ColorSettingsDlga *>(), 3000);
    window.close();
}

void TestColorSettings::mainWindowAppliesStoredColours()
{
    QSettings().setValue(QStringLiteral("Colors/Detectors"), uint(0x40112233));
    MainWindow window;
    QCOMPARE(Trelvoga::Detectorg::color.rgba(), QRgb(0x40112233));
    QCOMPARE(Trelvoga::Nodeg::nodeColor.rgba(), QRgb(0xffa0a0a4));
}

void TestColorSettings::screenshot()
{
    const QString dir = qEnvironmentVariable("TRELVO_SHOT_DIR");
    if (dir.isEmpty())
        QSKIP("TRELVO_SHOT_DIR is not set");
    Trelvoga::Laneg::roadColor = QColor::fromRgba(0xc0304070);
    ColorSettingsDlga dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTest::qWait(200);
    QDir().mkpath(dir);
    QVERIFY(dialog.grab().save(dir + QStringLiteral("/color_settings.png")));
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    QCoreApplication::setOrganizationName(QStringLiteral("TrelvoTest"));
    QCoreApplication::setApplicationName(QStringLiteral("colors"));
    TestColorSettings test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_colorsettings.moc"
