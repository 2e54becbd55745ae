#!/usr/bin/python3
"""The Windows programs as a technician starts them, under Wine (and Xvfb for the window).

  wine_smoke.py ctl BUILD_DIR            qmr51ctl.exe --version, and scan without ports: exit 3
  wine_smoke.py window BUILD_DIR         qmr51-visualisation.exe --demo from the build tree
  wine_smoke.py installer BUILD_DIR      the installer silently (/S /D=...), then the installed window
  wine_smoke.py device BUILD_DIR SIM     qmr51ctl.exe over Wine's COM7 to the Linux simulator SIM on a
                                         pseudo-terminal: info, then read until Ctrl+C (exit 0)

The window is checked from outside, as X11 shows it: its caption (the window title) first reads
"QMR51-TIKA V4.4", then names the demo's TIKA V2 once connected; a first reading row is seen on the
screen (Xvfb's frame buffer) as new text across the grid's value columns, not just a date and time.
Environment: WINEPREFIX (made by scripts/build-windows.sh), QMR_WINDOWS_DEPS (the unpacked
libraries, for programs run from the build tree).
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
LIMIT_S = 120  # only ends a run that went wrong


def fail(text):
    print("FAIL: " + text)
    sys.exit(1)


def wine_env(build, with_deps=True):
    env = dict(os.environ)
    env.setdefault("WINEPREFIX", os.path.join(build, "wine"))
    if with_deps:
        deps = os.environ["QMR_WINDOWS_DEPS"]
        env["WINEPATH"] = "Z:" + deps + "/bin"
        env["QT_PLUGIN_PATH"] = "Z:" + deps + "/plugins"
    return env


def check_ctl(build):
    ctl = os.path.join(build, "src", "qmr51ctl.exe")
    env = wine_env(build)
    run = subprocess.run([WINE, ctl, "--version"], env=env, capture_output=True, text=True, timeout=LIMIT_S)
    if run.returncode != 0 or not run.stdout.startswith("qmr51ctl "):
        fail("qmr51ctl.exe --version: exit %d, %r %r" % (run.returncode, run.stdout, run.stderr))
    # Wine sees no serial device of this machine here: no device answers anywhere.
    run = subprocess.run([WINE, ctl, "scan"], env=env, capture_output=True, text=True, timeout=LIMIT_S)
    if run.returncode != 3:
        fail("qmr51ctl.exe scan: exit %d (3 expected), %r %r" % (run.returncode, run.stdout, run.stderr))
    print("qmr51ctl.exe --version: " + run.stdout.strip() if run.stdout.strip() else "qmr51ctl.exe scan: exit 3")


class Screen:
    """An Xvfb display whose frame buffer is a file (XWD format) we can read at any moment."""

    def __init__(self, folder):
        read_end, write_end = os.pipe()
        self.server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1600x1000x24",
                                        "-fbdir", folder, "-nolisten", "tcp"], pass_fds=[write_end],
                                       stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        while not number.endswith(b"\n"):
            chunk = os.read(read_end, 16)
            if not chunk:
                fail("Xvfb did not start")
            number += chunk
        os.close(read_end)
        self.display = ":" + number.decode().strip()
        self.framebuffer = os.path.join(folder, "Xvfb_screen0")

    def windows(self):
        """(caption, x, y, width, height) of every named window."""
        out = subprocess.run(["xwininfo", "-root", "-tree"], env=dict(os.environ, DISPLAY=self.display),
                             capture_output=True, text=True).stdout
        found = []
        # 0x600003 "QMR51-TIKA V4.4": ("qmr51-visualisation.exe" "qmr51-visualisation.exe")  1180x760+0+0  +10+30
        shape = re.compile(r'^0x[0-9a-f]+ "(.*)": .*\s(\d+)x(\d+)[+-]-?\d+[+-]-?\d+\s+\+(-?\d+)\+(-?\d+)$')
        for line in out.splitlines():
            m = shape.match(line.strip())
            if m:
                found.append((m.group(1), int(m.group(4)), int(m.group(5)), int(m.group(2)), int(m.group(3))))
        return found

    def pixels(self):
        with open(self.framebuffer, "rb") as f:
            data = f.read()
        header_size, = struct.unpack(">I", data[0:4])
        width, height = struct.unpack(">II", data[16:24])
        bytes_per_line, = struct.unpack(">I", data[48:52])
        ncolors, = struct.unpack(">I", data[76:80])
        start = header_size + ncolors * 12
        return data[start:], width, bytes_per_line

    def close(self):
        self.server.terminate()
        self.server.wait()


def dark_columns(screen, area):
    """The x positions in `area` (x, y, w, h) where some pixel is dark (text)."""
    data, _, stride = screen.pixels()
    x0, y0, w, h = area
    columns = set()
    for y in range(y0, y0 + h):
        row = data[y * stride:(y + 1) * stride]
        for x in range(x0, x0 + w):
            b, g, r = row[4 * x], row[4 * x + 1], row[4 * x + 2]
            if r + g + b < 200:
                columns.add(x)
    return columns


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
        subprocess.run(["/usr/lib/wine/wineserver", "-w"], env=env)
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
        before = dark_columns(screen, band)
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline:
            new = dark_columns(screen, band) - before
            # A row of values spreads text across most of the band; date and time alone do not.
            if new and max(new) - min(new) > band[2] // 2:
                print("a first reading row %.1f s after the start: new text across %d px of the grid"
                      % (time.monotonic() - started, max(new) - min(new)))
                return shown
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
        run = subprocess.run([WINE, os.path.join(build, setup[0]), "/S", "/D=" + target], env=env, timeout=LIMIT_S)
        if run.returncode != 0 or not os.path.isfile(exe):
            fail("the installer (exit %d) left no %s" % (run.returncode, exe))
        menu = os.path.join(drive_c, "ProgramData", "Microsoft", "Windows", "Start Menu", "Programs",
                            "QMR51 Visualisation.lnk")
        if not os.path.isfile(menu):
            fail("no Start-menu entry " + menu)
        key = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QMR51-Visualisation"
        entry = subprocess.run([WINE, "reg", "query", key], env=env, capture_output=True, text=True, timeout=LIMIT_S)
        if "QuietUninstallString" not in entry.stdout:
            fail("no uninstaller entry in the registry: " + entry.stdout + entry.stderr)
        print("installed silently in %s, with its Start-menu entry and uninstaller" % target)

    watch_window(exe, build, with_deps=False, before=install)  # only what the installer put there
    env = wine_env(build, with_deps=False)
    subprocess.run([WINE, os.path.join(installed, "Uninstall.exe"), "/S"], env=env, timeout=LIMIT_S)


def check_device(build, simulator):
    folder = tempfile.mkdtemp(prefix="qmr51-wine-")
    link = os.path.join(folder, "COM7")
    device = subprocess.Popen([simulator, "--kind", "tika2", "--live", "--link", link], stderr=subprocess.DEVNULL)
    env = wine_env(build)
    key = "HKLM\\Software\\Wine\\Ports"
    ctl = os.path.join(build, "src", "qmr51ctl.exe")
    try:
        for _ in range(100):
            if os.path.islink(link):
                break
            time.sleep(0.1)
        # Wine reads its port mapping when its server starts.
        subprocess.run(["/usr/lib/wine/wineserver", "-w"], env=env)
        subprocess.run([WINE, "reg", "add", key, "/v", "COM7", "/d", link, "/f"], env=env, capture_output=True)
        subprocess.run(["/usr/lib/wine/wineserver", "-w"], env=env)
        info = subprocess.run([WINE, ctl, "info", "--port", "COM7"], env=env, capture_output=True, text=True,
                              timeout=LIMIT_S)
        if info.returncode != 0 or "TIKA V2" not in info.stdout:
            fail("qmr51ctl.exe info --port COM7: exit %d, %r %r" % (info.returncode, info.stdout, info.stderr))
        print("qmr51ctl.exe info over COM7: " + " ".join(info.stdout.split()[:8]))
        # Ctrl+C reaches a Windows console program under Wine as SIGINT: read stops after its row.
        read = subprocess.Popen([WINE, ctl, "read", "--port", "COM7", "--interval", "1"], env=env,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, start_new_session=True)
        first = read.stdout.readline()  # the heading
        first = read.stdout.readline()  # the first reading
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
        subprocess.run([WINE, "reg", "delete", key, "/v", "COM7", "/f"], env=env, capture_output=True)
        subprocess.run(["/usr/lib/wine/wineserver", "-w"], env=env)
        device.terminate()
        device.wait()


def main():
    what, build = sys.argv[1], os.path.abspath(sys.argv[2])
    if what == "ctl":
        check_ctl(build)
    elif what == "window":
        watch_window(os.path.join(build, "src", "qmr51-visualisation.exe"), build, with_deps=True)
    elif what == "installer":
        check_installer(build)
    elif what == "device":
        check_device(build, sys.argv[3])
    else:
        fail("unknown check " + what)


if __name__ == "__main__":
    main()
