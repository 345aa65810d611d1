#!/usr/bin/python3
"""Checks the DLLs shipped beside Windows programs: every DLL the programs need, transitively,
is in the folder or comes with Windows, and no other DLL is there.

    tools/dll_closure.py FOLDER PROGRAM.exe...

Reads each file's import table with the cross binutils' objdump -p. Prints the closure; exits
with 1 when a DLL is missing or one in FOLDER is not needed."""
import os
import subprocess
import sys

OBJDUMP = "x86_64-w64-mingw32-objdump"
# DLLs every 64-bit Windows has (the system's own, and the C runtime MinGW-w64 targets).
SYSTEM = {
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "dsound.dll", "gdi32.dll", "imm32.dll",
    "kernel32.dll", "msvcrt.dll", "ole32.dll", "oleaut32.dll", "shell32.dll", "shlwapi.dll",
    "user32.dll", "version.dll", "winmm.dll", "ws2_32.dll", "dinput.dll", "dinput8.dll",
    "ddraw.dll", "dxguid.dll", "setupapi.dll", "bcrypt.dll", "crypt32.dll", "ntdll.dll",
}


def imports(path):
    out = subprocess.run([OBJDUMP, "-p", path], check=True, capture_output=True, text=True).stdout
    return [line.split("DLL Name:")[1].strip() for line in out.splitlines() if "DLL Name:" in line]


def main():
    if len(sys.argv) < 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    folder = sys.argv[1]
    present = {name.lower(): name for name in os.listdir(folder) if name.lower().endswith(".dll")}
    needed, missing = {}, []
    todo = [(os.path.basename(p), p) for p in sys.argv[2:]]
    seen = set()
    while todo:
        name, path = todo.pop()
        if name.lower() in seen:
            continue
        seen.add(name.lower())
        for dll in imports(path):
            key = dll.lower()
            if key in SYSTEM:
                needed.setdefault(key, (dll, "Windows", name))
            elif key in present:
                needed.setdefault(key, (dll, "shipped", name))
                todo.append((present[key], os.path.join(folder, present[key])))
            else:
                missing.append("%s (needed by %s)" % (dll, name))
    for key in sorted(needed):
        dll, origin, by = needed[key]
        print("%-22s %-8s first needed by %s" % (dll, origin, by))
    extra = sorted(present[k] for k in present if k not in needed)
    for dll in missing:
        print("MISSING " + dll)
    for dll in extra:
        print("NOT NEEDED " + dll)
    return 1 if missing or extra else 0


if __name__ == "__main__":
    sys.exit(main())
