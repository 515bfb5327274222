#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <string>

class QRadioButton;

namespace orvane {

class ButtonTip;
class CaptionLabel;
class HyperLink;
class KeywordEdit;
class PictureBox;
class PictureButton;
class ResultsList;
class StatsPageLoader;
class WrapButton;

// The two hosts of the search service, each a base address such as
// "http://127.0.0.1:8080" (no trailing slash).
struct Endpoints {
  std::string api_host;
  std::string web_host;
};

// The program's one window: borderless, 850 x 550, built from the control table.
// The object must outlive every handler: it is never deleted from inside a nested
// event loop. Closing it only hides it and marks it closed; long operations check
// is_closed() after every wait and stop.
class MainWindow : public QWidget {
  Q_OBJECT

 public:
  explicit MainWindow(Endpoints endpoints, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Runs the created handler (hides the results list, shows the update notice), then
  // shows the window unless it was closed meanwhile.
  void start();

  const Endpoints& endpoints() const { return m_endpoints; }
  bool is_closed() const { return m_closed; }

  // The two busy flags.
  bool searching = false;
  bool checking = false;

  // Controls, by their names in the window definition.
  StatsPageLoader* web_view() const { return m_web_view; }           // 超文本浏览框1
  PictureBox* check_picture() const { return m_check_picture; }      // 图片框_检查分享
  PictureBox* message_picture() const { return m_message_picture; }  // 图片框
  HyperLink* upgrade_link() const { return m_upgrade_link; }         // 超级链接框_马上升级
  WrapButton* check_button() const { return m_check_button; }        // 按钮_检查分享状态
  QRadioButton* order_by_views() const { return m_order_by_views; }  // 单选框_浏览人气
  QRadioButton* order_by_time() const { return m_order_by_time; }    // 单选框_更新时间
  QRadioButton* order_default() const { return m_order_default; }    // 单选框_默认智能
  CaptionLabel* order_label() const { return m_order_label; }        // 标签2
  ResultsList* results_list() const { return m_results_list; }       // 超级列表框_内容
  CaptionLabel* announcement() const { return m_announcement; }      // 标签_公告
  PictureButton* search_button() const { return m_search_button; }   // 图形按钮_搜索
  KeywordEdit* keyword_box() const { return m_keyword_box; }         // 关键字搜索框
  HyperLink* feedback_link() const { return m_feedback_link; }       // 超级链接框2
  HyperLink* web_version_link() const { return m_web_version_link; }    // 超级链接框1
  PictureButton* close_button() const { return m_close_button; }        // 图形按钮_关闭
  PictureButton* minimize_button() const { return m_minimize_button; }  // 图形按钮_最小化
  PictureButton* banner() const { return m_banner; }                    // 图形按钮1

  // The single tooltip of the minimise and close buttons; null until first needed.
  ButtonTip* button_tip() const { return m_tip; }
  // How many left presses have started a window move so far.
  int moves_started() const { return m_moves_started; }

 signals:
  // A left press started moving the window (drag anywhere).
  void move_started();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  struct ControlDef;
  static const ControlDef kControls[];

  void setup_window();
  void create_controls();
  void connect_handlers();
  QWidget* create_check_picture();
  QWidget* create_message_picture();
  QWidget* create_upgrade_link();
  QWidget* create_check_button();
  QWidget* create_order_by_views();
  QWidget* create_order_by_time();
  QWidget* create_order_default();
  QWidget* create_order_label();
  QWidget* create_results_list();
  QWidget* create_announcement();
  QWidget* create_search_button();
  QWidget* create_keyword_box();
  QWidget* create_feedback_link();
  QWidget* create_web_version_link();
  QWidget* create_close_button();
  QWidget* create_minimize_button();
  QWidget* create_banner();
  QRadioButton* create_order_button(const QString& caption);
  QString web_address(const char* path) const;
  void show_button_tip(QWidget* button, const QString& text);
  bool press_moves_window(const QPoint& pos) const;
  const QImage& background();
  // Decodes the background and loads the fonts before the first paint needs them.
  void prepare_first_paint();
  void begin_window_move(const QPoint& global_pos);
  void follow_held_pointer(const QEvent* event);

  Endpoints m_endpoints;
  bool m_closed = false;
  QImage m_background;  // decoded when first needed, see background()
  bool m_prepared = false;
  ButtonTip* m_tip = nullptr;
  int m_moves_started = 0;
  bool m_manual_move = false;
  QPoint m_move_offset;
  QPointer<QWidget> m_press_target;  // where the last left press began

  StatsPageLoader* m_web_view = nullptr;
  PictureBox* m_check_picture = nullptr;
  PictureBox* m_message_picture = nullptr;
  HyperLink* m_upgrade_link = nullptr;
  WrapButton* m_check_button = nullptr;
  QRadioButton* m_order_by_views = nullptr;
  QRadioButton* m_order_by_time = nullptr;
  QRadioButton* m_order_default = nullptr;
  CaptionLabel* m_order_label = nullptr;
  ResultsList* m_results_list = nullptr;
  CaptionLabel* m_announcement = nullptr;
  PictureButton* m_search_button = nullptr;
  KeywordEdit* m_keyword_box = nullptr;
  HyperLink* m_feedback_link = nullptr;
  HyperLink* m_web_version_link = nullptr;
  PictureButton* m_close_button = nullptr;
  PictureButton* m_minimize_button = nullptr;
  PictureButton* m_banner = nullptr;
};

}  // namespace orvane
