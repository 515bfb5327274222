"""What a screen-reader user does, through the accessibility API alone."""

import desktop_session as ds


def main_frame(app):
    """The top-level window, announced as a frame named by its caption."""

    def top_levels():
        return [(c.name, ds.role_of(c)) for c in ds.descendants(app) if c.parent == app]

    try:
        return ds.wait_until(lambda: next((c for c in ds.descendants(app)
                                           if c.parent == app and c.name == ds.CAPTION and
                                           ds.role_of(c) == "frame"), None),
                             "a frame named %r" % ds.CAPTION, deadline=10)
    except AssertionError as error:
        raise AssertionError("%s; the application's windows: %s" % (error, top_levels()))


def search(app, keyword):
    """Sets the keyword through the text interface, presses the search button and returns
    the rows' cells once the list shows."""
    box = ds.find_named(app, "搜索关键字", "text")
    ds.set_text(box, keyword)
    ds.wait_until(lambda: ds.text_of(box) == keyword, "the keyword in the box")
    ds.press(ds.find_named(app, "搜索", "push button"))
    table = ds.find_named(app, "搜索结果")
    showing = ds.atspi().STATE_SHOWING
    search_button = ds.find_named(app, "搜索", "push button")
    enabled = ds.atspi().STATE_ENABLED
    # The search button is enabled again once the fill is done.
    return ds.wait_until(lambda: ds.has_state(table, showing) and
                         ds.has_state(search_button, enabled) and ds.table_rows(table),
                         "the results list to fill")


def close(app):
    ds.press(ds.find_named(app, "关闭", "push button"))
