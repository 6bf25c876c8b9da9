#pragma once

// What the benchmarks share: their "name: value unit" lines, median timings, memory readings and the
// preparation of a shared real network as our own file.

#include <QString>

#include <functional>

namespace Trelvoa {
class Network;
class Node;
} // namespace Trelvoa

namespace BenchSupport {

// Benchmarks with widgets run without a display unless QT_QPA_PLATFORM names a platform; call before
// the application is made.
void preferOffscreen();

// The path of a file of the shared real networks.
QString dataPath(const QString &relative);
// Imports the shared SUMO network `relative` and saves it as our own file `own`; false, with the reason
// on stderr, when either fails.
bool prepareOwnFile(const QString &relative, const QString &own);

// Bytes allocated on the heap right now; RSS would hide freed-but-kept pages and arena slack.
double heapBytes();
// The peak resident memory of the process (VmHWM) in kB; -1 when it cannot be read.
double peakKilobytes();
// The same in MB; -1 when it cannot be read.
double peakMegabytes();
// CPU time of the whole process in seconds.
double cpuSeconds();

// The signalised junction with the most incoming lanes (any junction when none is signalised): where a
// user of a city network works hardest.
Trelvoa::Node *busiestJunction(Trelvoa::Network *net);

// "name: value unit"; three decimals below 10, else one.
void print(const QString &name, double value, const char *unit);
void print(const QString &name, int value, const char *unit);

// The median of `runs` timed calls of step, in ms; prepare (when given) runs untimed before each.
double medianMs(int runs, const std::function<void()> &step);
double medianMs(int runs, const std::function<void()> &prepare, const std::function<void()> &step);

} // namespace BenchSupport
