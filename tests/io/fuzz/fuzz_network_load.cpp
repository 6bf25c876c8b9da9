// Feeds arbitrary bytes to Network::load (replace and merge) and checks that whatever loads saves,
// reloads and saves again to the same bytes.
//
// libFuzzer build (clang): fuzz_network_load [libFuzzer options] corpus/
// Other compilers: fuzz_network_load [-n iterations] [-s seed] seed-file...
//   mutates the seed files at random; before each run the input is written to
//   fuzz-current-input.trva, so after a crash that file is the crashing input.

#include "network.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <cstdio>
#include <cstdlib>

namespace {

QByteArray save(Trelvoa::Network &net)
{
    QByteArray bytes;
    QXmlStreamWriter writer(&bytes);
    if (!net.save(writer, true, false))
        std::abort();
    return bytes;
}

void runOne(const QByteArray &input)
{
    Trelvoa::Network net;
    QXmlStreamReader reader(input);
    if (!net.load(reader, false)) {
        if (net.errorString().isEmpty() || net.objectCount() != 0)
            std::abort();
        return;
    }
    const QByteArray saved = save(net);
    Trelvoa::Network again;
    QXmlStreamReader second(saved);
    if (!again.load(second, false) || save(again) != saved)
        std::abort();
    // The same input merged into the loaded network must not break it either.
    QXmlStreamReader third(input);
    again.load(third, true);
    save(again);
}

} // namespace

#ifdef TRELVO_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    runOne(QByteArray(reinterpret_cast<const char *>(data), int(size)));
    return 0;
}
#else
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int iterations = 10000;
    quint32 seed = 1;
    QList<QByteArray> seeds;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "-n" && i + 1 < argc)
            iterations = atoi(argv[++i]);
        else if (arg == "-s" && i + 1 < argc)
            seed = quint32(atoi(argv[++i]));
        else {
            QFile f(QString::fromLocal8Bit(arg));
            if (f.open(QIODevice::ReadOnly))
                seeds.append(f.readAll());
        }
    }
    if (seeds.isEmpty()) {
        std::fprintf(stderr, "usage: %s [-n iterations] [-s seed] seed-file...\n", argv[0]);
        return 2;
    }
    QRandomGenerator random(seed);
    const char special[] = "<>\"&/=0.-9 ,e";
    for (int i = 0; i < iterations; ++i) {
        QByteArray input = seeds.at(int(random.bounded(seeds.size())));
        const int edits = 1 + int(random.bounded(8));
        for (int e = 0; e < edits && !input.isEmpty(); ++e) {
            const int at = int(random.bounded(input.size()));
            switch (random.bounded(5)) {
            case 0:
                input[at] = char(random.bounded(256));
                break;
            case 1:
                input.remove(at, 1 + int(random.bounded(16)));
                break;
            case 2:
                input.insert(at, input.mid(int(random.bounded(input.size())), 1 + int(random.bounded(64))));
                break;
            case 3:
                input.truncate(at);
                break;
            default:
                input[at] = special[random.bounded(int(sizeof special) - 1)];
                break;
            }
        }
        QFile current(QStringLiteral("fuzz-current-input.trva"));
        if (current.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            current.write(input);
            current.close();
        }
        runOne(input);
        if ((i + 1) % 1000 == 0)
            std::fprintf(stderr, "%d inputs\n", i + 1);
    }
    QFile::remove(QStringLiteral("fuzz-current-input.trva"));
    return 0;
}
#endif
