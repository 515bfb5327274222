#include "app/main_window.h"

#include <algorithm>
#include <iterator>

#include <QBuffer>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QIcon>
#include <QIconEngine>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <QShowEvent>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include "app/accessibility.h"
#include "app/assets.h"
#include "app/button_tip.h"
#include "app/caption_label.h"
#include "app/hyperlink.h"
#include "app/keyword_edit.h"
#include "app/picture_box.h"
#include "app/picture_button.h"
#include "app/results_list.h"
#include "app/stats_page.h"
#include "app/update_notice.h"
#include "app/wrap_button.h"
#include "check/share_check.h"
#include "common/codepage.h"
#include "common/responsive_wait.h"
#include "search/results_fill.h"
#include "search/search_command.h"

namespace orvane {

namespace {

constexpr int kWidth = 850;
constexpr int kHeight = 550;

// "微软雅黑" is not installed on Debian: let it resolve to a free CJK face.
void install_font_substitutes() {
  const QStringList faces = {QStringLiteral("WenQuanYi Micro Hei"),
                             QStringLiteral("Noto Sans CJK SC")};
  QFont::insertSubstitutions(QStringLiteral("微软雅黑"), faces);
  QFont::insertSubstitutions(QStringLiteral("Microsoft YaHei"), faces);
}

QFont stored_font(const QString& face, int pixel_height, QFont::Weight weight) {
  QFont font = face.isEmpty() ? QFont() : QFont(face);
  font.setPixelSize(pixel_height);
  font.setWeight(weight);
  font.setStyleStrategy(QFont::PreferQuality);
  return font;
}

QColor button_face(const QWidget* widget) { return widget->palette().color(QPalette::Button); }

// Read with the built-in PNG reader alone: QIcon::addFile, and QImageReader with format
// detection on, ask every image plugin first, loading all of them (and their libraries).
QImage png_image(const QString& name) {
  QByteArray bytes = asset_bytes(qPrintable(name));
  QBuffer buffer(&bytes);
  QImageReader reader(&buffer, QByteArrayLiteral("png"));
  reader.setAutoDetectImageFormat(false);
  return reader.read();
}

// The window icon in all its drawn sizes, each decoded only when asked for and not kept:
// the platform copies what it needs when the window is created, and the offscreen
// platform never asks.
class IconEngine : public QIconEngine {
 public:
  static constexpr int kSizes[] = {16, 32, 48, 64, 128, 256};

  QIconEngine* clone() const override { return new IconEngine; }
  bool isNull() override { return false; }
  QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
    QList<QSize> sizes;
    for (int size : kSizes) sizes.append(QSize(size, size));
    return sizes;
  }
  QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
    const int side = drawn_size(size);
    return QSize(side, side).boundedTo(size);
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override {
    const QImage image = png_image(QStringLiteral("icon_%1.png").arg(drawn_size(size)));
    if (image.isNull()) return {};
    if (image.size() == size) return QPixmap::fromImage(image);
    return QPixmap::fromImage(image.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation));
  }
  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
  }

 private:
  // The smallest drawn size that covers the request, else the largest.
  static int drawn_size(const QSize& size) {
    const int wanted = std::max(size.width(), size.height());
    for (int side : kSizes)
      if (side >= wanted) return side;
    return kSizes[std::size(kSizes) - 1];
  }
};

}  // namespace

// One row of the window definition; the table is in stacking order, topmost first.
struct MainWindow::ControlDef {
  const char* name;
  int left, top, width, height;
  bool visible, enabled, tab_stop;
  QWidget* (MainWindow::*create)();
};

