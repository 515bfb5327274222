// The window's own kinds of control, one at a time: keyword box, results list, labels,
// the wrapping button.
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QSignalSpy>
#include <QTest>

#include <utility>

#include "app/caption_label.h"
#include "app/keyword_edit.h"
#include "app/results_list.h"
#include "app/wrap_button.h"

using namespace orvane;

class ControlsTest : public QObject {
  Q_OBJECT

 private slots:
  void keyword_box_lowers_letters_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("capitals") << "ABC"
                              << "abc";
    QTest::newRow("mixed with digits") << "Ab1-X"
                                       << "ab1-x";
  }

  void keyword_box_lowers_letters() {
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    KeywordEdit box;
    QTest::keyClicks(&box, typed);
    QCOMPARE(box.text(), expected);
    QCOMPARE(box.cursorPosition(), int(expected.size()));
  }

  // Chinese arrives through the input method as a committed string.
  void keyword_box_takes_input_method_text_data() {
    QTest::addColumn<QString>("committed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("chinese unchanged") << QStringLiteral("中文资源") << QStringLiteral("中文资源");
    QTest::newRow("chinese and latin") << QStringLiteral("电影HD") << QStringLiteral("电影hd");
    QTest::newRow("full-width letters") << QStringLiteral("ＡＢ") << QStringLiteral("ａｂ");
  }

  void keyword_box_takes_input_method_text() {
    QFETCH(QString, committed);
    QFETCH(QString, expected);
    KeywordEdit box;
    QInputMethodEvent commit;
    commit.setCommitString(committed);
    QCoreApplication::sendEvent(&box, &commit);
    QCOMPARE(box.text(), expected);
  }

  void keyword_box_keeps_the_caret_in_the_middle() {
    KeywordEdit box;
    QTest::keyClicks(&box, "ab");
    box.setCursorPosition(1);
    QTest::keyClicks(&box, "XY");
    QCOMPARE(box.text(), QString("axyb"));
    QCOMPARE(box.cursorPosition(), 3);
  }

  void keyword_box_lowers_pasted_text() {
    KeywordEdit box;
    QGuiApplication::clipboard()->setText("Ab1");
    box.paste();
    QCOMPARE(box.text(), QString("ab1"));
    box.clear();
    QTest::keyClick(&box, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(box.text(), QString("ab1"));
  }

  void keyword_box_enter_with_any_modifier_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("return") << int(Qt::Key_Return) << int(Qt::NoModifier);
    QTest::newRow("keypad enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
    QTest::newRow("shift return") << int(Qt::Key_Return) << int(Qt::ShiftModifier);
    QTest::newRow("ctrl enter") << int(Qt::Key_Enter) << int(Qt::ControlModifier);
  }

  void keyword_box_enter_with_any_modifier() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    KeywordEdit box;
    QSignalSpy enters(&box, &KeywordEdit::enter_pressed);
    QTest::keyClick(&box, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(enters.count(), 1);
    QTest::keyClick(&box, Qt::Key_A);
    QCOMPARE(enters.count(), 1);
  }

  void placeholder_cleared_only_when_exact_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("after");
    const QString placeholder = QStringLiteral("请输入关键字");
    QTest::newRow("placeholder, left") << placeholder << int(Qt::LeftButton) << QString();
    QTest::newRow("placeholder, right") << placeholder << int(Qt::RightButton) << placeholder;
    QTest::newRow("with a space") << placeholder + " " << int(Qt::LeftButton) << placeholder + " ";
    QTest::newRow("other text") << QStringLiteral("电影") << int(Qt::LeftButton)
                                << QStringLiteral("电影");
    QTest::newRow("empty") << QString() << int(Qt::LeftButton) << QString();
  }

  void placeholder_cleared_only_when_exact() {
    QFETCH(QString, text);
    QFETCH(int, button);
    QFETCH(QString, after);
    KeywordEdit box;
    box.resize(394, 35);
    box.show();
    box.setText(text);
    QTest::mouseClick(&box, Qt::MouseButton(button), {}, QPoint(50, 17));
    QCOMPARE(box.text(), after);
    if (after.isEmpty()) QCOMPARE(box.cursorPosition(), 0);
    // Nothing puts the placeholder back.
    box.clearFocus();
    QCOMPARE(box.text(), after);
  }

  void results_list_columns() {
    ResultsList list;
    const QStringList titles = {"类型", "标题(双击跳转到下载页)", "大小", "浏览", "下载", "状态",
                                "url"};
    const QList<int> widths = {65, 450, 80, 80, 80, 81, 0};
    QCOMPARE(list.columnCount(), 7);
    for (int i = 0; i < 7; ++i) {
      QCOMPARE(list.headerItem()->text(i), titles[i]);
      QCOMPARE(list.header()->sectionSize(i), widths[i]);
      QCOMPARE(list.header()->sectionResizeMode(i), QHeaderView::Interactive);
    }
    list.resize(836, 384);
    list.show();
    QCOMPARE(list.header()->sectionSize(6), 0);  // no stretch of the last column
    QVERIFY(!list.header()->sectionsClickable());
    QVERIFY(!list.isSortingEnabled());
    QVERIFY(!list.rootIsDecorated());
    QCOMPARE(list.selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(list.frameShape(), QFrame::NoFrame);
    QCOMPARE(list.palette().color(QPalette::Inactive, QPalette::Highlight),
             list.palette().color(QPalette::Base));
    QCOMPARE(list.palette().color(QPalette::Base), QColor(Qt::white));
  }

  void results_list_header_click_sorts_nothing() {
    ResultsList list;
    list.resize(836, 384);
    list.show();
    for (const char* title : {"\xD2\xD2", "\xBC\xD7", "\xB1\xFB"}) {
      list.set_cell(list.append_row(), 1, title);
    }
    QTest::mouseClick(list.header()->viewport(), Qt::LeftButton, {}, QPoint(100, 5));
    QCOMPARE(list.cell(0, 1), std::string("\xD2\xD2"));
    QCOMPARE(list.cell(2, 1), std::string("\xB1\xFB"));
  }

  void results_list_cells_keep_gbk_bytes_data() {
    QTest::addColumn<QByteArray>("gbk");
    QTest::addColumn<QString>("shown");
    QTest::newRow("chinese") << QByteArray("\xD6\xD0\xCE\xC4") << QStringLiteral("中文");
    QTest::newRow("ascii") << QByteArray("abc 1.2M") << QStringLiteral("abc 1.2M");
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("undecodable bytes") << QByteArray("a\x80\xFF") << QString();
  }

  void results_list_cells_keep_gbk_bytes() {
    QFETCH(QByteArray, gbk);
    QFETCH(QString, shown);
    ResultsList list;
    const int row = list.append_row();
    QCOMPARE(row, 0);
    for (int column = 0; column < 7; ++column) list.set_cell(row, column, gbk.toStdString());
    for (int column = 0; column < 7; ++column) {
      QCOMPARE(QByteArray::fromStdString(list.cell(row, column)), gbk);
    }
    if (!shown.isEmpty()) QCOMPARE(list.topLevelItem(0)->text(1), shown);
  }

  void results_list_rows_and_selection() {
    ResultsList list;
    QCOMPARE(list.row_count(), 0);
    QCOMPARE(list.first_selected_row(), -1);
    QCOMPARE(list.cell(0, 0), std::string());
    QCOMPARE(list.append_row(), 0);
    QCOMPARE(list.append_row(), 1);
    QCOMPARE(list.cell(1, 7), std::string());
    QCOMPARE(list.cell(-1, 0), std::string());
    list.set_cell(5, 0, "x");  // no such row: ignored
    QCOMPARE(list.row_count(), 2);
    list.topLevelItem(1)->setSelected(true);
    QCOMPARE(list.first_selected_row(), 1);
    list.delete_all_rows();
    QCOMPARE(list.row_count(), 0);
    QCOMPARE(list.first_selected_row(), -1);
  }

  void results_list_double_click_anywhere() {
    ResultsList list;
    list.resize(836, 384);
    list.show();
    list.set_cell(list.append_row(), 1, "row");
    QSignalSpy doubles(&list, &ResultsList::double_clicked);
    const QRect first = list.visualItemRect(list.topLevelItem(0));
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, first.center());
    QCOMPARE(doubles.count(), 1);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, QPoint(400, 300));  // below the rows
    QCOMPARE(doubles.count(), 2);
    QTest::mouseDClick(list.viewport(), Qt::RightButton, {}, first.center());
    QCOMPARE(doubles.count(), 2);
  }

  void caption_label_draws_left_and_cut() {
    CaptionLabel label(QStringLiteral(" 结果排序："));
    label.resize(64, 30);
    QCOMPARE(label.property("text").toString(), QStringLiteral(" 结果排序："));
    label.set_text_color(QColor(255, 0, 0));
    // A short caption sits at the left edge and leaves the right half empty: not centred,
    // not right-aligned.
    label.setText(QStringLiteral("WW"));
    QImage drawn = label.grab().toImage();
    QCOMPARE(drawn.pixelColor(0, 0), label.palette().color(QPalette::Button));
    const auto [first, last] = red_columns(drawn);
    QVERIFY2(first >= 0 && first <= 3, qPrintable(QString::number(first)));
    QVERIFY2(last < drawn.width() / 2, qPrintable(QString::number(last)));
    // A long one starts at the same place and reaches the right edge, where it is cut.
    label.setText(QString(40, QChar('W')));
    drawn = label.grab().toImage();
    QCOMPARE(drawn.pixelColor(0, 0), label.palette().color(QPalette::Button));
    const auto [long_first, long_last] = red_columns(drawn);
    QCOMPARE(long_first, first);
    QVERIFY2(long_last >= drawn.width() - 3, qPrintable(QString::number(long_last)));
  }

  void wrap_button_wraps_long_captions() {
    WrapButton button(QStringLiteral("马上一键检查所有分享是否失效？"));
    button.resize(221, 30);
    QVERIFY(!button.isDefault());
    QVERIFY(!button.autoDefault());
    const int one_line = ink_rows(button);
    button.setText(QStringLiteral("正在检查第 12 个分享，共 300 个，已发现失效 3 个，请稍候再看"));
    QVERIFY2(ink_rows(button) > one_line + 4, "the long caption should take a second line");
  }

 private:
  // The first and last columns holding red caption ink, -1 when none.
  static std::pair<int, int> red_columns(const QImage& drawn) {
    int first = -1, last = -1;
    for (int x = 0; x < drawn.width(); ++x) {
      for (int y = 0; y < drawn.height(); ++y) {
        const QColor c = drawn.pixelColor(x, y);
        if (c.red() > 150 && c.green() < 100) {
          if (first < 0) first = x;
          last = x;
          break;
        }
      }
    }
    return {first, last};
  }

  // Height of the band of rows holding caption ink (dark pixels) inside the bevel.
  static int ink_rows(QWidget& widget) {
    const QImage drawn = widget.grab().toImage().scaled(widget.size());
    int top = -1, bottom = -1;
    for (int y = 2; y < drawn.height() - 2; ++y) {
      for (int x = 6; x < drawn.width() - 6; ++x) {
        if (qGray(drawn.pixel(x, y)) < 90) {
          if (top < 0) top = y;
          bottom = y;
          break;
        }
      }
    }
    return top < 0 ? 0 : bottom - top + 1;
  }
};

QTEST_MAIN(ControlsTest)
#include "controls_test.moc"
