#!/usr/bin/env python3
"""Makes the sample applet's media: pictures, models and sounds, drawn and
composed here so that the sample ships no file it did not make itself.

  sprites.png   256 x 64 RGBA, four 64 x 64 frames of a turning coin
  floor.png     128 x 128 RGB, stone tiles with dark joints
  logo.png      256 x 128 RGBA, a ring and three bars on transparency
  crate.3ds     a 3DS model: a crate of 24 vertices and 12 faces with one
                material mapped with floor.png
  walker.md3    an MD3 model of 20 frames: a four-sided spike that bobs,
                wound and lit as MD3 models are
  walker.aaf    its animation list: "idle" frames 0 to 9, "walk" 10 to 19
  click.wav     60 ms of a decaying 1.5 kHz tone, 22050 Hz mono 16-bit
  music.wav     a 4-second loop of arpeggiated chords, 22050 Hz mono 16-bit;
                the build encodes it as music.ogg (wav_to_ogg.cpp beside
                this script), since the engine streams only compressed
                music and Python's standard library has no Vorbis encoder
  tune.mod      a four-channel tracker module ("M.K."), one pattern with a
                melody and a bass on two looped samples

Every byte depends only on this script: run twice, it writes the same files.

Run from anywhere: python3 make_media.py OUTPUT_FOLDER
"""

import math
import os
import struct
import sys
import zlib

# ------------------------------------------------------------------ PNG


