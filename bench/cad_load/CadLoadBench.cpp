// Loads one drawing with the drawing host's reader and prints the figures
// bench/cad_load/run.sh compares with its peers: load time, the time to count
// the entities of every layer (as Select mode 5 with each layer name does),
// and peak and resident memory after load against the file size.
//   bench_cad_load FILE.dxf

#include "cad/CadDocument.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>

#include <sys/resource.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

/// A memory figure of this process from /proc/self/status ("VmRSS:" now,
/// "VmHWM:" its peak), in MiB; 0 when unknown. Unlike getrusage's
/// ru_maxrss, the peak starts afresh at exec, not at the parent's size.
double statusMb(const std::string& key)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(key, 0) == 0)
            return std::stod(line.substr(key.size())) / 1024.0;
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: bench_cad_load FILE.dxf\n", stderr);
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    // CPU time as well as wall time: on a busy machine the wall clock
    // measures the neighbours.
    auto cpuSeconds = [] {
        rusage u{};
        getrusage(RUSAGE_SELF, &u);
        return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
    };
    const double cpu0 = cpuSeconds();
    QElapsedTimer timer;
    timer.start();
    std::unique_ptr<cad::CadDocument> doc;
    try {
        doc = cad::CadDocument::open(path);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_cad_load: %s\n", e.what());
        return 2;
    }
    const double loadSeconds = timer.nsecsElapsed() / 1e9;
    const double loadCpuSeconds = cpuSeconds() - cpu0;
    const double residentAfterLoad = statusMb("VmRSS:");

    timer.restart();
    std::uint64_t total = 0;
    for (int i = 0; i < doc->layerCount(); ++i)
        total += doc->countOnLayers(doc->layer(i).name);
    const double countSeconds = timer.nsecsElapsed() / 1e9;

    const double peakMb = statusMb("VmHWM:");
    const double fileMb = QFileInfo(path).size() / (1024.0 * 1024.0);
    std::printf("layers %d entities %zu counted %llu\n", doc->layerCount(), doc->drawing().entities.size(),
                static_cast<unsigned long long>(total));
    std::printf("load_cpu_seconds %.3f\n", loadCpuSeconds);
    std::printf("load_seconds %.3f\ncount_all_layers_seconds %.4f\npeak_mb %.1f\nfile_mb %.1f\nmemory_ratio %.2f\n",
                loadSeconds, countSeconds, peakMb, fileMb, peakMb / fileMb);
    std::printf("resident_after_load_mb %.1f\nresident_ratio %.2f\n", residentAfterLoad, residentAfterLoad / fileMb);
    return 0;
}
