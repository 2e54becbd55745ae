#!/usr/bin/python3
"""The Windows programs as a technician starts them, under Wine (and Xvfb for the window).

  ctl BUILD_DIR: qmr51ctl.exe --version, and scan without ports: exit 3
  window BUILD_DIR: qmr51-visualisation.exe --demo from the build tree. Its caption (X11's window title)
    reads "QMR51-TIKA V4.4", then names the demo's TIKA V2; a first reading row shows on Xvfb's frame
    buffer as new text across the grid's value columns, not just a date and time
  installer BUILD_DIR: the installer silently (/S /D=...), then the installed window
  device BUILD_DIR SIM: qmr51ctl.exe over Wine's COM7 to the Linux simulator SIM on a pseudo-terminal:
    info, then read until Ctrl+C (exit 0)
Environment: WINEPREFIX (made by scripts/build-windows.sh), QMR_WINDOWS_DEPS (the unpacked libraries).
"""
import os
import re
import signal
import struct
import subprocess
import sys
import tempfile
import time

# Wine without this machine's serial devices (see the script).
WINE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "wine-run.sh")
WINESERVER = "/usr/lib/wine/wineserver"
LIMIT_S = 120  # only ends a run that went wrong


def fail(text):
    print("FAIL: " + text)
    sys.exit(1)


def wine_env(build, with_deps=True):
    env = dict(os.environ)
    env.setdefault("WINEPREFIX", os.path.join(build, "wine"))
    if with_deps:
        deps = os.environ["QMR_WINDOWS_DEPS"]
        env.update(WINEPATH="Z:" + deps + "/bin", QT_PLUGIN_PATH="Z:" + deps + "/plugins")
    return env


def wine(env, *args):
    return subprocess.run([WINE, *args], env=env, capture_output=True, text=True, timeout=LIMIT_S)


def check_ctl(build):
    ctl, env = os.path.join(build, "src", "qmr51ctl.exe"), wine_env(build)
    version = wine(env, ctl, "--version")
    if version.returncode != 0 or not version.stdout.startswith("qmr51ctl "):
        fail("qmr51ctl.exe --version: exit %d, %r %r" % (version.returncode, version.stdout, version.stderr))
    # Wine sees no serial device of this machine here: no device answers anywhere.
    scan = wine(env, ctl, "scan")
    if scan.returncode != 3:
        fail("qmr51ctl.exe scan: exit %d (3 expected), %r %r" % (scan.returncode, scan.stdout, scan.stderr))
    print("%s; qmr51ctl.exe scan: exit 3" % version.stdout.strip())


class Screen:
    """An Xvfb display whose frame buffer is a file (XWD format) we can read at any moment."""

    def __init__(self, folder):
        read_end, write_end = os.pipe()
        self.server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1600x1000x24",
                                        "-fbdir", folder, "-nolisten", "tcp"], pass_fds=[write_end],
                                       stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as numbers:
            self.display = ":" + numbers.readline().strip()
        if self.display == ":":
            fail("Xvfb did not start")
        self.framebuffer = os.path.join(folder, "Xvfb_screen0")

    def windows(self):
        """(caption, x, y, width, height) of every named window."""
        out = subprocess.run(["xwininfo", "-root", "-tree"], env=dict(os.environ, DISPLAY=self.display),
                             capture_output=True, text=True).stdout
        # 0x600003 "QMR51-TIKA V4.4": ("qmr51-visualisation.exe" "qmr51-visualisation.exe")  1180x760+0+0  +10+30
        shape = re.compile(r'^0x[0-9a-f]+ "(.*)": .*\s(\d+)x(\d+)[+-]-?\d+[+-]-?\d+\s+\+(-?\d+)\+(-?\d+)$')
        return [(m.group(1), int(m.group(4)), int(m.group(5)), int(m.group(2)), int(m.group(3)))
                for m in (shape.match(line.strip()) for line in out.splitlines()) if m]

    def dark_columns(self, area):
        """The x positions in `area` (x, y, w, h) where some pixel is dark (text)."""
        with open(self.framebuffer, "rb") as f:
            data = f.read()
        header_size, bytes_per_line, ncolors = (struct.unpack_from(">I", data, at)[0] for at in (0, 48, 76))
        pixels = data[header_size + ncolors * 12:]
        x0, y0, w, h = area
        return {x for y in range(y0, y0 + h) for x in range(x0, x0 + w)
                if sum(pixels[y * bytes_per_line + 4 * x:y * bytes_per_line + 4 * x + 3]) < 200}

    def close(self):
        self.server.terminate()
        self.server.wait()


