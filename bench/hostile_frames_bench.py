#!/usr/bin/env python3
"""The longest frame of the built program on each hostile case of an
untrusted applet, and on the bundled sample. Each case is a small applet
written into a folder of its own; it runs headless like the sample's
benchmark (SDL's offscreen driver, Mesa's llvmpipe, dummy audio) at 60
frames a second. Its script notes every frame's wall-clock time, does the
hostile thing in one handler at frame 5, keeps going until the work that
follows it (frees, deaths of particles) is over, then logs the times and
ends. The sample runs with "+bench=FRAMES" (bench/sample_bench.py).

Reported per case: the longest frame and the median (ms), the frame the
longest was, and the start-up (launch to the first frame, s). The goal is
that no frame takes as long as a second.

Usage: bench/hostile_frames_bench.py [--build build-rel] [--frames 150] [--only NAME]
"""

import argparse
import os
import statistics
import struct
import sys
import tempfile
import time
import zlib

import sample_bench

HOSTILE_FRAME = 5

# The timing every case shares: frame times from one onTick to the next.
TIMING = """
var frame = 0, last = 0, times = [];
function onFrame() {
  frame++;
  var now = Date.now();
  if (frame == 1) engine.log("bench: first frame");
  else times.push(now - last);
  last = now;
  if (frame == %(hostile)d) hostile();
  if (frame == %(hostile)d + 1 && typeof settle == "function") settle();
  if (frame == %(last)d) {
    engine.log("bench: frame times " + times.join(" "));
    applet.terminate();
  }
}
"""


def chunk3ds(tag, data=b"", *children):
    body = data + b"".join(children)
    return struct.pack("<HI", tag, 6 + len(body)) + body


def model3ds(mdata=b"", kfdata=None):
    body = chunk3ds(0x0002, struct.pack("<I", 3)) + chunk3ds(0x3D3D, mdata)
    if kfdata is not None:
        body += chunk3ds(0xB000, kfdata)
    return chunk3ds(0x4D4D, body)


def empty_meshes(n):
    """n named objects, each an empty mesh (no vertices): about 1 MB at 80,000."""
    return model3ds(b"".join(chunk3ds(0x4000, b"%x\0" % i, chunk3ds(0x4100)) for i in range(n)))


def camera_nodes(n):
    """n camera keyframe nodes, each with its id and header."""
    nodes = b"".join(chunk3ds(0xB003, b"", chunk3ds(0xB030, struct.pack("<H", i % 65536)),
                              chunk3ds(0xB010, b"%x\0" % i + struct.pack("<HHh", 0, 0, -1)))
                     for i in range(n))
    return model3ds(kfdata=nodes)


def png(width, height):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    raw = b"".join(b"\0" + b"\x80\x40\x20" * width for _ in range(height))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


# name: (objects under the applet, the hostile handler, files beside)
CASES = {
    "dispose 6,000 objects in one handler": (
        "  object crowd: BaseObject\n  end\n",
        "for (var i = 0; i < 6000; i++) applet.new('BaseObject', crowd);\n"
        "var n = crowd.count; for (var i = 0; i < n; i++) crowd.children(i).dispose();",
        {}),
    "3DS of 80,000 empty meshes": (
        "  object model: Mesh\n    kind = okSpace\n  end\n",
        "model.mesh.fileName = 'meshes.3ds';",
        {"meshes.3ds": lambda: empty_meshes(80000)}),
    "3DS of 40,000 camera nodes": (
        "  object model: Mesh\n    kind = okSpace\n  end\n",
        "model.mesh.fileName = 'cameras.3ds';",
        {"cameras.3ds": lambda: camera_nodes(40000)}),
    # A script cannot call Burst (two arguments): an interval far below the
    # frame's time releases the effect's whole budget in the next frame.
    "100,000 particles released at once": (
        "  object place: PositionObject\n    kind = okSpace\n"
        "    object sparks: ParticleEffect\n      particleInterval = 1000\n      velocityMax = 50\n"
        "      spreadAngle = 360\n    end\n  end\n",
        "sparks.lifeTime = 0.5; sparks.particleInterval = 0.0000001;\n"
        "}\nfunction settle() {\nengine.log('bench: ' + sparks.ParticleCount() + ' particles');\n"
        "sparks.particleInterval = 1000;",
        {}),
    "effect text of 100,000 characters": (
        "  object fx: EffectText\n    object wave: AnimationEffect\n      runningTime = 1\n    end\n  end\n",
        "var s = ''; for (var i = 0; i < 100000; i++) s += String.fromCharCode(97 + i % 26);\n"
        "fx.text = s;",
        {}),
    "8,000 image-list adds": (
        "  object shelf: ImageList\n    width = 100\n    height = 200\n    itemHeight = 40\n"
        "    items.strings = ( 'a.png' 'b.png' )\n  end\n",
        "for (var i = 0; i < 8000; i++) shelf.items.add(i % 2 ? 'a.png' : 'b.png');",
        {"a.png": lambda: png(32, 32), "b.png": lambda: png(32, 32)}),
    "100,000 score adds": (
        "",
        "for (var i = 0; i < 100000; i++) scoreTable.addScore('player', (i * 7919) % 100000);",
        {}),
}


