#!/usr/bin/env python3
"""Checks that 32-bit Windows images run on an i486 (486 DX, DX2, DX4).

    check-486.py [--maps DIR] BUILD_DIR|FILE...

Every .exe and .dll named, or found below a directory (CMake's probes aside),
is disassembled with i686-w64-mingw32-objdump; the check fails on any
instruction a 486 does not have, since the processor raises an invalid-opcode
fault on it and the program dies:

  - conditional moves (CMOVcc, FCMOVcc) and FCOMI, FCOMIP, FUCOMI, FUCOMIP
    (Pentium Pro), the long NOP 0F 1F (NOPL/NOPW with an operand, which the
    assembler pads with for P6 targets), RDTSC, RDMSR/WRMSR, RDPMC,
    CMPXCHG8B (Pentium), SYSENTER/SYSEXIT, SYSCALL/SYSRET;
  - MMX, 3DNow!, SSE and later: anything touching an %mm, %xmm, %ymm, %zmm or
    mask register, the fences, prefetches, FXSAVE/FXRSTOR, LDMXCSR and the
    newer integer extensions (POPCNT, LZCNT, TZCNT, MOVBE, BMI, ...);
  - CPUID, unless the same function first tests the EFLAGS ID bit
    (0x200000) through PUSHF/POPF: early 486s have no CPUID at all.

Stripped images carry no symbols, so the function is named from the GNU ld
map that the build writes beside each image (IMAGE.map, or DIR/IMAGE.map with
--maps; file names compared without case). Without a map the address alone
is given.
"""
import bisect
import os
import re
import subprocess
import sys

OBJDUMP = os.environ.get("OBJDUMP", "i686-w64-mingw32-objdump")

FORBIDDEN = {
    "fcomi", "fcomip", "fucomi", "fucomip", "fcompi", "fucompi",
    "rdtsc", "rdtscp", "rdpmc", "rdmsr", "wrmsr", "cmpxchg8b", "cmpxchg16b",
    "sysenter", "sysexit", "syscall", "sysret",
    "emms", "femms", "sfence", "lfence", "mfence", "clflush", "clflushopt", "clwb",
    "prefetch", "prefetchw", "prefetchnta", "prefetcht0", "prefetcht1", "prefetcht2",
    "movnti", "ldmxcsr", "stmxcsr", "fxsave", "fxrstor", "xsave", "xrstor", "xgetbv",
    "fisttp", "fisttps", "fisttpl", "fisttpll", "monitor", "mwait",
    "popcnt", "lzcnt", "tzcnt", "movbe", "crc32", "andn", "bextr", "blsi", "blsmsk",
    "blsr", "bzhi", "mulx", "pdep", "pext", "rorx", "sarx", "shlx", "shrx",
    "adcx", "adox", "rdrand", "rdseed", "endbr32",
}
PREFIXES = {"lock", "rep", "repz", "repe", "repnz", "repne", "data16", "data32",
            "addr16", "addr32", "cs", "ds", "es", "fs", "gs", "ss", "bnd", "notrack"}
VECTOR_REGISTER = re.compile(r"%(mm[0-7]|[xyz]mm[0-9]+|k[0-7])\b")
INSTRUCTION = re.compile(r"^\s*([0-9a-f]+):\s+(?:[0-9a-f]{2} )+\s*(.*)$")
LABEL = re.compile(r"^([0-9a-f]+) <(.*)>:$")


def forbidden(mnemonic, operands):
    """Why a 486 cannot execute this instruction, or None."""
    if mnemonic.startswith("cmov"):
        return "conditional move (Pentium Pro)"
    if mnemonic.startswith("fcmov"):
        return "floating-point conditional move (Pentium Pro)"
    if mnemonic in ("nop", "nopl", "nopw") and operands:
        return "long NOP 0F 1F (Pentium Pro)"
    if VECTOR_REGISTER.search(operands):
        return "MMX/SSE register"
    if mnemonic in FORBIDDEN:
        return "not on a 486"
    return None


