"""A throwaway desktop for one test program: a display server (Xvfb with openbox, or
weston's headless backend), a session bus with the accessibility bus on it, the stub
service and the real orvane-demo, all started here and all ended here.

Each test program runs inside fresh network and PID namespaces: orvane-demo talks to the
port it was built with, which is then always free, cases run side by side, and whatever
a case leaves running dies with the namespace."""

import fcntl
import os
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import time
import unittest

BUILD = os.environ.get("ORVANE_BUILD_DIR", "")
DEMO = os.path.join(BUILD, "app", "orvane-demo")
INSTALLED = os.path.join(BUILD, "app", "orvane")
STUB = os.path.join(BUILD, "tools", "stub-service", "orvane-stub")
PORT = int(os.environ.get("ORVANE_DEMO_PORT", "18080"))
WEB_HOST = "http://127.0.0.1:%d" % PORT
CAPTION = "Orvane V1.0 Vellix 127.0.0.1:%d" % PORT
SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SCREEN = (1920, 1080)
WINDOW = (850, 550)

# Waits are generous (the machines are shared); each ends as soon as its condition holds.
DEADLINE = 20.0

TOOLS = {
    "Xvfb": "xvfb",
    "openbox": "openbox",
    "xdotool": "xdotool",
    "xprop": "x11-utils",
    "xwininfo": "x11-utils",
    "xmessage": "x11-utils",
    "dbus-daemon": "dbus",
    "dbus-send": "dbus",
    "xdg-open": "xdg-utils",
    "weston": "weston",
    "unshare": "util-linux",
}
BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"


def require(*tools):
    """Fails (never skips) when a tool the case needs is missing: ./dev installs them."""
    for tool in tools:
        if shutil.which(tool) is None:
            raise AssertionError("%s is missing (Debian package %s; ./dev installs it)" %
                                 (tool, TOOLS.get(tool, tool)))


def wait_until(condition, what, deadline=DEADLINE, step=0.05):
    """Polls until condition() holds; `what` may be a callable, read only on failure."""
    end = time.monotonic() + deadline
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > end:
            raise AssertionError("timed out after %.0f s waiting for %s" %
                                 (deadline, what() if callable(what) else what))
        time.sleep(step)


def _loopback_up():
    # SIOCSIFFLAGS on "lo": IFF_UP | IFF_LOOPBACK | IFF_RUNNING.
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as sock:
        fcntl.ioctl(sock, 0x8914, struct.pack("16sH14x", b"lo", 0x1 | 0x8 | 0x40))


def main():
    """Runs the calling test program's unittest cases inside their own namespaces."""
    if os.environ.get("ORVANE_DESKTOP_NAMESPACE") != "1":
        require("unshare")
        if not os.path.isfile(DEMO) or not os.path.isfile(STUB):
            sys.exit("desktop tests: %s or %s is not built (set ORVANE_BUILD_DIR)" % (DEMO, STUB))
        command = ["unshare", "--net", "--pid", "--fork", "--kill-child", "--mount-proc"]
        if os.geteuid() != 0:
            command.append("--map-root-user")
        env = dict(os.environ, ORVANE_DESKTOP_NAMESPACE="1")
        rc = subprocess.call(command + [sys.executable] + sys.argv, env=env)
        if rc != 0 and rc != 1:
            print("desktop tests: could not run inside new network and PID namespaces "
                  "(unshare exited with %d); they need root or unprivileged user namespaces" % rc,
                  file=sys.stderr)
        sys.exit(rc)
    _loopback_up()
    unittest.main(verbosity=2)


