#!/usr/bin/env python3
"""GSI 16 coordinates of N points (default 100,000) into a DXF drawing with
veltro-convert and that drawing back into GSI 16; reports MB/s of the input,
points per second and peak memory against the input size, and checks that
every point came back.

    python3 bench/dxf_bench.py [--points N] [--build build-rel]

Build first in Release:  cmake -S . -B build-rel -G Ninja -DCMAKE_BUILD_TYPE=Release
                         cmake --build build-rel --target veltro-convert
"""
import argparse
import os
import tempfile

from convert_bench import run


def gsi16_coordinates(path, n):
    with open(path, "wb") as f:
        for i in range(1, n + 1):
            f.write(("*110001+%016d 71....+%016d 81...0+%016d 82...0+%016d 83...0+%016d \r\n"
                     % (i, i % 50, 2600000000 + i * 7, 1200000000 + i * 3, 450000 + i % 1000)).encode())


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--points", type=int, default=100000)
    ap.add_argument("--build", default="build-rel")
    args = ap.parse_args()
    convert = os.path.join(args.build, "app", "veltro-convert")
    with tempfile.TemporaryDirectory() as tmp:
        settings = os.path.join(tmp, "settings.ini")
        open(settings, "w").close()
        src = os.path.join(tmp, "punkte.gsi")
        dxf = os.path.join(tmp, "punkte.dxf")
        back = os.path.join(tmp, "zurueck.gsi")
        gsi16_coordinates(src, args.points)
        for name, cmd, inp, out in (
                ("GSI 16 -> DXF", ["--from", "GSI16", "--to", "DXF", src, dxf], src, dxf),
                ("DXF -> GSI 16", ["--from", "DXF", "--to", "GSI16", dxf, back], dxf, back)):
            size_mb = os.path.getsize(inp) / 1e6
            rc, secs, peak_kb, user_s, err = run([convert, "--quiet", "--yes", "--settings", settings] + cmd)
            print("%-14s %7.1f MB  rc=%d  %6.2f s  %7.1f MB/s  %9.0f points/s  peak %6.1f MB (%.1fx input)"
                  "  user %.2f s  output %.1f MB"
                  % (name, size_mb, rc, secs, size_mb / secs, args.points / secs, peak_kb / 1024,
                     peak_kb / 1024 / size_mb, user_s, os.path.getsize(out) / 1e6 if os.path.exists(out) else 0))
            if rc not in (0, 1):
                print(err.decode(errors="replace")[-2000:])
                return
        with open(back, "rb") as f:
            points = sum(1 for _ in f)
        print("points back: %d of %d" % (points, args.points))


if __name__ == "__main__":
    main()
