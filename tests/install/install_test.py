#!/usr/bin/env python3
"""Installs the build into a DESTDIR with `cmake --install --prefix /usr` and checks the tree a
Debian user gets: the programs and the private helper, the guide and the notices, the desktop
entry, the PXL file type, the icons, the software-centre description, the manuals and the shell
completion, each checked by the tool that reads it. Then the zip of the Windows command line
(scripts/package --windows), when a Windows build is there.

usage: install_test.py BUILD_DIR SOURCE_DIR [TEST_NAME...]
The Windows build is VORNIX_WINDOWS_BUILD, else SOURCE_DIR/build-windows; the unpacked program
runs under Wine only where WINEPREFIX names a prefix (scripts/test-windows makes one).
"""
import gzip
import os
import re
import shutil
import stat
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ET
import zipfile

BUILD = SOURCE = ""

# Every file the install lays down, relative to the prefix, and whether it must be executable.
EXPECTED = {
    "bin/vornix": True,
    "bin/vornix-cli": True,
    "bin/vornix-lcdsim": True,
    "libexec/vornix/vornix-cli-load": True,
    "share/doc/vornix/Vornix.txt": False,
    "share/doc/vornix/README": False,
    "share/doc/vornix/LICENSE": False,
    "share/doc/vornix/copyright": False,
    "share/doc/vornix/changelog.gz": False,
    "share/applications/vornix.desktop": False,
    "share/mime/packages/vornix.xml": False,
    "share/metainfo/example.vornix.Vornix.metainfo.xml": False,
    "share/icons/hicolor/48x48/apps/vornix.png": False,
    "share/icons/hicolor/128x128/apps/vornix.png": False,
    "share/icons/hicolor/256x256/apps/vornix.png": False,
    "share/icons/hicolor/scalable/apps/vornix.svg": False,
    "share/man/man1/vornix.1.gz": False,
    "share/man/man1/vornix-cli.1.gz": False,
    "share/man/man1/vornix-lcdsim.1.gz": False,
    "share/bash-completion/completions/vornix-cli": False,
}
MANUALS = ["vornix", "vornix-cli", "vornix-lcdsim"]


def run(args, **kwargs):
    return subprocess.run(args, capture_output=True, text=True, **kwargs)


def need(tool):
    """The tool's path; the calling test is skipped, with the reason, when it is missing."""
    path = shutil.which(tool)
    if path is None:
        raise unittest.SkipTest(f"{tool} is not installed (scripts/setup --test installs it)")
    return path


