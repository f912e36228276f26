#!/usr/bin/python3
"""Drawings written by veltro-convert, checked by an independent reader.

    dxf_check.py CONVERT DATA_DIR

Every drawing is written with the shipped frame and with the built-in frame
(an empty DXF directory) and must be read by ezdxf as an R12 (AC1009) drawing
whose audit reports no error. ezdxf is lenient, so the file is also checked
here: 8-bit code page 1252 text with CR LF, group code / value pairs with
right-aligned integer codes and no empty values, numbers where DXF wants
numbers, balanced sections ending in EOF, no handles or subclass markers in
the entities, and entity layers declared in the frame's LAYER table.
"""
import os
import re
import subprocess
import sys
import tempfile

import ezdxf

CONFIG = "[Software\\VELTRO Marten\\Surtrans\\2.1.1.5\\Configuration"
FLOAT = re.compile(r"^-?\d+(\.\d+)?([eE][-+]?\d+)?$")
INT = re.compile(r"^ *-?\d+$")
failures = []


def fail(case, text):
    failures.append("%s: %s" % (case, text))


def is_float_code(code):
    return 10 <= code <= 59 or 110 <= code <= 149 or 210 <= code <= 239 or 1010 <= code <= 1059


def is_int_code(code):
    return 60 <= code <= 79 or 90 <= code <= 99 or 170 <= code <= 179 or 270 <= code <= 289


def own_checks(case, path, check_layers):
    data = open(path, "rb").read()
    if not data.endswith(b"\r\n"):
        fail(case, "does not end with CR LF")
    lines = data.split(b"\r\n")[:-1]
    for n, raw in enumerate(lines, 1):
        if b"\r" in raw or b"\n" in raw:
            fail(case, "line %d: a line end other than CR LF" % n)
            return
        try:
            raw.decode("cp1252")
        except UnicodeDecodeError:
            fail(case, "line %d: a byte outside code page 1252" % n)
    text = [raw.decode("cp1252", "replace") for raw in lines]
    if len(text) % 2:
        fail(case, "odd number of lines")
        return
    pairs = []
    for i in range(0, len(text), 2):
        code, value = text[i], text[i + 1]
        if not INT.match(code) or "%3d" % int(code) != code:
            fail(case, "line %d: %r is no right-aligned group code" % (i + 1, code))
            return
        if value.strip() == "" and int(code) != 1:
            fail(case, "line %d: empty value of group %s" % (i + 2, code.strip()))
        c = int(code)
        if is_float_code(c) and not FLOAT.match(value.strip()):
            fail(case, "line %d: group %d wants a number: %r" % (i + 2, c, value))
        if is_int_code(c) and not INT.match(value):
            fail(case, "line %d: group %d wants an integer: %r" % (i + 2, c, value))
        pairs.append((c, value))

    if pairs[-1] != (0, "EOF"):
        fail(case, "does not end with 0 EOF")
    sections, layers, section = [], set(), None
    entity_layers = []
    i = 0
    while i < len(pairs) - 1:
        code, value = pairs[i]
        if (code, value) == (0, "SECTION"):
            if section is not None or pairs[i + 1][0] != 2:
                fail(case, "SECTION inside a section or without name")
                return
            section = pairs[i + 1][1]
            sections.append(section)
            i += 2
            continue
        if (code, value) == (0, "ENDSEC"):
            if section is None:
                fail(case, "ENDSEC without SECTION")
            section = None
        elif section == "HEADER" and code == 9:
            expected = {"$ACADVER": "AC1009", "$DWGCODEPAGE": "ANSI_1252"}.get(value)
            if expected and pairs[i + 1][1] != expected:
                fail(case, "%s is %r" % (value, pairs[i + 1][1]))
        elif section == "TABLES" and (code, value) == (0, "LAYER"):
            layers.add(pairs[i + 1][1] if pairs[i + 1][0] == 2 else None)
        elif section == "ENTITIES":
            if code in (5, 100, 330):
                fail(case, "group %d in the entities of an R12 drawing" % code)
            if code == 8:
                entity_layers.append(value)
        i += 1
    if section is not None:
        fail(case, "section %s not closed" % section)
    if "ENTITIES" not in sections:
        fail(case, "no ENTITIES section")
    if check_layers and "TABLES" in sections:
        for layer in sorted(set(entity_layers) - layers):
            fail(case, "layer %r is not in the LAYER table" % layer)


