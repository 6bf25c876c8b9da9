// The demand dialogs on a real network imported from SUMO: an OD matrix picked by clicks on the scene and
// a traffic state, saved and loaded, undone, exported with the matrix's flows and run in SUMO, and
// screenshots of both dialogs.

#include "editorfixture.h"
#include "saves.h"
#include "widgets.h"

#include "dialogs/odmatrixdlga.h"
#include "dialogs/trafficstatedlga.h"
#include "dialogs/turnarrowitem.h"
#include "editor/netedit.h"
#include "export/sumoexportdlga.h"
#include "mapview.h"
#include "scene/networkg.h"
#include "scene/networkscene.h"

#include "edge.h"
#include "node.h"
#include "odmatrix.h"
#include "sumo/sumonetimporter.h"
#include "taz.h"
#include "trafficstate.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QUndoStack>
#include <QtTest>

#include <cmath>
#include <functional>

using namespace Trelvoa;
using Trelvoga::ODMatrixDlga;
using Trelvoga::TrafficStateDlga;
using TestSupport::child;

namespace {

const char *const networkFile = "bologna-acosta/acosta_buslanes.net.xml";
// Both ends of a route of the scenario's own demand, so that SUMO finds a way between the zones.
const char *const originEdge = "78[0]";
const char *const destinationEdge = "136";

QString shotsDir()
{
    return QStringLiteral("/tmp/shots-h17");
}

Edge *edgeNamed(Network *net, const QString &name)
{
    for (Edge *edge : net->findChildren<Edge *>()) {
        if (edge->objectName() == name)
            return edge;
    }
    return nullptr;
}

void clickCell(QTableWidget *table, int row, int column)
{
    const QModelIndex index = table->model()->index(row, column);
    table->scrollTo(index);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, table->visualRect(index).center());
}

void typeName(QWidget *dialog, const QString &name)
{
    auto *edit = child<QLineEdit>(dialog, "name");
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, name);
}

void clickOk(QWidget *dialog)
{
    QTest::mouseClick(child<QDialogButtonBox>(dialog, "buttonBox")->button(QDialogButtonBox::Ok), Qt::LeftButton);
}

void whenShown(const std::function<bool(QWidget *)> &match, const std::function<void(QWidget *)> &steps)
{
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, match, steps] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (!widget->isVisible() || !match(widget))
                continue;
            timer->stop();
            timer->deleteLater();
            steps(widget);
            // A failed check returns early: the dialog must not stay open for ever.
            if (auto *dialog = qobject_cast<QDialog *>(widget); dialog && dialog->isVisible())
                dialog->reject();
            return;
        }
    });
    timer->start(10);
}

// The dialog beside the part of the view it works on, in one picture.
bool saveShot(QWidget *dialog, QWidget *view, const QString &name)
{
    QDir().mkpath(shotsDir());
    const QPixmap left = view->grab();
    const QPixmap right = dialog->grab();
    QPixmap shot(left.width() + right.width(), qMax(left.height(), right.height()));
    shot.fill(Qt::white);
    QPainter painter(&shot);
    painter.drawPixmap(0, 0, left);
    painter.drawPixmap(left.width(), 0, right);
    painter.end();
    return shot.save(QDir(shotsDir()).filePath(name));
}

struct Run
{
    int exitCode = -1;
    QString err;
};

Run run(const QString &program, const QStringList &arguments, const QString &dir)
{
    Run r;
    QProcess process;
    process.setWorkingDirectory(dir);
    process.start(program, arguments);
    if (!process.waitForStarted() || !process.waitForFinished(300000)) {
        process.kill();
        process.waitForFinished();
        r.err = QStringLiteral("%1 did not run").arg(program);
        return r;
    }
    r.err = QString::fromLocal8Bit(process.readAllStandardError());
    r.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return r;
}

int statistic(const QString &text, const QString &pattern)
{
    const QRegularExpressionMatch match = QRegularExpression(pattern).match(text);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

} // namespace

class TestDemandRealNet : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void dialogsOnTheImportedNetwork();

private:
    void showAround(EditorFixture &f, const QPointF &modelXY, double half);
    OdMatrix *makeMatrix(EditorFixture &f, Taz *origin, Taz *destination);
    TrafficState *makeState(EditorFixture &f, Node *junction, Taz *feeding);
    void exportAndSimulate(EditorFixture &f, OdMatrix *matrix, const QString &trvaFile);

    QTemporaryDir m_tmp;
};

