#pragma once

#include <QByteArray>
#include <QWidget>

#include <memory>

namespace orvane {

// Picture box: shows a JPEG or an animated GIF (played with each frame's own delay,
// looping, composed on white). Centred mode scales a picture larger than the box down
// by the smaller ratio; natural mode draws it at the top-left corner.
class PictureBox : public QWidget {
  Q_OBJECT

 public:
  enum class Mode { Centred, Natural };
  explicit PictureBox(Mode mode, QWidget* parent = nullptr);
  ~PictureBox() override;

  // Takes the picture's bytes (JPEG or GIF) and redraws at once.
  void set_picture(const QByteArray& bytes);
  // Takes an asset by name ("loading.gif"); on a screen of ratio kSharpRatio or more its
  // "@2x" file, drawn at the same logical size. picture_bytes() holds the file used.
  void set_picture_asset(const char* name);
  void clear_picture();
  const QByteArray& picture_bytes() const { return m_bytes; }
  QString asset_name() const;   // of the last set_picture_asset, or empty
  qreal picture_ratio() const;  // 2 while an "@2x" file is shown, otherwise 1
  QSize picture_size() const;   // natural size of the picture, or empty
  QRect picture_rect() const;   // where it is drawn in the box
  int current_frame() const;    // 0 for a still picture
  int frame_count() const;      // 1 for a still picture, 0 when empty
  int frame_delay() const;      // ms the current frame of an animation stays; 0 otherwise

 protected:
  void paintEvent(QPaintEvent* event) override;
  void hideEvent(QHideEvent* event) override;  // pauses an animation
  void showEvent(QShowEvent* event) override;  // and resumes it

 private:
  struct Impl;
  void show_bytes(const QByteArray& bytes, qreal ratio, const QString& asset);
  void start_movie();
  void repaint_now();

  Mode m_mode;
  QByteArray m_bytes;
  std::unique_ptr<Impl> m_impl;
};

}  // namespace orvane
