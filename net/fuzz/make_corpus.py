#!/usr/bin/env python3
"""Writes the seed corpora of the net fuzzers: one file per kind of message."""
import os
import struct

here = os.path.dirname(os.path.abspath(__file__))


def msg(t, body):
    return struct.pack(">II", t, len(body)) + body


def media(long_form, payload, channel=1, kind=0):
    if long_form:
        fixed = struct.pack("<IIIIQ", channel, kind, len(payload), 0, 1234)
    else:
        fixed = struct.pack("<IIiI", channel, kind, 1234, len(payload))
    return struct.pack(">II", 8, len(fixed)) + fixed + payload


camera = b"CAM-1".ljust(164, b"\0") + struct.pack("<I", 9000) + b"\0" * 276
file_rec = b"a.mp4".ljust(256, b"\0") + b"CAM-1".ljust(32, b"\0") + b"\0" * 116
seeds = {
    "login_reply": msg(16, struct.pack(">I", 1)),
    "camera_list": msg(20, camera * 2),
    "file_list": msg(24, file_rec),
    "camera_update": msg(4098, struct.pack(">I", 0) + camera),
    "file_update": msg(4099, struct.pack(">I", 0) + file_rec),
    "channel_setup": msg(5, struct.pack("<IIII", 7, 1, 0, 1) + b"\0" * 256 + b"CAM-1".ljust(96, b"\0")),
    "media_long": media(True, b"\0\0\1\xb6" + b"x" * 40),
    "media_short": media(False, b"a" * 192, kind=3),
    "node_params": msg(34, b"\0" * 256 + struct.pack("<6I", 7, 1, 2, 3, 4, 5)),
    "setup_reply": msg(41, struct.pack(">II", 0, 1) + b"\0" * 3776),
    "ptz_reply": msg(66, struct.pack(">5i", 255, 1, 10, -20, 3)),
    "keepalive_pair": msg(48, b"") + msg(48, b""),
    "ddns_reply": msg(49, b"\0" * 16 + b"127.0.0.1".ljust(32, b"\0") + struct.pack(">II", 20002, 1)),
}

for name in ("net_receive_fuzzer", "net_body_fuzzer"):
    d = os.path.join(here, "corpus", name)
    os.makedirs(d, exist_ok=True)
    for key, data in seeds.items():
        if name == "net_body_fuzzer":
            t = struct.unpack(">I", data[:4])[0]
            types = [3, 4, 5, 6, 8, 9, 16, 20, 24, 33, 34, 35, 41, 49, 55, 56, 57, 65, 66, 67, 69, 70, 4098,
                     4099, 0xFFF0, 0xFFF1, 0xFFF2]
            data = bytes([types.index(t) if t in types else 0]) + data[8:]
        with open(os.path.join(d, key), "wb") as f:
            f.write(data)
