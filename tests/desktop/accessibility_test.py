"""orvane-demo as a screen reader meets it: read and driven from another process over the
AT-SPI bus alone (pyatspi, the library the Orca screen reader is built on), under X11."""

import unittest

import desktop_session as ds
import fixtures
import search_over_atspi


class Accessibility(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.session = ds.Session()
        cls.session.catalogue = fixtures.write_catalogue(cls.session.dir, fixtures.LINUX)
        cls.session.start()

    @classmethod
    def tearDownClass(cls):
        cls.session.stop()

    def setUp(self):
        self.program = ds.Program(self.session)
        self.addCleanup(self.program.end)
        self.app = ds.application(self.program)

    def test_window_and_controls_have_roles_and_names(self):
        self.assertEqual(ds.role_of(self.app), "application")
        frame = search_over_atspi.main_frame(self.app)
        self.assertEqual(frame.name, ds.CAPTION)

        # Every control a user sees, with the role a screen reader announces.
        expected = {
            ("搜索关键字", "text"),
            ("搜索", "push button"),
            ("最小化", "push button"),
            ("关闭", "push button"),
            ("前往网页版", "link"),
            ("留言反馈[?]", "link"),
            ("默认智能", "radio button"),
            ("更新时间", "radio button"),
            ("浏览人气", "radio button"),
            ("结果排序：", "label"),
            ("公告：当前版本为1.0，已是最新版本。绿色、稳定、快速！", "label"),
            ("马上一键检查所有分享是否失效？", "push button"),
            ("Vellix 横幅", "push button"),
        }
        showing = ds.atspi().STATE_SHOWING
        controls = ds.wait_until(
            lambda: [(c.name, ds.role_of(c)) for c in ds.descendants(frame)
                     if c.getIndexInParent() >= 0 and c.parent == frame and
                     ds.has_state(c, showing)] or None, "the window's controls")
        self.assertEqual(set(controls), expected)

    def test_search_driven_over_the_bus(self):
        rows = search_over_atspi.search(self.app, "linux")
        self.assertEqual([row[1] for row in rows], [share[1] for share in fixtures.LINUX])
        self.assertEqual([row[0] for row in rows], [share[2] for share in fixtures.LINUX])
        self.assertEqual([row[2] for row in rows], [share[3] for share in fixtures.LINUX])
        self.assertEqual([row[3] for row in rows], ["%d次" % share[4] for share in fixtures.LINUX])
        search_over_atspi.close(self.app)
        self.assertEqual(self.program.exit_code(what="the close button's action to end it"), 0)


if __name__ == "__main__":
    ds.main()
