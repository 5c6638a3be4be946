#!/usr/bin/env python3
"""Checks what a player's copy of a Windows program carries.

    pe_check.py <program.exe>         its resources: an icon with its sizes, and
                                      the version information; prints them
    pe_check.py --no-debug <file>...  no debug sections in any of them

Exit status 1 with the reason on standard error when a check fails.
"""
import struct
import sys


def sections(data):
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("not a PE file")
    count, = struct.unpack_from("<H", data, pe + 6)
    optional, = struct.unpack_from("<H", data, pe + 20)
    symbols, nsymbols = struct.unpack_from("<II", data, pe + 12)
    strings = symbols + 18 * nsymbols
    at = pe + 24 + optional
    for i in range(count):
        raw = data[at + 40 * i:at + 40 * i + 8].rstrip(b"\0").decode("latin-1")
        if raw.startswith("/") and symbols:  # a long name, kept in the string table
            start = strings + int(raw[1:])
            raw = data[start:data.index(b"\0", start)].decode("latin-1")
        vsize, vaddr, rsize, rptr = struct.unpack_from("<IIII", data, at + 40 * i + 8)
        yield raw, vaddr, vsize, rptr, rsize


def resources(data):
    """{type id: [(name id, data bytes)]} from the .rsrc section."""
    for name, vaddr, vsize, rptr, rsize in sections(data):
        if name == ".rsrc":
            break
    else:
        return {}
    base = rptr

    def entries(offset):
        named, ids = struct.unpack_from("<HH", data, base + offset + 12)
        for i in range(named + ids):
            ident, target = struct.unpack_from("<II", data, base + offset + 16 + 8 * i)
            yield ident, target

    found = {}
    for kind, t in entries(0):
        for ident, n in entries(t & 0x7FFFFFFF):
            for _, leaf in entries(n & 0x7FFFFFFF):
                rva, size = struct.unpack_from("<II", data, base + leaf)
                start = rptr + rva - vaddr
                found.setdefault(kind, []).append((ident, data[start:start + size]))
    return found


def check_program(path):
    data = open(path, "rb").read()
    res = resources(data)
    groups = res.get(14, [])
    if not groups or not res.get(3):
        sys.exit(f"{path}: no icon in its resources")
    group = groups[0][1]
    count, = struct.unpack_from("<H", group, 4)
    sizes = sorted((group[6 + 14 * i] or 256) for i in range(count))
    if len(res[3]) < count:
        sys.exit(f"{path}: the icon lists {count} pictures and holds {len(res[3])}")
    versions = res.get(16, [])
    if not versions:
        sys.exit(f"{path}: no version information")
    info = versions[0][1]
    at = info.find(struct.pack("<I", 0xFEEF04BD))
    if at < 0:
        sys.exit(f"{path}: version information without its fixed part")
    ms, ls = struct.unpack_from("<II", info, at + 8)
    strings = info.decode("utf-16-le", "replace")
    for want in ("ProductName", "Gravelhorn 2", "FileVersion"):
        if want not in strings:
            sys.exit(f"{path}: the version information lacks {want!r}")
    print(f"icon sizes {sizes}; file version {ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}")


def check_no_debug(paths):
    for path in paths:
        names = [s[0] for s in sections(open(path, "rb").read())]
        debug = [n for n in names if n.startswith(".debug") or n.startswith(".zdebug")]
        if debug:
            sys.exit(f"{path}: debug sections {', '.join(debug)}")


if __name__ == "__main__":
    if len(sys.argv) >= 3 and sys.argv[1] == "--no-debug":
        check_no_debug(sys.argv[2:])
    elif len(sys.argv) == 2:
        check_program(sys.argv[1])
    else:
        sys.exit(__doc__)
