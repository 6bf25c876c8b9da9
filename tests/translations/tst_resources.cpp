// The editor's icons and cursors in the library's resources: present under the names the editor asks
// for, of the right size, and every cursor drawn where its hot spot is.

#include "scene/layer.h"
#include "scene/networkg.h"

#include <QDir>
#include <QGraphicsScene>
#include <QImage>
#include <QPoint>
#include <QtTest>

using Trelvoga::Networkg;

class TestResources : public QObject
{
    Q_OBJECT

private slots:
    void icons();
    void layerIcons();
    void modeCursors();
};

void TestResources::icons()
{
    const QStringList names = QDir(QStringLiteral(":/trelvoga/images")).entryList();
    for (const char *name :
         {"create_od_matrix", "wireframe", "add_node", "add_point", "add_edge", "add_edge_group", "add_junction",
          "add_conn", "add_dt", "add_edt", "add_crosswalk", "add_wa", "nodes_join", "add_polygon", "add_pt_stop",
          "add_taz", "create_traffic_state", "full_connections_view", "edit-copy", "edit-paste"})
        QVERIFY2(names.contains(QLatin1String(name) + QLatin1String(".png")), name);

    for (const QString &name : names) {
        const QImage image(QStringLiteral(":/trelvoga/images/") + name);
        QVERIFY2(!image.isNull(), qPrintable(name));
        QCOMPARE(image.size(), QSize(24, 24));
        QVERIFY2(image.hasAlphaChannel(), qPrintable(name));
        // Transparent around the picture, and something drawn.
        int opaque = 0;
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x)
                opaque += qAlpha(image.pixel(x, y)) > 200;
        QVERIFY2(opaque > 40 && opaque < 24 * 24, qPrintable(name));
    }
}

void TestResources::layerIcons()
{
    // The editor shows ":/trelvoga/images/show_<layer name in lower case>.png" on each layer's action.
    QGraphicsScene scene;
    Networkg net(&scene);
    QVERIFY(net.layers().size() > 10);
    for (Trelvoga::Layer *layer : net.layers()) {
        if (layer->objectName() == Networkg::layerSelection)
            continue;
        const QString path = QStringLiteral(":/trelvoga/images/show_%1.png").arg(layer->objectName().toLower());
        QVERIFY2(QFile::exists(path), qPrintable(path));
    }
}

void TestResources::modeCursors()
{
    // Cursors that place a point exactly have their hot spot on a crosshair at (2, 2), the others on the
    // arrow's tip at (0, 0).
    const QList<QPair<const char *, QPoint>> cursors = {
        {"add_node_cursor", {2, 2}},      {"add_junction_cursor", {2, 2}},   {"add_edge_cursor", {0, 0}},
        {"add_conn_cursor", {0, 0}},      {"add_dt_cursor", {0, 0}},         {"add_edt_cursor", {0, 0}},
        {"join_dt_groups_cursor", {0, 0}}, {"add_crosswalk_cursor", {0, 0}}, {"add_wa_cursor", {0, 0}},
        {"join_nodes_cursor", {2, 2}},    {"add_route", {0, 0}},             {"add_polygon_cursor", {2, 2}},
        {"add_pt_stop_cursor", {2, 2}},   {"add_taz_cursor", {0, 0}},        {"add_mid_point_cursor", {2, 2}},
    };
    for (const auto &cursor : cursors) {
        const QString path = QStringLiteral(":/trelvoga/cursors/%1.png").arg(QLatin1String(cursor.first));
        const QImage image(path);
        QVERIFY2(!image.isNull(), qPrintable(path));
        QCOMPARE(image.size(), QSize(32, 32));
        const QRgb hot = image.pixel(cursor.second);
        QVERIFY2(qAlpha(hot) > 200 && qGray(hot) < 128, qPrintable(path));
    }
}

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
