"""The end-to-end harness: a virtual X display and a private Wine prefix per scenario, the real
orvanta.exe started in it, and orvanta-driver.exe to act on it from outside.

Everything waits by polling with a time limit; nothing relies on a fixed sleep.
"""
import contextlib
import hashlib
import os
import queue
import re
import shutil
import signal
import subprocess
import tempfile
import threading
import time
from pathlib import Path

WINE_ENV = {"WINEDEBUG": "-all", "WINEDLLOVERRIDES": "mscoree,mshtml="}

# The Wines the scenarios run under: Debian 12's own (8), and Wine 10 from a Debian 13 root
# (scripts/wine10), which starts programs unaware of the display's resolution as Windows does,
# knows per-monitor awareness v2, scales unaware windows and reports the compositor's bounds.
WINES = (8, 10)
WINE10_BIN = Path(__file__).resolve().parents[2] / "scripts" / "wine10" / "bin"

# The window in which each Wine shows tray icons when no system tray runs: Wine 8's stand-alone
# tray window, Wine 10's taskbar (untitled). Both at the top left, the icons in a row in the client
# area, each in a square as high as it.
TRAY_WINDOW = {8: ("--title", "Wine System Tray"), 10: ("--class", "Shell_TrayWnd")}


def use_wine(version):
    """Makes `wine`, `wineserver` and `wineboot` of this process and its children those of the
    given Wine."""
    if version == 10:
        os.environ["PATH"] = f"{WINE10_BIN}{os.pathsep}{os.environ['PATH']}"


def only_under_wine(version, why):
    """Marks a scenario that runs under one Wine only; why says in one line what the other lacks.
    The list of tests (CMakeLists.txt) reads the mark from the line above the definition."""
    def mark(function):
        function.only_under_wine = version
        function.why_only = why
        return function
    return mark

# Registry settings every prefix gets: no window manager waits, no crash dialog or debugger,
# and the Windows version the program is tested on by default.
BASE_REGISTRY = r"""Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Debugger"="nodebugger.exe"
"Auto"="1"

[HKEY_CURRENT_USER\Software\Wine]
"Version"="win10"
"""


class TimeoutError_(AssertionError):
    pass


def poll(check, timeout=10.0, interval=0.02, what="condition"):
    """Calls check() until it returns a true value, which is returned; fails after timeout."""
    end = time.monotonic() + timeout
    while True:
        value = check()
        if value:
            return value
        if time.monotonic() >= end:
            raise TimeoutError_(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)


def read_texts(path, version=""):
    """The program's texts by key, from the plain text file the build scrambles, with the
    project version in place of @VERSION@ as the build puts it."""
    escapes = {"n": "\n", "r": "\r", "t": "\t", "\\": "\\"}
    texts = {}
    for line in Path(path).read_text(encoding="utf-8").splitlines():
        if not line or line.startswith(";") or " = " not in line:
            continue
        key, _, value = line.partition(" = ")
        value = re.sub(r"\\(.)", lambda m: escapes[m.group(1)], value)
        texts[key] = value.replace("@VERSION@", version) if version else value
    return texts


def windows_path(path):
    """A Linux path as Wine's Z: drive shows it."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def parse_pairs(output):
    pairs = {}
    for line in output.splitlines():
        key, sep, value = line.partition("=")
        if sep:
            pairs.setdefault(key, value)
    return pairs


class Config:
    def __init__(self, exe, driver, texts, work, docs, version="", packages=None, wine=8):
        self.wine = wine
        self.exe = Path(exe)
        self.driver = Path(driver)
        self.version = version
        self.texts = read_texts(texts, version)
        self.work = Path(work)
        self.docs = Path(docs)
        self.packages = Path(packages) if packages else None
        self.template = self.work / "prefix-template"
        # Screenshots for the documentation are Wine 8's; Wine 10's stay in its work folder, so
        # that a test run leaves the checkout as it was.
        self.doc_images = self.docs / "images" if wine == 8 else self.work / "doc-images"


def bench_session(root, name):
    """A session over the Windows build in the checkout at root, for the benchmarks that time
    the real program under Wine; its prefix and artifacts go to build/windows/bench."""
    build = Path(root) / "build" / "windows"
    config = Config(build / "orvanta.exe", build / "tests/e2e/orvanta-driver.exe",
                    Path(root) / "res/texts.txt", build / "bench", Path(root) / "docs")
    prepare_template(config)
    return config, Session(config, name)


class XServer:
    """An X server started with -displayfd, so that it picks a free display number itself."""

    def __init__(self, args, log=None):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            [*args, "-displayfd", str(write_end), "-nolisten", "tcp", "-noreset"],
            pass_fds=[write_end], stdout=log, stderr=log, start_new_session=True)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if not number:
            raise RuntimeError(f"{args[0]} did not start")
        self.display = f":{number}"

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()


class Xvfb(XServer):
    def __init__(self, width, height, log=None):
        super().__init__(["Xvfb", "-screen", "0", f"{width}x{height}x24"], log)


# No Screen section: with one (a Virtual size, a depth) Wine 10 saw only the first output.
DUMMY_XORG_CONF = """Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoEnableDevices" "false"
  Option "AllowEmptyInput" "true"
  Option "DontVTSwitch" "true"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0 - 1000.0
  VertRefresh 5.0 - 200.0