def png(width, height, rows, alpha):
    """rows: height lists of width (r, g, b[, a]) tuples of 0..255."""
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    raw = bytearray()
    for row in rows:
        raw.append(0)  # no filter
        for px in row:
            raw.extend(px[:4] if alpha else px[:3])
    header = struct.pack(">IIBBBBB", width, height, 8, 6 if alpha else 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def clamp8(value):
    return max(0, min(255, int(round(value))))


def mix(a, b, t):
    return tuple(clamp8(x + (y - x) * t) for x, y in zip(a, b))


def sprites():
    """A gold coin seen turning about its vertical axis, a quarter turn a frame."""
    size, frames = 64, 4
    rows = []
    for y in range(size):
        row = []
        for frame in range(frames):
            squeeze = max(0.12, abs(math.cos(frame * math.pi / frames)))
            for x in range(size):
                dx = (x + 0.5 - size / 2) / (size / 2 - 3) / squeeze
                dy = (y + 0.5 - size / 2) / (size / 2 - 3)
                r = math.hypot(dx, dy)
                if r > 1:
                    row.append((0, 0, 0, 0))
                    continue
                edge = min(1.0, (1 - r) * 12)
                shade = 0.75 + 0.25 * (dy * -0.6 + dx * -0.4 * squeeze)
                base = (250, 200, 60) if r < 0.72 else (200, 140, 30)
                row.append(tuple(clamp8(c * shade) for c in base) + (clamp8(255 * edge),))
        rows.append(row)
    return png(size * frames, size, rows, True)


def floor():
    size, tile = 128, 32
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            tx, ty = x // tile, y // tile
            u, v = x % tile, y % tile
            joint = u < 2 or v < 2
            # A fixed speckle per pixel, from its coordinates alone.
            speckle = ((x * 73856093) ^ (y * 19349663)) % 17 - 8
            tone = 150 + 20 * ((tx + ty) % 2) + speckle
            row.append((60, 56, 50) if joint else (tone, tone - 6, tone - 16))
        rows.append(row)
    return png(size, size, rows, False)


def logo():
    width, height = 256, 128
    rows = []
    for y in range(height):
        row = []
        for x in range(width):
            px = (0, 0, 0, 0)
            r = math.hypot(x + 0.5 - 64, y + 0.5 - 64)
            if 30 <= r <= 50:
                px = mix((40, 170, 220), (30, 90, 200), (y / height)) + (255,)
            for i, top in enumerate((36, 58, 80)):
                if 128 <= x < 128 + 110 - 24 * i and top <= y < top + 12:
                    px = (230, 170 - 30 * i, 40, 255)
            row.append(px)
        rows.append(row)
    return png(width, height, rows, True)


# ------------------------------------------------------------------ 3DS

M3DMAGIC, M3D_VERSION, MDATA, MESH_VERSION = 0x4D4D, 0x0002, 0x3D3D, 0x3D3E
COLOR_24, NAMED_OBJECT, N_TRI_OBJECT = 0x0011, 0x4000, 0x4100
POINT_ARRAY, FACE_ARRAY, MSH_MAT_GROUP, TEX_VERTS, MESH_MATRIX = 0x4110, 0x4120, 0x4130, 0x4140, 0x4160
MAT_ENTRY, MAT_NAME, MAT_AMBIENT, MAT_DIFFUSE, MAT_SPECULAR = 0xAFFF, 0xA000, 0xA010, 0xA020, 0xA030
MAT_TEXMAP, MAT_MAPNAME, INT_PERCENTAGE = 0xA200, 0xA300, 0x0030


def chunk3ds(tag, data=b"", *children):
    body = data + b"".join(children)
    return struct.pack("<HI", tag, 6 + len(body)) + body


def cstr(text):
    return text.encode("latin-1") + b"\0"


def crate():
    """A 40-unit crate standing on the ground, each face mapped whole."""
    s = 40.0
    corners = [(x * s - s / 2, y * s - s / 2, z * s) for z in (0, 1) for y in (0, 1) for x in (0, 1)]
    quads = [(0, 2, 3, 1), (4, 5, 7, 6), (0, 1, 5, 4), (2, 6, 7, 3), (0, 4, 6, 2), (1, 3, 7, 5)]
    points, uvs, faces = [], [], []
    for quad in quads:
        base = len(points)
        for k, corner in enumerate(quad):
            points.append(corners[corner])
            uvs.append([(0, 0), (1, 0), (1, 1), (0, 1)][k])
        faces += [(base, base + 1, base + 2), (base, base + 2, base + 3)]
    material = chunk3ds(MAT_ENTRY, b"",
                        chunk3ds(MAT_NAME, cstr("Crate")),
                        chunk3ds(MAT_AMBIENT, b"", chunk3ds(COLOR_24, bytes([60, 40, 20]))),
                        chunk3ds(MAT_DIFFUSE, b"", chunk3ds(COLOR_24, bytes([200, 150, 90]))),
                        chunk3ds(MAT_SPECULAR, b"", chunk3ds(COLOR_24, bytes([40, 40, 40]))),
                        chunk3ds(MAT_TEXMAP, b"",
                                 chunk3ds(INT_PERCENTAGE, struct.pack("<h", 100)),
                                 chunk3ds(MAT_MAPNAME, cstr("floor.png"))))
    face_data = struct.pack("<H", len(faces)) + b"".join(struct.pack("<4H", a, b, c, 7) for a, b, c in faces)
    group = chunk3ds(MSH_MAT_GROUP, cstr("Crate") + struct.pack("<H", len(faces)) +
                     struct.pack("<%dH" % len(faces), *range(len(faces))))
    mesh = chunk3ds(N_TRI_OBJECT, b"",
                    chunk3ds(POINT_ARRAY, struct.pack("<H", len(points)) +
                             b"".join(struct.pack("<3f", *p) for p in points)),
                    chunk3ds(TEX_VERTS, struct.pack("<H", len(uvs)) +
                             b"".join(struct.pack("<2f", *uv) for uv in uvs)),
                    chunk3ds(MESH_MATRIX, struct.pack("<12f", 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0)),
                    chunk3ds(FACE_ARRAY, face_data, group))
    return chunk3ds(M3DMAGIC, b"",
                    chunk3ds(M3D_VERSION, struct.pack("<I", 3)),
                    chunk3ds(MDATA, b"",
                             chunk3ds(MESH_VERSION, struct.pack("<I", 3)),
                             material,
                             chunk3ds(NAMED_OBJECT, cstr("crate"), mesh)))


# ------------------------------------------------------------------ MD3

MD3_SCALE = 64  # stored coordinates are 1/64 units


def name(text, size):
    return text.encode("latin-1").ljust(size, b"\0")


def vertex_normals(points, triangles):
    """Each vertex's normal: the sum of the outward normals of its faces,
    made unit length."""
    sums = [[0.0, 0.0, 0.0] for _ in points]
    for a, b, c in triangles:
        u = [points[b][k] - points[a][k] for k in range(3)]
        v = [points[c][k] - points[a][k] for k in range(3)]
        n = (u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0])
        for corner in (a, b, c):
            for k in range(3):
                sums[corner][k] += n[k]
    return [[c / math.sqrt(sum(x * x for x in n)) for c in n] for n in sums]