class InstalledTree(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.destdir = tempfile.mkdtemp(prefix="vornix-install-")
        cls.scratch = tempfile.mkdtemp(prefix="vornix-install-scratch-")
        cls.prefix = os.path.join(cls.destdir, "usr")
        env = dict(os.environ, DESTDIR=cls.destdir)
        result = run(["cmake", "--install", BUILD, "--prefix", "/usr"], env=env)
        if result.returncode != 0:
            raise AssertionError("cmake --install failed:\n" + result.stdout + result.stderr)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.destdir, ignore_errors=True)
        shutil.rmtree(cls.scratch, ignore_errors=True)

    def path(self, relative):
        return os.path.join(self.prefix, relative)

    def installed_files(self):
        found = set()
        for folder, _, files in os.walk(self.destdir):
            for name in files:
                found.add(os.path.relpath(os.path.join(folder, name), self.prefix))
        return found

    # --- The layout -----------------------------------------------------------------------

    def test_every_file_in_its_place(self):
        for relative, executable in EXPECTED.items():
            with self.subTest(file=relative):
                mode = os.stat(self.path(relative)).st_mode
                self.assertTrue(stat.S_ISREG(mode))
                self.assertEqual(bool(mode & stat.S_IXUSR), executable)

    def test_nothing_else_is_installed(self):
        # The helper stays off PATH, and the guide no longer lands in bin/.
        self.assertEqual(self.installed_files(), set(EXPECTED))

    def test_programs_carry_no_path_into_the_build_tree(self):
        for relative in [p for p, executable in EXPECTED.items() if executable]:
            with self.subTest(program=relative):
                dynamic = run(["readelf", "-d", self.path(relative)]).stdout
                self.assertNotIn(os.path.realpath(BUILD), dynamic)

    def test_installed_texts_are_the_sources(self):
        pairs = {
            "share/doc/vornix/Vornix.txt": "resources/Vornix.txt",
            "share/doc/vornix/LICENSE": "LICENSE",
            "share/doc/vornix/README": "README.md",
        }
        for installed, source in pairs.items():
            with self.subTest(file=installed):
                with open(self.path(installed), "rb") as a, open(os.path.join(SOURCE, source), "rb") as b:
                    self.assertEqual(a.read(), b.read())

    def project_version(self):
        """The release the package carries, as the build configured it for CPack."""
        with open(os.path.join(BUILD, "CPackConfig.cmake"), encoding="utf-8") as f:
            return re.search(r'set\(CPACK_PACKAGE_VERSION "([^"]+)"\)', f.read()).group(1)

    def test_changelog_names_this_release(self):
        with gzip.open(self.path("share/doc/vornix/changelog.gz"), "rt", encoding="utf-8") as f:
            first = f.readline()
        self.assertEqual(first.split()[:2], ["vornix", f"({self.project_version()})"])

    def test_one_release_number_everywhere(self):
        with open(os.path.join(SOURCE, "CMakeLists.txt"), encoding="utf-8") as f:
            major, minor, patch = re.search(r"project\(Vornix VERSION (\d+)\.(\d+)\.(\d+)",
                                            f.read()).groups()
        # The About box shows the minor number and the revision; everything else follows it.
        release = f"{int(minor)}.{int(patch)}"
        with open(self.path("share/doc/vornix/Vornix.txt"), encoding="utf-8") as f:
            guide = re.search(r"^Beta Version (\S+)$", f.read(), re.M).group(1)
        with gzip.open(self.path("share/doc/vornix/changelog.gz"), "rt", encoding="utf-8") as f:
            changelog = re.match(r"vornix \(([^)]+)\)", f.readline()).group(1)
        metainfo = ET.parse(self.path("share/metainfo/example.vornix.Vornix.metainfo.xml"))
        found = {
            "package": self.project_version(),
            "guide": guide,
            "changelog": changelog,
            "metainfo": metainfo.getroot().find("releases/release").get("version"),
        }
        for program in ("bin/vornix", "bin/vornix-cli", "bin/vornix-lcdsim",
                        "libexec/vornix/vornix-cli-load"):
            printed = run([self.path(program), "--version"]).stdout.split()
            found[program] = printed[1] if len(printed) == 2 else " ".join(printed)
        for where, version in found.items():
            with self.subTest(where=where):
                self.assertEqual(version, release)

    def test_copyright_holds_the_licence(self):
        with open(self.path("share/doc/vornix/copyright"), encoding="utf-8") as f:
            copyright_text = f.read()
        with open(os.path.join(SOURCE, "LICENSE"), encoding="utf-8") as f:
            licence = f.read()
        self.assertTrue(copyright_text.startswith("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"))
        self.assertIn("License: Expat", copyright_text)
        # Each licence line appears indented by one blank, blank lines as " .".
        for line in licence.strip().splitlines():
            self.assertIn("\n " + (line if line else "."), copyright_text)

    # --- vornix-cli finds its helper -------------------------------------------------------

    def test_load_runs_the_installed_helper(self):
        picture = os.path.join(self.scratch, "picture.pxl")
        with open(picture, "w") as f:
            f.write("@,8,1,8\r\n0FFh\r\n")
        missing_port = os.path.join(self.scratch, "no-such-port")
        result = run([self.path("bin/vornix-cli"), "load", "--port", missing_port, picture])
        self.assertNotIn("cannot start", result.stderr)
        self.assertEqual(result.returncode, 1, result.stderr)

    def test_load_without_a_helper_says_where_it_looked(self):
        lonely = tempfile.mkdtemp(dir=self.scratch)
        os.makedirs(os.path.join(lonely, "bin"))
        copy = os.path.join(lonely, "bin", "vornix-cli")
        shutil.copy2(self.path("bin/vornix-cli"), copy)
        result = run([copy, "load", "picture.pxl"])
        self.assertEqual(result.returncode, 1)
        expected = os.path.join(lonely, "bin", "../libexec/vornix/vornix-cli-load")
        self.assertIn(f"cannot start {expected}: No such file or directory", result.stderr)

    # --- Desktop integration ----------------------------------------------------------------

    def desktop_entry(self):
        entry = {}
        with open(self.path("share/applications/vornix.desktop"), encoding="utf-8") as f:
            for line in f:
                if "=" in line:
                    key, value = line.rstrip("\n").split("=", 1)
                    entry[key] = value
        return entry

    def test_desktop_entry_opens_bmp_and_pxl_files(self):
        entry = self.desktop_entry()
        self.assertEqual(entry["Exec"], "vornix %f")
        self.assertEqual(entry["Icon"], "vornix")
        self.assertEqual(set(entry["MimeType"].strip(";").split(";")),
                         {"image/bmp", "application/x-vornix-pxl"})

    def test_desktop_entry_validates(self):
        tool = need("desktop-file-validate")
        result = run([tool, self.path("share/applications/vornix.desktop")])
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertNotIn("error", (result.stdout + result.stderr).lower())

    def test_pxl_type_by_name_in_any_case_and_by_content(self):
        tool = need("update-mime-database")
        mime = self.path("share/mime")
        result = run([tool, mime])
        self.assertEqual(result.returncode, 0, result.stderr)
        with open(os.path.join(mime, "globs2"), encoding="utf-8") as f:
            globs = [line.strip() for line in f if "x-vornix-pxl" in line]
        # No ":cs" flag: the glob matches .pxl, .PXL and .Pxl alike.
        self.assertEqual(len(globs), 1)
        self.assertRegex(globs[0], r"^\d+:application/x-vornix-pxl:\*\.pxl$")
        with open(os.path.join(mime, "magic"), "rb") as f:
            magic = f.read()
        section = magic.split(b"[")[1:]
        entry = [s for s in section if b"application/x-vornix-pxl]" in s]
        self.assertEqual(len(entry), 1)
        # offset 0, a two-byte value "@,"
        self.assertIn(b">0=\x00\x02@,", entry[0])
        with open(os.path.join(mime, "subclasses"), encoding="utf-8") as f:
            self.assertIn("application/x-vornix-pxl text/plain", f.read())

    def test_icons_have_their_sizes(self):
        for size in (48, 128, 256):
            with self.subTest(size=size):
                with open(self.path(f"share/icons/hicolor/{size}x{size}/apps/vornix.png"), "rb") as f:
                    header = f.read(24)
                self.assertEqual(header[:8], b"\x89PNG\r\n\x1a\n")
                width = int.from_bytes(header[16:20], "big")
                height = int.from_bytes(header[20:24], "big")
                self.assertEqual((width, height), (size, size))
        root = ET.parse(self.path("share/icons/hicolor/scalable/apps/vornix.svg")).getroot()
        self.assertEqual(root.tag, "{http://www.w3.org/2000/svg}svg")

    def test_metainfo_validates_and_names_this_release(self):
        path = self.path("share/metainfo/example.vornix.Vornix.metainfo.xml")
        root = ET.parse(path).getroot()
        self.assertEqual(root.find("releases/release").get("version"), self.project_version())
        self.assertEqual(root.find("launchable").text, "vornix.desktop")
        self.assertTrue(root.find("screenshots/screenshot/image").text.endswith("main-window.png"))
        tool = need("appstreamcli")
        result = run([tool, "validate", "--no-net", path])
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)

    # --- Manuals and completion ------------------------------------------------------------

    def test_manuals_format_without_warnings(self):
        tool = need("man")
        for page in MANUALS:
            with self.subTest(page=page):
                packed = self.path(f"share/man/man1/{page}.1.gz")
                with gzip.open(packed, "rt", encoding="utf-8") as f:
                    self.assertTrue(f.readline().startswith(f".TH {page.upper()} 1 "))
                env = dict(os.environ, MANWIDTH="80")
                result = run([tool, "--warnings", "-l", packed], env=env)
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertEqual(result.stderr, "")
                # Bold and underline come as overstrikes when the output is not a terminal.
                text = re.sub(".\x08", "", result.stdout)
                self.assertIn("\nSYNOPSIS\n", text)
                self.assertTrue(all(len(line) <= 80 for line in text.splitlines()))

    def complete(self, words, folder):
        """What bash offers for the last of `words` (the command line so far), in `folder`."""
        script = (
            'source "$1"; shift\n'
            'COMP_WORDS=("$@"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1))\n'
            'complete -p vornix-cli >/dev/null || exit 3\n'
            '_vornix_cli; printf "%s\\n" "${COMPREPLY[@]}"\n'
        )
        completion = self.path("share/bash-completion/completions/vornix-cli")
        result = run(["bash", "-c", script, "bash", completion, *words], cwd=folder)
        self.assertEqual(result.returncode, 0, result.stderr)
        return sorted(line for line in result.stdout.split("\n") if line)

    def test_completion_offers_commands_options_values_and_files(self):
        folder = tempfile.mkdtemp(dir=self.scratch)
        for name in ("clock.bmp", "LOGO.PXL", "photo.ppm", "notes.txt", "with space.pxl"):
            open(os.path.join(folder, name), "w").close()
        os.mkdir(os.path.join(folder, "pictures"))
        cases = [
            (["vornix-cli", ""],
             ["--help", "--version", "-h", "convert", "help", "info", "load", "pattern", "stream",
              "text"]),
            (["vornix-cli", "pa"], ["pattern"]),
            (["vornix-cli", "convert", "--d"], ["--dither", "--draw-pixels"]),
            (["vornix-cli", "convert", "--dither", ""], ["atkinson", "bayer4", "bayer8", "fs", "none"]),
            (["vornix-cli", "convert", "--fit", "s"], ["stretch"]),
            (["vornix-cli", "convert", "--rotate", ""], ["0", "180", "270", "90"]),
            (["vornix-cli", "convert", "--flip", ""], ["h", "none", "v"]),
            (["vornix-cli", "convert", "--threshold", "a"], ["auto"]),
            (["vornix-cli", "convert", "--to", ""], ["bin", "bmp", "c", "pbm", "pxl", "xbm"]),
            (["vornix-cli", "convert", "--layout", "p"], ["pages-lsb", "pages-msb"]),
            (["vornix-cli", "convert", "--preset", ""], ["columns", "mcu", "pages", "panel", "x11"]),
            (["vornix-cli", "convert", "--in-set", ""], ["dark", "light"]),
            (["vornix-cli", "convert", "--frames", ""], ["all", "first"]),
            (["vornix-cli", "convert", "--fr"], ["--frames"]),
            (["vornix-cli", "convert", "-o", ""], ["pictures/"]),
            (["vornix-cli", "convert", "-o", "pictures", "photo.ppm", ""],
             ["LOGO.PXL", "clock.bmp", "photo.ppm", "pictures/", "with space.pxl"]),
            (["vornix-cli", "convert", "--invert", ""],
             ["LOGO.PXL", "clock.bmp", "photo.ppm", "pictures/", "with space.pxl"]),
            (["vornix-cli", "convert", "photo.ppm", ""],
             ["LOGO.PXL", "clock.bmp", "pictures/", "with space.pxl"]),
            (["vornix-cli", "info", ""], ["LOGO.PXL", "clock.bmp", "pictures/", "with space.pxl"]),
            (["vornix-cli", "load", "--p"], ["--port", "--ports"]),
            (["vornix-cli", "load", "--e"], ["--each-new-port"]),
            (["vornix-cli", "load", "--ports", ""], ["'/dev/serial/by-id/usb-*'", "'/dev/ttyUSB*'"]),
            (["vornix-cli", "load", "--stall-time", ""], ["10", "30", "5", "60"]),
            (["vornix-cli", "convert", "--q"], ["--quiet"]),
            (["vornix-cli", "pattern", "--t"], ["--to"]),
            (["vornix-cli", "pattern", "--to", ""], ["bin", "bmp", "c", "pbm", "pxl", "xbm"]),
            (["vornix-cli", "pattern", ""], ["bits", "border", "checker", "grid", "ruler"]),
            (["vornix-cli", "pattern", "--size", "240x128", "grid", "c"], ["clock.bmp"]),
            (["vornix-cli", "help", ""], ["convert", "info", "load", "pattern", "stream", "text"]),
            (["vornix-cli", "te"], ["text"]),
            (["vornix-cli", "text", "--"], ["--", "--align", "--font", "--size", "--size-of", "--to"]),
            (["vornix-cli", "text", "--align", ""], ["centre", "left", "right"]),
            (["vornix-cli", "text", "--align", "=", "c"], ["centre"]),
            (["vornix-cli", "text", "--size-of", ""], ["240x128"]),
            (["vornix-cli", "text", "--to", ""], ["bin", "bmp", "c", "pbm", "pxl", "xbm"]),
            (["vornix-cli", "text", "--font", "pict"], ["pictures/"]),
            (["vornix-cli", "text", "--font", "Fixed.bdf", ""], []),
            (["vornix-cli", "text", "--font", "Fixed.bdf", "Hello", ""],
             ["LOGO.PXL", "clock.bmp", "pictures/", "with space.pxl"]),
            (["vornix-cli", "help", "p"], ["pattern"]),
            (["vornix-cli", "help", "info", ""], []),
            # Bash splits "--dither=b" into "--dither", "=" and "b"; before a value is typed the
            # current word is the "=".
            (["vornix-cli", "convert", "--dither", "="], ["atkinson", "bayer4", "bayer8", "fs", "none"]),
            (["vornix-cli", "convert", "--dither", "=", "b"], ["bayer4", "bayer8"]),
            (["vornix-cli", "load", "--port", "=", "/no-such-dev"], []),
            (["vornix-cli", "convert", "--dither", "=", "fs", ""],
             ["LOGO.PXL", "clock.bmp", "photo.ppm", "pictures/", "with space.pxl"]),
            (["vornix-cli", "convert", "--fit", "=", "fit", "photo.ppm", ""],
             ["LOGO.PXL", "clock.bmp", "pictures/", "with space.pxl"]),
            # After "--" a word starting with "-" is a file name, never an option.
            (["vornix-cli", "convert", "--", "--d"], []),
            (["vornix-cli", "convert", "--", "-"], []),
            (["vornix-cli", "load", "--", "--p"], []),
            (["vornix-cli", "convert", "--", ""],
             ["LOGO.PXL", "clock.bmp", "photo.ppm", "pictures/", "with space.pxl"]),
            (["vornix-cli", "convert", "--", "photo.ppm", ""],
             ["LOGO.PXL", "clock.bmp", "pictures/", "with space.pxl"]),
            (["vornix-cli", "convert", "--", "--fit", ""],
             ["LOGO.PXL", "clock.bmp", "pictures/", "with space.pxl"]),
        ]
        for words, expected in cases:
            with self.subTest(words=" ".join(words)):
                self.assertEqual(self.complete(words, folder), sorted(expected))