EndSection
"""


class DummyXorg(XServer):
    """Several monitors for Wine 10, which takes them from XRandR: Xorg of the Wine 10 root with
    the dummy video driver, whose outputs DUMMY0, DUMMY1... are given the monitors' sizes and
    places (x, y on the X screen); the first is the primary one."""

    def __init__(self, monitors, folder, log=None):
        config = folder / "xorg.conf"
        config.write_text(DUMMY_XORG_CONF)
        in_root = str(WINE10_BIN / "in-root")
        super().__init__([in_root, "/usr/lib/xorg/Xorg", "-config", str(config),
                          "-logfile", str(folder / "xorg.log"), "-novtswitch", "-sharevts"], log)
        try:
            self._lay_out(in_root, monitors)
        except BaseException:
            self.stop()
            raise

    def _lay_out(self, in_root, monitors):
        xrandr = [in_root, "xrandr", "--display", self.display]
        layout = []
        for number, (width, height, x, y) in enumerate(monitors):
            mode = f"{width}x{height}-{number}"
            # A mode of its own for each output; its timing only needs to be valid.
            htotal, vtotal = width + 24, height + 3
            timing = [f"{htotal * vtotal * 60 / 1e6:.2f}", width, width + 8, width + 16, htotal,
                      height, height + 1, height + 2, vtotal]
            for command in (["--newmode", mode, *timing], ["--addmode", f"DUMMY{number}", mode]):
                subprocess.run(xrandr + list(map(str, command)), check=True, capture_output=True,
                               timeout=30)
            layout += ["--output", f"DUMMY{number}", "--mode", mode, "--pos", f"{x}x{y}"]
        subprocess.run(xrandr + layout + ["--output", "DUMMY0", "--primary"], check=True,
                       capture_output=True, timeout=30)
        # A query makes the server probe its outputs again; without it Wine 10 sees the first
        # output alone.
        subprocess.run(xrandr + ["--query"], check=True, capture_output=True, timeout=30)


# The driver's names of the modifiers that Desktop.keys holds in X too, as xdotool names them.
# Not Alt: pressed and let go on its own, as X would see it, it opens a window's menu.
X_MODIFIERS = {"ctrl": "ctrl", "shift": "shift", "alt": "alt", "lctrl": "Control_L", "ralt": "Alt_R"}

# Wine's own modules and tables in a prefix, which nothing writes once the prefix is booted: a desk
# links them from the template instead of copying them (they are most of its 700 MB), and copies
# everything else, which Wine and the tests may change.
SHARED_PREFIX_FILES = {".dll", ".exe", ".nls", ".msstyles", ".drv", ".ocx", ".sys", ".acm",
                       ".cpl", ".tlb", ".ds", ".com", ".ax"}


def copy_prefix(template, prefix):
    def link_or_copy(source, target):
        if Path(source).suffix.lower() in SHARED_PREFIX_FILES:
            os.link(source, target)
        else:
            shutil.copy2(source, target)
    shutil.copytree(template, prefix, symlinks=True, copy_function=link_or_copy)


def prepare_template(config):
    """Boots one Wine prefix for all scenarios of a run (they copy it); skipped when current."""
    wine_version = subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout
    stamp = hashlib.sha1((wine_version + BASE_REGISTRY).encode()).hexdigest()
    stamp_file = config.template / ".orvanta-stamp"
    if stamp_file.exists() and stamp_file.read_text() == stamp:
        return
    shutil.rmtree(config.template, ignore_errors=True)
    config.work.mkdir(parents=True, exist_ok=True)
    display = Xvfb(1024, 768)
    env = dict(os.environ, DISPLAY=display.display, WINEPREFIX=str(config.template), **WINE_ENV)
    try:
        subprocess.run(["wineboot", "-i"], env=env, check=True, capture_output=True, timeout=180)
        subprocess.run(["wineserver", "-w"], env=env, check=True, timeout=120)
        reg_file = config.work / "base.reg"
        reg_file.write_text(BASE_REGISTRY, encoding="utf-16")
        subprocess.run(["wine", "regedit", "/S", windows_path(reg_file)], env=env, check=True,
                       capture_output=True, timeout=60)
        subprocess.run(["wineserver", "-w"], env=env, check=True, timeout=120)
    finally:
        subprocess.run(["wineserver", "-k"], env=env, capture_output=True)
        display.stop()
    stamp_file.write_text(stamp)


def xinerama_standin(config):
    """The stand-in libXinerama (xinerama_standin.c) that shows Wine the monitors a test asks
    for, built once per run into the work folder; returns its folder."""
    source = Path(__file__).parent / "xinerama_standin.c"
    folder = config.work / "xinerama"
    library = folder / "libXinerama.so.1"
    if not library.exists() or library.stat().st_mtime < source.stat().st_mtime:
        folder.mkdir(parents=True, exist_ok=True)
        # Built under a name of its own and renamed: two scenarios may build it at once.
        partial = folder / f"libXinerama.{os.getpid()}.tmp"
        subprocess.run(["gcc", "-shared", "-fPIC", "-O2", "-Wl,-soname,libXinerama.so.1",
                        "-o", str(partial), str(source)], check=True, capture_output=True)
        os.replace(partial, library)
    return folder


# HKEY_CURRENT_CONFIG\Software\Fonts as a key of HKEY_LOCAL_MACHINE.
FONTS_KEY = "System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts"


def preset_registry(prefix, values, hive="user.reg"):
    """Adds values to the registry of a prefix that no Wine process uses yet, for settings Wine
    reads only when its first process starts. values: {key: {name: value}}, keys relative to
    HKEY_CURRENT_USER (hive user.reg) or HKEY_LOCAL_MACHINE (system.reg), values str (REG_SZ) or
    int (REG_DWORD)."""
    lines = []
    for key, named in values.items():
        lines.append(f"\n[{key.replace(chr(92), chr(92) * 2)}] {int(time.time())}")
        for name, value in named.items():
            data = f"dword:{value:08x}" if isinstance(value, int) else f'"{value}"'
            lines.append(f'"{name}"={data}')
    # Wine reads a key given twice as one: the values are added to those it has.
    with open(prefix / hive, "a", encoding="utf-8") as registry:
        registry.write("\n".join(lines) + "\n")


class Program:
    """One run of orvanta.exe, started through the driver so that its full exit code is known."""

    def __init__(self, desktop, exe_windows_path, cwd=None, wine_debug=None):
        self.desktop = desktop
        args = ["launch", exe_windows_path] + (["--cwd", cwd] if cwd else [])
        # With wine_debug (a WINEDEBUG value such as "trace+exec"), Wine's trace of the program
        # goes to self.log, where a test can see what the program asked Wine to do.
        env, stderr, self.log = desktop.env, subprocess.DEVNULL, None
        if wine_debug:
            env = dict(desktop.env, WINEDEBUG=wine_debug)
            self.log = desktop.artifacts / f"wine-trace-{len(desktop.programs)}.log"
            stderr = open(self.log, "wb")
        # The launcher's report goes to a file: a program it starts may pass the handle on.
        self._output = tempfile.TemporaryFile()
        self.process = subprocess.Popen(
            ["wine", str(desktop.config.driver), *args],
            env=env, stdin=subprocess.DEVNULL, stdout=self._output, stderr=stderr,
        )
        if stderr is not subprocess.DEVNULL:
            stderr.close()

    def wait_exit(self, timeout=15):
        try:
            self.process.wait(timeout)
        except subprocess.TimeoutExpired as error:
            raise TimeoutError_(f"the program did not end within {timeout} s") from error
        self._output.seek(0)
        out = self._output.read().decode("utf-8", errors="replace")
        pairs = parse_pairs(out)
        if "exit" not in pairs:
            raise AssertionError(f"no exit code reported: {out!r}")
        return int(pairs["exit"])

    def running(self):
        return self.process.poll() is None

    def pid(self):
        """The program's process id, once the launcher has started it."""
        def reported():
            # Read without moving the file position, which the launcher shares for its writes.
            text = os.pread(self._output.fileno(), 4096, 0).decode("utf-8", errors="replace")
            return parse_pairs(text).get("pid")
        return int(poll(reported, timeout=15, what="the program's process id"))