def read_line(stream, what, deadline=DEADLINE):
    """The first line a child prints, with a deadline (the child may hang)."""
    os.set_blocking(stream.fileno(), False)
    data = b""
    end = time.monotonic() + deadline
    while b"\n" not in data:
        try:
            chunk = os.read(stream.fileno(), 4096)
        except BlockingIOError:
            chunk = None
        if chunk == b"":
            raise AssertionError("%s ended before printing a line" % what)
        if chunk:
            data += chunk
            continue
        if time.monotonic() > end:
            raise AssertionError("timed out waiting for %s" % what)
        time.sleep(0.02)
    return data.split(b"\n", 1)[0].decode()


class Session:
    """The desktop of one test class. Started by start(), ended by stop() whatever happened."""

    def __init__(self, wayland=False, catalogue=None, version="1.0"):
        self.wayland = wayland
        self.catalogue = catalogue or os.path.join(SOURCE, "tools", "stub-service",
                                                   "catalogue.tsv")
        self.version = version
        self.children = []  # (name, Popen), each the leader of its own process group
        self.dir = tempfile.mkdtemp(prefix="orvane-desktop-")
        self.env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "LANG": "C.UTF-8",
            "HOME": self._folder("home"),
            "XDG_CONFIG_HOME": self._folder("config"),
            "XDG_DATA_HOME": self._folder("data"),
            "XDG_CACHE_HOME": self._folder("cache"),
            "XDG_RUNTIME_DIR": self._folder("runtime"),
            "XDG_DATA_DIRS": "/usr/share",
            "XDG_CONFIG_DIRS": "/etc/xdg",
            "NO_AT_BRIDGE": "0",
        }
        self.stub_log = os.path.join(self.dir, "stub.log")
        self.files = []  # logs the children write, closed by stop()

    def log_file(self, name):
        stream = open(os.path.join(self.dir, name), "wb")
        self.files.append(stream)
        return stream

    def _folder(self, name):
        path = os.path.join(self.dir, name)
        os.makedirs(path, mode=0o700)
        return path

    def spawn(self, name, argv, env=None, **kwargs):
        process = subprocess.Popen(argv, env=env or self.env, start_new_session=True, **kwargs)
        self.children.append((name, process))
        return process

    def start(self):
        try:
            if self.wayland:
                require("weston", "dbus-daemon", "dbus-send")
                self._start_weston()
            else:
                require("Xvfb", "openbox", "xdotool", "xprop", "xwininfo", "dbus-daemon",
                        "dbus-send")
                self._start_x()
            self._start_buses()
            if not self.wayland:
                self._start_openbox()
            self._start_stub()
        except BaseException:
            self.stop()
            raise
        return self

    def _start_x(self):
        read_end, write_end = os.pipe()
        self.spawn("Xvfb", ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                            "%dx%dx24" % SCREEN, "-nolisten", "tcp"],
                   pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end, "rb") as stream:
            number = read_line(stream, "Xvfb's display number")
        self.env["DISPLAY"] = ":" + number
        self.env["XDG_SESSION_TYPE"] = "x11"

    def _start_weston(self):
        name = "orvane-wayland"
        log = self.log_file("weston.log")
        self.spawn("weston", ["weston", "--backend=headless-backend.so", "--socket=" + name,
                              "--idle-time=0", "--width=%d" % SCREEN[0],
                              "--height=%d" % SCREEN[1]],
                   stdout=log, stderr=subprocess.STDOUT)
        socket_path = os.path.join(self.env["XDG_RUNTIME_DIR"], name)
        wait_until(lambda: os.path.exists(socket_path), "weston's socket " + socket_path)
        self.env["WAYLAND_DISPLAY"] = name
        self.env["XDG_SESSION_TYPE"] = "wayland"

    def _start_buses(self):
        bus = self.spawn("dbus-daemon", ["dbus-daemon", "--session", "--nofork",
                                         "--print-address=1"], stdout=subprocess.PIPE,
                         stderr=subprocess.DEVNULL)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = read_line(bus.stdout, "the session bus address")
        if not os.access(BUS_LAUNCHER, os.X_OK):
            raise AssertionError("%s is missing (Debian package at-spi2-core; ./dev installs it)"
                                 % BUS_LAUNCHER)
        self.spawn("at-spi-bus-launcher", [BUS_LAUNCHER, "--launch-immediately"],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

        # Waits for the launcher without asking org.a11y.Bus itself: a call to it would
        # have the session bus start a second launcher.
        def a11y_bus_up():
            reply = subprocess.run(
                ["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
                 "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
                 "string:org.a11y.Bus"], env=self.env, capture_output=True, text=True)
            return "boolean true" in reply.stdout

        wait_until(a11y_bus_up, "the accessibility bus")
        # What a desktop does when a screen reader is on: Qt then puts its widgets on the bus.
        subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                        "/org/a11y/bus", "org.freedesktop.DBus.Properties.Set", "string:org.a11y.Status",
                        "string:IsEnabled", "variant:boolean:true"], env=self.env, check=True,
                       stdout=subprocess.DEVNULL)
        enabled = subprocess.run(
            ["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
             "org.freedesktop.DBus.Properties.Get", "string:org.a11y.Status",
             "string:IsEnabled"], env=self.env, capture_output=True, text=True).stdout
        if "boolean true" not in enabled:
            raise AssertionError("could not turn accessibility on: " + enabled)
        # This process is the accessibility client: pyatspi reads the address from here.
        os.environ.update(self.env)

    def _start_openbox(self):
        log = self.log_file("openbox.log")
        self.spawn("openbox", ["openbox", "--sm-disable"], stdout=log, stderr=subprocess.STDOUT)
        wait_until(lambda: "window id" in self.xprop("-root", "_NET_SUPPORTING_WM_CHECK"),
                   "openbox to manage the screen")

    def _start_stub(self):
        log = self.log_file("stub.log")
        stub = self.spawn("orvane-stub", [STUB, "--port", str(PORT), "--data", self.catalogue,
                                          "--version", self.version],
                          stdout=subprocess.PIPE, stderr=log)
        line = read_line(stub.stdout, "the stub service to listen")
        if not line.startswith("listening on"):
            raise AssertionError("the stub service did not start: " + line)

    def stop(self):
        if os.environ.get("ORVANE_DESKTOP_KEEP"):
            print("desktop session kept in", self.dir, file=sys.stderr)
        for name, process in reversed(self.children):
            stop_group(process)
        self.children = []
        for stream in self.files:
            stream.close()
        self.files = []
        if not os.environ.get("ORVANE_DESKTOP_KEEP"):
            shutil.rmtree(self.dir, ignore_errors=True)

    def require_tools(self, *tools):
        require(*tools)

    # X11 helpers
    def run(self, *argv):
        result = subprocess.run(argv, env=self.env, capture_output=True, text=True, timeout=60)
        if result.returncode != 0:
            raise AssertionError("%s failed (%d): %s" % (" ".join(argv), result.returncode,
                                                        result.stderr.strip()))
        return result.stdout

    def query(self, *argv):
        """Standard output, empty when the command fails (a window gone, nothing found)."""
        return subprocess.run(argv, env=self.env, capture_output=True, text=True,
                              timeout=60).stdout

    def xprop(self, *args):
        result = subprocess.run(["xprop"] + list(args), env=self.env, capture_output=True,
                                text=True, timeout=60)
        return result.stdout

    def xdotool(self, *args):
        return self.run("xdotool", *[str(a) for a in args])