class LinkerMap:
    """Addresses to functions and objects, read from a GNU ld map."""

    def __init__(self, path):
        self.ranges = []  # (start, end, object)
        self.symbols = []  # (address, name)
        in_memory_map = False
        pending = None  # a section name on a line of its own
        with open(path, encoding="utf-8", errors="replace") as f:
            for line in f:
                if line.startswith("Linker script and memory map"):
                    in_memory_map = True
                    continue
                if not in_memory_map:
                    continue
                line = line.rstrip("\n")
                if pending is not None:
                    line = pending + line
                    pending = None
                m = re.match(r"^ (\.text\S*|\.init\S*|\.fini\S*)\s*$", line)
                if m:
                    pending = " " + m.group(1)
                    continue
                m = re.match(r"^ (\.\S+)\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$", line)
                if m:
                    start, size = int(m.group(2), 16), int(m.group(3), 16)
                    if size and start:
                        self.ranges.append((start, start + size, os.path.basename(m.group(4))))
                    continue
                m = re.match(r"^\s{16}0x([0-9a-f]+)\s{16}(\S.*)$", line)
                if m and "=" not in m.group(2) and not m.group(2).startswith("PROVIDE"):
                    self.symbols.append((int(m.group(1), 16), m.group(2).strip()))
        self.ranges.sort()
        self.symbols.sort()
        self.range_starts = [r[0] for r in self.ranges]
        self.symbol_addresses = [s[0] for s in self.symbols]

    def describe(self, address):
        i = bisect.bisect_right(self.range_starts, address) - 1
        obj = None
        lower = 0
        if i >= 0 and address < self.ranges[i][1]:
            obj = self.ranges[i][2]
            lower = self.ranges[i][0]
        j = bisect.bisect_right(self.symbol_addresses, address) - 1
        name = None
        if j >= 0 and self.symbols[j][0] >= lower:
            name = self.symbols[j][1]
        if name is None:
            name = "a local function"
        return f"{name} [{obj}]" if obj else name


def find_map(image, maps_dir):
    candidates = [image + ".map"]
    if maps_dir:
        candidates.append(os.path.join(maps_dir, os.path.basename(image) + ".map"))
    for candidate in candidates:
        folder, name = os.path.split(candidate)
        try:
            for entry in os.listdir(folder or "."):
                if entry.lower() == name.lower():
                    return os.path.join(folder, entry)
        except OSError:
            pass
    return None


def check_image(image, maps_dir):
    """Returns the list of problems found in one image."""
    result = subprocess.run([OBJDUMP, "-d", "-w", image], capture_output=True, text=True)
    if result.returncode != 0:
        return [f"{OBJDUMP} cannot read it: {result.stderr.strip()}"]
    if "file format pei-i386" not in result.stdout:
        return ["not a 32-bit x86 PE image"]
    map_path = find_map(image, maps_dir)
    linker_map = LinkerMap(map_path) if map_path else None

    problems = []
    # CPUID is fine behind the ID-bit test; judged per function (per symbol
    # label, or per map symbol when stripped).
    function_key = None
    id_test_seen = {}
    cpuid_at = []

    for line in result.stdout.splitlines():
        m = LABEL.match(line)
        if m:
            function_key = m.group(2)
            continue
        m = INSTRUCTION.match(line)
        if not m:
            continue
        address = int(m.group(1), 16)
        words = m.group(2).split(None, 1)
        while words and words[0] in PREFIXES:
            words = words[1].split(None, 1) if len(words) > 1 else []
        if not words:
            continue
        mnemonic = words[0]
        operands = words[1].split("#")[0].strip() if len(words) > 1 else ""
        where = linker_map.describe(address) if linker_map else function_key
        if mnemonic == "cpuid":
            cpuid_at.append((address, where))
            continue
        if "0x200000" in operands and mnemonic in ("xor", "xorl", "and", "andl", "test", "testl", "or", "orl"):
            id_test_seen[where] = True
        why = forbidden(mnemonic, operands)
        if why:
            problems.append(f"{mnemonic} at 0x{address:08x} in {where}: {why}")
    for address, where in cpuid_at:
        if not id_test_seen.get(where):
            problems.append(f"cpuid at 0x{address:08x} in {where}: no EFLAGS ID-bit test before it")
    if linker_map is None:
        problems = [p + " (no linker map to name the function)" for p in problems]
    return problems


def images_of(args):
    for arg in args:
        if os.path.isdir(arg):
            found = []
            for folder, dirs, files in os.walk(arg):
                dirs[:] = [d for d in dirs if d != "CMakeFiles"]
                found += [os.path.join(folder, f) for f in files
                          if f.lower().endswith((".exe", ".dll"))]
            yield from sorted(found)
        else:
            yield arg


def main(argv):
    maps_dir = None
    args = argv[1:]
    if len(args) >= 2 and args[0] == "--maps":
        maps_dir = args[1]
        args = args[2:]
    if not args or any(a.startswith("-") for a in args):
        print("usage: check-486.py [--maps DIR] BUILD_DIR|FILE...", file=sys.stderr)
        return 2
    images = list(images_of(args))
    if not images:
        print(f"check-486: no .exe or .dll in {' '.join(args)}", file=sys.stderr)
        return 1
    bad = 0
    for image in images:
        problems = check_image(image, maps_dir)
        if problems:
            bad += 1
            print(f"== {image}: {len(problems)} instruction(s) a 486 lacks")
            for p in problems[:50]:
                print(f"  FAIL: {image}: {p}")
            if len(problems) > 50:
                print(f"  ... and {len(problems) - 50} more")
        else:
            print(f"== {image}: 486-clean")
    print(f"check-486: {len(images)} image(s), {bad} with instructions a 486 lacks")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
