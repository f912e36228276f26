#!/usr/bin/env python3
"""GSI 16 coordinates to the template format and back with veltro-convert on a
generated file of N points (default 1,000,000, about 100 MB), with the fixed
layout of tests/data/template/koordinaten.Format; reports MB/s and peak memory
of both directions and checks the line counts.

    python3 bench/template_bench.py [--points N] [--build build-rel]

Build first in Release:  cmake -S . -B build-rel -G Ninja -DCMAKE_BUILD_TYPE=Release
                         cmake --build build-rel --target veltro-convert
"""
import argparse
import os
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from convert_bench import run  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
FORMAT = os.path.join(HERE, "..", "tests", "data", "template", "koordinaten.Format")


def gsi16_coordinates(path, n):
    with open(path, "wb") as f:
        for i in range(1, n + 1):
            f.write(("*110001+%016d 81..00+%016d 82..00+%016d 83..00+%016d \r\n"
                     % (i, 2600000000 + i * 7, 1200000000 + i * 3, 400000 + i % 100000)).encode())


def lines(path):
    with open(path, "rb") as f:
        return sum(1 for _ in f)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--points", type=int, default=1000000)
    ap.add_argument("--build", default="build-rel")
    args = ap.parse_args()
    convert = os.path.join(args.build, "app", "veltro-convert")
    with tempfile.TemporaryDirectory() as tmp:
        settings = os.path.join(tmp, "settings.ini")
        open(settings, "a").close()
        src = os.path.join(tmp, "koordinaten.gsi")
        dat = os.path.join(tmp, "koordinaten.dat")
        back = os.path.join(tmp, "zurueck.gsi")
        gsi16_coordinates(src, args.points)
        steps = (("GSI16 -> template", src, dat, ["--to", "NewFormat"], args.points + 2),
                 ("template -> GSI16", dat, back, ["--from", "NewFormat", "--to", "GSI16"], args.points))
        for name, inp, out, how, expected in steps:
            size_mb = os.path.getsize(inp) / 1e6
            rc, secs, peak_kb, user_s, err = run([convert, "--quiet", "--yes", "--settings", settings,
                                                  "--template", FORMAT] + how + [inp, out])
            count = lines(out) if os.path.exists(out) else 0
            print("%-18s %7.1f MB  rc=%d  %6.2f s  %7.1f MB/s  peak %6.1f MB (%.1fx input)  user %.2f s  lines %s"
                  % (name, size_mb, rc, secs, size_mb / secs, peak_kb / 1024, peak_kb / 1024 / size_mb, user_s,
                     "ok" if count == expected else "%d, expected %d" % (count, expected)))
            if rc != 0:
                print(err.decode(errors="replace")[-2000:])


if __name__ == "__main__":
    main()
