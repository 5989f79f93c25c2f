#!/usr/bin/env python3
"""Reads a 32-bit PE program the way the Windows loader does, for the release checks.

  pe.py imports EXE   every imported function must exist (and work) on each supported
                      Windows; prints one line per offending function, exit status 1 if any
  pe.py libraries EXE the imported libraries, "NAME (functions)" a line; exit status 1 if
                      one is not among those the loader always takes from the system folder
  pe.py header EXE    the header fields the old loaders look at, one "name=value" a line
  pe.py version FILE  the strings of a raw VS_VERSIONINFO resource, "block/name=value" a line
  pe.py entry EXE     the entry point and the routine it lies in, from the linker's map beside
                      the stripped program (EXE with .map for .exe): "name=value" a line

The export data lives in winapi/ beside this script (see winapi/README.md and
winapi/exports/SOURCES.md); allowed.tsv and wide.tsv are our reviewed lists.
"""
import os
import struct
import sys

SYSTEMS = ["win98", "win98se", "winme", "nt4sp6a", "win2000", "winxp", "win2003", "vista"]
WIN9X = ["win98", "win98se", "winme"]
# Known DLLs from NT 4.0 on, which the loader takes from the system folder
# whatever the program's folder holds, and msvcrt, which the C runtime needs.
LIBRARIES = ["kernel32", "user32", "gdi32", "advapi32", "shell32", "msvcrt"]
DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "winapi")


