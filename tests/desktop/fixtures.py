"""Small catalogues for the stub service and where the window's controls are."""

import os

HEADER = "id\ttitle\tfiletype\tsize\tviews\tdownloads\tupdated\tstate\n"

# Three shares for "linux" (the keyword typed in upper case), in the stub's default order.
LINUX = [
    ("lnxa0001", "linux 工具箱 9.4 安装包", "iso", "6.2G", 65028, 24710, "2013-07-17", "alive"),
    ("lnxb0002", "linux 命令手册", "pdf", "12M", 800, 90, "2019-01-02", "missing"),
    ("lnxc0003", "linux 内核 源码", "zip", "1.1G", 5000, 700, "2021-05-06", "alive"),
]


def fill_rows(count):
    """Many shares for "fill": the list takes a while to fill (a close can land in it)."""
    return [("fill%04d" % n, "fill 第%d号 资料" % n, "txt", "1K", n, n, "2020-01-01", "alive")
            for n in range(count)]


def write_catalogue(folder, rows):
    path = os.path.join(folder, "catalogue.tsv")
    with open(path, "w", encoding="utf-8") as out:
        out.write(HEADER)
        for row in rows:
            out.write("\t".join(str(value) for value in row) + "\n")
    return path


# Points inside the controls, in window coordinates (from the window's layout).
POINTS = {
    "keyword box": (203, 103),
    "search button": (449, 103),
    "announcement": (675, 104),
    "banner": (300, 40),
    "background": (450, 142),
    "radio button": (113, 142),
    "results list": (420, 400),
    "check button": (731, 142),
    "minimise": (797, 12),
    "close": (831, 11),
}
# The buttons' rectangles (left, top, width, height): tooltips centre below them.
MINIMISE_RECT = (779, 0, 35, 24)
CLOSE_RECT = (813, -1, 35, 24)