# --- The Windows zip ---------------------------------------------------------------------------

# The members of the Windows zip below its versioned top folder. The program is linked
# statically: no DLL travels with it.
WINDOWS_ZIP_MEMBERS = ["LICENSE.txt", "Vornix.txt", "vornix-cli.exe"]
MINGW = "x86_64-w64-mingw32-gcc-posix"


class WindowsZip(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.build = os.environ.get("VORNIX_WINDOWS_BUILD") or os.path.join(SOURCE, "build-windows")
        cls.exe = os.path.join(cls.build, "bin", "vornix-cli.exe")
        if not os.path.isfile(cls.exe):
            raise unittest.SkipTest("no Windows build here (scripts/test-windows makes one)")
        need("x86_64-w64-mingw32-objdump")
        with open(os.path.join(cls.build, "generated", "vornix_version.h"), encoding="utf-8") as f:
            cls.release = re.search(r'VORNIX_VERSION_TEXT "([^"]+)"', f.read()).group(1)
        cls.scratch = tempfile.mkdtemp(prefix="vornix-windows-zip-")
        cls.top = f"vornix-cli-{cls.release}-windows-x86_64"
        made = cls.pack(cls.exe, cls.release, cls.scratch, [os.path.join(cls.build, "bin")])
        if made.returncode != 0:
            raise AssertionError("windows_zip.py failed:\n" + made.stdout + made.stderr)
        cls.zip = made.stdout.strip()

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.scratch, ignore_errors=True)

    @staticmethod
    def pack(exe, release, out_dir, search_dirs):
        return run([sys.executable, os.path.join(SOURCE, "scripts", "windows_zip.py"), exe, release,
                    SOURCE, out_dir, *search_dirs])

    def test_members_under_a_versioned_folder(self):
        self.assertEqual(os.path.basename(self.zip), self.top + ".zip")
        with zipfile.ZipFile(self.zip) as z:
            self.assertEqual(sorted(z.namelist()),
                             [f"{self.top}/{name}" for name in WINDOWS_ZIP_MEMBERS])
            self.assertIsNone(z.testzip())
            with open(self.exe, "rb") as f:
                self.assertEqual(z.read(f"{self.top}/vornix-cli.exe"), f.read())
        tool = need("unzip")
        result = run([tool, "-t", self.zip])
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)

    def test_texts_have_windows_line_ends(self):
        with zipfile.ZipFile(self.zip) as z:
            for member, source in (("Vornix.txt", "resources/Vornix.txt"),
                                   ("LICENSE.txt", "LICENSE")):
                with self.subTest(member=member):
                    packed = z.read(f"{self.top}/{member}")
                    with open(os.path.join(SOURCE, source), "rb") as f:
                        original = f.read()
                    self.assertEqual(packed, original.replace(b"\n", b"\r\n"))
                    self.assertNotIn(b"\r\r", packed)

    def test_a_dll_beyond_windows_is_packed_or_refused(self):
        """A program that imports a DLL Windows lacks: packed when a search folder has it, else
        the packing fails naming it and leaves no zip."""
        need(MINGW)
        work = tempfile.mkdtemp(dir=self.scratch)
        dlls, program = os.path.join(work, "dlls"), os.path.join(work, "program")
        os.makedirs(dlls)
        os.makedirs(program)
        with open(os.path.join(work, "helper.c"), "w") as f:
            f.write("__declspec(dllexport) int helper(void) { return 7; }\n")
        with open(os.path.join(work, "main.c"), "w") as f:
            f.write("int helper(void);\nint main(void) { return helper(); }\n")
        for command in (
            [MINGW, "-shared", "-static-libgcc", os.path.join(work, "helper.c"), "-o",
             os.path.join(dlls, "helper.dll"), "-Wl,--out-implib," + os.path.join(work, "libhelper.a")],
            [MINGW, "-static-libgcc", os.path.join(work, "main.c"), "-L" + work, "-lhelper", "-o",
             os.path.join(program, "vornix-cli.exe")],
        ):
            built = run(command)
            self.assertEqual(built.returncode, 0, built.stderr)
        cases = [
            ("not found", [program], False),
            ("found in a search folder", [program, dlls], True),
        ]
        for name, search, packed in cases:
            with self.subTest(case=name):
                out = tempfile.mkdtemp(dir=work)
                made = self.pack(os.path.join(program, "vornix-cli.exe"), "0.1", out, search)
                if packed:
                    self.assertEqual(made.returncode, 0, made.stderr)
                    with zipfile.ZipFile(made.stdout.strip()) as z:
                        self.assertIn("vornix-cli-0.1-windows-x86_64/helper.dll", z.namelist())
                else:
                    self.assertNotEqual(made.returncode, 0)
                    self.assertIn("helper.dll", made.stderr)
                    self.assertEqual(os.listdir(out), [])

    def test_unpacked_program_prints_its_release(self):
        if not os.environ.get("WINEPREFIX"):
            self.skipTest("runs under the Wine prefix of scripts/test-windows")
        wine = need("wine")
        unpacked = tempfile.mkdtemp(dir=self.scratch)
        with zipfile.ZipFile(self.zip) as z:
            z.extractall(unpacked)
        result = run([wine, os.path.join(unpacked, self.top, "vornix-cli.exe"), "--version"])
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stdout.split(), ["vornix-cli", self.release])


if __name__ == "__main__":
    BUILD, SOURCE = os.path.realpath(sys.argv[1]), os.path.realpath(sys.argv[2])
    unittest.main(argv=[sys.argv[0], "-v", *sys.argv[3:]])