class Desktop:
    """A virtual display plus a private copy of the Wine prefix, for one scenario."""

    def __init__(self, config, artifacts, width=1920, height=1080, dpi=None,
                 windows_version=None, monitors=None, start_unaware=False, monitor_dpis=None):
        """monitors: several monitors side by side, as (width, height, x, y) in X screen
        coordinates, the primary one first (Wine puts it at 0,0 and the others around it); the X
        screen is then just large enough to hold them all (Wine 8: one Xvfb screen and the
        Xinerama stand-in; Wine 10: DummyXorg). start_unaware: Windows programs start
        unaware of the display's resolution, as on Windows, instead of Wine 8's per-monitor
        default, so that what a program declares decides (Wine 10 starts them so anyway).
        monitor_dpis (Wine 10 only): a resolution for each monitor, in the order of monitors."""
        self.config = config
        self.artifacts = artifacts
        if monitors:
            width = max(x + w for w, h, x, y in monitors)
            height = max(y + h for w, h, x, y in monitors)
        self.size = (width, height)
        self.primary_corner = monitors[0][2:] if monitors else (0, 0)
        self.programs = []
        self.helpers = []
        self.server = None
        self.batches = 0
        self.log = open(artifacts / "desktop.log", "ab")
        self.prefix = artifacts / "prefix"
        self.xvfb = self.wineserver = None
        try:
            self._start(config, width, height, dpi, windows_version, monitors, start_unaware,
                        monitor_dpis)
        except BaseException:
            self.close()  # what has started so far
            raise

    def _start(self, config, width, height, dpi, windows_version, monitors, start_unaware,
               monitor_dpis):
        shutil.rmtree(self.prefix, ignore_errors=True)
        copy_prefix(config.template, self.prefix)
        preset = {}
        if monitors and config.wine == 8:
            # Wine's XRandR support would report the one X screen; without it Wine asks Xinerama.
            preset["Software\\Wine\\X11 Driver"] = {"UseXRandR": "N"}
        desktop_values = {}
        if start_unaware:
            desktop_values["DpiScalingVer"] = 0x1000
        if dpi:
            # Read when the prefix's first process starts (Wine 10 takes the monitors' resolution
            # from it then, and a later change leaves the two disagreeing).
            desktop_values["LogPixels"] = dpi
            preset_registry(self.prefix, {FONTS_KEY: {"LogPixels": dpi}}, "system.reg")
        if desktop_values:
            preset["Control Panel\\Desktop"] = desktop_values
        if preset:
            preset_registry(self.prefix, preset)
        # The desk's X server, named xvfb as it mostly is.
        if monitors and config.wine == 10:
            self.xvfb = DummyXorg(monitors, self.artifacts, self.log)
        else:
            self.xvfb = Xvfb(width, height, self.log)
        self.env = dict(os.environ, DISPLAY=self.xvfb.display, WINEPREFIX=str(self.prefix),
                        **WINE_ENV)
        if monitors and config.wine == 8:
            self.env["LD_LIBRARY_PATH"] = str(xinerama_standin(config))
            self.env["ORVANTA_E2E_HEADS"] = " ".join(f"{w}x{h}+{x}+{y}" for w, h, x, y in monitors)
        self.wineserver = subprocess.Popen(["wineserver", "-p", "-f"], env=self.env,
                                           stdout=self.log, stderr=self.log)
        # The first Wine program of a prefix starts its services and desktop process, which
        # keep the standard handles they inherit: start them here, on the log, so that later
        # commands whose output is read end with their own process.
        subprocess.run(["wine", str(config.driver), "metrics"], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=self.log, stderr=self.log, timeout=120, check=True)
        if windows_version:
            self.reg_add(r"HKCU\Software\Wine", "Version", "REG_SZ", windows_version)
        if monitor_dpis:
            self.set_monitor_dpis(monitor_dpis)

    # --- Wine and the driver -----------------------------------------------------------------

    def wine(self, *args, timeout=60, check=True):
        result = subprocess.run(["wine", *map(str, args)], env=self.env, capture_output=True,
                                timeout=timeout)
        if check and result.returncode != 0:
            raise AssertionError(f"wine {args} failed ({result.returncode}): "
                                 f"{result.stderr.decode(errors='replace')}")
        return result

    def wine_background(self, *args):
        """Starts a Windows program without waiting for it; it ends with the desktop at the
        latest."""
        process = subprocess.Popen(["wine", *map(str, args)], env=self.env, stdout=self.log,
                                   stderr=self.log)
        self.helpers.append(process)
        return process

    def driver_raw(self, *args, timeout=60):
        """Runs a driver command in the desk's driver server (DriverServer) and returns its
        exit code and output as a finished process would. A server that ends before it answers
        (Wine could not start it, which happened rarely on a loaded machine) is started once
        more and given the command again."""
        for attempt in range(2):
            if self.server is None:
                self.server = DriverServer(self, self.config.driver)
            try:
                return self.server.run(args, timeout)
            except DriverServerGone:
                self.server = None
                if attempt:
                    raise
                self.log.write(f"driver {args}: the driver server ended; starting it again\n"
                               .encode())
            except subprocess.TimeoutExpired:
                self.server.stop()
                self.server = None
                processes = subprocess.run(["ps", "-eo", "pid,ppid,etime,args"],
                                           capture_output=True, text=True).stdout
                self.log.write(f"driver {args} timed out; processes:\n{processes}".encode())
                raise

    def _run_driver(self, args, timeout):
        """Runs the driver in a process of its own and waits for the process itself, not for the
        end of its output: a Wine process it happens to start (a service, the desktop) may keep
        inherited output handles open for as long as the prefix lives. Output goes through files
        for that reason."""
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            process = subprocess.Popen(["wine", str(self.config.driver), *map(str, args)],
                                       env=self.env, stdin=subprocess.DEVNULL, stdout=out,
                                       stderr=err)
            try:
                returncode = process.wait(timeout)
            except subprocess.TimeoutExpired:
                process.kill()
                raise
            out.seek(0)
            err.seek(0)
            return subprocess.CompletedProcess(args, returncode, out.read(), err.read())

    def driver(self, *args, timeout=60):
        """Runs a driver command and returns its key=value output; a failure raises."""
        result = self.driver_raw(*args, timeout=timeout)
        out = result.stdout.decode("utf-8", errors="replace")
        if result.returncode != 0:
            err = result.stderr.decode("utf-8", errors="replace").strip()
            raise AssertionError(f"driver {' '.join(map(str, args))} (exit {result.returncode}): {err}")
        return parse_pairs(out) if "=" in out else out

    def batch(self, commands, timeout=200):
        """Runs many driver commands in one driver process (much faster than one process each):
        commands is a list of argument lists; the first failure raises. Returns the output of
        the batch (lines=..., elapsed_ms=...)."""
        self.batches += 1
        script = self.artifacts / f"batch-{self.batches}.txt"
        # Quoted by the same rules the driver splits them with (CommandLineToArgvW).
        script.write_text("".join(subprocess.list2cmdline(map(str, args)) + "\n"
                                  for args in commands), encoding="utf-8")
        result = self._run_driver(["batch", windows_path(script)], timeout)
        if result.returncode != 0:
            raise AssertionError(f"driver batch {script.name} (exit {result.returncode}): "
                                 f"{result.stderr.decode('utf-8', errors='replace').strip()}")
        result = parse_pairs(result.stdout.decode("utf-8", errors="replace"))
        script.unlink()
        return result

    def driver_lines(self, *args, timeout=60):
        result = self.driver_raw(*args, timeout=timeout)
        if result.returncode != 0:
            raise AssertionError(f"driver {args}: {result.stderr.decode(errors='replace')}")
        return result.stdout.decode("utf-8", errors="replace").splitlines()

    def reg_add(self, key, name, kind, value):
        self.wine("reg", "add", key, "/v", name, "/t", kind, "/d", str(value), "/f")

    def reg_query(self, key, name):
        """The data of a registry value as `reg query` prints it, or None when it is missing."""
        result = self.wine("reg", "query", key, "/v", name, check=False)
        if result.returncode != 0:
            return None
        for line in result.stdout.decode(errors="replace").splitlines():
            parts = line.strip().split(None, 2)
            if len(parts) >= 2 and parts[0].lower() == name.lower():
                return parts[2] if len(parts) == 3 else ""
        return None

    def reg_import(self, text):
        """Imports registry text in .reg format (after the "Windows Registry Editor" line)."""
        reg_file = self.artifacts / "import.reg"
        reg_file.write_text("Windows Registry Editor Version 5.00\n\n" + text, encoding="utf-16")
        self.wine("regedit", "/S", windows_path(reg_file))

    def record_shell_opens(self, record_file, classes=("http", "https", "htmlfile"),
                           extensions=(("html", "htmlfile"),)):
        """Points the shell's "open" of the given classes (protocols such as https, document
        types such as htmlfile) at the driver's record-args command, which appends what it was
        asked to open as one line of record_file; extensions are (extension, class) pairs to
        associate first (a fresh prefix knows no .html). Returns a function that reads the
        lines written so far."""
        record_file = Path(record_file)
        command = (f'"{windows_path(self.config.driver)}" record-args '
                   f'"{windows_path(record_file)}" "%1"')
        escaped = command.replace("\\", "\\\\").replace('"', '\\"')
        self.reg_import("".join(
            [f'[HKEY_CLASSES_ROOT\\.{ext}]\n@="{name}"\n\n' for ext, name in extensions] +
            [f'[HKEY_CLASSES_ROOT\\{name}\\shell\\open\\command]\n@="{escaped}"\n\n'
             for name in classes]))

        def lines():
            if not record_file.exists():
                return []
            text = record_file.read_text(encoding="utf-8")
            return text.splitlines() if text.endswith("\n") else text.splitlines()[:-1]
        return lines

    def set_monitor_dpis(self, dpis):
        """Gives each monitor its own resolution (Wine 10), seen by the processes started
        afterwards: the value Dpi in the key of each display adapter, which Wine 10 reads for its
        monitor. Adapter N (\\Device\\VideoN) drives the output DUMMYN, so monitor N."""
        assert self.config.wine == 10, "only Wine 10 has a resolution for each monitor"
        for number, dpi in enumerate(dpis):
            key = self.reg_query(r"HKLM\HARDWARE\DEVICEMAP\VIDEO", f"\\Device\\Video{number}")
            assert key, f"no display adapter {number}"
            adapter = key.split("\\Control\\Video\\", 1)[1]
            self.reg_add(rf"HKCC\System\CurrentControlSet\Control\Video\{adapter}", "Dpi",
                         "REG_DWORD", dpi)

    # --- the program ---------------------------------------------------------------------------

    def install(self, folder="app", program=None):
        """Copies orvanta.exe (or another build of it, `program`, under that name) and the help
        document the build puts beside it into their own folder (where the program keeps its
        preferences)."""
        target = self.artifacts / folder
        target.mkdir(parents=True, exist_ok=True)
        shutil.copy2(program or self.config.exe, target / "orvanta.exe")
        help_name = self.config.texts["#Help_PDF"]
        shutil.copy2(self.config.exe.parent / help_name, target / help_name)
        return target

    def start(self, folder=None, wait_main_window=True, cwd=None, wine_debug=None, exe=None):
        """Starts orvanta.exe from folder (a fresh install when none), or the program file exe
        given as a Windows path, in the working folder cwd (a Linux path; the driver's own by
        default), optionally with a Wine trace (Program)."""
        if exe is None:
            exe = windows_path(Path(folder or self.install()) / "orvanta.exe")
        program = Program(self, exe, windows_path(cwd) if cwd else None, wine_debug)
        self.programs.append(program)
        if wait_main_window:
            self.main_window(program)
        return program

    def main_window(self, program=None, timeout=30000):
        return self.driver("wait", "--title", self.config.texts["#Program_Name"],
                           "--class", "OrvantaMain", "--timeout", timeout)

    def command(self, command_id):
        """Posts WM_COMMAND to the hidden main window, as the keyboard hook does."""
        self.driver("post-command", "--title", self.config.texts["#Program_Name"],
                    "--class", "OrvantaMain", "--id", command_id)

    def quit(self, program, timeout=15):
        self.command(14)
        return program.wait_exit(timeout)

    def put_pointer(self, x, y):
        """Moves the X pointer itself, which Wine's pointer follows. The driver's moves are
        Wine's alone: an X event, such as a window appearing under the X pointer, can take
        Wine's pointer back to where the X pointer is, even some time later on a busy machine."""
        subprocess.run(["xdotool", "mousemove", str(x), str(y)], env=self.env, check=True,
                       capture_output=True, timeout=10)

    def keys(self, *tokens):
        """Sends keys as the driver's `keys` command does. Modifiers held around all the others
        (down:ctrl ... up:ctrl) are held by the X keyboard too for that time: when a window takes
        the X focus, Wine lets go of every modifier the X keyboard does not hold, which could
        come between the driver's Ctrl and the key it is held for. One that Wine still holds
        afterwards is let go."""
        held = []
        for first, last in zip(tokens, reversed(tokens)):
            name = first.partition(":")[2]
            if not (first.startswith("down:") and last == f"up:{name}" and name in X_MODIFIERS):
                break
            held.append(name)
        self._x_modifiers("keydown", held)
        try:
            self.driver("keys", *tokens)
        finally:
            self._x_modifiers("keyup", held)
            if held:
                self.driver("keys", *(f"release:{name}" for name in held))

    def _x_modifiers(self, action, names):
        if names:
            subprocess.run(["xdotool", action, *(X_MODIFIERS[name] for name in names)],
                           env=self.env, check=True, capture_output=True, timeout=10)

    def show_image(self, bmp_path, x=0, y=0, title="Orvanta test picture", framed=False,
                   maximized=False):
        """Shows a BMP file on the display at (x, y) (Windows coordinates) until the desktop
        closes (or the returned process is killed); returns once it is on screen. framed: in an
        ordinary captioned window whose client area is the picture, instead of a borderless one;
        maximized: that window maximised on its monitor."""
        process = subprocess.Popen(
            ["wine", str(self.config.driver), "show-image", "--file", windows_path(bmp_path),
             "--x", str(x), "--y", str(y), "--title", title] + (["--framed"] if framed else [])
            + (["--maximized"] if maximized else []),
            env=self.env, stdout=subprocess.PIPE, stderr=self.log, text=True)
        self.helpers.append(process)
        line = process.stdout.readline()
        if "shown=1" not in line:
            raise AssertionError(f"the test picture was not shown: {line!r}")
        self.driver("wait", "--title", title, "--visible", "--timeout", 10000)
        return process

    def hold_file(self, path):
        """Keeps a file open without sharing (nobody else can open it) until the desk closes."""
        process = subprocess.Popen(["wine", str(self.config.driver), "hold-file", windows_path(path)],
                                   env=self.env, stdout=subprocess.PIPE, stderr=self.log, text=True)
        self.helpers.append(process)
        if "held=1" not in process.stdout.readline():
            raise AssertionError(f"could not hold {path}")
        return process

    # --- looking at the screen -------------------------------------------------------------------

    def screenshot(self, path, crop=None):
        """The whole virtual display (or a crop: x, y, w, h) as a PNG file."""
        path = Path(path)
        args = ["import", "-display", self.xvfb.display, "-window", "root"]
        if crop:
            x, y, w, h = crop
            args += ["-crop", f"{w}x{h}+{x}+{y}", "+repage"]
        subprocess.run(args + [str(path)], check=True, capture_output=True, timeout=60)
        return path

    def tray_window(self):
        """The window that holds the tray icons, once it shows. Wine 10's is not kept in front: a
        window shown or activated after it covers it, on the screen and in captures alike."""
        return self.driver("wait", *TRAY_WINDOW[self.config.wine], "--visible", "--timeout",
                           15000)

    def tray_icon_square(self):
        """The tray window, and the square of the program's icon (the first one) in it on the
        screen: (window, (x, y, size)). Shown, the window may not have its size yet: an icon
        square is at least 16 pixels high."""
        window = poll(lambda: (w := self.tray_window()) and int(w["client"].split("x")[1]) >= 16
                      and w, timeout=15, what="the tray window at its size")
        x, y = map(int, window["client_origin"].split(","))
        return window, (x, y, int(window["client"].split("x")[1]))

    def tray_icon(self):
        """Where the program's tray icon is on the screen, in front for a click, as a user finds
        it on the taskbar: the centre of its square."""
        window, (x, y, size) = self.tray_icon_square()
        if self.config.wine == 10:
            self.driver("raise", "--hwnd", window["hwnd"])
        half = size // 2
        # The X pointer goes there too, so that a click there stays there (put_pointer); the
        # primary monitor's corner, Windows' 0,0, is where it lies on the X screen.
        self.put_pointer(x + half + self.primary_corner[0], y + half + self.primary_corner[1])
        return x + half, y + half

    def steady_screenshot(self, path, timeout=10):
        """A screenshot once the screen has settled: the program's tray icon is drawn (unless
        another window covers it) and two shots in a row are equal. The file's type follows its
        name (BMP is much quicker to write for a large screen)."""
        window, (x, y, size) = self.tray_icon_square()
        at = self.driver("window-at", "--x", x + size // 2, "--y", y + size // 2)["hwnd"]
        icon = (x + self.primary_corner[0], y + self.primary_corner[1], size, size)
        path = Path(path)
        previous = self.screenshot(path.with_name(path.stem + ".previous" + path.suffix))

        def settled():
            current = self.screenshot(path)
            # Before the icon is drawn its square is one colour, the tray window's own.
            drawn = at != window["hwnd"] or subprocess.run(
                ["convert", str(current), "-crop", "{2}x{3}+{0}+{1}".format(*icon), "-format",
                 "%k", "info:"], capture_output=True, text=True, check=True).stdout != "1"
            differing = subprocess.run(["compare", "-metric", "AE", str(current), str(previous),
                                        "null:"], capture_output=True, text=True).stderr
            if drawn and differing.split()[:1] == ["0"]:
                return True
            shutil.copy(current, previous)
            return False

        poll(settled, timeout=timeout, interval=0.1, what="the screen to settle")
        previous.unlink()
        return path

    # --- teardown ------------------------------------------------------------------------------

    def move_to(self, artifacts):
        """Makes the desk the next test's: what it writes from now on goes to its folder."""
        self.artifacts = artifacts

    def clear(self):
        """Makes the desk as the next test of its file expects a new one: the helpers the last
        test started ended, the program's settings in the user's folder gone and the X pointer
        in the middle of the screen, where a new X server has it. False when a program the last
        test started still runs: then the desk is of no further use."""
        if any(program.running() for program in self.programs):
            return False
        for process in self.helpers:
            if process.poll() is None:
                process.kill()
                process.wait()
        self.programs.clear()
        self.helpers.clear()
        for settings in (self.prefix / "drive_c" / "users").glob("*/AppData/Roaming/Orvanta"):
            shutil.rmtree(settings)
        self.put_pointer(self.size[0] // 2, self.size[1] // 2)
        return True

    def close(self, keep_prefix=True):
        """Ends everything the desktop started; the prefix copy (some 700 MB) is removed unless
        asked to keep it, for example to look into a failure."""
        if self.server:
            self.server.stop()
        for process in [p.process for p in self.programs] + self.helpers:
            if process.poll() is None:
                process.kill()
        if self.wineserver:
            subprocess.run(["wineserver", "-k"], env=self.env, capture_output=True)
            with contextlib.suppress(subprocess.TimeoutExpired):
                self.wineserver.wait(10)
            if self.wineserver.poll() is None:
                self.wineserver.kill()
        if self.xvfb:
            self.xvfb.stop()
        self.log.close()
        if not keep_prefix:
            shutil.rmtree(self.prefix, ignore_errors=True)


class DriverServerGone(Exception):
    pass


class DriverServer:
    """One driver process that runs the commands of a desk one after the other ("serve"), which
    saves starting a Wine process for each (about 0.1 s). Its output is read line by line up to
    the end mark of each command, never to the end of the stream, which a Wine process the driver
    happens to start may keep open."""

    def __init__(self, desktop, driver):
        self.process = subprocess.Popen(["wine", str(driver), "serve"], env=desktop.env,
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=desktop.log)
        self.lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.process.stdout:
            self.lines.put(line.decode("utf-8", errors="replace").rstrip("\r\n"))
        self.lines.put(None)

    def run(self, args, timeout):
        """The command's exit code and its output (stdout; the failure's message as stderr)."""
        line = subprocess.list2cmdline(map(str, args)) + "\n"
        try:
            self.process.stdin.write(line.encode("utf-8"))
            self.process.stdin.flush()
        except OSError as error:
            raise DriverServerGone() from error
        end = time.monotonic() + timeout
        out, err = [], []
        while True:
            try:
                answer = self.lines.get(timeout=max(0.0, end - time.monotonic()))
            except queue.Empty:
                raise subprocess.TimeoutExpired(args, timeout) from None
            if answer is None:
                raise DriverServerGone()
            if answer.startswith("--end="):
                return subprocess.CompletedProcess(args, int(answer[6:]),
                                                   "".join(f"{l}\n" for l in out).encode(),
                                                   "\n".join(err).encode())
            if answer.startswith("--error="):
                err.append(answer[8:])
            else:
                out.append(answer)

    def stop(self):
        with contextlib.suppress(OSError):
            self.process.stdin.close()
        try:
            self.process.wait(5)
        except subprocess.TimeoutExpired:
            self.process.kill()


class DesktopPool:
    """The desks of one scenario file whose tests do not disturb each other (its
    SHARE_DESKTOPS), kept from one test to the next: a test that asks for a desk of the same
    options gets the one the last test left, with its X server, Wine server and services still
    running, which saves most of a desk's start. A desk is given back only when its test passed
    and left no program running; anything else goes as a desk of its own would."""

    def __init__(self):
        self.idle = []  # (options, desktop)

    def take(self, config, artifacts, options):
        for entry in self.idle:
            if entry[0] == options:
                self.idle.remove(entry)
                entry[1].move_to(artifacts)
                return entry[1]
        return Desktop(config, artifacts, **options)

    def give_back(self, desktop, options):
        if desktop.clear():
            self.idle.append((options, desktop))
        else:
            desktop.close(keep_prefix=False)

    def close(self):
        for _, desktop in self.idle:
            desktop.close(keep_prefix=False)
        self.idle.clear()


class Session:
    """What a scenario receives: the run's configuration and a way to open desktops (from the
    pool of its file's run, when its file shares them)."""

    def __init__(self, config, name, pool=None):
        self.config = config
        self.texts = config.texts
        self.wine = config.wine
        self.artifacts = config.work / name
        shutil.rmtree(self.artifacts, ignore_errors=True)
        self.artifacts.mkdir(parents=True)
        self._pool = pool

    @contextlib.contextmanager
    def desktop(self, **options):
        if self._pool:
            desktop = self._pool.take(self.config, self.artifacts, options)
        else:
            desktop = Desktop(self.config, self.artifacts, **options)
        try:
            yield desktop
        except BaseException:
            with contextlib.suppress(Exception):
                desktop.screenshot(self.artifacts / "failure.png")
            # A failed scenario's prefix copy is kept to look into.
            desktop.close(keep_prefix=True)
            raise
        if self._pool:
            self._pool.give_back(desktop, options)
        else:
            desktop.close(keep_prefix=False)  # a passed scenario's copy is of no more use
