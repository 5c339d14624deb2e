#!/usr/bin/env python3
"""How long the built program takes to end after a close request, on an
applet of very many objects (a million Dummy children of the applet by
default), run headless like the sample's benchmark. The request is SIGTERM,
as Ctrl+C or a desktop's log-out gives it, sent:

- while the applet plays (a second after its onLoad ran), and
- while its file loads, at 30, 60 and 90 per cent of the time the load took
  in the first run (the reading, then the objects' post-read hooks).

Reported per run: the load time (launch to onLoad) and the seconds from each
request to the end of the process. The goal is that none reaches two seconds.

Usage: bench/close_bench.py [--build build] [--objects 1000000] [--runs 3]
"""

import argparse
import os
import signal
import sys
import tempfile
import threading
import time

import sample_bench

LOADED = "(i) close bench: loaded"


def write_applet(folder, objects):
    with open(os.path.join(folder, "main.object"), "w") as out:
        out.write("object game: Applet\n  onLoad = 'engine.log(\"close bench: loaded\")'\n")
        for i in range(objects - 1):
            out.write("  object D%d: Dummy\n  end\n" % i)
        out.write("end\n")


def run_once(program, folder, request_after):
    """Launches the program, sends SIGTERM `request_after` seconds after the
    launch (None: a second after onLoad ran); the load time (None when the
    request came first) and the seconds from the request to the end."""
    started = time.monotonic()
    loaded = threading.Event()
    loaded_at = [None]
    with sample_bench.launch(program, folder, []) as process:

        def read():
            for line in process.stdout:
                if LOADED in line and not loaded.is_set():
                    loaded_at[0] = time.monotonic() - started
                    loaded.set()

        reader = threading.Thread(target=read)
        reader.start()
        if request_after is None:
            if not loaded.wait(600):
                process.kill()
                sys.exit("the applet did not load within ten minutes")
            time.sleep(1)
        else:
            time.sleep(max(0.0, request_after - (time.monotonic() - started)))
        requested = time.monotonic()
        process.send_signal(signal.SIGTERM)
        status = process.wait()
        ended = time.monotonic()
        reader.join()
    if status != 0:
        sys.exit("the program ended with status %d" % status)
    return loaded_at[0], ended - requested


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default="build")
    parser.add_argument("--objects", type=int, default=1000000)
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()
    program = os.path.abspath(os.path.join(args.build, "bin", "corvane"))
    if not os.path.exists(program):
        sys.exit("no program at " + program)
    with tempfile.TemporaryDirectory(prefix="corvane-close-") as folder:
        write_applet(folder, args.objects)
        print("%d objects; seconds from SIGTERM to the end" % args.objects)
        load_time = None
        for run in range(args.runs):
            load, playing = run_once(program, folder, None)
            load_time = load_time or load
            during = [run_once(program, folder, share * load_time)[1] for share in (0.3, 0.6, 0.9)]
            print("run %d: load %.1f s; playing %.2f; loading at 30%% %.2f, 60%% %.2f, 90%% %.2f" %
                  (run + 1, load, playing, *during))
            sys.stdout.flush()


if __name__ == "__main__":
    main()
