// orvane-artwork ASSETS_DIR FRAMES_DIR
// Writes every JPEG, PNG icon and the SVG into ASSETS_DIR, and the GIF frames as PNGs
// into FRAMES_DIR (loading/NN.png, loading@2x/NN.png, checking/..., checking@2x/...).
#include <cstdio>

#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include "canvas.h"
#include "emblem.h"
#include "pictures.h"

namespace orvane::art {

namespace {

struct Jpeg {
  const char* name;
  QSize size;
  Draw draw;
};

bool write_jpegs(const QDir& out) {
  const Jpeg pictures[] = {
      {"background", {850, 550}, draw_background},
      {"banner", {850, 80}, draw_banner},
      {"search", {91, 35}, [](QPainter& p) { draw_search_button(p, false); }},
      {"search_hover", {91, 35}, [](QPainter& p) { draw_search_button(p, true); }},
      {"close", {35, 24}, [](QPainter& p) { draw_close_button(p, false); }},
      {"close_hover", {35, 24}, [](QPainter& p) { draw_close_button(p, true); }},
      {"minimize", {35, 24}, [](QPainter& p) { draw_minimize_button(p, false); }},
      {"minimize_hover", {35, 24}, [](QPainter& p) { draw_minimize_button(p, true); }},
      {"connection_problem", {500, 150}, draw_connection_problem},
      {"nothing_found", {500, 150}, draw_nothing_found},
  };
  bool ok = true;
  for (const Jpeg& j : pictures) {
    for (int scale : {1, 2}) {
      const QString file = QString::fromLatin1(j.name) + (scale == 2 ? "@2x.jpg" : ".jpg");
      ok &= save_jpeg(render(j.size, scale, Qt::white, j.draw), out.filePath(file));
    }
  }
  return ok;
}

bool write_frames(const QDir& root, const QString& name, QSize size, int count,
                  void (*draw)(QPainter&, int)) {
  bool ok = true;
  for (int scale : {1, 2}) {
    const QString folder = name + (scale == 2 ? "@2x" : "");
    root.mkpath(folder);
    for (int f = 0; f < count; ++f) {
      const QImage frame = render(size, scale, Qt::transparent, [&](QPainter& p) { draw(p, f); });
      const QString file = QStringLiteral("%1/%2.png").arg(folder).arg(f, 2, 10, QLatin1Char('0'));
      ok &= save_png(gif_ready(frame), root.filePath(file));
    }
  }
  return ok;
}

bool write_icons(const QDir& out) {
  bool ok = true;
  for (int size : {16, 32, 48, 64, 128, 256}) {
    const QImage icon =
        render(QSize(size, size), 1, Qt::transparent, [size](QPainter& p) { draw_icon(p, size); });
    ok &= save_png(icon, out.filePath(QStringLiteral("icon_%1.png").arg(size)));
  }
  QFile svg(out.filePath("orvane.svg"));
  ok &= svg.open(QIODevice::WriteOnly | QIODevice::Truncate);
  ok &= svg.write(icon_svg().toUtf8()) > 0;
  return ok;
}

}  // namespace

}  // namespace orvane::art

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: orvane-artwork ASSETS_DIR FRAMES_DIR\n");
    return 2;
  }
  using namespace orvane::art;
  const QDir assets(QString::fromLocal8Bit(argv[1]));
  const QDir frames(QString::fromLocal8Bit(argv[2]));
  bool ok = write_jpegs(assets) && write_icons(assets);
  ok &= write_frames(frames, "loading", {146, 95}, kLoadingFrames, draw_loading_frame);
  ok &= write_frames(frames, "checking", {24, 24}, kCheckingFrames, draw_checking_frame);
  if (!ok) std::fprintf(stderr, "orvane-artwork: some pictures could not be written\n");
  return ok ? 0 : 1;
}
