// The window as defined: its controls, chrome, drag-anywhere and tooltips.
#include <QApplication>
#include <QDesktopServices>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <QWindow>

#include "app/button_tip.h"
#include "app/caption_label.h"
#include "app/hyperlink.h"
#include "app/keyword_edit.h"
#include "app/main_window.h"
#include "app/message_box.h"
#include "app/picture_box.h"
#include "app/picture_button.h"
#include "app/results_list.h"
#include "app/stats_page.h"
#include "app/wrap_button.h"

using namespace orvane;

// Catches what the hyperlinks open, so no browser starts.
class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> opened;
 public slots:
  void open(const QUrl& url) { opened << url; }
};

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  MainWindow* m_window = nullptr;
  UrlCatcher m_catcher;

  QWindow* handle() const { return m_window->windowHandle(); }
  int moves_for_press(const QPoint& at) {
    const int before = m_window->moves_started();
    QTest::mousePress(handle(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(handle(), Qt::LeftButton, {}, at);
    return m_window->moves_started() - before;
  }

 private slots:
  void initTestCase() {
    QDesktopServices::setUrlHandler("http", &m_catcher, "open");
    set_message_observer([](const QString&) {});
    // Nothing listens on port 1: the start-up fetch fails at once.
    m_window = new MainWindow({"http://127.0.0.1:1", "http://www.vellix.example"});
    m_window->start();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
  }

  void cleanupTestCase() {
    delete m_window;
    QDesktopServices::unsetUrlHandler("http");
    set_message_observer({});
  }

  void window_is_borderless_fixed_and_centred() {
    QCOMPARE(m_window->size(), QSize(850, 550));
    QCOMPARE(m_window->minimumSize(), QSize(850, 550));
    QCOMPARE(m_window->maximumSize(), QSize(850, 550));
    QVERIFY(m_window->windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(m_window->isWindow());
    QVERIFY(!(m_window->windowFlags() & Qt::WindowStaysOnTopHint));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QCOMPARE(m_window->pos(),
             screen.topLeft() + QPoint((screen.width() - 850) / 2, (screen.height() - 550) / 2));
    QCOMPARE(m_window->windowTitle(), QString("Orvane V1.0 Vellix www.vellix.example"));
    QVERIFY(!m_window->windowIcon().isNull());
    QVERIFY(!m_window->testAttribute(Qt::WA_DeleteOnClose));
  }

  void controls_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QRect>("place");
    QTest::addColumn<bool>("visible");  // after start-up
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("tab_stop");
    QTest::addColumn<QString>("text");
    auto row = [](const char* name, const char* kind, QRect place, bool visible, bool enabled,
                  bool tab_stop, const char* text) {
      QTest::newRow(name) << kind << place << visible << enabled << tab_stop
                          << QString::fromUtf8(text);
    };
    row("图片框_检查分享", "orvane::PictureBox", {593, 131, 24, 24}, false, true, false, "");
    row("图片框", "orvane::PictureBox", {156, 213, 537, 227}, false, false, false, "");
    row("超级链接框_马上升级", "orvane::HyperLink", {778, 92, 56, 24}, false, true, false,
        "马上升级");
    row("按钮_检查分享状态", "orvane::WrapButton", {621, 127, 221, 30}, true, true, true,
        "马上一键检查所有分享是否失效？");
    row("单选框_浏览人气", "QRadioButton", {240, 127, 70, 30}, true, true, true, "浏览人气");
    row("单选框_更新时间", "QRadioButton", {159, 127, 70, 30}, true, true, true, "更新时间");
    row("单选框_默认智能", "QRadioButton", {78, 127, 70, 30}, true, true, true, "默认智能");
    row("标签2", "orvane::CaptionLabel", {6, 127, 64, 30}, true, true, false, " 结果排序：");
    // The created handler hides the list before the window is first shown.
    row("超级列表框_内容", "orvane::ResultsList", {6, 162, 836, 384}, false, true, true, "");
    // The API host is unreachable here, so the update notice announces the current version.
    row("标签_公告", "orvane::CaptionLabel", {509, 87, 333, 35}, true, true, false,
        " 公告：当前版本为1.0，已是最新版本。绿色、稳定、快速！");
    row("图形按钮_搜索", "orvane::PictureButton", {404, 86, 91, 35}, true, true, false, "");
    row("关键字搜索框", "orvane::KeywordEdit", {6, 86, 394, 35}, true, true, true, "请输入关键字");
    row("超级链接框2", "orvane::HyperLink", {776, 55, 71, 16}, true, true, false, "留言反馈[?]");
    row("超级链接框1", "orvane::HyperLink", {777, 33, 62, 16}, true, true, false, "前往网页版");
    row("图形按钮_关闭", "orvane::PictureButton", {813, -1, 35, 24}, true, true, false, "");
    row("图形按钮_最小化", "orvane::PictureButton", {779, 0, 35, 24}, true, true, false, "");
    row("图形按钮1", "orvane::PictureButton", {2, -2, 846, 80}, true, false, false, "");
  }

  void controls() {
    QFETCH(QString, kind);
    QFETCH(QRect, place);
    QFETCH(bool, visible);
    QFETCH(bool, enabled);
    QFETCH(bool, tab_stop);
    QFETCH(QString, text);
    const QString name = QString::fromUtf8(QTest::currentDataTag());
    auto* control = m_window->findChild<QWidget*>(name, Qt::FindDirectChildrenOnly);
    QVERIFY2(control != nullptr, qPrintable(name));
    QCOMPARE(QString(control->metaObject()->className()), kind);
    QCOMPARE(control->geometry(), place);
    QCOMPARE(control->isVisible(), visible);
    QCOMPARE(control->isEnabled(), enabled);
    QCOMPARE(bool(control->focusPolicy() & Qt::TabFocus), tab_stop);
    QCOMPARE(control->property("text").toString(), text);
  }

  void hidden_web_view_exists() {
    auto* view = m_window->findChild<StatsPageLoader*>(QStringLiteral("超文本浏览框1"));
    QVERIFY(view != nullptr);
    QCOMPARE(view, m_window->web_view());
  }

  void controls_are_stacked_topmost_first() {
    const QList<QWidget*> order = {m_window->check_picture(),  m_window->message_picture(),
                                   m_window->upgrade_link(),   m_window->check_button(),
                                   m_window->order_by_views(), m_window->order_by_time(),
                                   m_window->order_default(),  m_window->order_label(),
                                   m_window->results_list(),   m_window->announcement(),
                                   m_window->search_button(),  m_window->keyword_box(),
                                   m_window->feedback_link(),  m_window->web_version_link(),
                                   m_window->close_button(),   m_window->minimize_button(),
                                   m_window->banner()};
    // children() runs from the bottom of the stack to the top.
    const QObjectList stack = m_window->children();
    for (int i = 1; i < order.size(); ++i) {
      QVERIFY2(stack.indexOf(order[i - 1]) > stack.indexOf(order[i]),
               qPrintable(order[i]->objectName()));
    }
    // The close button covers the minimise button's last column.
    QCOMPARE(m_window->childAt(813, 10), m_window->close_button());
  }

  void fonts_and_colours() {
    QCOMPARE(m_window->keyword_box()->font().pixelSize(), 19);
    QCOMPARE(m_window->keyword_box()->font().family(), QStringLiteral("微软雅黑"));
    QCOMPARE(m_window->keyword_box()->palette().color(QPalette::Base), QColor(236, 236, 236));
    QCOMPARE(m_window->results_list()->font().pixelSize(), 14);
    QCOMPARE(m_window->upgrade_link()->font().pixelSize(), 14);
    QCOMPARE(m_window->upgrade_link()->font().weight(), QFont::Bold);
    // "微软雅黑" resolves to an installed CJK face rather than a Latin one.
    const QString resolved = QFontInfo(m_window->keyword_box()->font()).family();
    QVERIFY2(resolved.contains("WenQuanYi") || resolved.contains("Noto Sans CJK"),
             qPrintable(resolved));
  }

  void links_start_not_visited() {
    for (HyperLink* link :
         {m_window->web_version_link(), m_window->feedback_link(), m_window->upgrade_link()}) {
      QVERIFY(!link->visited());
      QVERIFY(!link->hovered());
    }
    QCOMPARE(m_window->web_version_link()->current_color(), QColor(255, 0, 0));
    QCOMPARE(m_window->feedback_link()->current_color(), QColor(192, 96, 0));
    QCOMPARE(m_window->upgrade_link()->current_color(), QColor(255, 0, 0));
  }

  void radio_buttons_form_one_group() {
    QRadioButton* views = m_window->order_by_views();
    QRadioButton* fallback = m_window->order_default();
    QVERIFY(fallback->isChecked());
    QTest::mouseClick(views, Qt::LeftButton, {}, QPoint(8, 15));
    QVERIFY(views->isChecked());
    QVERIFY(!fallback->isChecked());
    QVERIFY(!m_window->order_by_time()->isChecked());
    QTest::mouseClick(views, Qt::LeftButton, {}, QPoint(8, 15));
    QVERIFY(views->isChecked());
    fallback->setChecked(true);
    QVERIFY(!views->isChecked());
  }

  void presses_that_move_the_window_data() {
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<bool>("list_shown");
    QTest::addColumn<bool>("moves");
    QTest::newRow("banner (disabled)") << QPoint(100, 40) << false << true;
    QTest::newRow("window surface") << QPoint(400, 300) << false << true;
    QTest::newRow("announcement label") << QPoint(600, 100) << false << true;
    QTest::newRow("order label") << QPoint(30, 140) << false << true;
    QTest::newRow("keyword box") << QPoint(100, 100) << false << false;
    QTest::newRow("search button") << QPoint(450, 100) << false << false;
    QTest::newRow("radio button") << QPoint(100, 140) << false << false;
    QTest::newRow("radio button, right of its caption") << QPoint(307, 140) << false << false;
    QTest::newRow("check button") << QPoint(700, 140) << false << false;
    QTest::newRow("hyperlink") << QPoint(800, 40) << false << false;
    QTest::newRow("results list") << QPoint(400, 300) << true << false;
    QTest::newRow("results list header") << QPoint(400, 170) << true << false;
  }

  void presses_that_move_the_window() {
    QFETCH(QPoint, at);
    QFETCH(bool, list_shown);
    QFETCH(bool, moves);
    m_window->results_list()->setVisible(list_shown);
    const QPoint place = m_window->pos();
    QCOMPARE(moves_for_press(at), moves ? 1 : 0);
    m_window->results_list()->hide();
    m_window->move(place);
    m_catcher.opened.clear();
  }

  void press_on_shown_picture_box_moves_the_window() {
    PictureBox* box = m_window->message_picture();
    box->show();
    QCOMPARE(moves_for_press(QPoint(400, 300)), 1);
    box->hide();
  }

  void dragging_the_banner_moves_the_window() {
    const QPoint place = m_window->pos();
    QTest::mousePress(handle(), Qt::LeftButton, {}, QPoint(100, 40));
    // Offscreen has no system move: the window follows the pointer itself.
    QTest::mouseMove(handle(), QPoint(130, 60));
    // The pointer stays put on the screen while the window moves under it.
    QTest::mouseRelease(handle(), Qt::LeftButton, {}, QPoint(100, 40));
    QTRY_COMPARE(m_window->pos(), place + QPoint(30, 20));
    m_window->move(place);
  }

  void tooltips_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("text");
    QTest::newRow("minimise") << QStringLiteral("图形按钮_最小化") << QStringLiteral("最小化");
    QTest::newRow("close") << QStringLiteral("图形按钮_关闭") << QStringLiteral("关闭");
  }

  void tooltips() {
    QFETCH(QString, button);
    QFETCH(QString, text);
    auto* tool = m_window->findChild<PictureButton*>(button);
    QVERIFY(tool != nullptr);
    for (int pass = 0; pass < 10; ++pass) {
      QTest::mouseMove(tool, QPoint(10 + pass % 3, 12));
      QTest::mouseMove(tool, QPoint(20, 10 + pass % 4));
    }
    ButtonTip* tip = m_window->button_tip();
    QVERIFY(tip != nullptr);
    QTRY_VERIFY(tip->isVisible());
    QCOMPARE(tip->text(), text);
    QCOMPARE(m_window->findChildren<ButtonTip*>().size(), 1);
    const QPoint bottom_centre = tool->mapToGlobal(QPoint(tool->width() / 2, tool->height()));
    QCOMPARE(tip->geometry().top(), bottom_centre.y());
    QVERIFY(qAbs(tip->geometry().center().x() - bottom_centre.x()) <= 1);
    // Leaving the button takes the tip away.
    QTest::mouseMove(m_window, QPoint(400, 300));
    QTRY_VERIFY(!tip->isVisible());
  }

  // Hovering the chrome of a window in the background still explains its buttons, and a
  // tip already shown stays when another window takes the activation.
  void tooltips_while_inactive_data() { tooltips_data(); }

  void tooltips_while_inactive() {
    QFETCH(QString, button);
    QFETCH(QString, text);
    auto* tool = m_window->findChild<PictureButton*>(button);
    QVERIFY(tool != nullptr);
    QWidget other;
    other.setGeometry(0, 0, 100, 100);
    auto activate = [](QWidget* window) {
      window->show();
      window->activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(window));
    };

    activate(m_window);
    QTest::mouseMove(tool, QPoint(12, 12));
    ButtonTip* tip = m_window->button_tip();
    QVERIFY(tip != nullptr);
    QTRY_VERIFY(tip->isVisible());
    activate(&other);
    QVERIFY(!m_window->isActiveWindow());
    QCoreApplication::processEvents();
    QVERIFY(tip->isVisible());
    QCOMPARE(tip->text(), text);

    QTest::mouseMove(m_window, QPoint(400, 300));
    QTRY_VERIFY(!tip->isVisible());
    QTest::mouseMove(tool, QPoint(10, 10));
    QTest::mouseMove(tool, QPoint(20, 12));
    QTRY_VERIFY(tip->isVisible());
    QVERIFY(!m_window->isActiveWindow());
    QCOMPARE(tip->text(), text);
    const QPoint bottom_centre = tool->mapToGlobal(QPoint(tool->width() / 2, tool->height()));
    QCOMPARE(tip->geometry().top(), bottom_centre.y());
    QVERIFY(qAbs(tip->geometry().center().x() - bottom_centre.x()) <= 1);

    QTest::mouseMove(m_window, QPoint(400, 300));
    QTRY_VERIFY(!tip->isVisible());
    other.hide();
    activate(m_window);
  }

  void hyperlinks_open_on_press_data() {
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QColor>("visited");
    QTest::newRow("web version") << QStringLiteral("超级链接框1")
                                 << "http://www.vellix.example/?soft" << QColor(128, 0, 0);
    QTest::newRow("feedback") << QStringLiteral("超级链接框2")
                              << "http://www.vellix.example/about/book.html" << QColor(128, 0, 0);
  }

  void hyperlinks_open_on_press() {
    QFETCH(QString, link);
    QFETCH(QString, address);
    QFETCH(QColor, visited);
    auto* target = m_window->findChild<HyperLink*>(link);
    QVERIFY(target != nullptr);
    QCOMPARE(target->cursor().shape(), Qt::PointingHandCursor);
    m_catcher.opened.clear();
    const QPoint centre = target->geometry().center();
    QTest::mousePress(handle(), Qt::LeftButton, {}, centre);
    QCOMPARE(m_catcher.opened, QList<QUrl>{QUrl(address)});  // on the press already
    QTest::mouseRelease(handle(), Qt::LeftButton, {}, centre);
    QCOMPARE(m_catcher.opened.size(), 1);
    QVERIFY(target->visited());
    QTest::mouseMove(handle(), QPoint(400, 300));
    QTRY_VERIFY(!target->hovered());
    QCOMPARE(target->current_color(), visited);
  }

  void upgrade_link_without_address_opens_nothing() {
    HyperLink* link = m_window->upgrade_link();
    QCOMPARE(link->address(), QString());
    link->show();
    m_catcher.opened.clear();
    QTest::mousePress(handle(), Qt::LeftButton, {}, link->geometry().center());
    QTest::mouseRelease(handle(), Qt::LeftButton, {}, link->geometry().center());
    QVERIFY(m_catcher.opened.isEmpty());
    QVERIFY(!link->visited());
    link->hide();
  }

  void banner_raises_no_click() {
    QSignalSpy clicks(m_window->banner(), &PictureButton::clicked);
    QTest::mouseClick(handle(), Qt::LeftButton, {}, QPoint(300, 30));
    QCOMPARE(clicks.count(), 0);
    QCOMPARE(m_window->banner()->state(), PictureButton::State::Normal);
  }

  void close_button_has_hover_and_pressed_pictures() {
    PictureButton* close = m_window->close_button();
    const QPoint centre = close->geometry().center();
    QTest::mouseMove(handle(), centre);
    QTRY_COMPARE(close->state(), PictureButton::State::Hover);
    const QImage hover = close->shown_picture();
    QTest::mousePress(handle(), Qt::LeftButton, {}, centre);
    QCOMPARE(close->state(), PictureButton::State::Pressed);
    QCOMPARE(close->shown_picture(), hover);
    // Slide off with the button held: no click, back to normal.
    QTest::mouseMove(handle(), QPoint(400, 300));
    QCOMPARE(close->state(), PictureButton::State::Normal);
    QTest::mouseRelease(handle(), Qt::LeftButton, {}, QPoint(400, 300));
    QVERIFY(!m_window->is_closed());
    QVERIFY(close->shown_picture() != hover);
  }

  // A press that began elsewhere keeps the mouse where it began; the held pointer still
  // shows a picture button pressed while it is over it, and releasing there clicks nothing.
  void held_pointer_arriving_from_elsewhere_data() {
    QTest::addColumn<QPoint>("press_at");
    QTest::addColumn<QString>("button");
    QTest::newRow("keyword box onto search") << QPoint(100, 100) << QStringLiteral("图形按钮_搜索");
    QTest::newRow("check button onto close") << QPoint(700, 140) << QStringLiteral("图形按钮_关闭");
    QTest::newRow("minimise onto close") << QPoint(790, 10) << QStringLiteral("图形按钮_关闭");
    QTest::newRow("close onto minimise") << QPoint(830, 10) << QStringLiteral("图形按钮_最小化");
  }

  void held_pointer_arriving_from_elsewhere() {
    QFETCH(QPoint, press_at);
    QFETCH(QString, button);
    auto* target = m_window->findChild<PictureButton*>(button);
    QVERIFY(target != nullptr);
    const QImage normal = target->shown_picture();
    QSignalSpy clicks(target, &PictureButton::clicked);
    QSignalSpy minimise(m_window->minimize_button(), &PictureButton::clicked);
    QSignalSpy close(m_window->close_button(), &PictureButton::clicked);
    const QPoint over = target->geometry().center();
    QTest::mouseMove(handle(), press_at);
    QTest::mousePress(handle(), Qt::LeftButton, {}, press_at);
    QTest::mouseMove(handle(), over);
    QCOMPARE(target->state(), PictureButton::State::Pressed);
    if (target != m_window->search_button()) QVERIFY(target->shown_picture() != normal);
    QTest::mouseMove(handle(), QPoint(400, 60));  // off it, still held
    QCOMPARE(target->state(), PictureButton::State::Normal);
    QTest::mouseMove(handle(), over);
    QCOMPARE(target->state(), PictureButton::State::Pressed);
    QTest::mouseRelease(handle(), Qt::LeftButton, {}, over);
    QVERIFY(target->state() != PictureButton::State::Pressed);
    QCOMPARE(clicks.count() + minimise.count() + close.count(), 0);
    QVERIFY(!m_window->is_closed());
    QVERIFY(!m_window->isMinimized());
    QTest::mouseMove(handle(), QPoint(400, 300));
    QTRY_COMPARE(target->state(), PictureButton::State::Normal);
  }

  // The widget the press began on keeps it: a drag from the window's surface across a
  // picture button still moves the window.
  void drag_across_a_picture_button_still_moves_the_window() {
    const QPoint place = m_window->pos();
    const int moves = m_window->moves_started();
    QTest::mousePress(handle(), Qt::LeftButton, {}, QPoint(400, 300));
    QTest::mouseMove(handle(), m_window->search_button()->geometry().center());
    QTest::mouseRelease(handle(), Qt::LeftButton, {}, QPoint(400, 300));
    QCOMPARE(m_window->moves_started(), moves + 1);
    QTRY_COMPARE(m_window->pos(),
                 place + m_window->search_button()->geometry().center() - QPoint(400, 300));
    m_window->move(place);
  }

  void minimise_keeps_the_controls() {
    const QString text = QStringLiteral("keep me");
    m_window->keyword_box()->setText(text);
    m_window->order_by_time()->setChecked(true);
    QTest::mouseClick(handle(), Qt::LeftButton, {},
                      m_window->minimize_button()->geometry().center());
    QTRY_VERIFY(m_window->isMinimized());
    m_window->showNormal();
    QTRY_VERIFY(!m_window->isMinimized());
    QCOMPARE(m_window->keyword_box()->text(), text);
    QVERIFY(m_window->order_by_time()->isChecked());
    QVERIFY(!m_window->is_closed());
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
