#!/usr/bin/env python3
"""How the cost of each path that must stay linear grows with its input,
counted in instructions executed, which the machine's load cannot change
(CPU-time ratios on a busy machine swing by a factor of two from run to
run, with caches and memory shared).

Each path is a Google Benchmark of a Release build at two sizes ten times
apart. Each size runs once, for one iteration, under
`valgrind --tool=callgrind --instr-atstart=no`: the benchmark marks the
work it times (bench/support/counted.h), so only that work is counted, not
the set-up, the untimed warm-up round or the checks. The larger size must
execute at most --limit (12) times the instructions of the smaller: about
10 for a linear path, a little more for n log n.

With --cache, callgrind also simulates the caches and the data misses of
the first level (D1) and the last level (LL) are shown: where the time of
the larger size grows faster than its instructions, they show why. The last
level is --ll bytes (4 MiB, 16-way: one core's share of a 32 MiB L3 that
eight busy cores share); valgrind's own guess from the processor can be far
off in a virtual machine (256 MiB direct-mapped on ours).
With --times R, each benchmark also runs natively R times (the sizes in
alternating order) and the medians of its wall time are shown, for context.

Exits with 1 when a ratio of instructions is over the limit.

Usage: bench/instructions_bench.py [--build build-rel] [--cache [--ll BYTES]]
                                   [--times R] [--only NAME] [--jobs 3] [--limit 12]
"""

import argparse
import concurrent.futures
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile

# (label, benchmark program, benchmark): each benchmark is registered at two
# sizes ten times apart, read from the program's list.
PATHS = [
    ("dispose siblings", "dispose_bench", "DisposeSiblings"),
    ("dispose found siblings", "dispose_bench", "DisposeFoundSiblings"),
    ("free emitter siblings", "particle_burst_bench", "FreeEmitterSiblings"),
    ("3DS meshes by index", "file_3ds_index_bench", "MeshesByIndex"),
    ("3DS cameras by index", "file_3ds_index_bench", "CamerasByIndex"),
    ("3DS camera nodes by index", "file_3ds_index_bench", "CameraNodesByIndex"),
    ("particle burst and deaths", "particle_burst_bench", "BurstAndDie"),
    ("effect text", "long_widgets_bench", "EffectTextBuild"),
    ("image list adds", "long_widgets_bench", "ImageListAdds"),
    ("child adds to a group", "child_adds_bench", "ChildAddsToAGroup"),
    ("child adds to the applet", "child_adds_bench", "ChildAddsToTheApplet"),
    ("score table adds", "score_table_bench", "ScoreAdds"),
    ("score table, every line kept", "score_table_bench", "ScoreAddsEveryLineKept"),
    ("preference settings", "preferences_bench", "PreferenceSets"),
    ("cache of distinct names", "cache_bench", "DistinctNames"),
    ("applet teardown", "tree_bench", "AppletTeardown"),
    ("sibling load", "tree_bench", "SiblingLoad"),
    ("run-time depth", "tree_bench", "ChainBuild"),
    ("moves between groups", "tree_bench", "MovesBetweenGroups"),
    ("chain grown by moves", "tree_bench", "ChainByMoves"),
    ("widget adds to a group", "tree_bench", "WidgetAddsToAGroup"),
    ("free of key listeners", "tree_bench", "MissionsFree"),
    ("free of notice receivers", "tree_bench", "EventObjectsFree"),
    ("frame over siblings", "tree_bench", "WideFrame"),
    ("recalculation of siblings", "tree_bench", "WideRecalc"),
    ("find by name among siblings", "tree_bench", "WideFindByName"),
    ("store of siblings", "tree_bench", "WideStore"),
    ("free of siblings", "tree_bench", "WideFree"),
    ("frame down a chain", "tree_bench", "DeepFrame"),
    ("recalculation down a chain", "tree_bench", "DeepRecalc"),
    ("find by name down a chain", "tree_bench", "DeepFindByName"),
    ("store of a chain", "tree_bench", "DeepStore"),
    ("free of a chain", "tree_bench", "DeepFree"),
]

# Headless, quiet: the benchmarks draw on the test kit's recording device.
ENV = dict(os.environ, SDL_VIDEODRIVER="offscreen", SDL_AUDIODRIVER="dummy")


def sizes(program, name):
    """The two sizes the benchmark is registered at, smaller first."""
    listed = subprocess.run([program, "--benchmark_list_tests=true", "--benchmark_filter=^%s/" % name],
                            env=ENV, capture_output=True, text=True, check=True).stdout.split()
    found = sorted(int(line.split("/")[1]) for line in listed if line.startswith(name + "/"))
    if len(found) != 2 or found[1] != 10 * found[0]:
        sys.exit("%s %s: expected two sizes ten times apart, found %s" % (os.path.basename(program), name, found))
    return found


