#include "benchsupport.h"

#include "edge.h"
#include "node.h"

#include "network.h"
#include "sumo/sumonetimporter.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>
#include <QVector>
#include <QtGlobal>

#include <malloc.h>

#include <algorithm>
#include <ctime>

namespace BenchSupport {

void preferOffscreen()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

QString dataPath(const QString &relative)
{
    return QStringLiteral(TRELVO_DATA_DIR "/") + relative;
}

bool prepareOwnFile(const QString &relative, const QString &own)
{
    const QString sumo = dataPath(relative);
    Trelvoa::Network net;
    Trelvoa::SumoNetImporter importer(&net);
    const bool imported = importer.importFile(sumo);
    if (imported && net.save(own))
        return true;
    QTextStream(stderr) << "cannot prepare " << sumo << ": " << (imported ? net.errorString() : importer.errorString())
                        << '\n';
    return false;
}

double heapBytes()
{
    malloc_trim(0);
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks) + double(info.hblkhd);
}

double peakKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray tag("VmHWM:");
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(tag))
            return line.mid(tag.size()).trimmed().split(' ').value(0).toDouble();
    }
    return -1;
}

double peakMegabytes()
{
    const double kilobytes = peakKilobytes();
    return kilobytes < 0 ? -1 : kilobytes / 1024.0;
}

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

void print(const QString &name, double value, const char *unit)
{
    QTextStream(stdout) << name << ": " << QString::number(value, 'f', value < 10 ? 3 : 1) << ' ' << unit << '\n';
}

void print(const QString &name, int value, const char *unit)
{
    QTextStream(stdout) << name << ": " << value << ' ' << unit << '\n';
}

double medianMs(int runs, const std::function<void()> &step)
{
    return medianMs(runs, nullptr, step);
}

double medianMs(int runs, const std::function<void()> &prepare, const std::function<void()> &step)
{
    QVector<double> times;
    for (int i = 0; i < runs; ++i) {
        if (prepare)
            prepare();
        QElapsedTimer timer;
        timer.start();
        step();
        times.append(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times.at(runs / 2);
}

Trelvoa::Node *busiestJunction(Trelvoa::Network *net)
{
    Trelvoa::Node *best = nullptr;
    int bestScore = -1;
    for (Trelvoa::Node *node : net->findChildren<Trelvoa::Node *>()) {
        if (!node->isJunction())
            continue;
        int lanes = 0;
        for (Trelvoa::Edge *edge : node->incomingEdges())
            lanes += edge->lanesCount();
        const int score = lanes + (node->type() == Trelvoa::Node::SignalisedJunction ? 1000 : 0);
        if (score > bestScore) {
            bestScore = score;
            best = node;
        }
    }
    return best;
}

} // namespace BenchSupport