const MainWindow::ControlDef MainWindow::kControls[] = {
    {"图片框_检查分享", 593, 131, 24, 24, false, true, false, &MainWindow::create_check_picture},
    {"图片框", 156, 213, 537, 227, false, false, false, &MainWindow::create_message_picture},
    {"超级链接框_马上升级", 778, 92, 56, 24, false, true, false, &MainWindow::create_upgrade_link},
    {"按钮_检查分享状态", 621, 127, 221, 30, true, true, true, &MainWindow::create_check_button},
    {"单选框_浏览人气", 240, 127, 70, 30, true, true, true, &MainWindow::create_order_by_views},
    {"单选框_更新时间", 159, 127, 70, 30, true, true, true, &MainWindow::create_order_by_time},
    {"单选框_默认智能", 78, 127, 70, 30, true, true, true, &MainWindow::create_order_default},
    {"标签2", 6, 127, 64, 30, true, true, false, &MainWindow::create_order_label},
    {"超级列表框_内容", 6, 162, 836, 384, true, true, true, &MainWindow::create_results_list},
    {"标签_公告", 509, 87, 333, 35, true, true, false, &MainWindow::create_announcement},
    {"图形按钮_搜索", 404, 86, 91, 35, true, true, false, &MainWindow::create_search_button},
    {"关键字搜索框", 6, 86, 394, 35, true, true, true, &MainWindow::create_keyword_box},
    {"超级链接框2", 776, 55, 71, 16, true, true, false, &MainWindow::create_feedback_link},
    {"超级链接框1", 777, 33, 62, 16, true, true, false, &MainWindow::create_web_version_link},
    {"图形按钮_关闭", 813, -1, 35, 24, true, true, false, &MainWindow::create_close_button},
    {"图形按钮_最小化", 779, 0, 35, 24, true, true, false, &MainWindow::create_minimize_button},
    {"图形按钮1", 2, -2, 846, 80, true, false, false, &MainWindow::create_banner},
};

MainWindow::MainWindow(Endpoints endpoints, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_endpoints(std::move(endpoints)) {
  install_font_substitutes();
  install_accessibility();
  setup_window();
  create_controls();
  connect_handlers();
  describe_controls(*this);
}

MainWindow::~MainWindow() = default;

void MainWindow::setup_window() {
  QString site = QString::fromStdString(m_endpoints.web_host);
  if (site.startsWith(QStringLiteral("http://"))) site.remove(0, 7);
  setWindowTitle(QStringLiteral("Orvane V1.0 Vellix ") + site);
  setFixedSize(kWidth, kHeight);
  // The primary screen need not start at (0, 0): centre within its own rectangle.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    move(area.x() + (area.width() - kWidth) / 2, area.y() + (area.height() - kHeight) / 2);
  }
  setWindowIcon(QIcon(new IconEngine));
}

const QImage& MainWindow::background() {
  if (m_background.isNull()) m_background = asset_image("background.jpg");
  return m_background;
}

void MainWindow::prepare_first_paint() {
  if (m_prepared) return;
  m_prepared = true;
  background();
  // Polishing (the window and every control) gives the results list its font; measuring
  // each control's text loads the fonts and their engines, the slowest part of a first
  // paint.
  ensurePolished();
  for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    // The list shows after a search: a sample of both scripts for its rows. Other hidden
    // controls may never be shown (the upgrade link), and pictures draw no text.
    const QString text = control == m_results_list ? QStringLiteral("文A")
                         : control->isHidden()     ? QString()
                                                   : control->property("text").toString();
    if (!text.isEmpty()) QFontMetrics(control->font()).horizontalAdvance(text);
  }
  load_gbk_tables();  // or the first search would build them
}

void MainWindow::create_controls() {
  // The hidden web view is no widget: it only requests a page in the background.
  m_web_view = new StatsPageLoader(this);
  m_web_view->setObjectName(QStringLiteral("超文本浏览框1"));

  std::vector<QWidget*> created;
  for (const ControlDef& def : kControls) {
    QWidget* control = (this->*def.create)();
    control->setObjectName(QString::fromUtf8(def.name));
    control->setGeometry(def.left, def.top, def.width, def.height);
    // A child is shown with the window unless hidden; showing one now would polish it
    // (and load its fonts) while the window is still being built.
    if (!def.visible) control->hide();
    control->setEnabled(def.enabled);
    control->setFocusPolicy(def.tab_stop ? Qt::StrongFocus : Qt::NoFocus);
    created.push_back(control);
  }
  // Later raise() puts a control on top: raise from the bottom of the table upwards.
  for (auto it = created.rbegin(); it != created.rend(); ++it) (*it)->raise();
}

QString MainWindow::web_address(const char* path) const {
  return QString::fromStdString(m_endpoints.web_host) + QString::fromLatin1(path);
}

QWidget* MainWindow::create_check_picture() {
  m_check_picture = new PictureBox(PictureBox::Mode::Natural, this);
  return m_check_picture;
}

QWidget* MainWindow::create_message_picture() {
  m_message_picture = new PictureBox(PictureBox::Mode::Centred, this);
  return m_message_picture;
}

QWidget* MainWindow::create_upgrade_link() {
  m_upgrade_link =
      new HyperLink(QStringLiteral("马上升级"),
                    {QColor(255, 0, 0), QColor(51, 153, 255), QColor(128, 0, 0)}, this);
  m_upgrade_link->setFont(stored_font(QString(), 14, QFont::Bold));
  return m_upgrade_link;
}