def pack_normal(n):
    """An MD3 normal: its angle from +z and its turn about z from +x, each
    in 255ths of a full turn."""
    turn = 255 / (2 * math.pi)
    return (round(math.acos(max(-1.0, min(1.0, n[2]))) * turn) % 256,
            round(math.atan2(n[1], n[0]) * turn) % 256)


def walker():
    """A four-sided spike on a square foot; the tip sways and the body bobs."""
    frames = 20
    uvs = [(0.5, 0.0), (0, 1), (1, 1), (1, 0), (0, 0)]
    # Counter-clockwise seen from outside; the file winds them the other way
    # round, as MD3 models are wound.
    outward = [(0, 1, 2), (0, 2, 3), (0, 3, 4), (0, 4, 1), (1, 3, 2), (1, 4, 3)]
    triangles = [(a, c, b) for a, b, c in outward]
    frame_data, vertex_data = b"", b""
    for f in range(frames):
        phase = 2 * math.pi * (f % 10) / 10
        lift = 4 * abs(math.sin(phase)) if f >= 10 else 1 * math.sin(phase)
        sway = 6 * math.sin(phase) if f >= 10 else 0
        tip = (sway, 0, 40 + lift)
        foot = [(-10, -10, lift), (10, -10, lift), (10, 10, lift), (-10, 10, lift)]
        points = [tip] + foot
        frame_data += (struct.pack("<10f", -16, -10, 0, 16, 10, 48, 0, 0, 0, 48) + name("frame%d" % f, 16))
        normals = vertex_normals(points, outward)
        vertex_data += b"".join(struct.pack("<3h2B", *(round(c * MD3_SCALE) for c in p), *pack_normal(n))
                                for p, n in zip(points, normals))
    shader = name("walker.png", 64) + struct.pack("<i", 0)
    triangle_data = b"".join(struct.pack("<3i", *t) for t in triangles)
    uv_data = b"".join(struct.pack("<2f", *uv) for uv in uvs)
    triangles_at = 108 + len(shader)
    uvs_at = triangles_at + len(triangle_data)
    vertices_at = uvs_at + len(uv_data)
    end = vertices_at + len(vertex_data)
    surface = (b"IDP3" + name("body", 64) +
               struct.pack("<10i", 0, frames, 1, len(uvs), len(triangles),
                           triangles_at, 108, uvs_at, vertices_at, end) +
               shader + triangle_data + uv_data + vertex_data)
    frames_at = 108
    surfaces_at = frames_at + len(frame_data)
    header = (b"IDP3" + struct.pack("<i", 15) + name("walker", 64) +
              struct.pack("<9i", 0, frames, 0, 1, 0, frames_at, surfaces_at, surfaces_at,
                          surfaces_at + len(surface)))
    return header + frame_data + surface


def walker_list():
    return b"AAF\r\n2\r\nidle,0,9\r\nwalk,10,19\r\n"


# ------------------------------------------------------------------ sound

RATE = 22050


