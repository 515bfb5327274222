"""orvane-demo on Wayland (weston's headless backend, Qt's wayland platform), driven over the
accessibility bus, which does not depend on the display server."""

import re
import unittest

import desktop_session as ds
import fixtures
import search_over_atspi

# Lines on standard error that say a feature broke: Qt's wayland plugin reports a protocol
# or feature it cannot use as "... not supported" / "Failed to ..." / "Could not ..."
# (decorations, clipboard, input method, the icon); a platform plugin that did not load,
# or an accessibility bridge that could not register, say so in the same words.
BROKEN = re.compile(r"not supported|unsupported|failed to|could not|couldn't|cannot|"
                    r"unable to|no such|not available|wayland.*(error|warning)",
                    re.IGNORECASE)


class Wayland(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.session = ds.Session(wayland=True)
        cls.session.catalogue = fixtures.write_catalogue(cls.session.dir, fixtures.LINUX)
        cls.session.start()

    @classmethod
    def tearDownClass(cls):
        cls.session.stop()

    def test_search_and_close(self):
        program = ds.Program(self.session, env={"QT_QPA_PLATFORM": "wayland"})
        self.addCleanup(program.end)
        app = ds.application(program)
        frame = search_over_atspi.main_frame(app)
        ds.wait_until(lambda: ds.has_state(frame, ds.atspi().STATE_SHOWING), "the window to show")
        rows = search_over_atspi.search(app, "linux")
        self.assertEqual([row[1] for row in rows], [share[1] for share in fixtures.LINUX])
        search_over_atspi.close(app)
        self.assertEqual(program.exit_code(what="the close button's action to end it"), 0)
        errors = program.error_text()
        self.assertNotIn("xcb", errors.lower(), "the program ran on the wayland platform")
        broken = [line for line in errors.splitlines() if BROKEN.search(line)]
        self.assertEqual(broken, [], "standard error:\n" + errors)


if __name__ == "__main__":
    ds.main()