def write_case(folder, objects, hostile, files, frames):
    with open(os.path.join(folder, "main.object"), "w") as f:
        f.write("object game: Applet\n  width = 640\n  height = 480\n  frameRate = 60\n"
                "  onTick = 'onFrame()'\n" + objects + "end\n")
    with open(os.path.join(folder, "main.js"), "w") as f:
        f.write(TIMING % {"hostile": HOSTILE_FRAME, "last": frames} + "function hostile() {\n" + hostile + "\n}\n")
    for name, make in files.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(make())


def run(program, folder, arguments, marker, timeout):
    started = time.monotonic()
    first_frame = None
    times = None
    errors = []
    with sample_bench.launch(program, folder, arguments) as process:
        try:
            for line in process.stdout:
                if first_frame is None and "first frame" in line:
                    first_frame = time.monotonic() - started
                if marker in line:
                    times = [float(t) for t in line.split(marker, 1)[1].split()]
                # Error lines, and what a case notes of its own work.
                noted = " (e) " in line or ("(i) bench: " in line and marker not in line and "first frame" not in line)
                if noted and len(errors) < 3:
                    errors.append(line.rstrip())
                if time.monotonic() - started > timeout:
                    process.kill()
                    return None, None, ["no end within %d s" % timeout]
        finally:
            process.wait()
    return first_frame, times, errors


def report(name, first_frame, times, errors):
    if not times:
        print("%-38s  did not finish: %s" % (name, "; ".join(errors)))
        return
    longest = max(times)
    print("%-38s  %9.0f  %7.1f  %6d  %9.3f" % (name, longest, statistics.median(times), times.index(longest) + 1,
                                               first_frame or 0))
    for line in errors:
        print("    " + line)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    here = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser.add_argument("--build", default=os.path.join(here, "build-rel"))
    parser.add_argument("--frames", type=int, default=150)
    parser.add_argument("--sample-frames", type=int, default=600)
    parser.add_argument("--timeout", type=int, default=300)
    parser.add_argument("--only", help="the cases whose name holds this text")
    args = parser.parse_args()
    program = os.path.abspath(os.path.join(args.build, "bin", "corvane"))
    if not os.path.exists(program):
        sys.exit("no program in %s: build first" % args.build)
    print("%-38s  %9s  %7s  %6s  %9s" % ("case", "longest", "median", "frame", "start-up"))
    print("%-38s  %9s  %7s  %6s  %9s" % ("", "ms", "ms", "", "s"))
    for name, (objects, hostile, files) in CASES.items():
        if args.only and args.only not in name:
            continue
        with tempfile.TemporaryDirectory(prefix="corvane-hostile-") as folder:
            write_case(folder, objects, hostile, files, args.frames)
            report(name, *run(program, folder, [], "(i) bench: frame times ", args.timeout))
    if args.only and args.only not in "the sample":
        return
    resources = os.path.join(args.build, "Resources")
    with tempfile.TemporaryDirectory(prefix="corvane-hostile-") as folder:
        sample_bench.copy_sample(resources, folder)
        report("the sample", *run(program, folder, ["+bench=%d" % args.sample_frames],
                                  "(i) sample: frame times ", args.timeout))


if __name__ == "__main__":
    main()
