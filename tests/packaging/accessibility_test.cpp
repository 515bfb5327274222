// What assistive tools see of the window: every control's role and name, the actions of
// the drawn buttons and links, the pictures' descriptions and the results list's cells.
#include <QAccessible>
#include <QAccessibleImageInterface>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>

#include <memory>

#include "app/button_tip.h"
#include "app/caption_label.h"
#include "app/hyperlink.h"
#include "app/main_window.h"
#include "app/picture_box.h"
#include "app/picture_button.h"
#include "app/results_list.h"
#include "common/codepage.h"

using namespace orvane;

Q_DECLARE_METATYPE(QAccessible::Role)

namespace {

// Nothing listens there; the window never fetches unless started.
const Endpoints kNowhere{"http://127.0.0.1:9", "http://127.0.0.1:9"};

QAccessibleInterface* accessible(QWidget* widget) {
  return QAccessible::queryAccessibleInterface(widget);
}

}  // namespace

class AccessibilityTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    m_window = std::make_unique<MainWindow>(kNowhere);
    // Shown, so the list lays out its rows as it does on screen.
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
  }

  // A screen reader announces a window (a frame on the bus) by its caption; a bare
  // widget's role would make it an anonymous filler. Its controls hang below it.
  void window_is_a_window_named_by_its_caption() {
    QAccessibleInterface* iface = accessible(m_window.get());
    QVERIFY(iface != nullptr);
    QCOMPARE(iface->role(), QAccessible::Window);
    QCOMPARE(iface->text(QAccessible::Name), m_window->windowTitle());
    QVERIFY(iface->text(QAccessible::Name).startsWith(QStringLiteral("Orvane V1.0 Vellix ")));
    QCOMPARE(iface->parent(), QAccessible::queryAccessibleInterface(qApp));
    QVERIFY(iface->indexOfChild(accessible(m_window->close_button())) >= 0);
    QCOMPARE(accessible(m_window->close_button())->parent(), iface);
    // Minimised to the task bar, it keeps its name.
    m_window->showMinimized();
    QTRY_VERIFY(m_window->isMinimized());
    QCOMPARE(iface->text(QAccessible::Name), m_window->windowTitle());
    m_window->showNormal();
    QTRY_VERIFY(!m_window->isMinimized());
  }

  void control_has_role_and_name_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QAccessible::Role>("role");
    QTest::addColumn<QString>("name");
    auto row = [](const char* control, QAccessible::Role role, const QString& name) {
      QTest::newRow(control) << QString::fromUtf8(control) << role << name;
    };
    row("图形按钮_搜索", QAccessible::Button, QStringLiteral("搜索"));
    row("图形按钮_最小化", QAccessible::Button, QStringLiteral("最小化"));
    row("图形按钮_关闭", QAccessible::Button, QStringLiteral("关闭"));
    row("图形按钮1", QAccessible::Button, QStringLiteral("Vellix 横幅"));
    row("超级链接框1", QAccessible::Link, QStringLiteral("前往网页版"));
    row("超级链接框2", QAccessible::Link, QStringLiteral("留言反馈[?]"));
    row("超级链接框_马上升级", QAccessible::Link, QStringLiteral("马上升级"));
    row("标签2", QAccessible::StaticText, QStringLiteral("结果排序："));
    row("标签_公告", QAccessible::StaticText, QStringLiteral("公告"));
    row("图片框", QAccessible::Graphic, QStringLiteral("搜索提示"));
    row("图片框_检查分享", QAccessible::Graphic, QStringLiteral("检查进度"));
    row("按钮_检查分享状态", QAccessible::Button, QStringLiteral("马上一键检查所有分享是否失效？"));
    row("单选框_默认智能", QAccessible::RadioButton, QStringLiteral("默认智能"));
    row("单选框_更新时间", QAccessible::RadioButton, QStringLiteral("更新时间"));
    row("单选框_浏览人气", QAccessible::RadioButton, QStringLiteral("浏览人气"));
    row("关键字搜索框", QAccessible::EditableText, QStringLiteral("搜索关键字"));
    row("超级列表框_内容", QAccessible::Tree, QStringLiteral("搜索结果"));
  }

  void control_has_role_and_name() {
    QFETCH(QString, control);
    QFETCH(QAccessible::Role, role);
    QFETCH(QString, name);
    auto* widget = m_window->findChild<QWidget*>(control);
    QVERIFY(widget != nullptr);
    QAccessibleInterface* iface = accessible(widget);
    QVERIFY(iface != nullptr);
    QCOMPARE(iface->role(), role);
    QCOMPARE(iface->text(QAccessible::Name), name);
  }

  // No control of the window is left unnamed or with the generic role of a bare widget.
  void every_control_is_named() {
    const auto controls = m_window->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    QVERIFY(controls.size() >= 17);
    for (QWidget* control : controls) {
      QAccessibleInterface* iface = accessible(control);
      QVERIFY2(iface != nullptr, qPrintable(control->objectName()));
      QVERIFY2(!iface->text(QAccessible::Name).isEmpty(), qPrintable(control->objectName()));
      QVERIFY2(iface->role() != QAccessible::Client, qPrintable(control->objectName()));
    }
  }

  void banner_is_a_disabled_button_that_does_not_click() {
    QAccessibleInterface* iface = accessible(m_window->banner());
    QVERIFY(iface->state().disabled);
    QVERIFY(!iface->text(QAccessible::Description).isEmpty());
    QSignalSpy clicks(m_window->banner(), &PictureButton::clicked);
    iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(clicks.size(), 0);
  }

  void picture_button_press_action_clicks() {
    QAccessibleInterface* iface = accessible(m_window->minimize_button());
    QVERIFY(iface->actionInterface() != nullptr);
    QCOMPARE(iface->actionInterface()->actionNames(),
             QStringList{QAccessibleActionInterface::pressAction()});
    QSignalSpy clicks(m_window->minimize_button(), &PictureButton::clicked);
    iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(clicks.size(), 1);
  }

  void link_describes_its_address_and_can_be_pressed() {
    HyperLink* link = m_window->feedback_link();
    QAccessibleInterface* iface = accessible(link);
    QCOMPARE(iface->text(QAccessible::Description), link->address());
    QVERIFY(iface->actionInterface()->actionNames().contains(
        QAccessibleActionInterface::pressAction()));
    // The upgrade link has no address until the notice sets one: pressing opens nothing.
    QAccessibleInterface* upgrade = accessible(m_window->upgrade_link());
    upgrade->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QVERIFY(!m_window->upgrade_link()->visited());
  }

  // What each picture says, in words.
  void picture_box_describes_the_picture_it_holds_data() {
    QTest::addColumn<QString>("asset");
    QTest::addColumn<QString>("described");
    QTest::newRow("connection problem")
        << "connection_problem.jpg"
        << QStringLiteral(
               "连接出现问题：可能是您的网络问题、Vellix 网站故障，或程序版本过旧需要升级");
    QTest::newRow("nothing found")
        << "nothing_found.jpg"
        << QStringLiteral(
               "没有找到相关结果：请检查关键字是否有误、太短或太长，或换用更准确、更简单的关键字");
    QTest::newRow("loading") << "loading.gif" << QStringLiteral("正在加载搜索结果");
    QTest::newRow("checking") << "checking.gif" << QStringLiteral("正在检查分享状态");
  }

  void picture_box_describes_the_picture_it_holds() {
    QFETCH(QString, asset);
    QFETCH(QString, described);
    PictureBox* box = m_window->message_picture();
    box->set_picture_asset(asset.toUtf8().constData());
    QAccessibleInterface* iface = accessible(box);
    QCOMPARE(iface->text(QAccessible::Description), described);
    auto* image =
        static_cast<QAccessibleImageInterface*>(iface->interface_cast(QAccessible::ImageInterface));
    QVERIFY(image != nullptr);
    QCOMPARE(image->imageDescription(), described);
    QCOMPARE(image->imageSize(), box->picture_rect().size());
  }

  // Bytes from elsewhere have no known content: the box's own description stands.
  void picture_box_without_asset_keeps_its_description() {
    PictureBox* box = m_window->message_picture();
    box->set_picture(QByteArray("not a picture"));
    QCOMPARE(accessible(box)->text(QAccessible::Description),
             QStringLiteral("搜索的进度或结果提示"));
  }

  // The announcement is read by what it says; the offscreen platform has no accessibility
  // bridge, so the NameChanged event setText sends is not observable here.
  void announcement_reads_its_caption() {
    CaptionLabel* label = m_window->announcement();
    label->setText(QStringLiteral("当前已是最新版本"));
    QCOMPARE(accessible(label)->text(QAccessible::Name), QStringLiteral("当前已是最新版本"));
    label->setText(QString());
    QCOMPARE(accessible(label)->text(QAccessible::Name), QStringLiteral("公告"));
  }

  // The button tip reaches a screen reader as a tool tip reading its text, not as a label.
  void button_tip_is_a_tool_tip() {
    PictureButton* close = m_window->close_button();
    QTest::mouseMove(close, QPoint(10, 10));
    QTest::mouseMove(close, QPoint(12, 11));
    ButtonTip* tip = m_window->button_tip();
    QVERIFY(tip != nullptr);
    QTRY_VERIFY(tip->isVisible());
    QCOMPARE(accessible(tip)->role(), QAccessible::ToolTip);
    QCOMPARE(accessible(tip)->text(QAccessible::Name), QStringLiteral("关闭"));
    QTest::mouseMove(m_window.get(), QPoint(400, 300));
    QTRY_VERIFY(!tip->isVisible());
  }

  // A row reads its cells under their column titles.
  void results_row_reads_its_cells() {
    ResultsList* list = m_window->results_list();
    list->delete_all_rows();
    const int row = list->append_row();
    const QStringList cells = {QStringLiteral("视频"), QStringLiteral("纪录片合集"),
                               QStringLiteral("1.2G"), QStringLiteral("35"), QStringLiteral("7")};
    for (int c = 0; c < cells.size(); ++c) {
      list->set_cell(row, c, utf8_to_gbk(cells[c].toStdString()));
    }
    QAccessibleTableInterface* table = accessible(list)->tableInterface();
    QVERIFY(table != nullptr);
    QTRY_COMPARE(table->rowCount(), 1);
    QCOMPARE(table->columnCount(), 7);
    for (int c = 0; c < cells.size(); ++c) {
      QAccessibleInterface* cell = table->cellAt(0, c);
      QVERIFY(cell != nullptr);
      QCOMPARE(cell->text(QAccessible::Name), cells[c]);
      // Qt 6.4 makes new header cells here that no cache holds; registering one hands
      // it to the cache, which can then free it.
      const auto headers = cell->tableCellInterface()->columnHeaderCells();
      const auto free_headers = qScopeGuard([&headers] {
        for (QAccessibleInterface* h : headers)
          QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(h));
      });
      QCOMPARE(headers.size(), 1);
      QCOMPARE(headers[0]->text(QAccessible::Name), list->headerItem()->text(c));
    }
    list->delete_all_rows();
  }

 private:
  std::unique_ptr<MainWindow> m_window;
};

QTEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
