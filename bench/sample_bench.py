#!/usr/bin/env python3
"""The bundled sample's performance as a user meets it: the built program
plays a copy of build/Resources headless (SDL's offscreen driver, Mesa's
llvmpipe, 800 x 600, dummy audio) with "+bench=FRAMES"; the sample notes
each frame's time and ends after that many frames.

For each run it reports the frame time (median and 99th percentile, in ms;
the sample asks for 60 frames a second, so the median sits near 16.7 ms
while the machine keeps up), the start-up time from launch to the first
frame, and the program's peak resident memory. Several runs show whether
any of them grows from run to run (the preferences and score table the
sample keeps beside itself carry over between them).

Usage: bench/sample_bench.py [--build build] [--frames 600] [--runs 3]
"""

import argparse
import os
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

RUN_FILES = {".log", ".run", ".prefs", ".score", ".bin", ".jsbin"}


def copy_sample(resources, folder):
    for name in os.listdir(resources):
        path = os.path.join(resources, name)
        if os.path.isfile(path) and os.path.splitext(name)[1] not in RUN_FILES:
            shutil.copy(path, folder)


def percentile(values, share):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(round(share * (len(ordered) - 1))))]


def launch(program, folder, arguments):
    """The program on the folder's main.object, headless, its output in one pipe."""
    env = dict(os.environ, SDL_VIDEODRIVER="offscreen", SDL_AUDIODRIVER="dummy", ASAN_OPTIONS="detect_leaks=0")
    for name in ("DISPLAY", "WAYLAND_DISPLAY"):
        env.pop(name, None)
    return subprocess.Popen([program, os.path.join(folder, "main.object")] + arguments, cwd=folder, env=env,
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, errors="replace")


def one_run(program, folder, frames):
    started = time.monotonic()
    first_frame = None
    times = None
    before = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
    with launch(program, folder, ["+bench=%d" % frames]) as process:
        for line in process.stdout:
            if first_frame is None and "(i) sample: first frame" in line:
                first_frame = time.monotonic() - started
            marker = "(i) sample: frame times "
            if marker in line:
                times = [float(t) for t in line.split(marker, 1)[1].split()]
        status = process.wait()
    # The children's peak is the largest of all runs so far: a run that does
    # not exceed the ones before it shows the same figure.
    peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
    if status != 0 or first_frame is None or not times:
        sys.exit("the sample did not run to its end (status %d)" % status)
    return first_frame, times, max(peak, before)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    here = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser.add_argument("--build", default=os.path.join(here, "build"))
    parser.add_argument("--frames", type=int, default=600)
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()
    program = os.path.abspath(os.path.join(args.build, "bin", "corvane"))
    resources = os.path.join(args.build, "Resources")
    if not os.path.exists(os.path.join(resources, "main.object")):
        sys.exit("no sample in %s: build first" % resources)
    with tempfile.TemporaryDirectory(prefix="corvane-bench-") as folder:
        copy_sample(resources, folder)
        print("run  start-up s  median ms  p99 ms  peak MiB  (%d frames, 800 x 600, llvmpipe)" % args.frames)
        for run in range(1, args.runs + 1):
            start_up, times, peak = one_run(program, folder, args.frames)
            print("%3d  %10.3f  %9.2f  %6.2f  %8.1f" % (run, start_up, statistics.median(times),
                                                       percentile(times, 0.99), peak / 1024))


if __name__ == "__main__":
    main()