def watch_window(exe, build, with_deps, before=None):
    """Starts the window with --demo and checks it; `before(env)` runs first on the same display."""
    folder = tempfile.mkdtemp(prefix="qmr51-wine-")
    screen = Screen(folder)
    env = wine_env(build, with_deps)
    env.update(DISPLAY=screen.display, QT_QPA_PLATFORM="windows")
    # Wine's desktop lives as long as its server: one started without this display (by a test
    # program) would take the window. So this starts once any earlier server has gone.
    tool = None
    try:
        subprocess.run([WINESERVER, "-w"], env=env)
        if before:
            before(env)
        started = time.monotonic()
        tool = subprocess.Popen([WINE, exe, "--demo", "--program-folder", "Z:" + folder], env=env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        shown = connected = None
        while time.monotonic() - started < LIMIT_S and connected is None:
            for caption, x, y, w, h in screen.windows():
                if caption.startswith(("QMR51-TIKA V", "Visualizer V")) and shown is None:
                    shown = time.monotonic() - started
                if caption.startswith("Visualizer V") and "TIKA V2" in caption:
                    connected = (caption, x, y, w, h)
            time.sleep(0.2)
        if shown is None:
            fail("no window titled QMR51-TIKA V... appeared within %d s" % LIMIT_S)
        if connected is None:
            fail("the window never named the demo's TIKA V2 in its caption")
        caption, x, y, w, h = connected
        print("window shown %.1f s after the start; caption: %s" % (shown, caption))
        # The grid's rows fill from its top, right of the settings column: the band from the top to
        # two-fifths of the height, right of the window's first third, holds the first rows' value
        # columns (and the headings, which are there before).
        band = (x + w // 3, y, w - w // 3 - 10, h * 2 // 5)
        before = screen.dark_columns(band)
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline:
            new = screen.dark_columns(band) - before
            # A row of values spreads text across most of the band; date and time alone do not.
            if new and max(new) - min(new) > band[2] // 2:
                print("a first reading row %.1f s after the start: new text across %d px of the grid"
                      % (time.monotonic() - started, max(new) - min(new)))
                return
            time.sleep(0.5)
        fail("no reading row appeared in the grid within 60 s")
    finally:
        if tool:
            tool.terminate()
            tool.wait()
        screen.close()


def check_installer(build):
    setup = [f for f in os.listdir(build) if f.endswith("-Setup.exe")]
    if not setup:
        fail("no installer in " + build + " (cmake --build BUILD --target windows-package)")
    # Wine passes an argument with a blank in quotes, which NSIS does not take for /D.
    target = "C:\\QMR51-Test-Install"
    drive_c = os.path.join(wine_env(build)["WINEPREFIX"], "drive_c")
    installed = os.path.join(drive_c, "QMR51-Test-Install")
    exe = os.path.join(installed, "qmr51-visualisation.exe")

    def install(env):
        run = wine(env, os.path.join(build, setup[0]), "/S", "/D=" + target)
        if run.returncode != 0 or not os.path.isfile(exe):
            fail("the installer (exit %d) left no %s" % (run.returncode, exe))
        menu = os.path.join(drive_c, "ProgramData", "Microsoft", "Windows", "Start Menu", "Programs",
                            "QMR51 Visualisation.lnk")
        if not os.path.isfile(menu):
            fail("no Start-menu entry " + menu)
        entry = wine(env, "reg", "query", "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QMR51-Visualisation")
        if "QuietUninstallString" not in entry.stdout:
            fail("no uninstaller entry in the registry: " + entry.stdout + entry.stderr)
        print("installed silently in %s, with its Start-menu entry and uninstaller" % target)

    watch_window(exe, build, with_deps=False, before=install)  # only what the installer put there
    wine(wine_env(build, with_deps=False), os.path.join(installed, "Uninstall.exe"), "/S")


def check_device(build, simulator):
    link = os.path.join(tempfile.mkdtemp(prefix="qmr51-wine-"), "COM7")
    device = subprocess.Popen([simulator, "--kind", "tika2", "--live", "--link", link], stderr=subprocess.DEVNULL)
    env, key, ctl = wine_env(build), "HKLM\\Software\\Wine\\Ports", os.path.join(build, "src", "qmr51ctl.exe")
    try:
        for _ in range(100):
            if os.path.islink(link):
                break
            time.sleep(0.1)
        # Wine reads its port mapping when its server starts.
        subprocess.run([WINESERVER, "-w"], env=env)
        wine(env, "reg", "add", key, "/v", "COM7", "/d", link, "/f")
        subprocess.run([WINESERVER, "-w"], env=env)
        info = wine(env, ctl, "info", "--port", "COM7")
        if info.returncode != 0 or "TIKA V2" not in info.stdout:
            fail("qmr51ctl.exe info --port COM7: exit %d, %r %r" % (info.returncode, info.stdout, info.stderr))
        print("qmr51ctl.exe info over COM7: " + " ".join(info.stdout.split()[:8]))
        # Ctrl+C reaches a Windows console program under Wine as SIGINT: read stops after its row.
        read = subprocess.Popen([WINE, ctl, "read", "--port", "COM7", "--interval", "1"], env=env,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, start_new_session=True)
        read.stdout.readline()  # the heading
        first = read.stdout.readline()
        os.killpg(read.pid, signal.SIGINT)
        try:
            rest, err = read.communicate(timeout=LIMIT_S)
        except subprocess.TimeoutExpired:
            os.killpg(read.pid, signal.SIGKILL)
            fail("qmr51ctl.exe read went on after Ctrl+C")
        if read.returncode != 0 or b" W\t" not in first:
            fail("qmr51ctl.exe read, Ctrl+C: exit %d, %r %r" % (read.returncode, first + rest, err))
        print("qmr51ctl.exe read stopped cleanly at Ctrl+C (exit 0)")
    finally:
        wine(env, "reg", "delete", key, "/v", "COM7", "/f")
        subprocess.run([WINESERVER, "-w"], env=env)
        device.terminate()
        device.wait()


if __name__ == "__main__":
    what, build = sys.argv[1], os.path.abspath(sys.argv[2])
    checks = {"ctl": lambda: check_ctl(build), "installer": lambda: check_installer(build),
              "device": lambda: check_device(build, sys.argv[3]),
              "window": lambda: watch_window(os.path.join(build, "src", "qmr51-visualisation.exe"), build, True)}
    checks.get(what, lambda: fail("unknown check " + what))()