def counted(program, name, n, ll, folder):
    """Callgrind's totals of one iteration of the benchmark at size n, by event name."""
    out = os.path.join(folder, "%s.%d.callgrind" % (name, n))
    command = ["valgrind", "--tool=callgrind", "--instr-atstart=no", "--callgrind-out-file=" + out]
    if ll:
        command += ["--cache-sim=yes", "--LL=%d,16,64" % ll]
    # One iteration: Google Benchmark 1.7 stops after the first one that
    # lasts at least --benchmark_min_time.
    command += [program, "--benchmark_filter=^%s/%d$" % (name, n), "--benchmark_min_time=0"]
    run = subprocess.run(command, env=ENV, capture_output=True, text=True, errors="replace")
    if run.returncode != 0 or "ERROR OCCURRED" in run.stdout or not os.path.exists(out):
        sys.exit("%s/%d failed under valgrind (status %d):\n%s" % (name, n, run.returncode, run.stderr[-2000:]))
    events = totals = None
    with open(out) as f:
        for line in f:
            if line.startswith("events:"):
                events = line.split()[1:]
            elif line.startswith("totals:"):
                totals = [int(v) for v in line.split()[1:]]
    if not events or not totals or not totals[0]:
        sys.exit("%s/%d: no instructions counted (does the benchmark mark its work with bench::TCounted?)" % (name, n))
    return dict(zip(events, totals + [0] * (len(events) - len(totals))))


def wall_ms(program, name, n, folder):
    """The benchmark's own figure of wall time at size n, in milliseconds."""
    out = os.path.join(folder, "%s.%d.json" % (name, n))
    # The engine logs on stdout: the figures go to a file of their own.
    subprocess.run([program, "--benchmark_filter=^%s/%d$" % (name, n), "--benchmark_out=" + out,
                    "--benchmark_out_format=json"], env=ENV, capture_output=True, check=True)
    with open(out) as f:
        result = json.load(f)["benchmarks"][0]
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[result["time_unit"]]
    return result["real_time"] * scale


def ratio(large, small):
    return large / small if small else float("inf")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    here = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser.add_argument("--build", default=os.path.join(here, "build-rel"))
    parser.add_argument("--cache", action="store_true", help="simulate the caches: D1 and LL data misses")
    parser.add_argument("--ll", type=int, default=4 << 20, help="the simulated last level's bytes (a power of 2)")
    parser.add_argument("--times", type=int, default=0, metavar="R", help="also R native runs: wall-time medians")
    parser.add_argument("--only", help="only the paths whose label, program or benchmark holds this text")
    parser.add_argument("--jobs", type=int, default=3, help="valgrind runs at once")
    parser.add_argument("--limit", type=float, default=12.0)
    args = parser.parse_args()
    if not shutil.which("valgrind"):
        sys.exit("valgrind is not installed (scripts/setup.sh installs it)")
    paths = [p for p in PATHS if not args.only or any(args.only in field for field in p)]
    programs = {}
    for _, binary, _ in paths:
        programs[binary] = os.path.abspath(os.path.join(args.build, "bin", binary))
        if not os.path.exists(programs[binary]):
            sys.exit("no %s: build %s with -DCORVANE_BENCHMARKS=ON first" % (programs[binary], args.build))
    runs = [(label, programs[binary], name, sizes(programs[binary], name)) for label, binary, name in paths]

    with tempfile.TemporaryDirectory(prefix="corvane-callgrind-") as folder:
        with concurrent.futures.ThreadPoolExecutor(max_workers=max(1, args.jobs)) as pool:
            jobs = {(name, n): pool.submit(counted, program, name, n, args.ll if args.cache else 0, folder)
                    for _, program, name, both in runs for n in both}
            counts = {key: job.result() for key, job in jobs.items()}
        times = {}
        for round_ in range(args.times):
            for _, program, name, both in runs:
                for n in (both if round_ % 2 == 0 else reversed(both)):
                    times.setdefault((name, n), []).append(wall_ms(program, name, n, folder))

    header = "%-30s %9s %15s %15s %6s" % ("path", "n", "Ir at n", "Ir at 10n", "ratio")
    if args.cache:
        header += " %12s %6s %12s %6s" % ("D1 miss 10n", "ratio", "LL miss 10n", "ratio")
    if args.times:
        header += " %10s %10s %6s" % ("ms at n", "ms at 10n", "ratio")
    print(header)
    over = []
    for label, _, name, (small, large) in runs:
        a, b = counts[(name, small)], counts[(name, large)]
        r = ratio(b["Ir"], a["Ir"])
        line = "%-30s %9d %15d %15d %6.2f" % (label, small, a["Ir"], b["Ir"], r)
        if args.cache:
            d1 = [c.get("D1mr", 0) + c.get("D1mw", 0) for c in (a, b)]
            ll = [c.get("DLmr", 0) + c.get("DLmw", 0) for c in (a, b)]
            line += " %12d %6.2f %12d %6.2f" % (d1[1], ratio(d1[1], d1[0]), ll[1], ratio(ll[1], ll[0]))
        if args.times:
            ms = [statistics.median(times[(name, n)]) for n in (small, large)]
            line += " %10.2f %10.2f %6.2f" % (ms[0], ms[1], ratio(ms[1], ms[0]))
        print(line)
        if r > args.limit:
            over.append(label)
    if over:
        print("over %g times the instructions at ten times the size: %s" % (args.limit, ", ".join(over)))
        sys.exit(1)


if __name__ == "__main__":
    main()
