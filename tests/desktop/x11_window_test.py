"""orvane-demo under Xvfb and openbox, driven by real input (xdotool) and read from outside:
the X properties a task bar reads, the window manager's moves, minimising, the tooltip
windows and closing."""

import configparser
import os
import re
import subprocess
import time
import unittest

import desktop_session as ds
import fixtures


class X11Window(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.session = ds.Session()
        catalogue = fixtures.write_catalogue(cls.session.dir,
                                             fixtures.LINUX + fixtures.fill_rows(1500))
        cls.session.catalogue = catalogue
        cls.session.start()

    @classmethod
    def tearDownClass(cls):
        cls.session.stop()

    def start_program(self, binary=None):
        program = ds.Program(self.session, binary=binary)
        self.addCleanup(program.end)
        program.x_window()
        return program

    # Reading the window from outside.
    def geometry(self, window):
        info = self.session.run("xwininfo", "-id", window)
        value = lambda label: int(re.search(label + r":\s+(-?\d+)", info).group(1))
        return (value("Absolute upper-left X"), value("Absolute upper-left Y"), value("Width"),
                value("Height"))

    def position(self, window):
        return self.geometry(window)[:2]

    def wm_state(self, window):
        return self.session.xprop("-id", window, "WM_STATE")

    def point(self, program, name):
        x, y = self.position(program.x_window())
        dx, dy = fixtures.POINTS[name]
        return x + dx, y + dy

    def click(self, program, name):
        x, y = self.point(program, name)
        self.session.xdotool("mousemove", x, y, "click", 1)

    def search(self, program, keyword_typed="LINUX"):
        app = ds.application(program)
        box = ds.find_named(app, "搜索关键字")
        self.click(program, "keyword box")
        ds.wait_until(lambda: ds.text_of(box) == "", "the press to clear the placeholder")
        self.session.xdotool("type", "--delay", 30, keyword_typed)
        self.session.xdotool("key", "Return")
        return app, box

    def results(self, app):
        table = ds.find_named(app, "搜索结果")
        return table, ds.wait_until(lambda: ds.has_state(table, ds.atspi().STATE_SHOWING) and
                                    ds.table_rows(table), "rows in the results list")

    # Window properties as a task bar reads them.
    def test_window_properties(self):
        program = self.start_program()
        window = program.x_window()
        self.assertIn('"%s"' % ds.CAPTION, self.session.xprop("-id", window, "_NET_WM_NAME"))

        hints = self.session.xprop("-id", window, "WM_NORMAL_HINTS")
        self.assertIn("program specified minimum size: 850 by 550", hints)
        self.assertIn("program specified maximum size: 850 by 550", hints)

        # No decorations: the Motif hints ask for none and openbox draws no frame.
        motif = self.session.xprop("-id", window, "_MOTIF_WM_HINTS")
        fields = [int(f, 0) for f in motif.split("=")[1].split(",")]
        self.assertTrue(fields[0] & 2, motif)  # decorations field present
        self.assertEqual(fields[2], 0, motif)
        ds.wait_until(lambda: "0, 0, 0, 0" in self.session.xprop("-id", window,
                                                                  "_NET_FRAME_EXTENTS"),
                      "openbox to report no frame")

        x, y, width, height = self.geometry(window)
        self.assertEqual((width, height), ds.WINDOW)
        self.assertEqual((x, y), ((ds.SCREEN[0] - 850) // 2, (ds.SCREEN[1] - 550) // 2))

        icon = self.session.xprop("-id", window, "-notype", "_NET_WM_ICON")
        sizes = sorted(set(int(w) for w, h in re.findall(r"Icon \((\d+) x (\d+)\)", icon)
                           if w == h))
        self.assertEqual(sizes, [16, 32, 48, 64, 128], icon[:200])

        # The demo is classed by its own name; the installed program by the desktop
        # entry's StartupWMClass, so the task bar finds its menu entry and icon.
        self.assertIn('"orvane-demo"', self.session.xprop("-id", window, "WM_CLASS"))

    def test_installed_program_class_matches_desktop_entry(self):
        entry = configparser.ConfigParser(interpolation=None)
        entry.optionxform = str
        entry.read(os.path.join(ds.SOURCE, "packaging", "example.vellix.Orvane.desktop"),
                   encoding="utf-8")
        wm_class = entry["Desktop Entry"]["StartupWMClass"]
        # The real hosts are unreachable inside the test's network namespace: the
        # version check fails at once and the window still opens.
        program = self.start_program(binary=ds.INSTALLED)
        classes = re.findall(r'"([^"]*)"', self.session.xprop("-id", program.x_window(),
                                                               "WM_CLASS"))
        self.assertEqual(classes[-1].lower(), wm_class.lower())
        self.assertIn(wm_class, classes)

    def test_typing_searches_in_lower_case(self):
        program = self.start_program()
        app, box = self.search(program)
        ds.wait_until(lambda: ds.text_of(box) == "linux", "the typed keyword in lower case")
        table, rows = self.results(app)
        self.assertEqual([row[1] for row in rows], [share[1] for share in fixtures.LINUX])

    # Drags: where the press lands decides whether the window manager moves the window.
    def drag(self, program, name, delta, settle_at=None):
        """Press on a control, move by delta, release. With settle_at, the button stays
        down (the pointer nudged) until the window manager has put the window there:
        openbox takes the pointer over a moment after the press."""
        window = program.x_window()
        x, y = self.point(program, name)
        self.session.xdotool("mousemove", x, y, "mousedown", 1, "sleep", 0.2)
        steps = 4
        for _ in range(steps):
            self.session.xdotool("mousemove_relative", "--", delta[0] // steps,
                                 delta[1] // steps, "sleep", 0.05)
        if settle_at is not None:
            def settled():
                if self.position(window) == settle_at:
                    return True
                self.session.xdotool("mousemove_relative", "--", 1, 0, "mousemove_relative",
                                     "--", -1, 0)
                return False

            try:
                ds.wait_until(settled, lambda: "the window at %s after a drag on the %s (it is "
                              "at %s)" % (settle_at, name, self.position(window)), deadline=10)
            finally:
                self.session.xdotool("mouseup", 1)
        else:
            self.session.xdotool("sleep", 0.2, "mouseup", 1)

    def test_drags(self):
        program = self.start_program()
        app, _ = self.search(program)
        self.results(app)
        window = program.x_window()
        shift = lambda at, d, sign=1: (at[0] + sign * d[0], at[1] + sign * d[1])
        delta = (40, 28)
        for name in ["banner", "announcement", "background"]:
            with self.subTest(press_on=name):
                start = self.position(window)
                self.drag(program, name, delta, settle_at=shift(start, delta))
                self.drag(program, "banner", (-delta[0], -delta[1]), settle_at=start)
        for name in ["results list", "radio button", "search button"]:
            with self.subTest(press_on=name):
                start = self.position(window)
                self.drag(program, name, delta)
                # A banner drag after it: once that one has moved the window, every event
                # of the first drag has been handled.
                before = self.position(window)
                self.drag(program, "banner", delta, settle_at=shift(before, delta))
                self.assertEqual(before, start, "a drag on the %s moved the window" % name)
                self.drag(program, "banner", (-delta[0], -delta[1]), settle_at=start)

    def test_minimise_and_restore_keep_the_controls(self):
        program = self.start_program()
        app, box = self.search(program)
        order = ds.find_named(app, "更新时间", "radio button")
        ds.press(order)
        ds.wait_until(lambda: ds.has_state(order, ds.atspi().STATE_CHECKED), "the radio button")
        _, rows = self.results(app)
        window = program.x_window()
        self.click(program, "minimise")
        ds.wait_until(lambda: "Iconic" in self.wm_state(window), "WM_STATE Iconic")
        self.session.xdotool("windowactivate", window)
        ds.wait_until(lambda: "Normal" in self.wm_state(window), "WM_STATE Normal")
        self.assertEqual(ds.text_of(box), "linux")
        self.assertTrue(ds.has_state(order, ds.atspi().STATE_CHECKED))
        self.assertEqual(self.results(app)[1], rows)
        self.assertEqual(self.position(window), ((ds.SCREEN[0] - 850) // 2,
                                                 (ds.SCREEN[1] - 550) // 2))

    # Tooltips: one window of their own, centred below the button.
    def tooltip_windows(self, program):
        """The program's mapped override-redirect windows straight on the root: tooltips."""
        tips = []
        for line in self.session.run("xwininfo", "-root", "-children").splitlines():
            match = re.match(r"\s+(0x[0-9a-f]+) .*\(\"orvane-demo\" ", line)
            if not match:
                continue
            info = self.session.query("xwininfo", "-id", match.group(1))
            if "IsViewable" in info and "Override Redirect State: yes" in info:
                tips.append(match.group(1))
        return tips

    def hover(self, program, name):
        x, y = self.point(program, name)
        self.session.xdotool("mousemove", x, y, "sleep", 0.05, "mousemove", x + 1, y)

    def assert_tooltip(self, program, app, text, button):
        window_x, window_y = self.position(program.x_window())
        tips = ds.wait_until(lambda: self.tooltip_windows(program), "a tooltip window")
        self.assertEqual(len(tips), 1, "one tooltip window")
        ds.wait_until(lambda: [n for n in ds.descendants(app)
                               if n.name == text and ds.role_of(n) == "tool tip" and
                               ds.has_state(n, ds.atspi().STATE_SHOWING)],
                      "the tooltip %r on the accessibility bus" % text)
        left, top, width, height = button
        x, y, tip_width, _ = self.geometry(tips[0])
        self.assertLessEqual(abs(x + tip_width / 2 - (window_x + left + width // 2)), 1)
        self.assertEqual(y, window_y + top + height)

    def activate_another_window(self):
        self.session.require_tools("xmessage")
        other = self.session.spawn("xmessage", ["xmessage", "-geometry", "+0+0", "another"])
        self.addCleanup(ds.stop_group, other)
        other_window = ds.wait_until(lambda: self.session.query(
            "xdotool", "search", "--onlyvisible", "--class", "Xmessage").split(),
            "the other window")[0]
        self.session.xdotool("windowactivate", other_window)
        ds.wait_until(lambda: self.session.xdotool("getactivewindow").strip() == other_window,
                      "the other window to be active")

    def test_tooltips(self):
        program = self.start_program()
        app = ds.application(program)
        frame = ds.find_named(app, ds.CAPTION)
        for active in (True, False):
            with self.subTest(window_active=active):
                # Away from the buttons: no tooltip.
                self.session.xdotool("mousemove", 10, 10)
                ds.wait_until(lambda: not self.tooltip_windows(program), "no tooltip")
                self.hover(program, "minimise")
                self.assert_tooltip(program, app, "最小化", fixtures.MINIMISE_RECT)
                self.hover(program, "close")
                self.assert_tooltip(program, app, "关闭", fixtures.CLOSE_RECT)
                if active:
                    # The tip stays when another window takes the activation: once the
                    # program reports its window inactive it has seen the change.
                    ds.wait_until(lambda: ds.has_state(frame, ds.atspi().STATE_ACTIVE),
                                  "the program to report its window active")
                    self.activate_another_window()
                    ds.wait_until(lambda: not ds.has_state(frame, ds.atspi().STATE_ACTIVE),
                                  "the program to see its window inactive")
                    self.assert_tooltip(program, app, "关闭", fixtures.CLOSE_RECT)

    # Closing ends the process with status 0, whatever the program was doing.
    def test_close_button_ends_the_process(self):
        atspi = ds.atspi()
        for moment in ("idle", "check", "fill"):
            with self.subTest(during=moment):
                program = self.start_program()
                app = ds.application(program)
                if moment == "check":
                    self.search(program)
                    self.results(app)
                    self.click(program, "check button")
                    check = ds.find_named(app, "检查进度")
                    ds.wait_until(lambda: ds.has_state(check, atspi.STATE_SHOWING),
                                  "the check to be waiting")
                elif moment == "fill":
                    self.search(program, "FILL")
                    search = ds.find_named(app, "搜索", "push button")
                    # 1500 rows take 15 s at least: the close lands in the fill.
                    ds.wait_until(lambda: not ds.has_state(search, atspi.STATE_ENABLED),
                                  "the fill to begin")
                self.click(program, "close")
                self.assertEqual(program.exit_code(what="the close button to end the program"),
                                 0)


if __name__ == "__main__":
    ds.main()
