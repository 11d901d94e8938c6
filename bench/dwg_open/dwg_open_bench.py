#!/usr/bin/python3
"""Opening each sample DWG against opening the DXF the CAD wrote for it.

For every pair in ../shared/samples/dwg, three runs each (the median shown)
of `kasanemi-cad --inspect` on the DWG (converter and host) and on the
reference DXF (host alone), in the same run: wall time, CPU time and peak
memory of the host and its converter (the largest resident size of either),
the ratio DWG / DXF, and the converter alone (`node --liftoff-only`) with its
own CPU time and peak memory, the figures the targets are set in (under 2 s
of CPU, at most 250 MB). Prints the load average before and after.

usage: dwg_open_bench.py [BUILD_DIR] [SAMPLES_DWG]
"""
import os
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
RUNS = 3


def measure(argv):
    """(wall s, cpu s, peak MB, exit code) of one run, children included."""
    started = time.perf_counter()
    with open(os.devnull, "wb") as null:
        process = subprocess.Popen(argv, stdout=null, stderr=null)
        _, status, usage = os.wait4(process.pid, 0)
    wall = time.perf_counter() - started
    return wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024, os.waitstatus_to_exitcode(status)


def median_of(argv):
    runs = [measure(argv) for _ in range(RUNS)]
    if any(code != 0 for *_, code in runs):
        return None
    return tuple(statistics.median(r[k] for r in runs) for k in range(3))


def main(argv):
    build = argv[1] if len(argv) > 1 else os.path.join(ROOT, "build")
    samples = argv[2] if len(argv) > 2 else os.path.join(ROOT, "..", "shared", "samples", "dwg")
    cad = os.path.join(build, "bin", "kasanemi-cad")
    node = os.environ.get("KASANEMI_NODE", "node")
    converter = os.path.join(ROOT, "src", "dwg-converter", "kasanemi-dwg-converter.mjs")
    scratch = os.path.join(build, "bench-dwg-open.dxf")
    print(f"load average before: {' '.join(f'{x:.2f}' for x in os.getloadavg())}")
    print(f"{'drawing':28} {'DWG wall':>9} {'CPU':>6} {'peak':>7} | {'DXF wall':>9} {'peak':>7} | "
          f"{'ratio':>6} | {'converter CPU':>13} {'peak':>7}")
    worst_cpu = worst_peak = 0.0
    for name in sorted(f[:-4] for f in os.listdir(samples) if f.endswith(".dwg")):
        dwg = os.path.join(samples, name + ".dwg")
        dxf = os.path.join(samples, name + ".dxf")
        if not os.path.exists(dxf):
            continue
        opened = median_of([cad, "--inspect", dwg])
        reference = median_of([cad, "--inspect", dxf])
        alone = median_of([node, "--liftoff-only", converter, dwg, scratch])
        if opened is None or alone is None:
            print(f"{name:28} {'not readable (refused with a message)':>40}")
            continue
        worst_cpu, worst_peak = max(worst_cpu, alone[1]), max(worst_peak, alone[2])
        print(f"{name:28} {opened[0]:8.2f}s {opened[1]:5.2f}s {opened[2]:5.0f}MB | {reference[0]:8.3f}s "
              f"{reference[2]:5.0f}MB | {opened[0] / reference[0]:5.0f}x | {alone[1]:12.2f}s {alone[2]:5.0f}MB")
    if os.path.exists(scratch):
        os.remove(scratch)
    print(f"converter, worst sample: {worst_cpu:.2f} s CPU (target < 2 s), {worst_peak:.0f} MB (target <= 250 MB)")
    print(f"load average after: {' '.join(f'{x:.2f}' for x in os.getloadavg())}; {os.cpu_count()} cores")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
