#!/usr/bin/env python3
"""Builds the fuzzer's seed corpus from the test streams: the first units of each
stream in the fuzzer's input layout (size byte, then length-prefixed units)."""
import os
import re

here = os.path.dirname(os.path.abspath(__file__))
data = os.path.join(here, '..', 'tests', 'data')
out = os.path.join(here, 'corpus', 'video_decoder_fuzzer')
os.makedirs(out, exist_ok=True)


def units(b, short):
    if short:
        cuts = [m.start() for m in re.finditer(rb'\x00\x00[\x80-\x83]', b)]
    else:
        cuts = [0] + [m.start() for m in re.finditer(rb'\x00\x00\x01[\xb3\xb6]', b)]
        cuts = sorted(set(cuts))
    return [b[a:z] for a, z in zip(cuts, cuts[1:] + [len(b)])]


for name, size_byte, short in (('resync_qcif.m4v', 0, False), ('partitioned_qcif.m4v', 8, False),
                               ('gobs_qcif.h263', 0, True), ('reversible_qcif.m4v', 0, False)):
    b = open(os.path.join(data, name), 'rb').read()
    us = units(b, short)[:4]
    blob = bytes([size_byte]) + b''.join(len(u).to_bytes(2, 'big') + u for u in us)
    open(os.path.join(out, name.replace('.', '_')), 'wb').write(blob)
