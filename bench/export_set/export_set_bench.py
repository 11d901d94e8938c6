#!/usr/bin/python3
"""Benchmark of the drawing-set export: one workbook for a set of drawings
(`kasanemi-cad --export-xlsx FOLDER OUT.xlsx`) against its peer measured in
the same run, exporting each drawing alone (`--export-xlsx FILE OUT.xlsx`).

Prints the set's time (wall and CPU) against the sum of the single exports' (target:
at most 1.2) and the set's peak memory against the largest single export's
(target: at most 1.5), with the load average before and after.

The drawings are made by the shared generator (200 layers and 20,000 entities
each, seeds 1..N, R2000 and R2018 in turn) and cached in --cache.

usage: export_set_bench.py --bin build/bin [--drawings 50] [--cache /tmp/kasanemi-bench-set50]
"""
import argparse
import os
import pathlib
import subprocess
import sys
import tempfile
import time

GENERATOR = pathlib.Path(__file__).resolve().parents[3] / "shared" / "tools" / "gen_dxf.py"


def make_drawings(cache, count):
    cache.mkdir(parents=True, exist_ok=True)
    drawings = []
    for seed in range(1, count + 1):
        path = cache / f"sheet{seed:02d}.dxf"
        if not path.exists():
            version = "R2000" if seed % 2 else "R2018"
            subprocess.run(["/usr/bin/python3", str(GENERATOR), "--layers", "200", "--entities", "20000",
                            "--seed", str(seed), "--version", version, "--out", str(path)],
                           check=True, stdout=subprocess.DEVNULL)
        drawings.append(path)
    return drawings


def measure(args):
    """Wall time and CPU time (user + system) in seconds and peak resident
    memory in MB of one run. CPU time hardly moves with the machine's load,
    so it is the fairer figure on a shared machine."""
    start = time.perf_counter()
    process = subprocess.Popen(args, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    elapsed = time.perf_counter() - start
    code = os.waitstatus_to_exitcode(status)
    if code != 0:
        sys.exit(f"{' '.join(map(str, args))} ended with {code}")
    return elapsed, usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024.0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True)
    parser.add_argument("--drawings", type=int, default=50)
    parser.add_argument("--cache", default="/tmp/kasanemi-bench-set50")
    options = parser.parse_args()
    host = str(pathlib.Path(options.bin) / "kasanemi-cad")
    drawings = make_drawings(pathlib.Path(options.cache), options.drawings)
    env_load = os.getloadavg()
    with tempfile.TemporaryDirectory() as out:
        # Half the single exports before the set and half after, so a change
        # of load during the run falls on both sides.
        half = len(drawings) // 2
        single = lambda d: measure([host, "--export-xlsx", str(d), os.path.join(out, f"{d.stem}.xlsx")])
        singles = [single(d) for d in drawings[:half]]
        set_time, set_cpu, set_peak = measure([host, "--export-xlsx", options.cache, os.path.join(out, "set.xlsx")])
        singles += [single(d) for d in drawings[half:]]
        single_time = sum(t for t, _, _ in singles)
        single_cpu = sum(c for _, c, _ in singles)
        single_peak = max(m for _, _, m in singles)
        set_size = os.path.getsize(os.path.join(out, "set.xlsx"))
        single_size = sum(os.path.getsize(os.path.join(out, f"{d.stem}.xlsx")) for d in drawings)
    after_load = os.getloadavg()
    print(f"drawings: {len(drawings)} (200 layers, 20,000 entities each)")
    print(f"single exports: {single_time:.2f} s in all ({single_cpu:.2f} s CPU), largest peak {single_peak:.1f} MB, "
          f"{single_size / 1e6:.1f} MB of workbooks")
    print(f"set export:     {set_time:.2f} s ({set_cpu:.2f} s CPU), peak {set_peak:.1f} MB, "
          f"{set_size / 1e6:.1f} MB workbook")
    print(f"time ratio (set / sum of singles): {set_time / single_time:.2f} wall, "
          f"{set_cpu / single_cpu:.2f} CPU  (target <= 1.2)")
    print(f"memory ratio (set / largest single): {set_peak / single_peak:.2f}  (target <= 1.5)")
    print(f"load average before: {env_load[0]:.2f} {env_load[1]:.2f} {env_load[2]:.2f}; "
          f"after: {after_load[0]:.2f} {after_load[1]:.2f} {after_load[2]:.2f}")


if __name__ == "__main__":
    main()
