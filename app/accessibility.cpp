#include "app/accessibility.h"

#include <QAccessibleImageInterface>
#include <QAccessibleWidget>

#include "app/button_tip.h"
#include "app/caption_label.h"
#include "app/hyperlink.h"
#include "app/main_window.h"
#include "app/picture_box.h"
#include "app/picture_button.h"

namespace orvane {

namespace {

// Picture buttons: a press action, so a tool can click what the keyboard cannot reach.
class PictureButtonAccessible : public QAccessibleWidget {
 public:
  explicit PictureButtonAccessible(PictureButton* button)
      : QAccessibleWidget(button, QAccessible::Button) {}

  QStringList actionNames() const override { return {pressAction()}; }
  void doAction(const QString& action) override {
    if (action == pressAction()) static_cast<PictureButton*>(widget())->click();
  }
};

// Hyperlinks: named by their caption, described by their address.
class HyperLinkAccessible : public QAccessibleWidget {
 public:
  explicit HyperLinkAccessible(HyperLink* link) : QAccessibleWidget(link, QAccessible::Link) {}

  QString text(QAccessible::Text t) const override {
    const auto* link = static_cast<const HyperLink*>(widget());
    if (t == QAccessible::Name) return link->text().isEmpty() ? link->address() : link->text();
    if (t == QAccessible::Description) return link->address();
    return QAccessibleWidget::text(t);
  }
  // A screen reader announces "visited" where the link is drawn in its visited colour.
  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.traversed = static_cast<const HyperLink*>(widget())->visited();
    return state;
  }
  QStringList actionNames() const override { return {pressAction()}; }
  void doAction(const QString& action) override {
    if (action == pressAction()) static_cast<HyperLink*>(widget())->open();
  }
};

// Labels read their caption; an empty one falls back to its accessible name.
class CaptionLabelAccessible : public QAccessibleWidget {
 public:
  explicit CaptionLabelAccessible(CaptionLabel* label)
      : QAccessibleWidget(label, QAccessible::StaticText) {}

  QString text(QAccessible::Text t) const override {
    const QString caption = static_cast<const CaptionLabel*>(widget())->text().trimmed();
    if (t == QAccessible::Name && !caption.isEmpty()) return caption;
    return QAccessibleWidget::text(t);
  }
};

// Picture boxes: images described by the picture they hold.
class PictureBoxAccessible : public QAccessibleWidget, public QAccessibleImageInterface {
 public:
  explicit PictureBoxAccessible(PictureBox* box) : QAccessibleWidget(box, QAccessible::Graphic) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Description) return imageDescription();
    return QAccessibleWidget::text(t);
  }
  void* interface_cast(QAccessible::InterfaceType t) override {
    if (t == QAccessible::ImageInterface) return static_cast<QAccessibleImageInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
  }
  QString imageDescription() const override {
    const QString shown = picture_description(box()->asset_name());
    return shown.isEmpty() ? widget()->accessibleDescription() : shown;
  }
  QSize imageSize() const override { return box()->picture_rect().size(); }
  QPoint imagePosition() const override {
    return widget()->mapToGlobal(box()->picture_rect().topLeft());
  }

 private:
  const PictureBox* box() const { return static_cast<const PictureBox*>(widget()); }
};

// The window: a plain top-level widget would be a "filler", and screen readers announce
// a window by its caption. Qt names a minimised window by its icon text, which is unset.
class WindowAccessible : public QAccessibleWidget {
 public:
  explicit WindowAccessible(MainWindow* window) : QAccessibleWidget(window, QAccessible::Window) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) return widget()->windowTitle();
    return QAccessibleWidget::text(t);
  }
};

// The button tip: a plain label to Qt, but a screen reader reads a tool tip as one.
class ButtonTipAccessible : public QAccessibleWidget {
 public:
  explicit ButtonTipAccessible(ButtonTip* tip) : QAccessibleWidget(tip, QAccessible::ToolTip) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) return static_cast<const ButtonTip*>(widget())->text();
    return QAccessibleWidget::text(t);
  }
};

QAccessibleInterface* drawn_control_interface(const QString&, QObject* object) {
  if (auto* window = qobject_cast<MainWindow*>(object)) return new WindowAccessible(window);
  if (auto* button = qobject_cast<PictureButton*>(object)) {
    return new PictureButtonAccessible(button);
  }
  if (auto* link = qobject_cast<HyperLink*>(object)) return new HyperLinkAccessible(link);
  if (auto* label = qobject_cast<CaptionLabel*>(object)) return new CaptionLabelAccessible(label);
  if (auto* box = qobject_cast<PictureBox*>(object)) return new PictureBoxAccessible(box);
  if (auto* tip = qobject_cast<ButtonTip*>(object)) return new ButtonTipAccessible(tip);
  return nullptr;
}

struct ControlText {
  const char* object_name;
  const char* name;
  const char* description;
};

// Controls whose kind gives no name of its own (buttons, links and radio buttons are
// named by their captions).
constexpr ControlText kControlTexts[] = {
    {"图形按钮_搜索", "搜索", "按关键字搜索分享"},
    {"图形按钮_最小化", "最小化", ""},
    {"图形按钮_关闭", "关闭", ""},
    {"图形按钮1", "Vellix 横幅", "Vellix 标志、网盘资源神奇搜索引擎的标语和城市剪影"},
    {"关键字搜索框", "搜索关键字", "输入 2 到 50 字节的关键字，按回车搜索"},
    {"超级列表框_内容", "搜索结果", "双击一行，在浏览器中打开分享页面"},
    {"标签_公告", "公告", ""},
    {"图片框", "搜索提示", "搜索的进度或结果提示"},
    {"图片框_检查分享", "检查进度", "分享状态检查的进度"},
};

struct PictureText {
  const char* asset;
  const char* description;
};

constexpr PictureText kPictureTexts[] = {
    {"connection_problem.jpg",
     "连接出现问题：可能是您的网络问题、Vellix 网站故障，或程序版本过旧需要升级"},
    {"nothing_found.jpg",
     "没有找到相关结果：请检查关键字是否有误、太短或太长，或换用更准确、更简单的关键字"},
    {"loading.gif", "正在加载搜索结果"},
    {"checking.gif", "正在检查分享状态"},
};

}  // namespace

QString picture_description(const QString& asset_name) {
  for (const PictureText& picture : kPictureTexts) {
    if (asset_name == QLatin1String(picture.asset)) return QString::fromUtf8(picture.description);
  }
  return {};
}

void install_accessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(&drawn_control_interface);
    return true;
  }();
  (void)installed;
}

void describe_controls(MainWindow& window) {
  for (const ControlText& text : kControlTexts) {
    auto* control = window.findChild<QWidget*>(QString::fromUtf8(text.object_name));
    if (control == nullptr) continue;
    control->setAccessibleName(QString::fromUtf8(text.name));
    control->setAccessibleDescription(QString::fromUtf8(text.description));
  }
}

}  // namespace orvane
