#!/usr/bin/python3
"""Runs the drawing host's reader beside its peers on the same files, in
alternating rounds, and prints each figure with its ratio (see run.sh).

  compare.py BIN_DIR BIG.dxf LAYERS_4000.dxf LAYERS_40000.dxf

Every figure is the median of the rounds (ROUNDS, default 5) of CPU seconds
(user + system) of the process doing the work; wall seconds count the other
users of a shared machine too. The load average is printed before and after. KASANEMI_BENCH_PREVIOUS names
a kasanemi-cad of an earlier commit to measure beside this one; its --inspect
output must then be byte for byte this build's on every shared sample (DXF and
DWG) and on the benchmark drawings, or the run fails.
"""
import glob
import os
import statistics
import subprocess
import sys
import time

bindir, big, layers4k, layers40k = sys.argv[1:5]
rounds = int(os.environ.get("ROUNDS", "5"))
here = os.path.dirname(os.path.abspath(__file__))


def loadavg():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


def run(argv, keep_output=True):
    """(cpu seconds, wall seconds, peak MiB, stdout, kernel cpu seconds) of one run of argv. The
    output of a program that copies the file is thrown away unread: holding
    it would grow this process, and a child's ru_maxrss starts at its
    parent's size."""
    t0 = time.perf_counter()
    p = subprocess.Popen(argv, stdout=subprocess.PIPE if keep_output else subprocess.DEVNULL,
                         stderr=subprocess.DEVNULL)
    out = p.stdout.read() if keep_output else b""
    _, status, usage = os.wait4(p.pid, 0)
    wall = time.perf_counter() - t0
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"cad_load: {' '.join(argv)} failed")
    return usage.ru_utime + usage.ru_stime, wall, usage.ru_maxrss / 1024, out.decode(), usage.ru_stime


def values(text):
    return {k: v for k, v in (line.split(None, 1) for line in text.splitlines() if " " in line)}


def median_runs(named, rounds):
    """Runs each (name, argv) once a round, in turn; medians by name."""
    runs = {name: [] for name, _ in named}
    for _ in range(rounds):
        for name, argv in named:
            runs[name].append(run(argv, name not in ("cat", "inspect")))
    return {name: (statistics.median(r[0] for r in rs), statistics.median(r[1] for r in rs),
                   max(r[2] for r in rs), rs[-1][3], statistics.median(r[4] for r in rs))
            for name, rs in runs.items()}


def differing_reports(ours, theirs, drawings):
    """Paths among `drawings` whose --inspect output (stdout, stderr, exit code) differs between two builds."""
    def report(program, path):
        p = subprocess.run([program, "--inspect", path], capture_output=True)
        return p.returncode, p.stdout, p.stderr
    return [path for path in drawings if report(ours, path) != report(theirs, path)]


print(f"load average {loadavg()} (1, 5, 15 min)")
if os.environ.get("KASANEMI_BENCH_PREVIOUS"):
    shared = os.environ.get("KASANEMI_SHARED", os.path.join(here, "..", "..", "..", "shared"))
    drawings = sorted(glob.glob(os.path.join(shared, "samples", "dxf", "*.dxf"))
                      + glob.glob(os.path.join(shared, "samples", "dxf", "generated", "*.dxf"))
                      + glob.glob(os.path.join(shared, "samples", "dwg", "*.dwg"))) + [big, layers4k, layers40k]
    differing = differing_reports(os.path.join(bindir, "kasanemi-cad"), os.environ["KASANEMI_BENCH_PREVIOUS"], drawings)
    if differing:
        sys.exit("cad_load: --inspect differs from the previous build on " + ", ".join(differing))
    print(f"--inspect output byte for byte the previous build's on {len(drawings)} drawings")
file_mb = os.path.getsize(big) / 2**20
cad = os.path.join(bindir, "kasanemi-cad")
dxflib = os.path.join(bindir, "bench_dxflib_load")
named = [("cat", ["cat", big]), ("inspect", [cad, "--inspect", big]),
         ("inprocess", [os.path.join(bindir, "bench_cad_load"), big])]
if os.path.exists(dxflib):
    named.append(("dxflib", [dxflib, big]))
