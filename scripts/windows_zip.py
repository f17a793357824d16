#!/usr/bin/env python3
"""Packs the Windows command line into a zip a Windows user unpacks anywhere:

    vornix-cli-<release>-windows-x86_64/
        vornix-cli.exe
        *.dll          the DLLs the program imports that Windows does not bring
        Vornix.txt     the guide, with Windows line ends
        LICENSE.txt    the licence, with Windows line ends

The DLLs come from objdump's import table of each packed program and DLL. A DLL that is neither
part of Windows nor found in a search folder fails the packing: the program would not start.

usage: windows_zip.py EXE RELEASE SOURCE_ROOT OUT_DIR [SEARCH_DIR...]
Prints the zip's path.
"""
import os
import re
import subprocess
import sys
import zipfile

OBJDUMP = "x86_64-w64-mingw32-objdump"

# DLLs every Windows since 7 has in its system folder (lower case). The C runtime a MinGW program
# uses (msvcrt.dll) is one of them; the universal C runtime comes as api-ms-win-crt-*.dll.
SYSTEM_DLLS = {
    "advapi32.dll", "bcrypt.dll", "comctl32.dll", "comdlg32.dll", "crypt32.dll", "gdi32.dll",
    "kernel32.dll", "msvcrt.dll", "ntdll.dll", "ole32.dll", "oleaut32.dll", "setupapi.dll",
    "shell32.dll", "shlwapi.dll", "user32.dll", "userenv.dll", "version.dll", "windowscodecs.dll",
    "winmm.dll", "ws2_32.dll", "ucrtbase.dll",
}


def is_system_dll(name):
    lower = name.lower()
    return lower in SYSTEM_DLLS or lower.startswith(("api-ms-win-", "ext-ms-win-"))


def imported_dlls(path):
    """The DLL names in a program's or a DLL's import table."""
    dump = subprocess.run([OBJDUMP, "-p", path], capture_output=True, text=True, check=True)
    return re.findall(r"^\s*DLL Name: (\S+)", dump.stdout, re.M)


def dlls_to_pack(exe, search_dirs):
    """The non-system DLLs the program needs, directly or through another DLL, each as a path
    from the search folders. Raises SystemExit naming every one that is not found."""
    found, missing = {}, []
    pending = [exe]
    while pending:
        for name in imported_dlls(pending.pop()):
            if is_system_dll(name) or name.lower() in found or name in missing:
                continue
            paths = [os.path.join(d, name) for d in search_dirs
                     if os.path.isfile(os.path.join(d, name))]
            if not paths:
                missing.append(name)
                continue
            found[name.lower()] = paths[0]
            pending.append(paths[0])
    if missing:
        raise SystemExit("%s imports %s, which Windows does not have and no search folder holds"
                         % (os.path.basename(exe), ", ".join(missing)))
    return sorted(found.values(), key=lambda p: os.path.basename(p).lower())


def windows_text(path):
    with open(path, "rb") as f:
        text = f.read()
    return text.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")


def make_zip(exe, release, source, out_dir, search_dirs):
    top = "vornix-cli-%s-windows-x86_64" % release
    archive = os.path.join(out_dir, top + ".zip")
    members = [("vornix-cli.exe", exe)]
    members += [(os.path.basename(dll), dll) for dll in dlls_to_pack(exe, search_dirs)]
    # Written beside its place and moved there whole: a failed packing leaves no half zip.
    partial = archive + ".part"
    try:
        with zipfile.ZipFile(partial, "w", zipfile.ZIP_DEFLATED) as z:
            for name, path in members:
                z.write(path, top + "/" + name)
            z.writestr(top + "/Vornix.txt",
                       windows_text(os.path.join(source, "resources", "Vornix.txt")))
            z.writestr(top + "/LICENSE.txt", windows_text(os.path.join(source, "LICENSE")))
        os.replace(partial, archive)
    except BaseException:
        if os.path.exists(partial):
            os.remove(partial)
        raise
    return archive


def main(argv):
    if len(argv) < 5:
        sys.exit(__doc__.strip())
    exe, release, source, out_dir = argv[1:5]
    print(make_zip(exe, release, source, out_dir, argv[5:]))


if __name__ == "__main__":
    main(sys.argv)
