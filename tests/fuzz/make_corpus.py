#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets: small inputs made here, none taken from elsewhere."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
NAME = "透明怪".encode("utf-16-le")
MARKER = (struct.pack("<ii", 4, 3) + NAME + bytes(58) + NAME + bytes(26) + NAME + bytes(14))
assert len(MARKER) == 124


def record(index, name, experience):
    body = bytearray((0x41 + (i + index) % 23) for i in range(692))
    if index == 0:
        body[0:124] = MARKER
    else:
        field = name.encode("utf-16-le")[:64]
        body[8:72] = field + bytes(64 - len(field))
    body[248:252] = struct.pack("<i", experience)
    return bytes(body)


def data_file(count, experiences, cut=None, before=b"\x02head"):
    records = b"".join(record(i, "狼王" if i else "", e) for i, e in enumerate(experiences))
    body = before + struct.pack("<i", count) + records
    return body if cut is None else body[: len(body) - 692 + cut]


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def main():
    for name, pos, length, data in [
        ("marker-start", 1, 4, MARKER + b"tail"),
        ("marker-offset-2", -5, 4, b"ab" + MARKER),
        ("past-end", 0x7FFFFFFF, 0x7FFFFFFF, b"M" + bytes(200)),
        ("negative-length", 3, -1, b"\x04" * 300),
    ]:
        write("record_table_fuzz", name, struct.pack("<II", pos & 0xFFFFFFFF, length & 0xFFFFFFFF) + data)

    for name, data in [
        ("transparent-monster", NAME + bytes(58)),
        ("full-field", "狼" .encode("utf-16-le") * 32),
        ("combining", "e\u0301a\u0300\u00fc\u0304".encode("utf-16-le")),
        ("surrogates", "\ud800x\udc00".encode("utf-16-le", "surrogatepass")),
        ("gbk-bytes", "经验：１．５".encode("gbk") + b"\x81\x30\xff\x80"),
    ]:
        write("text_fuzz", name, data)

    for i, text in enumerate([b"0.7", b"1.1", b"-0.5", b"1d1", b"1e39", b"1e-50", b"1e", b"1e+",
                              b"5-", b"1,5", b"1.2.3", b"0x10", b"--5", b".", b"",
                              "１．５".encode("gbk"), "\u3000".encode("gbk") + b"2.5x",
                              b"3.40282357e38", b"0." + b"0" * 60 + b"1"]):
        write("scale_factor_fuzz", "text-%02d" % i, text)

    for chunk, (name, factor, data) in enumerate([
        ("three-records", b"0.7", data_file(3, [10, 100, 300000000])),
        ("cut-experience", b"2", data_file(5, [10, 300], cut=250)),
        ("cut-name", b"1.5", data_file(5, [10, 300], cut=11)),
        ("huge-count", b"2", data_file(0x7FFFFFFF, [10, 20])),
        ("negative-count", b"2", data_file(-1, [10, 20])),
        ("no-marker", b"2", b"\x02" + bytes(1000)),
        ("marker-at-start", b"1e39", MARKER + bytes(600)),
    ]):
        # The first four bytes choose the chunk size of the piecewise reading.
        write("pipeline_fuzz", name, struct.pack("<I", 60 + 97 * chunk) + bytes([len(factor)]) + factor + data)


if __name__ == "__main__":
    main()
