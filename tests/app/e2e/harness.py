"""Runs the real application under Wine through the app_driver program."""
import os
import shutil
import subprocess
import unittest

BUILD_DIR = os.environ.get("ORV_BUILD_DIR", "")
SOURCE_DIR = os.environ.get("ORV_SOURCE_DIR", os.path.abspath("../../.."))
TEST_DIR = os.environ.get("ORV_TEST_DIR_UNIX", "/tmp/orv-e2e")
TRIPLE = os.environ.get("ORV_TRIPLE", "x86_64-w64-mingw32")
WINE_RUN = os.path.join(SOURCE_DIR, "scripts", "wine-run.sh")

DIALOG_TITLE = "Freeware ORV PDF Creator 4.0"


def windows_path(path):
    """The Windows form of a path of this machine, as Wine maps it."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class AppFolder:
    """A folder holding a copy of the application (and, when given, an
    engine library), so that setting.ini beside it belongs to one case."""

    def __init__(self, name, engine=None):
        self.path = os.path.join(TEST_DIR, name)
        shutil.rmtree(self.path, ignore_errors=True)
        os.makedirs(os.path.join(self.path, "tmp"))
        self.exe = os.path.join(self.path, "orvpdf.exe")
        shutil.copy(os.path.join(BUILD_DIR, "app", "orvpdf.exe"), self.exe)
        if engine:
            shutil.copy(engine, os.path.join(self.path, "orvpdf.dll"))

    def file(self, *parts):
        return os.path.join(self.path, *parts)

    def settings_text(self):
        path = self.file("setting.ini")
        if not os.path.exists(path):
            return None
        with open(path, "rb") as f:
            return f.read().decode("latin-1")

    def write_settings(self, text):
        with open(self.file("setting.ini"), "wb") as f:
            f.write(text.replace("\n", "\r\n").encode("latin-1"))

    def run(self, cmdline="", stdin=("none", None), texts=(), clicks=(), finish=None,
            env=(), timeout=180, retry_folder=None):
        """Runs the application through the driver; returns the report as a
        dict (repeated keys collect into lists under key + 's')."""
        report = self.file("report.txt")
        output = self.file("output.txt")
        args = [WINE_RUN, TRIPLE, os.path.join(BUILD_DIR, "tests", "app", "app_driver.exe"),
                "--app", windows_path(self.exe), "--report", windows_path(report),
                "--output", windows_path(output), "--timeout", str(timeout)]
        if cmdline:
            args += ["--cmdline", cmdline]
        mode, source = stdin
        args += ["--stdin", mode if source is None else mode + ":" + windows_path(source)]
        # Each case has its own temporary folder.
        args += ["--env", "TMP=" + windows_path(self.file("tmp")),
                 "--env", "TEMP=" + windows_path(self.file("tmp"))]
        for name, value in env:
            args += ["--env", f"{name}={value}"]
        for control_id, text in texts:
            args += ["--set-text", f"{control_id}={text}"]
        for control_id in clicks:
            args += ["--click", str(control_id)]
        if retry_folder:
            args += ["--retry-after-box", windows_path(retry_folder)]
        if finish:
            args.append("--" + finish)
        completed = subprocess.run(args, stdin=subprocess.DEVNULL, capture_output=True,
                                   timeout=timeout + 120)
        if completed.returncode != 0:
            raise AssertionError("driver failed: " + completed.stderr.decode(errors="replace"))
        result = {"messageboxs": []}
        with open(report, "rb") as f:
            for line in f.read().decode("latin-1").splitlines():
                key, _, value = line.partition("=")
                if key == "messagebox":
                    result["messageboxs"].append(value)
                else:
                    result[key] = value
        result["output"] = ""
        if os.path.exists(output):
            with open(output, "rb") as f:
                result["output"] = f.read().decode("latin-1")
        return result


def ini_value(text, section, key):
    """A value of an INI text, or None; names compare without case."""
    current = None
    for line in (text or "").splitlines():
        line = line.strip()
        if line.startswith("[") and line.endswith("]"):
            current = line[1:-1].lower()
        elif current == section.lower() and "=" in line:
            name, _, value = line.partition("=")
            if name.strip().lower() == key.lower():
                return value
    return None


REAL_ENGINE = os.path.join(BUILD_DIR, "app", "orvpdf.dll")
FAKE_ENGINE = os.path.join(BUILD_DIR, "tests", "engine", "fakes", "fake_engine_good.dll")
FAKE_MAPI = os.path.join(BUILD_DIR, "tests", "docinfo", "fake-mapi", "MAPI32.DLL")
WINE64 = "/usr/lib/wine/wine64" if TRIPLE.startswith("x86_64") else "/usr/lib/wine/wine"


def wine_reg(*args):
    """Runs Wine's reg.exe in the test prefix (reg add/delete ... /f)."""
    env = dict(os.environ, WINEDEBUG="-all")
    # A busy machine has been seen to fail a first call; one more is made.
    for _ in range(2):
        completed = subprocess.run([WINE64, "reg", *args], env=env, capture_output=True,
                                   timeout=120)
        if completed.returncode == 0:
            return
    if completed.returncode != 0:
        raise AssertionError(f"reg {' '.join(args)} failed ({completed.returncode}): "
                             + (completed.stdout + completed.stderr).decode(errors="replace"))


def fake_engine_log(path):
    """The argument list the fake engine received, in order."""
    arguments = []
    with open(path, "rb") as f:
        for line in f.read().decode("latin-1").splitlines():
            if line.startswith("argv["):
                arguments.append(line.partition("=")[2].replace("\\x5c", "\\"))
    return arguments


def tool(*args, check=True):
    """Runs a PDF tool of this machine and returns its standard output."""
    completed = subprocess.run(args, capture_output=True, timeout=120)
    if check and completed.returncode != 0:
        raise AssertionError(f"{args[0]} failed: " + completed.stderr.decode(errors="replace"))
    return completed.stdout.decode("latin-1")


def pdf_info(path):
    info = {}
    for line in tool("pdfinfo", "-isodates", path).splitlines():
        key, _, value = line.partition(":")
        info[key.strip()] = value.strip()
    return info


def pdf_fonts(path):
    """{font name without subset prefix: embedded?} of a PDF."""
    fonts = {}
    for line in tool("pdffonts", path).splitlines()[2:]:
        fields = line.split()
        if len(fields) >= 7:
            name = fields[0].split("+")[-1]
            emb = fields[-5]
            fonts[name] = emb == "yes"
    return fonts


class AppTestCase(unittest.TestCase):
    maxDiff = None