void TestDemandRealNet::initTestCase()
{
    QVERIFY(m_tmp.isValid());
    QCoreApplication::setOrganizationName(QStringLiteral("trelvo-tests"));
    QCoreApplication::setApplicationName(QStringLiteral("tst_demand_realnet"));
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_tmp.filePath(QStringLiteral("settings")));
    QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, m_tmp.filePath(QStringLiteral("settings")));
}

void TestDemandRealNet::showAround(EditorFixture &f, const QPointF &modelXY, double half)
{
    const QPointF d(half, half);
    f.view()->fitInView(QRectF(f.toScene(modelXY - d), f.toScene(modelXY + d)).normalized());
    f.settle();
}

OdMatrix *TestDemandRealNet::makeMatrix(EditorFixture &f, Taz *origin, Taz *destination)
{
    whenShown([](QWidget *w) { return qobject_cast<ODMatrixDlga *>(w) != nullptr; },
              [&](QWidget *dialog) {
                  QTableWidget *table = child<QTableWidget>(dialog, "odTable");
                  showAround(f, origin->pos(), 120);
                  f.click(origin->pos());
                  QTest::mouseClick(child<QRadioButton>(dialog, "selectionModeDestination"), Qt::LeftButton);
                  showAround(f, destination->pos(), 120);
                  f.click(destination->pos());
                  f.settle();
                  QCOMPARE(table->rowCount(), 2);
                  QCOMPARE(table->currentRow(), 0);
                  QCOMPARE(table->currentColumn(), 1);
                  clickCell(table, 0, 1);
                  QTest::keyClick(table, Qt::Key_F2);
                  auto *spin = table->viewport()->findChild<QDoubleSpinBox *>();
                  QVERIFY(spin);
                  QTest::keyClick(spin, Qt::Key_A, Qt::ControlModifier);
                  QTest::keyClicks(spin, QStringLiteral("60"));
                  QTest::keyClick(spin, Qt::Key_Return);
                  QTRY_VERIFY(!table->viewport()->findChild<QDoubleSpinBox *>());
                  typeName(dialog, QStringLiteral("acosta morning"));
                  const QPointF between = (origin->pos() + destination->pos()) / 2;
                  const QPointF span = origin->pos() - destination->pos();
                  showAround(f, between, qMax(std::abs(span.x()), std::abs(span.y())) / 2 + 60);
                  QVERIFY(saveShot(dialog, f.view(), QStringLiteral("odmatrix.png")));
                  clickOk(dialog);
              });
    const int before = f.undoStack()->count();
    f.trigger(QStringLiteral("createOdMatrix"));
    if (f.undoStack()->count() != before + 1)
        return nullptr;
    return f.net()->findChildren<OdMatrix *>().value(0);
}

TrafficState *TestDemandRealNet::makeState(EditorFixture &f, Node *junction, Taz *feeding)
{
    whenShown([](QWidget *w) { return qobject_cast<TrafficStateDlga *>(w) != nullptr; },
              [&](QWidget *widget) {
                  auto *dialog = static_cast<TrafficStateDlga *>(widget);
                  QTreeWidget *tree = child<QTreeWidget>(dialog, "turnDataTree");
                  QTreeWidgetItem *item = dialog->junctionItem(junction);
                  QVERIFY(item);
                  // Closer than the default 18, so that the picture shows the arrows.
                  QTest::mouseClick(child<QCheckBox>(dialog, "lockZoom"), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
                  child<QSpinBox>(dialog, "lockedZoom")->setValue(20);
                  tree->setCurrentItem(item);
                  tree->expandItem(item);
                  QVERIFY(!dialog->shownArrows().isEmpty());
                  QCOMPARE(f.view()->zoom(), 20);
                  // The first movement to 25 %, balanced against its siblings.
                  QTreeWidgetItem *movement = item->child(0);
                  tree->scrollToItem(movement);
                  const QRect row = tree->visualItemRect(movement);
                  QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier,
                                    QPoint(tree->header()->sectionViewportPosition(2) + 10, row.center().y()));
                  QCOMPARE(tree->currentItem(), movement);
                  QTest::keyClick(tree, Qt::Key_F2);
                  auto *spin = tree->viewport()->findChild<QSpinBox *>();
                  QVERIFY(spin);
                  QTest::keyClick(spin, Qt::Key_A, Qt::ControlModifier);
                  QTest::keyClicks(spin, QStringLiteral("25"));
                  QTest::keyClick(spin, Qt::Key_Return);
                  QTRY_VERIFY(!tree->viewport()->findChild<QSpinBox *>());
                  QCOMPARE(movement->data(2, Qt::EditRole).toInt(), 25);
                  auto *flows = child<QTableWidget>(dialog, "inputFlowTable");
                  for (int r = 0; r < flows->rowCount(); ++r) {
                      if (flows->item(r, 0)->text() == feeding->printableName())
                          flows->item(r, 1)->setData(Qt::EditRole, 500);
                  }
                  typeName(dialog, QStringLiteral("acosta peak"));
                  QVERIFY(saveShot(dialog, f.view(), QStringLiteral("trafficstate.png")));
                  clickOk(dialog);
              });
    const int before = f.undoStack()->count();
    f.trigger(QStringLiteral("createTrafficState"));
    if (f.undoStack()->count() != before + 1)
        return nullptr;
    return f.net()->findChildren<TrafficState *>().value(0);
}

