// Parsing a network file of our own into a SavedDocument on one thread: the scanner against
// DocumentParser over QXmlStreamReader. A file given on the command line is used instead of Bad
// Hersfeld.

#include "benchsupport.h"

#include "io/documentparser.h"
#include "io/documentscanner.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QXmlStreamReader>

using namespace Trelvoa;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    QTemporaryDir dir;
    QString path = app.arguments().value(1);
    if (path.isEmpty()) {
        path = dir.path() + QStringLiteral("/badhersfeld.trva");
        if (!BenchSupport::prepareOwnFile(QStringLiteral("badhersfeld/osm_edited.net.xml.gz"), path))
            return 1;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        err << "cannot read " << path << '\n';
        return 1;
    }
    const QByteArray data = file.readAll();
    BenchSupport::print(QStringLiteral("file"), data.size() / 1e6, "MB");

    const int runs = 7;
    SavedDocument document;
    bool ok = true;
    const auto drop = [&] { document = SavedDocument(); };
    const double scanner = BenchSupport::medianMs(runs, drop, [&] {
        DocumentScanner scanner(data.constData(), data.size());
        ok = ok && scanner.scan(&document) == DocumentScanner::Done;
    });
    const int objects = document.objects.size();
    const double reader = BenchSupport::medianMs(runs, drop, [&] {
        QXmlStreamReader xml(data);
        DocumentParser parser(xml);
        ok = ok && parser.parseDocument(&document);
    });
    if (!ok || objects != document.objects.size()) {
        err << "the scanner or the parser did not read " << path << '\n';
        return 1;
    }
    BenchSupport::print(QStringLiteral("objects"), objects, "objects");
    BenchSupport::print(QStringLiteral("parse, scanner"), scanner, "ms");
    BenchSupport::print(QStringLiteral("parse, XML reader"), reader, "ms");
    return 0;
}