def stop_group(process, grace=5.0):
    """Ends a child and everything it started (its process group)."""
    if process.poll() is None:
        try:
            os.killpg(process.pid, signal.SIGTERM)
        except ProcessLookupError:
            pass
        try:
            process.wait(grace)
        except subprocess.TimeoutExpired:
            pass
    try:
        os.killpg(process.pid, signal.SIGKILL)
    except (ProcessLookupError, PermissionError):
        pass
    try:
        process.wait(grace)
    except subprocess.TimeoutExpired:
        pass
    if process.stdout is not None:
        process.stdout.close()


class Program:
    """One run of orvane-demo in a session; its standard error goes to a file."""

    def __init__(self, session, env=None, binary=None):
        self.session = session
        self.stderr_path = os.path.join(session.dir, "program-%d.err" % time.monotonic_ns())
        self.stderr = session.log_file(os.path.basename(self.stderr_path))
        environment = dict(session.env)
        environment.update(env or {})
        self.process = session.spawn("orvane", [binary or DEMO], env=environment,
                                     stdout=subprocess.DEVNULL, stderr=self.stderr)
        self.window = None

    def exit_code(self, deadline=DEADLINE, what="the program to end"):
        try:
            return self.process.wait(deadline)
        except subprocess.TimeoutExpired:
            raise AssertionError("timed out after %.0f s waiting for %s" % (deadline, what))

    def error_text(self):
        self.stderr.flush()
        with open(self.stderr_path, "rb") as stream:
            return stream.read().decode("utf-8", "replace")

    def end(self):
        stop_group(self.process)

    # X11: the top-level window, found by its caption and our process.
    def x_window(self):
        if self.window is None:
            def find():
                result = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid",
                                         str(self.process.pid), "--name", "^Orvane V1.0"],
                                        env=self.session.env, capture_output=True, text=True)
                ids = result.stdout.split()
                return ids[0] if len(ids) == 1 else None

            self.window = wait_until(find, "the program's window to be mapped")
        return self.window