void TestDemandRealNet::exportAndSimulate(EditorFixture &f, OdMatrix *matrix, const QString &trvaFile)
{
    const QString exportDir = m_tmp.filePath(QStringLiteral("export"));
    QDir().mkpath(exportDir);
    Trelvoga::SUMOExportDlga dialog(f.net(), nullptr, trvaFile, QString(), -1);
    QStringList log;
    connect(&dialog, &Trelvoga::SUMOExportDlga::logMessage, this, [&log](const QString &text, QtMsgType) { log << text; });
    dialog.show();
    auto *dir = child<QLineEdit>(&dialog, "exportDir");
    dir->selectAll();
    QTest::keyClick(dir, Qt::Key_Delete);
    QTest::keyClicks(dir, exportDir);
    child<QRadioButton>(&dialog, "nativeFormat")->setChecked(true);
    child<QCheckBox>(&dialog, "startAfterExport")->setChecked(false);
    child<QGroupBox>(&dialog, "useODMatrix")->setChecked(true);
    auto *matrices = child<QListWidget>(&dialog, "matrices");
    QCOMPARE(matrices->count(), 1);
    QCOMPARE(matrices->item(0)->data(Qt::UserRole).toInt(), matrix->id());
    matrices->item(0)->setCheckState(Qt::Checked);
    clickOk(&dialog);
    QVERIFY2(log.isEmpty(), qPrintable(log.join(QLatin1Char('\n'))));

    const QStringList configs = QDir(exportDir).entryList({QStringLiteral("*.sumocfg")});
    QCOMPARE(configs.size(), 1);
    QFile routes(QDir(exportDir).filePath(QStringLiteral("routes.rou.xml")));
    QVERIFY(routes.open(QIODevice::ReadOnly));
    const QString routeText = QString::fromUtf8(routes.readAll());
    QVERIFY2(routeText.contains(QStringLiteral("number=\"60\"")), qPrintable(routeText.left(2000)));

    const Run r = run(QStringLiteral("sumo"),
                      {QStringLiteral("-c"), configs.first(), QStringLiteral("--end"), QStringLiteral("7200"),
                       QStringLiteral("--no-step-log"), QStringLiteral("true"), QStringLiteral("--duration-log.statistics"),
                       QStringLiteral("true"), QStringLiteral("--xml-validation"),
                       QStringLiteral("never"), QStringLiteral("--statistic-output"), QStringLiteral("stats.xml")},
                      exportDir);
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QFile stats(QDir(exportDir).filePath(QStringLiteral("stats.xml")));
    QVERIFY(stats.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(stats.readAll());
    const int inserted = statistic(text, QStringLiteral("<vehicles [^>]*inserted=\"(\\d+)\""));
    const int arrived = statistic(text, QStringLiteral("<vehicleTripStatistics count=\"(\\d+)\""));
    qInfo("matrix of 60 trips: %d inserted, %d arrived", inserted, arrived);
    QCOMPARE(inserted, 60);
    QVERIFY2(arrived >= 55, qPrintable(QString::number(arrived)));
}

void TestDemandRealNet::dialogsOnTheImportedNetwork()
{
    const QString file = TestSupport::dataPath(QLatin1String(networkFile));
    if (!QFile::exists(file))
        QSKIP("the shared real networks are not available");
    EditorFixture f;
    f.edit()->beforeLoad();
    QVERIFY(importSumoNetwork(f.net(), file));
    f.edit()->afterLoad();
    f.view()->setGeographic(f.net()->geoUtil() != nullptr);
    f.net()->updateGeometry();
    const QRectF bounds = f.net()->boundingRect();
    f.scene()->setSceneRect(bounds.adjusted(-bounds.width(), -bounds.height(), bounds.width(), bounds.height()));
    QMainWindow window;
    f.edit()->setCustomMainWindow(&window);

    // Two zones at the ends of one of the scenario's routes, made through the model.
    Edge *from = edgeNamed(f.net(), QLatin1String(originEdge));
    Edge *to = edgeNamed(f.net(), QLatin1String(destinationEdge));
    QVERIFY(from && to);
    auto *origin = new Taz(f.net(), from->skeleton().points().first() + QPointF(-15, 15));
    auto *destination = new Taz(f.net(), to->skeleton().points().last() + QPointF(15, -15));
    QVERIFY(f.net()->addItem(origin));
    QVERIFY(f.net()->addItem(destination));
    QVERIFY(origin->addEdge(from, 5, true));
    QVERIFY(destination->addEdge(to, to->length() - 5, false));
    f.settle();
    const QByteArray zoned = f.canonicalSave();
    const int originId = origin->id();
    const int destinationId = destination->id();

    OdMatrix *matrix = makeMatrix(f, origin, destination);
    QVERIFY(matrix);
    QCOMPARE(matrix->objectName(), QStringLiteral("acosta morning"));
    QCOMPARE(matrix->tazList(), (QList<Taz *>{origin, destination}));
    QCOMPARE(matrix->intensity(origin, destination), 60.0);
    QCOMPARE(matrix->intensity(destination, origin), 0.0);
    const QByteArray withMatrix = f.canonicalSave();

    // The busiest junction: the picture shows the most.
    Node *junction = nullptr;
    for (Node *node : f.net()->findChildren<Node *>()) {
        if (node->type() != Node::PlainNode && (!junction || node->connections().size() > junction->connections().size()))
            junction = node;
    }
    QVERIFY(junction);
    const int junctionId = junction->id();
    TrafficState *state = makeState(f, junction, origin);
    QVERIFY(state);
    QCOMPARE(state->objectName(), QStringLiteral("acosta peak"));
    QCOMPARE(state->inputFlow(origin, -1), 500);
    QVERIFY(!state->turnPercentages().isEmpty());
    int total = 0;
    int count = 0;
    Edge *incoming = state->turnPercentages().first().from;
    for (const TrafficState::Movement &m : state->turnPercentages()) {
        total += m.from == incoming ? m.percent : 0;
        count += m.from == incoming ? 1 : 0;
    }
    QVERIFY(count >= 2);
    QCOMPARE(total, 100);
    const QByteArray withState = f.canonicalSave();

    // Saved and loaded again: the same network.
    QVERIFY(f.load(withState));
    f.settle();
    QCOMPARE(TestSupport::firstDifference(withState, f.canonicalSave()), QString());
    matrix = f.net()->findChildren<OdMatrix *>().value(0);
    QVERIFY(matrix);
    QCOMPARE(matrix->cells().size(), 1);

    const QString trva = m_tmp.filePath(QStringLiteral("acosta.trva"));
    if (QStandardPaths::findExecutable(QStringLiteral("sumo")).isEmpty())
        qWarning("sumo is not installed: the export is not simulated");
    else
        exportAndSimulate(f, matrix, trva);

    // Undoing the creations goes back through the saves before them (after a load there is no
    // history: make them again).
    QVERIFY(f.load(zoned));
    f.settle();
    origin = f.net()->findObject<Taz>(originId);
    destination = f.net()->findObject<Taz>(destinationId);
    QVERIFY(origin && destination);
    QVERIFY(makeMatrix(f, origin, destination));
    QCOMPARE(TestSupport::firstDifference(withMatrix, f.canonicalSave()), QString());
    QVERIFY(makeState(f, f.net()->findObject<Node>(junctionId), origin));
    QCOMPARE(TestSupport::firstDifference(withState, f.canonicalSave()), QString());
    f.undoStack()->undo();
    f.settle();
    QCOMPARE(TestSupport::firstDifference(withMatrix, f.canonicalSave()), QString());
    f.undoStack()->undo();
    f.settle();
    QCOMPARE(TestSupport::firstDifference(zoned, f.canonicalSave()), QString());
}

QTEST_MAIN(TestDemandRealNet)
#include "tst_demand_realnet.moc"