# A kasanemi-cad of an earlier commit, to stand beside this one in the same rounds.
previous = os.environ.get("KASANEMI_BENCH_PREVIOUS")
if previous:
    named.append(("previous", [previous, "--inspect", big]))
m = median_runs(named, rounds)
cat_cpu, cat_wall = m["cat"][0], m["cat"][1]
cpu, wall, inspect_peak, _, inspect_sys = m["inspect"]
inproc = values(m["inprocess"][3])
print(f"file {os.path.basename(big)}: {file_mb:.1f} MiB, {inproc['layers'].split()[2]} entities, "
      f"medians of {rounds} alternating rounds")
print(f"read (cat):              CPU {cat_cpu * 1000:7.1f} ms  wall {cat_wall * 1000:7.1f} ms")
print(f"load (--inspect):        CPU {cpu * 1000:7.1f} ms  wall {wall * 1000:7.1f} ms"
      f"  -> {cpu / cat_cpu:.1f} x the read's CPU (goal <= 15 x), wall {wall / cat_wall:.1f} x;"
      f" kernel {inspect_sys * 1000:.1f} ms, peak {inspect_peak:.1f} MiB")
if previous:
    p_cpu, p_wall = m["previous"][0], m["previous"][1]
    print(f"  previous build:        CPU {p_cpu * 1000:7.1f} ms  wall {p_wall * 1000:7.1f} ms"
          f"  -> {p_cpu / cat_cpu:.1f} x the read's CPU; this build takes {cpu / p_cpu:.2f} x its CPU;"
          f" kernel {m['previous'][4] * 1000:.1f} ms, peak {m['previous'][2]:.1f} MiB"
          f" = {m['previous'][2] / file_mb:.2f} x the file")
in_cpu = float(inproc["load_cpu_seconds"])
print(f"load in process:         CPU {in_cpu * 1000:7.1f} ms  wall {float(inproc['load_seconds']) * 1000:7.1f} ms"
      f"  -> {in_cpu / cat_cpu:.1f} x the read's CPU (CadDocument::open alone, bench_cad_load)")
if "dxflib" in m:
    d = values(m["dxflib"][3])
    print(f"dxflib (DL_Dxf::in):     CPU {m['dxflib'][0] * 1000:7.1f} ms  wall {m['dxflib'][1] * 1000:7.1f} ms"
          f"  -> {m['dxflib'][0] / cpu:.1f} x the CPU of ours (--inspect, whole process);"
          f" it hands over {d['dxflib_entities']} entities, keeps none")
else:
    print("dxflib: not built (install libdxflib-dev and configure again)")
if os.environ.get("KASANEMI_BENCH_NO_EZDXF") != "1":
    e_cpu, e_wall, _, e_out, _ = run(["/usr/bin/python3", os.path.join(here, "ezdxf_load.py"), big])
    e = values(e_out)
    e_load = float(e["ezdxf_load_cpu_seconds"])
    print(f"ezdxf (readfile):        CPU {e_load * 1000:7.0f} ms  (one run) -> {e_load / in_cpu:.0f} x our load in process")
peak = float(inproc["peak_mb"])
print(f"peak memory at load:     {peak:.1f} MiB = {peak / file_mb:.2f} x the file (goal <= 2 x);"
      f" the --inspect process {inspect_peak:.1f} MiB = {inspect_peak / file_mb:.2f} x")
resident = float(inproc["resident_after_load_mb"])
print(f"resident after load:     {resident:.1f} MiB = {resident / file_mb:.2f} x the file")
print(f"counts of every layer:   {float(inproc['count_all_layers_seconds']) * 1000:.1f} ms")

g = median_runs([("4k", [cad, "--inspect", layers4k]), ("40k", [cad, "--inspect", layers40k])], max(3, rounds // 2))
growth = g["40k"][0] / g["4k"][0]
size_growth = os.path.getsize(layers40k) / os.path.getsize(layers4k)
print(f"--inspect, 4,000 layers: CPU {g['4k'][0] * 1000:7.1f} ms; 40,000 layers: CPU {g['40k'][0] * 1000:7.1f} ms"
      f"  -> {growth:.1f} x for ten times the layers and entities (the file {size_growth:.1f} x; linear)")
print(f"load average {loadavg()} at the end")