class Image:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        self.machine, nsections, _, _, _, opt_size, self.characteristics = struct.unpack_from("<HHIIIHH", data, pe + 4)
        self.opt = pe + 24
        if struct.unpack_from("<H", data, self.opt)[0] != 0x10B:
            raise ValueError("not a PE32 (32-bit) image")
        self.sections = []
        for i in range(nsections):
            s = self.opt + opt_size + 40 * i
            vsize, va, rawsize, rawptr = struct.unpack_from("<IIII", data, s + 8)
            self.sections.append((va, max(vsize, rawsize), rawptr, rawsize))

    def field(self, fmt, offset):
        return struct.unpack_from(fmt, self.data, self.opt + offset)[0]

    def directory(self, index):
        return struct.unpack_from("<II", self.data, self.opt + 96 + 8 * index)

    def offset(self, rva):
        for va, size, rawptr, rawsize in self.sections:
            if va <= rva < va + size and rva - va < rawsize:
                return rawptr + rva - va
        raise ValueError("RVA 0x%x outside the file" % rva)

    def u32(self, rva):
        return struct.unpack_from("<I", self.data, self.offset(rva))[0]

    def cstring(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def imports(self):
        """[(dll, name or None, ordinal or None)] in import-table order."""
        result = []
        rva, size = self.directory(1)
        while rva and size:
            lookup, _, _, name_rva, first_thunk = struct.unpack_from("<IIIII", self.data, self.offset(rva))
            if name_rva == 0:
                break
            dll = self.cstring(name_rva)
            thunk = lookup or first_thunk
            while True:
                entry = self.u32(thunk)
                if entry == 0:
                    break
                if entry & 0x80000000:
                    result.append((dll, None, entry & 0xFFFF))
                else:
                    result.append((dll, self.cstring(entry + 2), None))
                thunk += 4
            rva += 20
        return result


def read_table(path):
    """Rows of a tab-separated file, '#' comments and blank lines skipped."""
    with open(path, encoding="utf-8") as f:
        return [line.rstrip("\n").split("\t") for line in f if line.strip() and not line.startswith("#")]


class Knowledge:
    def __init__(self):
        self.exports = {}  # (system, dll) -> set of names
        for system in SYSTEMS:
            folder = os.path.join(DATA, "exports", system)
            for file in os.listdir(folder):
                with open(os.path.join(folder, file), encoding="ascii") as f:
                    self.exports[(system, file[:-4])] = set(f.read().split())
        self.missing = {}  # (dll, function) -> systems that evidence says lack it
        for dll, function, systems, status, _tier, _source in read_table(os.path.join(DATA, "facts.tsv")):
            if status == "missing":
                self.missing.setdefault((dll, function), set()).update(systems.split(","))
        self.allowed = {(row[0], row[1]) for row in read_table(os.path.join(DATA, "allowed.tsv"))}
        self.wide = {row[0] for row in read_table(os.path.join(DATA, "wide.tsv"))}
        self.stubs = {(row[0], row[1]) for row in read_table(os.path.join(DATA, "stubs-9x.tsv"))}

    def problem(self, dll, function):
        """Why the function cannot be imported, or None."""
        if (dll, function) in self.stubs:
            return "a stub that does nothing on " + ", ".join(WIN9X)
        if dll != "msvcrt" and function.endswith("W") \
                and (function[-2:-1].islower() or function[-2:-1].isdigit()) and function not in self.wide:
            return "a wide-character stub that fails on " + ", ".join(WIN9X)
        if all((system, dll) in self.exports for system in SYSTEMS):
            lacking = [s for s in SYSTEMS if function not in self.exports[(s, dll)]]
            return "missing on " + ", ".join(lacking) if lacking else None
        lacking = self.missing.get((dll, function))
        if lacking:
            return "missing on " + ", ".join(s for s in SYSTEMS if s in lacking)
        if (dll, function) not in self.allowed:
            return "no export list for %s.dll and not in winapi/allowed.tsv: unproven on %s" % (dll, ", ".join(SYSTEMS))
        return None


def check_imports(path):
    with open(path, "rb") as f:
        image = Image(f.read())
    if image.directory(13)[0]:
        print("delay-load imports present: not checked")
        return 1
    knowledge = Knowledge()
    offending = 0
    for dll, name, ordinal in image.imports():
        key = dll.lower()
        key = key[:-4] if key.endswith(".dll") else key
        why = "imported by ordinal %d, which no export list covers" % ordinal if name is None \
            else knowledge.problem(key, name)
        if why:
            offending += 1
            print("%s!%s: %s" % (dll, name or "#%d" % ordinal, why))
    return 1 if offending else 0


def libraries(path):
    with open(path, "rb") as f:
        image = Image(f.read())
    counts = {}
    for dll, _name, _ordinal in image.imports():
        counts[dll] = counts.get(dll, 0) + 1
    offending = 0
    for dll, count in counts.items():
        key = dll.lower()
        allowed = (key[:-4] if key.endswith(".dll") else key) in LIBRARIES
        offending += not allowed
        print("%s (%d)%s" % (dll, count, "" if allowed else ": not allowed, to be loaded from the system folder"))
    return 1 if offending else 0


def header(path):
    with open(path, "rb") as f:
        image = Image(f.read())
    dll_characteristics = image.field("<H", 70)
    print("machine=0x%x" % image.machine)
    print("subsystem=%d" % image.field("<H", 68))
    print("os_version=%d.%d" % (image.field("<H", 40), image.field("<H", 42)))
    print("subsystem_version=%d.%d" % (image.field("<H", 48), image.field("<H", 50)))
    print("dll_characteristics=0x%04x" % dll_characteristics)
    print("tsaware=%d" % bool(dll_characteristics & 0x8000))
    # COFF symbol table and debug sections: what strip leaves none of.
    symbols_at, symbol_count = struct.unpack_from("<II", image.data, image.opt - 12)
    names = [image.data[image.opt + image.field("<H", -4) + 40 * i:][:8].rstrip(b"\0").decode("latin-1")
             for i in range(len(image.sections))]
    print("stripped=%d" % (symbols_at == 0 and symbol_count == 0 and not any(n.startswith("/") or
                                                                           n.startswith(".debug") for n in names)))
    return 0


def map_symbols(path):
    """[(address, name)] of the global symbols and input sections in a GNU ld map."""
    result = []
    section = None  # a long input-section name stands alone, its address on the next line
    with open(path, encoding="latin-1") as f:
        for line in f:
            parts = line.split()
            if line.startswith(" .") and len(parts) == 1:
                section = parts[0]
                continue
            if line.startswith(" .") and len(parts) >= 3:
                section, parts = parts[0], parts[1:]
            if section and len(parts) >= 3 and parts[0].startswith("0x") and parts[1].startswith("0x"):
                result.append((int(parts[0], 16), "section " + section + " size " + parts[1]))
            elif len(parts) == 2 and parts[0].startswith("0x") and line.startswith(" " * 16):
                result.append((int(parts[0], 16), parts[1]))
            section = None
    return result


def entry(path):
    """The symbol at the entry point, the bounds of the input section holding it
    (the whole routine, compiled on its own), and where the C runtime starts."""
    with open(path, "rb") as f:
        image = Image(f.read())
    address = image.field("<I", 28) + image.field("<I", 16)
    symbols = map_symbols(path[:-4] + ".map")
    named = [name for at, name in symbols if at == address and not name.startswith("section ")]
    sections = [(at, int(name.split()[-1], 16)) for at, name in symbols
                if name.startswith("section .text") and at <= address < at + int(name.split()[-1], 16)]
    startup = [at for at, name in symbols if name == "WinMainCRTStartup"]
    if not named or not sections or not startup:
        raise ValueError("entry 0x%x not found in the map" % address)
    print("entry=0x%x" % address)
    print("symbol=%s" % named[0])
    print("start=0x%x" % sections[0][0])
    print("stop=0x%x" % (sections[0][0] + sections[0][1]))
    print("startup=0x%x" % startup[0])
    return 0


def version(path):
    """VS_VERSIONINFO: nodes of (length, value length, type, UTF-16 key, value, children)."""
    with open(path, "rb") as f:
        data = f.read()

    def node(start, path_so_far):
        length, value_length, kind = struct.unpack_from("<HHH", data, start)
        end = min(start + length, len(data))
        key_end = start + 6
        while key_end + 1 < end and data[key_end:key_end + 2] != b"\0\0":
            key_end += 2
        key = data[start + 6:key_end].decode("utf-16-le")
        pos = (key_end + 2 + 3) & ~3
        value_size = value_length * 2 if kind == 1 else value_length
        value = data[pos:pos + value_size]
        if kind == 1 and value_length:
            print("%s%s=%s" % (path_so_far, key, value.decode("utf-16-le").rstrip("\0")))
        elif key == "VS_VERSION_INFO" and len(value) >= 52:
            signature, _, fv_ms, fv_ls, pv_ms, pv_ls = struct.unpack_from("<6I", value)
            print("signature=0x%08x" % signature)
            print("file_version=%d.%d.%d.%d" % (fv_ms >> 16, fv_ms & 0xFFFF, fv_ls >> 16, fv_ls & 0xFFFF))
            print("product_version=%d.%d.%d.%d" % (pv_ms >> 16, pv_ms & 0xFFFF, pv_ls >> 16, pv_ls & 0xFFFF))
        elif key == "Translation":
            for i in range(0, len(value) - 3, 4):
                print("translation=%04x%04x" % struct.unpack_from("<HH", value, i))
        child = (pos + value_size + 3) & ~3
        while child + 6 <= end:
            child_length = struct.unpack_from("<H", data, child)[0]
            if child_length < 6:
                break
            node(child, path_so_far + ("" if key == "VS_VERSION_INFO" else key + "/"))
            child = (child + child_length + 3) & ~3

    node(0, "")
    return 0


if __name__ == "__main__":
    commands = {"imports": check_imports, "libraries": libraries, "header": header, "version": version, "entry": entry}
    if len(sys.argv) != 3 or sys.argv[1] not in commands:
        sys.exit(__doc__)
    try:
        sys.exit(commands[sys.argv[1]](sys.argv[2]))
    except (OSError, ValueError, struct.error) as e:
        print("%s: %s" % (sys.argv[2], e))
        sys.exit(2)
