#include <QtTest>

// The command-line tool, run as a user runs it.
class TestTrelvoNet : public QObject
{
    Q_OBJECT

private:
    struct Run
    {
        int status = -1;
        QString out;
        QString err;
    };

    Run run(const QStringList &args)
    {
        QProcess p;
        p.start(QStringLiteral(TRELVO_BINARY_DIR "/bin/trelvo-net"), args);
        Run r;
        if (!p.waitForFinished(120000))
            return r;
        r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

    static QString value(const QString &out, const QString &key)
    {
        for (const QString &line : out.split(QLatin1Char('\n'))) {
            if (line.startsWith(key + QLatin1String(": ")))
                return line.mid(key.size() + 2);
        }
        return QString();
    }

private slots:
    void statsConvertCheck();
    void badInput();
};

void TestTrelvoNet::statsConvertCheck()
{
    const QString sumo = QStringLiteral(TRELVO_DATA_DIR "/berlin-doerpfeldstr/net.net.xml.gz");
    const Run stats = run({"stats", sumo});
    QCOMPARE(stats.status, 0);
    QCOMPARE(value(stats.out, "edges"), QStringLiteral("630"));
    QCOMPARE(value(stats.out, "crosswalks"), QStringLiteral("187"));
    QCOMPARE(value(stats.out, "routes"), QStringLiteral("0"));
    // "lon,lat .. lon,lat (longitude,latitude)", inside Berlin's origBoundary
    // 13.510966,52.428677 .. 13.569823,52.453865.
    const QString bounds = value(stats.out, "bounds");
    QVERIFY2(bounds.endsWith("(longitude,latitude)"), qPrintable(bounds));
    const QStringList corners = bounds.section(' ', 0, 2).split(" .. ");
    QCOMPARE(corners.size(), 2);
    const QRectF box(QPointF(corners.at(0).section(',', 0, 0).toDouble(), corners.at(0).section(',', 1, 1).toDouble()),
                     QPointF(corners.at(1).section(',', 0, 0).toDouble(), corners.at(1).section(',', 1, 1).toDouble()));
    QVERIFY2(QRectF(QPointF(13.510966, 52.428677), QPointF(13.569823, 52.453865)).adjusted(-1e-6, -1e-6, 1e-6, 1e-6).contains(box),
             qPrintable(bounds));
    QVERIFY(box.width() > 0.01 && box.height() > 0.01);

    QTemporaryDir dir;
    const QString own = dir.filePath("berlin.trva");
    QCOMPARE(run({"convert", sumo, own}).status, 0);
    const Run again = run({"stats", own});
    QCOMPARE(again.status, 0);
    QCOMPARE(again.out, stats.out);
    const Run check = run({"check", own});
    QCOMPARE(check.status, 0);
    QVERIFY(check.out.startsWith("identical"));
    QCOMPARE(run({"convert", own, dir.filePath("berlin.trvaf")}).status, 0);
    QVERIFY(QFileInfo(dir.filePath("berlin.trvaf")).size() > QFileInfo(own).size());
}

void TestTrelvoNet::badInput()
{
    QTemporaryDir dir;
    QFile junk(dir.filePath("junk.net.xml"));
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write("not a network");
    junk.close();
    const QList<QStringList> cases{
        {},
        {"stats"},
        {"frobnicate", "x"},
        {"stats", dir.filePath("missing.trva")},
        {"stats", junk.fileName()},
        {"convert", junk.fileName(), dir.filePath("out.trva")},
        {"convert", QStringLiteral(TRELVO_DATA_DIR "/bologna-pasubio/pasubio_buslanes.net.xml"), dir.filePath("out.txt")},
        {"check", junk.fileName()},
    };
    for (const QStringList &args : cases) {
        const Run r = run(args);
        QVERIFY2(r.status == 1, qPrintable(args.join(' ')));
        QVERIFY2(!r.err.trimmed().isEmpty(), qPrintable(args.join(' ')));
        if (args.size() >= 2 && args.first() != QLatin1String("frobnicate"))
            QVERIFY2(!r.err.trimmed().contains('\n'), qPrintable(r.err));
    }
    QVERIFY(!QFile::exists(dir.filePath("out.trva")));
}

QTEST_GUILESS_MAIN(TestTrelvoNet)
#include "tst_trelvo_net.moc"