def ezdxf_checks(case, path, points, first):
    try:
        doc = ezdxf.readfile(path)
    except Exception as e:  # noqa: BLE001 - any failure to read is the finding
        fail(case, "ezdxf cannot read it: %s" % e)
        return
    if doc.dxfversion != "AC1009":
        fail(case, "ezdxf reads version %s" % doc.dxfversion)
    auditor = doc.audit()
    for error in auditor.errors:
        fail(case, "audit: %s" % error.message)
    found = [e for e in doc.modelspace() if e.dxftype() == "POINT"]
    if len(found) != points:
        fail(case, "%d POINT entities, expected %d" % (len(found), points))
    else:
        location = tuple(round(v, 4) for v in found[0].dxf.location)
        if location != first:
            fail(case, "first POINT at %s, expected %s" % (location, first))
    for text in (e for e in doc.modelspace() if e.dxftype() == "TEXT"):
        if text.dxf.height <= 0:
            fail(case, "TEXT with height %s" % text.dxf.height)


def main():
    convert, data = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory() as tmp:
        empty = os.path.join(tmp, "leer")
        os.mkdir(empty)

        def run(case, args, settings):
            ini = os.path.join(tmp, case + ".ini")
            with open(ini, "w", newline="") as f:
                f.write(settings)
            env = dict(os.environ, XDG_CONFIG_HOME=tmp)
            cmd = [convert, "--quiet", "--yes", "--settings", ini] + args
            proc = subprocess.run(cmd, env=env, capture_output=True)
            if proc.returncode != 0:
                fail(case, "veltro-convert exit %d: %s" % (proc.returncode, proc.stderr.decode(errors="replace")))
                return False
            return True

        ascii_gsi = os.path.join(tmp, "koordinaten.gsi")
        if not run("ascii", ["--to", "GSI16", os.path.join(data, "gsi", "koordinaten.asc"), ascii_gsi], ""):
            return 1
        sources = [
            ("kurz", os.path.join(data, "office", "punkte-kurz.gsi"), 4, (600123.456, 200654.321, 456.789)),
            ("lv95", os.path.join(data, "office", "punkte-lv95.gsi"), 2, (2600123.456, 1200654.321, 456.789)),
            ("messung", os.path.join(data, "office", "messung-gsi16.gsi"), 1, (600123.456, 200654.321, 456.789)),
            ("zweid", ascii_gsi, 4, (2600123.456, 1200456.789, 456.123)),
        ]
        frames = [("shipped", ""), ("builtin", CONFIG + "]\r\nDXFPath=" + empty + "\r\n")]
        definitions = [
            ("standard", "", True),
            ("code", CONFIG + "\\DXF]\r\nDefinition=Punkt mit Code\r\nLayer=Vermessung\r\nFont size=2,5\r\n", False),
        ]
        for frame, frame_settings in frames:
            for definition, definition_settings, check_layers in definitions:
                for name, source, points, first in sources:
                    case = "%s-%s-%s" % (name, frame, definition)
                    out = os.path.join(tmp, case + ".dxf")
                    if not run(case, ["--from", "GSI16", "--to", "DXF", source, out],
                               frame_settings + definition_settings):
                        continue
                    own_checks(case, out, check_layers)
                    ezdxf_checks(case, out, points, first)
    for f in failures:
        print(f)
    print("%d drawings checked, %d findings" % (len(sources) * len(frames) * len(definitions), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