# Accessibility: what a screen reader sees, read from this process over the bus.
def atspi():
    try:
        import pyatspi
    except ImportError as error:
        raise AssertionError("pyatspi is missing (Debian package python3-pyatspi, for "
                             "/usr/bin/python3; ./dev installs it): %s" % error)
    return pyatspi


def application(program):
    """The program's accessible application, found by its process id."""
    pyatspi = atspi()

    def find():
        desktop = pyatspi.Registry.getDesktop(0)
        for index in range(desktop.childCount):
            app = desktop.getChildAtIndex(index)
            try:
                if app is not None and app.get_process_id() == program.process.pid:
                    return app
            except Exception:
                continue
        return None

    return wait_until(find, "the program on the accessibility bus")


def descendants(node):
    found = []
    stack = [node]
    while stack:
        current = stack.pop()
        try:
            current.clearCache()
            children = [current.getChildAtIndex(i) for i in range(current.childCount)]
        except Exception:
            continue
        for child in children:
            if child is not None:
                found.append(child)
                stack.append(child)
    return found


def role_of(node):
    return node.getRoleName()


def has_state(node, state):
    node.clearCache()
    return node.getState().contains(state)


def find_named(app, name, role=None):
    """The one accessible object with this name (and role), waiting until it is there."""

    def find():
        hits = [n for n in descendants(app)
                if n.name == name and (role is None or role_of(n) == role)]
        return hits[0] if len(hits) == 1 else None

    return wait_until(find, "an accessible object named %r%s" %
                      (name, "" if role is None else " with role " + role))


def press(node):
    action = node.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    for wanted in ("Press", "Toggle", "press", "click"):
        if wanted in names:
            action.doAction(names.index(wanted))
            return
    raise AssertionError("%r has no press action (it has %s)" % (node.name, names))


def text_of(node):
    node.clearCache()
    text = node.queryText()
    return text.getText(0, -1)


def set_text(node, value):
    editable = node.queryEditableText()
    editable.setTextContents(value)


def screen_rect(node):
    pyatspi = atspi()
    extents = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return extents.x, extents.y, extents.width, extents.height


def table_rows(table):
    """The cells' texts, row by row, read through the table interface."""
    table.clearCache()
    cells = table.queryTable()
    rows = []
    for row in range(cells.nRows):
        rows.append([(cells.getAccessibleAt(row, column).name or "")
                     for column in range(cells.nColumns)])
    return rows