QWidget* MainWindow::create_check_button() {
  m_check_button = new WrapButton(QStringLiteral("马上一键检查所有分享是否失效？"), this);
  return m_check_button;
}

QRadioButton* MainWindow::create_order_button(const QString& caption) {
  auto* button = new QRadioButton(caption, this);
  QPalette colors = button->palette();
  colors.setColor(QPalette::WindowText, Qt::black);
  colors.setColor(QPalette::Window, button_face(this));
  button->setPalette(colors);
  button->setAutoFillBackground(true);
  return button;
}

QWidget* MainWindow::create_order_by_views() {
  m_order_by_views = create_order_button(QStringLiteral("浏览人气"));
  return m_order_by_views;
}

QWidget* MainWindow::create_order_by_time() {
  m_order_by_time = create_order_button(QStringLiteral("更新时间"));
  return m_order_by_time;
}

QWidget* MainWindow::create_order_default() {
  m_order_default = create_order_button(QStringLiteral("默认智能"));
  auto* group = new QButtonGroup(this);
  group->setExclusive(true);
  for (QRadioButton* button : {m_order_default, m_order_by_time, m_order_by_views}) {
    group->addButton(button);
  }
  m_order_default->setChecked(true);
  return m_order_default;
}

QWidget* MainWindow::create_order_label() {
  m_order_label = new CaptionLabel(QStringLiteral(" 结果排序："), this);
  return m_order_label;
}

QWidget* MainWindow::create_results_list() {
  m_results_list = new ResultsList(this);
  return m_results_list;
}

QWidget* MainWindow::create_announcement() {
  m_announcement = new CaptionLabel(QString(), this);
  return m_announcement;
}

QWidget* MainWindow::create_search_button() {
  m_search_button =
      new PictureButton({asset_image("search.jpg"), asset_image("search_hover.jpg"), {}, {}}, this);
  return m_search_button;
}

QWidget* MainWindow::create_keyword_box() {
  m_keyword_box = new KeywordEdit(this);
  m_keyword_box->setFont(stored_font(QStringLiteral("微软雅黑"), 19, QFont::Normal));
  QPalette colors = m_keyword_box->palette();
  colors.setColor(QPalette::Base, QColor(236, 236, 236));
  colors.setColor(QPalette::Text, Qt::black);
  colors.setColor(QPalette::WindowText, Qt::black);
  // The selection shows only while the box has the focus.
  colors.setColor(QPalette::Inactive, QPalette::Highlight, QColor(236, 236, 236));
  colors.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::black);
  m_keyword_box->setPalette(colors);
  m_keyword_box->setText(QStringLiteral("请输入关键字"));
  return m_keyword_box;
}

QWidget* MainWindow::create_feedback_link() {
  m_feedback_link =
      new HyperLink(QStringLiteral("留言反馈[?]"),
                    {QColor(192, 96, 0), QColor(51, 153, 255), QColor(128, 0, 0)}, this);
  m_feedback_link->set_address(web_address("/about/book.html"));
  return m_feedback_link;
}

QWidget* MainWindow::create_web_version_link() {
  m_web_version_link =
      new HyperLink(QStringLiteral("前往网页版"),
                    {QColor(255, 0, 0), QColor(0, 96, 192), QColor(128, 0, 0)}, this);
  m_web_version_link->set_address(web_address("/?soft"));
  return m_web_version_link;
}

QWidget* MainWindow::create_close_button() {
  const QImage hover = asset_image("close_hover.jpg");
  m_close_button = new PictureButton({asset_image("close.jpg"), hover, hover, {}}, this);
  return m_close_button;
}

QWidget* MainWindow::create_minimize_button() {
  const QImage hover = asset_image("minimize_hover.jpg");
  m_minimize_button = new PictureButton({asset_image("minimize.jpg"), hover, hover, {}}, this);
  return m_minimize_button;
}

QWidget* MainWindow::create_banner() {
  m_banner = new PictureButton({asset_image("banner.jpg"), {}, {}, {}}, this);
  return m_banner;
}

