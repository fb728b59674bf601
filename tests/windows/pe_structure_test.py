#!/usr/bin/python3
"""Checks the Windows executable and the runtime library as a loader sees them.

The executable: machine and format, the graphical subsystem, ASLR and DEP, one imported
library (ours) with one routine (ThunRTMain), the entry point's bytes (the descriptor's
address handed to ThunRTMain, nothing after the call), the project image in one block
whose every reference holds, at the preferred base, the address of the record it names
and carries a base relocation, the handler bodies holding the handler routines'
addresses, and the resources (version, icon group, icon images, the program's words,
and each other language's words and relocatable project image).
The library: the same machine, ASLR and DEP, "ThunRTMain" exported undecorated, and nothing imported but the
system's own libraries.

Usage: pe_structure_test.py MORVANE.exe RUNTIME.dll PROJECT.img PROJECT.refs ICON.ico [LANGUAGES]
"""

import os
import struct
import sys

import pefile

FLAT_BASE = 0x00401000      # where the flat image puts its first byte
SYSTEM_LIBRARIES = {"kernel32.dll", "user32.dll", "gdi32.dll", "msvcrt.dll"}
VERSION_STRINGS = [("ProductName", "morvane"), ("FileVersion", "1.00"), ("ProductVersion", "1.00"),
                   ("InternalName", "morvane"), ("OriginalFilename", "morvane.exe")]
HANDLER_BODY = b"NATV"
DYNAMIC_BASE, NX_COMPAT = 0x0040, 0x0100


class Checks:
    def __init__(self):
        self.failures = []

    def expect(self, ok, message):
        if not ok:
            self.failures.append(message)
        return ok


def u32(b, o):
    return struct.unpack_from("<I", b, o)[0]


def base_relocations(pe):
    return {e.rva for block in getattr(pe, "DIRECTORY_ENTRY_BASERELOC", []) for e in block.entries if e.type != 0}


def check_module_flags(c, pe, name, machine):
    c.expect(pe.FILE_HEADER.Machine == machine, "%s: machine 0x%x" % (name, pe.FILE_HEADER.Machine))
    flags = pe.OPTIONAL_HEADER.DllCharacteristics
    c.expect(flags & DYNAMIC_BASE, "%s: not marked for ASLR (DYNAMICBASE)" % name)
    c.expect(flags & NX_COMPAT, "%s: not marked for DEP (NXCOMPAT)" % name)
    c.expect(not pe.FILE_HEADER.Characteristics & 0x0001, "%s: relocations stripped" % name)


def check_imports(c, exe, wide):
    imports = getattr(exe, "DIRECTORY_ENTRY_IMPORT", [])
    names = [(i.dll.decode(), [s.name.decode() if s.name else "#%d" % s.ordinal for s in i.imports]) for i in imports]
    c.expect(names == [("morvane_runtime.dll", ["ThunRTMain"])], "imports: %r, not ThunRTMain alone" % names)
    slot = imports[0].imports[0].address if imports and imports[0].imports else None
    return slot


def check_entry(c, exe, wide, slot):
    """Returns the descriptor's address as the entry point hands it over."""
    base = exe.OPTIONAL_HEADER.ImageBase
    entry = exe.OPTIONAL_HEADER.AddressOfEntryPoint
    code = exe.get_memory_mapped_image()[entry:entry + 32]
    if wide:
        # sub rsp, 40; lea rcx, [rip+d]; call [rip+s]
        ok = code[:4] == b"\x48\x83\xec\x28" and code[4:7] == b"\x48\x8d\x0d" and code[11:13] == b"\xff\x15"
        c.expect(ok, "entry point bytes %s" % code[:17].hex())
        descriptor = base + entry + 11 + struct.unpack_from("<i", code, 7)[0]
        called = base + entry + 17 + struct.unpack_from("<i", code, 13)[0]
        length = 17
    else:
        # push descriptor; call [slot]
        c.expect(code[0] == 0x68 and code[5:7] == b"\xff\x15", "entry point bytes %s" % code[:11].hex())
        descriptor, called, length = u32(code, 1), u32(code, 7), 11
        relocs = base_relocations(exe)
        c.expect(entry + 1 in relocs and entry + 7 in relocs, "the entry point's addresses carry no relocations")
    c.expect(called == slot, "the entry point calls through 0x%x, not ThunRTMain's slot 0x%x" % (called, slot or 0))
    # Nothing after the call: the rest of the entry point's section is padding.
    section = exe.get_section_by_rva(entry)
    rest = exe.get_memory_mapped_image()[entry + length:section.VirtualAddress + section.Misc_VirtualSize]
    c.expect(len(rest) < 16 and set(rest) <= {0x00, 0x90, 0xCC},
             "the entry point's call is followed by %s" % rest[:16].hex())
    return descriptor


