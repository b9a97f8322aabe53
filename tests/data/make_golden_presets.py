#!/usr/bin/env python3
"""Writes the golden preset files with Python's own zlib and struct, following
the toolkit's binary tree stream layout, so the C++ writer and reader are
checked against bytes that share none of their code. Run from this folder."""
import math
import struct
import zlib


def compressed_int(value):
    magnitude = abs(value)
    body = b""
    while magnitude > 0:
        body += bytes([magnitude & 0xFF])
        magnitude >>= 8
    head = len(body) | (0x80 if value < 0 else 0)
    return bytes([head]) + body


def c_string(text):
    return text.encode("utf-8") + b"\0"


def var_int(value):
    return compressed_int(5) + b"\x01" + struct.pack("<i", value)


def var_string(text):
    encoded = c_string(text)
    return compressed_int(len(encoded) + 1) + b"\x05" + encoded


def var_binary(data):
    return compressed_int(1 + len(data)) + b"\x08" + data


def tree(type_name, properties, children=()):
    out = c_string(type_name) + compressed_int(len(properties))
    for name, value in properties:
        out += c_string(name) + value
    out += compressed_int(len(children))
    for child in children:
        out += child
    return out


def preset(version, base_layer_properties, artist="Golden Artist"):
    metadata = tree("metadata", [("name", var_string("")), ("artist", var_string(artist)),
                                 ("tags", var_string("")), ("description", var_string(""))])
    base = tree("baseLayer", base_layer_properties)
    transfer = tree("transferFunction", [("tableSize", var_int(16384))], [base])
    return tree("Preset", [("formatVersion", var_int(version))], [metadata, transfer])


def tanh_curve(i, n):
    x = -1.0 + 2.0 * i / (n - 1)
    return math.tanh(3.0 * x) / math.tanh(3.0)


def deflate9(data):
    compressor = zlib.compressobj(level=9, method=zlib.DEFLATED, wbits=15, memLevel=8)
    return compressor.compress(data) + compressor.flush()


floats = struct.pack("<16384f", *[tanh_curve(i, 16384) for i in range(16384)])
with open("golden-v5-zlib-f32.tfunc", "wb") as f:
    f.write(preset(5, [("compression", var_string("zlib")), ("dataF32", var_binary(deflate9(floats)))]))

doubles = struct.pack("<100d", *[tanh_curve(i, 100) for i in range(100)])
with open("golden-v3-f64-100-uncompressed.tfunc", "wb") as f:
    f.write(preset(3, [("data", var_binary(doubles))], artist=""))

odd = struct.pack("<7f", *[0.5 * k for k in range(7)]) + b"\x01\x02"
with open("golden-v4-none-f32-odd.tfunc", "wb") as f:
    f.write(preset(4, [("compression", var_string("none")), ("dataF32", var_binary(odd))]))