void MainWindow::connect_handlers() {
  connect(m_keyword_box, &KeywordEdit::enter_pressed, this,
          [this] { search_from_keyword_box(*this); });
  connect(m_search_button, &PictureButton::clicked, this,
          [this] { search_from_keyword_box(*this); });
  connect(m_check_button, &QPushButton::clicked, this, [this] { check_all_shares(*this); });
  connect(m_results_list, &ResultsList::double_clicked, this,
          [this] { open_selected_share(*this); });
  connect(m_minimize_button, &PictureButton::clicked, this, [this] {
    if (isVisible()) showMinimized();
  });
  // Posted, not done inside the click handler.
  connect(m_close_button, &PictureButton::clicked, this,
          [this] { QTimer::singleShot(0, this, &QWidget::close); });
  connect(m_minimize_button, &PictureButton::mouse_moved, this,
          [this] { show_button_tip(m_minimize_button, QStringLiteral("最小化")); });
  connect(m_close_button, &PictureButton::mouse_moved, this,
          [this] { show_button_tip(m_close_button, QStringLiteral("关闭")); });
}

void MainWindow::start() {
  // The created handler runs before the window is first visible.
  m_results_list->hide();
  // The update notice's first wait is idle time: the first paint is prepared meanwhile.
  QTimer::singleShot(0, this, [this] { prepare_first_paint(); });
  show_update_notice(*this);
  if (!m_closed) show();
}

void MainWindow::showEvent(QShowEvent* event) {
  prepare_first_paint();  // shown without start(), as in tests
  // The window's mouse events, before any widget takes them (installed once however
  // often the window is shown).
  if (QWindow* handle = windowHandle()) handle->installEventFilter(this);
  QWidget::showEvent(event);
}

void MainWindow::show_button_tip(QWidget* button, const QString& text) {
  if (m_tip == nullptr) m_tip = new ButtonTip(this);
  m_tip->register_tool(button, text);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // The object stays alive: handlers still waiting inside nested loops return to it,
  // see is_closed() and stop. Ending every wait lets them unwind at once.
  m_closed = true;
  if (m_tip != nullptr) m_tip->hide();
  event->accept();
  hide();
  quit_all_waits();
  QCoreApplication::quit();
}

void MainWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor(128, 128, 128));
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(rect(), background());
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == windowHandle()) follow_held_pointer(event);
  return QWidget::eventFilter(watched, event);
}

// Qt keeps the mouse with the widget where a press began, so a picture button that the
// held pointer moves onto hears nothing: show it pressed from here. Its own press and
// release are left alone, so no click follows.
void MainWindow::follow_held_pointer(const QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
      type != QEvent::MouseButtonRelease) {
    return;
  }
  const auto* mouse = static_cast<const QMouseEvent*>(event);
  const QPoint pos = mouse->position().toPoint();
  if (type == QEvent::MouseButtonPress) {
    if (mouse->button() == Qt::LeftButton) m_press_target = childAt(pos);
    return;
  }
  const bool held = mouse->buttons() & Qt::LeftButton;
  if (type == QEvent::MouseMove && !held) return;  // hovering: the buttons see it themselves
  const QWidget* under = held ? childAt(pos) : nullptr;
  for (PictureButton* button : findChildren<PictureButton*>(Qt::FindDirectChildrenOnly)) {
    if (button != m_press_target) button->follow_held_pointer(button == under);
  }
}

// The window's surface, a disabled control, a label or a picture box: these presses
// move the window. Labels and picture boxes leave their presses to the window.
bool MainWindow::press_moves_window(const QPoint& pos) const {
  const QWidget* target = childAt(pos);
  if (target == nullptr || !target->isEnabled()) return true;
  return qobject_cast<const CaptionLabel*>(target) != nullptr ||
         qobject_cast<const PictureBox*>(target) != nullptr;
}

void MainWindow::begin_window_move(const QPoint& global_pos) {
  ++m_moves_started;
  emit move_started();
  QWindow* handle = windowHandle();
  if (handle != nullptr && handle->startSystemMove()) return;
  // No window manager move available (offscreen, bare X): follow the pointer ourselves.
  m_manual_move = true;
  m_move_offset = global_pos - pos();
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && press_moves_window(event->position().toPoint())) {
    begin_window_move(event->globalPosition().toPoint());
  }
  QWidget::mousePressEvent(event);
}

void MainWindow::mouseMoveEvent(QMouseEvent* event) {
  if (m_manual_move && (event->buttons() & Qt::LeftButton)) {
    move(event->globalPosition().toPoint() - m_move_offset);
  }
  QWidget::mouseMoveEvent(event);
}

void MainWindow::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) m_manual_move = false;
  QWidget::mouseReleaseEvent(event);
}

}  // namespace orvane
