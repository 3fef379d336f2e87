// SPDX-License-Identifier: GPL-3.0-or-later
// The main() of the benchmarks that measure widgets: the QApplication lives
// here, inside main(), so that it goes before Qt's own globals at exit.
#include <benchmark/benchmark.h>

#include <QApplication>

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
