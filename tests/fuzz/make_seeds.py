#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets: valid inputs of every accepted
variant, built with the same independent encoder as the golden preset files
(scripts/fuzz.sh adds those golden files from tests/data to the preset seeds)."""
import os
import struct
import sys
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "data"))
os.chdir(os.path.join(os.path.dirname(__file__), "..", "data"))
import make_golden_presets as g  # noqa: E402  (also refreshes the golden files)

here = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")


def write(target, name, data):
    folder = os.path.join(here, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def var_double(value):
    return g.compressed_int(9) + b"\x04" + struct.pack("<d", value)


values = [g.tanh_curve(i, 64) for i in range(64)]
f32 = struct.pack("<64f", *values)
f64 = struct.pack("<64d", *values)
presets = {
    "v5-zlib-f32": g.preset(5, [("compression", g.var_string("zlib")), ("dataF32", g.var_binary(g.deflate9(f32)))]),
    "v5-none-f32": g.preset(5, [("compression", g.var_string("none")), ("dataF32", g.var_binary(f32))]),
    "v4-missing-compression-f64": g.preset(4, [("data", g.var_binary(f64))]),
    "v3-zlib-f64": g.preset(3, [("compression", g.var_string("zlib")), ("data", g.var_binary(g.deflate9(f64)))]),
    "v5-both-properties": g.preset(5, [("data", g.var_binary(f64)), ("dataF32", g.var_binary(f32))]),
    "v5-odd-count": g.preset(5, [("dataF32", g.var_binary(f32[:10]))]),
}
for name, data in presets.items():
    write("FuzzPresetBytes", name, data)
    write("FuzzPresetTree", name, data)

# Single bytes of a zlib preset changed, as a damaged copy has them: most break
# the stream or its checksum (and must be refused); the rest must read back as
# a table that re-encodes to itself.
random = __import__("random").Random(600)
original = presets["v5-zlib-f32"]
for k in range(600):
    mutant = bytearray(original)
    at = random.randrange(len(mutant))
    mutant[at] ^= random.randrange(1, 256)
    write("FuzzPresetBytes", "mutant-%03d" % k, bytes(mutant))

params = [("scaleX", 0.0), ("scaleY", -6.5), ("latencyX", 10.37), ("latencyY", 0.5), ("smoothing", 50.0),
          ("captureAlgorithm", 1.0), ("captureLength", 2.0), ("visualizationMode", 0.0), ("timeWindow", 2.0)]
children = [g.tree("PARAM", [("id", g.var_string(pid)), ("value", var_double(v))]) for pid, v in params]
write("FuzzStateBytes", "state", g.tree("PARAMETERS", [], children))
write("FuzzStateBytes", "empty-parameters", g.tree("PARAMETERS", []))

write("FuzzOverridesXml", "hidden", b'<?xml version="1.0"?>\n<FactoryOverrides>'
      b'<Entry key="Transfer Functions/Warm.tfunc" hidden="1"/>'
      b'<Entry key="Transfer Functions/Sub/Cold.tfunc" hidden=" TRUE "/>'
      b'<Entry name="x" description="y" tags="z"/></FactoryOverrides>\n')
write("FuzzOverridesXml", "other-root", b"<Overrides><Entry key=\"a\" hidden=\"yes\"/></Overrides>")