def check_image(c, exe, descriptor, flat, refs):
    base = exe.OPTIONAL_HEADER.ImageBase
    rva = descriptor - base
    memory = exe.get_memory_mapped_image()
    block = memory[rva:rva + len(flat)]
    if not c.expect(len(block) == len(flat), "the image block is cut short"):
        return
    relocs = base_relocations(exe)
    delta = descriptor - FLAT_BASE
    ref_set = set(refs)
    bad = [o for o in refs if u32(block, o) != u32(flat, o) + delta]
    c.expect(not bad, "%d references do not hold the address of their record, first at +0x%x" % (
        len(bad), bad[0] if bad else 0))
    unrelocated = [o for o in refs if rva + o not in relocs]
    c.expect(not unrelocated, "%d references carry no base relocation, first at +0x%x" % (
        len(unrelocated), unrelocated[0] if unrelocated else 0))
    # The handler bodies: the marker, the index, then the address of the routine.
    routine_fields = set()
    at = flat.find(HANDLER_BODY)
    while at >= 0:
        routine_fields.update(range(at + 8, at + 12))
        routine = u32(block, at + 8)
        section = exe.get_section_by_rva(routine - base) if routine > base else None
        c.expect(section is not None and section.Characteristics & 0x20000000 and
                 not rva <= routine - base < rva + len(flat),
                 "handler body at +0x%x: routine address 0x%x is no code outside the image" % (at, routine))
        c.expect(rva + at + 8 in relocs, "handler body at +0x%x: its routine address carries no relocation" % at)
        at = flat.find(HANDLER_BODY, at + 1)
    c.expect(len(routine_fields) == 12, "%d handler bodies, not 3" % (len(routine_fields) // 4))
    # Every other byte is the flat image's.
    fields = set(o + i for o in ref_set for i in range(4)) | routine_fields
    other = [i for i in range(len(flat)) if i not in fields and block[i] != flat[i]]
    c.expect(not other, "%d other bytes differ from the flat image, first at +0x%x" % (len(other), other[0] if other else 0))
    # Relocations inside the block are the references' and the routine fields' alone.
    inside = {r - rva for r in relocs if rva <= r < rva + len(flat)}
    c.expect(inside == ref_set | {o for o in routine_fields if (o - min(routine_fields)) % 16 == 0},
             "relocations inside the image that are no reference: %s" % sorted(
                 hex(o) for o in inside - ref_set - routine_fields)[:5])


def resource_entries(pe):
    found = {}
    for t in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for n in t.directory.entries:
            for lang in n.directory.entries:
                found[(t.id, n.id, lang.id)] = pe.get_data(lang.data.struct.OffsetToData, lang.data.struct.Size)
    return found


def relocated(data, base, image=None):
    """A relocatable image placed at `base`, its routine places zero; with `image`,
    that image with the same places zero."""
    size, nrefs, nroutines = struct.unpack_from("<III", data, 4)
    image_at = 16 + 4 * nrefs + 8 * nroutines
    if image is not None:
        image = bytearray(image)
    else:
        image = bytearray(data[image_at:image_at + size])
        for p in struct.unpack_from("<%dI" % nrefs, data, 16):
            struct.pack_into("<I", image, p, u32(image, p) + base)
    for i in range(nroutines):
        struct.pack_into("<I", image, struct.unpack_from("<I", data, 16 + 4 * nrefs + 8 * i)[0], 0)
    return bytes(image)


def check_language_images(c, res, flat, refs, languages):
    """Every other language: its words and its relocatable project image, in its own
    resource language, laid out at 0 with the English image's reference places and its
    handler bodies' routine places (the records before the stream are alike)."""
    words = {k[2] for k in res if k[:2] == (10, 1)} - {0x0409}
    images = {k[2] for k in res if k[:2] == (10, 2)}
    c.expect(words == images, "languages with words %s but images %s" % (sorted(map(hex, words)), sorted(map(hex, images))))
    bodies = []
    at = flat.find(HANDLER_BODY)
    while at >= 0:
        bodies.append(at + 8)
        at = flat.find(HANDLER_BODY, at + 1)
    for lang in sorted(images):
        data = res[(10, 2, lang)]
        magic, size, nrefs, nroutines = struct.unpack_from("<4sIII", data, 0)
        image_at = 16 + 4 * nrefs + 8 * nroutines
        if not c.expect(magic == b"MVRI" and image_at + size == len(data),
                        "language 0x%04x: no relocatable image (%r, %d bytes for %d)" % (lang, magic, len(data), image_at + size)):
            continue
        places = list(struct.unpack_from("<%dI" % nrefs, data, 16))
        c.expect(places == sorted(refs), "language 0x%04x: reference places unlike the English image's" % lang)
        routines = [struct.unpack_from("<II", data, 16 + 4 * nrefs + 8 * i) for i in range(nroutines)]
        c.expect(sorted(p for p, _ in routines) == bodies and {i for _, i in routines} == {0, 1, 2},
                 "language 0x%04x: routine places %s" % (lang, routines))
        c.expect(all(u32(data, image_at + p) <= size for p in places),
                 "language 0x%04x: a reference that leaves its image" % lang)
        c.expect(data[image_at:image_at + 4] == flat[:4], "language 0x%04x: its image opens with no descriptor" % lang)
        # Placed where the linked image lies, it is the language's own project image.
        if languages is not None:
            placed = relocated(data, FLAT_BASE)
            same = [tag for tag, image in languages.items()
                    if len(image) == len(placed) and relocated(data, FLAT_BASE, image) == placed]
            c.expect(len(same) == 1 and u32(placed, 0x24) == lang,
                     "language 0x%04x: placed at 0x%x it is the project image of %s" % (lang, FLAT_BASE, same or "no language"))


def check_resources(c, exe, ico, flat, refs, languages):
    res = resource_entries(exe)
    check_language_images(c, res, flat, refs, languages)
    c.expect({k[0] for k in res} == {3, 10, 14, 16}, "resource types %s, not 3, 10, 14, 16" % sorted({k[0] for k in res}))
    c.expect(res.get((10, 1, 0x0409), b"")[:4] == b"MWRD", "no words table as data resource 10/1/0x0409")
    c.expect((16, 1, 0x0409) in res, "no version resource 16/1/0x0409")
    c.expect((14, 1, 0) in res, "no icon group 14/1, language neutral")
    images = sorted(k for k in res if k[0] == 3)
    c.expect(images == [(3, 30001, 0), (3, 30002, 0), (3, 30003, 0)], "icon images %s" % images)
    count = struct.unpack_from("<H", ico, 4)[0]
    for i in range(count):
        size, offset = struct.unpack_from("<II", ico, 6 + 16 * i + 8)
        c.expect(res.get((3, 30001 + i, 0)) == ico[offset:offset + size], "icon image %d differs from the icon file" % i)
        group = res.get((14, 1, 0), b"")
        entry = group[6 + 14 * i:6 + 14 * i + 14]
        c.expect(entry[:12] == ico[6 + 16 * i:6 + 16 * i + 12] and struct.unpack_from("<H", entry, 12)[0] == 30001 + i,
                 "icon group entry %d" % i)
    # The version resource as the system reads it.
    fixed = exe.VS_FIXEDFILEINFO[0] if getattr(exe, "VS_FIXEDFILEINFO", None) else None
    if c.expect(fixed is not None, "no fixed version information"):
        c.expect((fixed.FileVersionMS, fixed.FileVersionLS, fixed.ProductVersionMS, fixed.ProductVersionLS) ==
                 (0x10000, 0, 0x10000, 0), "file and product version are not 1.0.0.0")
        c.expect((fixed.FileOS, fixed.FileType, fixed.FileSubtype, fixed.FileFlags) == (4, 1, 0, 0),
                 "operating system, type, subtype, flags: %x %x %x %x" % (
                     fixed.FileOS, fixed.FileType, fixed.FileSubtype, fixed.FileFlags))
    tables = [(st.LangID.decode(), [(k.decode(), v.decode()) for k, v in st.entries.items()])
              for fi in getattr(exe, "FileInfo", []) for entry in fi if hasattr(entry, "StringTable")
              for st in entry.StringTable]
    c.expect(tables == [("040904B0", VERSION_STRINGS)] or tables == [("040904b0", VERSION_STRINGS)],
             "version strings %r" % tables)
    translations = [v for fi in getattr(exe, "FileInfo", []) for entry in fi if hasattr(entry, "Var")
                    for var in entry.Var for v in var.entry.values()]
    c.expect(translations == ["0x0409 0x04b0"], "translation %r" % translations)


def check_library(c, dll, machine):
    check_module_flags(c, dll, "runtime library", machine)
    table = getattr(dll, "DIRECTORY_ENTRY_EXPORT", None)
    exports = [e.name.decode() if e.name else "#%d" % e.ordinal for e in table.symbols] if table else []
    c.expect(exports == ["ThunRTMain"], "runtime library exports %r" % exports)
    imported = {i.dll.decode().lower() for i in getattr(dll, "DIRECTORY_ENTRY_IMPORT", [])}
    c.expect(imported <= SYSTEM_LIBRARIES, "runtime library imports %s" % sorted(imported - SYSTEM_LIBRARIES))


def main(argv):
    if len(argv) not in (6, 7):
        print(__doc__)
        return 2
    exe, dll = pefile.PE(argv[1]), pefile.PE(argv[2])
    flat = open(argv[3], "rb").read()
    refs = [int(line) for line in open(argv[4]).read().split()]
    ico = open(argv[5], "rb").read()
    # The other languages' project images as the build made them: LANGUAGES/<tag>/project.img.
    languages = None
    if len(argv) == 7:
        languages = {tag: open(os.path.join(argv[6], tag, "project.img"), "rb").read()
                     for tag in sorted(os.listdir(argv[6])) if os.path.isfile(os.path.join(argv[6], tag, "project.img"))}
    c = Checks()
    wide = exe.OPTIONAL_HEADER.Magic == 0x20b
    machine = 0x8664 if wide else 0x14c
    c.expect(exe.OPTIONAL_HEADER.Subsystem == 2, "subsystem %d, not the graphical one" % exe.OPTIONAL_HEADER.Subsystem)
    c.expect(exe.FILE_HEADER.Characteristics & 0x2000 == 0, "the executable is marked as a library")
    check_module_flags(c, exe, "executable", machine)
    if wide:
        # The image's 32-bit references need the executable below 4 GiB wherever it goes.
        c.expect(exe.OPTIONAL_HEADER.ImageBase + exe.OPTIONAL_HEADER.SizeOfImage < 1 << 32,
                 "the executable's preferred place is above 4 GiB")
        c.expect(not exe.OPTIONAL_HEADER.DllCharacteristics & 0x0020,
                 "the executable may be moved above 4 GiB (HIGH_ENTROPY_VA)")
    slot = check_imports(c, exe, wide)
    descriptor = check_entry(c, exe, wide, slot)
    check_image(c, exe, descriptor, flat, refs)
    check_resources(c, exe, ico, flat, refs, languages)
    check_library(c, dll, machine)
    for f in c.failures:
        print("FAILED:", f)
    if c.failures:
        return 1
    print("%s: %s, %d references relocated, descriptor at 0x%x" % (
        argv[1], "PE32+ x86-64" if wide else "PE32 i386", len(refs), descriptor))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