def wav(samples):
    """samples: floats in -1..1, written as 16-bit mono."""
    data = b"".join(struct.pack("<h", max(-32767, min(32767, int(round(s * 32767))))) for s in samples)
    return (b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVE" +
            b"fmt " + struct.pack("<IHHIIHH", 16, 1, 1, RATE, RATE * 2, 2, 16) +
            b"data" + struct.pack("<I", len(data)) + data)


def click():
    count = RATE * 60 // 1000
    return wav([0.8 * math.exp(-i / (RATE * 0.012)) * math.sin(2 * math.pi * 1500 * i / RATE)
                for i in range(count)])


def music():
    """Four chords of a second each, their notes arpeggiated in eighths; the
    loop ends where it starts, so it repeats without a click."""
    chords = [(220.0, 261.63, 329.63), (174.61, 220.0, 261.63), (196.0, 246.94, 293.66), (164.81, 207.65, 246.94)]
    step = RATE // 8
    out = []
    for chord in chords:
        for k in range(8):
            note = chord[k % 3] * (2 if k >= 6 else 1)
            for i in range(step):
                envelope = math.exp(-i / (step * 0.5)) * min(1.0, i / 40)
                pad = sum(math.sin(2 * math.pi * c * 0.5 * (len(out) / RATE)) for c in chord) / 3
                out.append(0.45 * envelope * math.sin(2 * math.pi * note * i / RATE) + 0.12 * pad)
    return wav(out)


def tune():
    """Four channels, 31 sample slots, one 64-row pattern played twice."""
    song = bytearray(name("corvane sample", 20))
    waves = {
        1: ("lead", [round(90 * math.sin(2 * math.pi * i / 32)) for i in range(32)]),
        2: ("bass", [100 if i < 16 else -100 for i in range(32)]),
    }
    for slot in range(1, 32):
        label, data = waves.get(slot, ("", []))
        words = len(data) // 2
        song += name(label, 22) + struct.pack(">HBBHH", words, 0, 48 if data else 0, 0, max(words, 1))
    song += bytes([2, 127]) + bytes([0, 0] + [0] * 126) + b"M.K."
    # Amiga periods of the notes used (octave 2 and 1).
    periods = {"C2": 428, "D2": 381, "E2": 339, "G2": 285, "A2": 254, "C1": 856, "G1": 570, "A1": 508}
    melody = ["C2", "E2", "G2", "E2", "A2", "G2", "E2", "D2"]
    bass = ["C1", "C1", "A1", "G1"]
    pattern = bytearray(64 * 4 * 4)

    def cell(row, channel, note, sample, effect=0, param=0):
        period = periods[note] if note else 0
        at = (row * 4 + channel) * 4
        pattern[at:at + 4] = bytes([(sample & 0xF0) | (period >> 8), period & 0xFF,
                                    ((sample & 0x0F) << 4) | effect, param])

    for row in range(0, 64, 4):
        cell(row, 0, melody[(row // 4) % len(melody)], 1)
        if row % 16 == 0:
            cell(row, 1, bass[(row // 16) % len(bass)], 2)
    cell(0, 2, None, 0, 0xF, 6)  # speed 6
    song += pattern
    for _, (_, data) in sorted(waves.items()):
        song += bytes(v & 0xFF for v in data)
    return bytes(song)


MEDIA = {
    "sprites.png": sprites,
    "floor.png": floor,
    "logo.png": logo,
    "crate.3ds": crate,
    "walker.md3": walker,
    "walker.aaf": walker_list,
    "click.wav": click,
    "music.wav": music,
    "tune.mod": tune,
}


def main(folder):
    os.makedirs(folder, exist_ok=True)
    for file_name, make in MEDIA.items():
        # Beside, then renamed: a build stopped halfway leaves no half file.
        path = os.path.join(folder, file_name)
        with open(path + ".part", "wb") as out:
            out.write(make())
        os.replace(path + ".part", path)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(sys.argv[1])
