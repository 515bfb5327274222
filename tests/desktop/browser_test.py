"""Shares and links reach the desktop's default browser through xdg-open; with no browser
registered the links try the fallback commands and stay unvisited."""

import os
import unittest

import desktop_session as ds
import fixtures

RECORDER = """#!/bin/sh
# Records how it was called, then succeeds or fails as told.
printf '%s %s\\n' "$(basename "$0")" "$1" >> "{record}"
exit {status}
"""

LINKS = [
    ("前往网页版", ds.WEB_HOST + "/?soft"),
    ("留言反馈[?]", ds.WEB_HOST + "/about/book.html"),
    ("马上升级", ds.WEB_HOST + "/download/?ver"),
]


def write_script(folder, name, record, status):
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, name)
    with open(path, "w") as out:
        out.write(RECORDER.format(record=record, status=status))
    os.chmod(path, 0o755)
    return path


def recorded(record):
    if not os.path.exists(record):
        return []
    with open(record) as stream:
        return [line.rstrip("\n").split(" ", 1) for line in stream]


class DefaultBrowser(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        # A newer version on the service shows the upgrade link.
        cls.session = ds.Session(version="2.0")
        cls.session.catalogue = fixtures.write_catalogue(cls.session.dir, fixtures.LINUX)
        cls.session.require_tools("xdg-open", "xdotool")
        cls.session.start()

    @classmethod
    def tearDownClass(cls):
        cls.session.stop()

    def click_at(self, node, clicks=1):
        x, y, width, height = ds.screen_rect(node)
        self.session.xdotool("mousemove", x + width // 2, y + height // 2, "click",
                             "--repeat", clicks, "--delay", 80, 1)

    def test_registered_browser_gets_each_address(self):
        env = self.session.env
        record = os.path.join(self.session.dir, "browser.record")
        browser = write_script(os.path.join(self.session.dir, "bin"), "test-browser", record, 0)
        applications = os.path.join(env["XDG_DATA_HOME"], "applications")
        os.makedirs(applications, exist_ok=True)
        with open(os.path.join(applications, "orvane-test-browser.desktop"), "w") as out:
            out.write("[Desktop Entry]\nType=Application\nName=Test browser\n"
                      "Exec=%s %%u\nMimeType=x-scheme-handler/http;\n" % browser)
        with open(os.path.join(env["XDG_CONFIG_HOME"], "mimeapps.list"), "w") as out:
            out.write("[Default Applications]\nx-scheme-handler/http=orvane-test-browser.desktop\n")
        self.addCleanup(os.remove, os.path.join(env["XDG_CONFIG_HOME"], "mimeapps.list"))

        program = ds.Program(self.session)
        self.addCleanup(program.end)
        app = ds.application(program)
        box = ds.find_named(app, "搜索关键字", "text")
        ds.set_text(box, "linux")
        ds.press(ds.find_named(app, "搜索", "push button"))
        table = ds.find_named(app, "搜索结果")
        ds.wait_until(lambda: ds.has_state(table, ds.atspi().STATE_SHOWING) and
                      ds.table_rows(table), "rows")
        first_title = table.queryTable().getAccessibleAt(0, 1)
        self.click_at(first_title, clicks=2)
        expected = [["test-browser", ds.WEB_HOST + "/go/" + fixtures.LINUX[0][0]]]
        ds.wait_until(lambda: recorded(record) == expected, lambda: "the share's page in the "
                      "browser (recorded so far: %s)" % recorded(record))

        for name, address in LINKS:
            with self.subTest(link=name):
                link = ds.find_named(app, name, "link")
                self.click_at(link)
                expected.append(["test-browser", address])
                ds.wait_until(lambda: recorded(record) == expected,
                              lambda: "%s in the browser (recorded so far: %s)" %
                              (address, recorded(record)))
                ds.wait_until(lambda: ds.has_state(link, ds.atspi().STATE_VISITED),
                              "the link to be drawn as visited")

    def test_no_browser_tries_the_fallbacks(self):
        record = os.path.join(self.session.dir, "fallback.record")
        stand_ins = os.path.join(self.session.dir, "fallback-bin")
        commands = ["xdg-open", "sensible-browser", "x-www-browser"]
        for command in commands:
            write_script(stand_ins, command, record, 1)
        program = ds.Program(self.session, env={
            "PATH": stand_ins + os.pathsep + self.session.env["PATH"]})
        self.addCleanup(program.end)
        app = ds.application(program)
        for name, address in LINKS:
            with self.subTest(link=name):
                link = ds.find_named(app, name, "link")
                open(record, "w").close()
                self.click_at(link)
                ds.wait_until(lambda: set(c for c, _ in recorded(record)) == set(commands),
                              lambda: "every fallback command to be tried (recorded so far: %s)"
                              % recorded(record), deadline=10)
                self.assertEqual(set(a for _, a in recorded(record)), {address})
                # Away from the link (no hover colour), it is drawn unvisited.
                self.session.xdotool("mousemove", 5, 5)
                ds.wait_until(lambda: not ds.has_state(link, ds.atspi().STATE_VISITED),
                              "the link to be drawn unvisited", deadline=10)


if __name__ == "__main__":
    ds.main()
