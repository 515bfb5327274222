#include "app/results_list.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QTreeWidgetItem>

#include "common/codepage.h"

namespace orvane {

namespace {

constexpr int kColumns = 7;
constexpr int kGbkRole = Qt::UserRole;
// A cell shows this many characters at most; the stored bytes stay whole. Laying out a
// title of a megabyte froze every repaint of the list for most of a second.
constexpr qsizetype kShownChars = 1024;

bool is_line_break(char16_t u) {
  return (u >= 0x09 && u <= 0x0D) || u == 0x85 || u == 0x2028 || u == 0x2029;
}

// Controls and direction overrides would break a cell out of its one line or turn the
// text around it.
bool is_unshowable(char16_t u) {
  return u < 0x20 || (u >= 0x7F && u < 0xA0) || (u >= 0x202A && u <= 0x202E) ||
         (u >= 0x2066 && u <= 0x2069) || u == 0x200E || u == 0x200F || u == 0x061C;
}

// What a cell shows of its text: one line, every character visible, bounded in length.
QString shown_text(QString text) {
  if (text.size() > kShownChars) {
    text.truncate(kShownChars);
    text += QChar(0x2026);
  }
  for (QChar& c : text) {
    if (is_line_break(c.unicode())) {
      c = QChar(u' ');
    } else if (is_unshowable(c.unicode())) {
      c = QChar(QChar::ReplacementCharacter);
    }
  }
  return text;
}

struct Column {
  const char* title;
  int width;
};

constexpr Column kColumnTable[kColumns] = {
    {"类型", 65}, {"标题(双击跳转到下载页)", 450},
    {"大小", 80}, {"浏览", 80},
    {"下载", 80}, {"状态", 81},
    {"url", 0},
};

}  // namespace

ResultsList::ResultsList(QWidget* parent) : QTreeWidget(parent) {
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setSortingEnabled(false);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setAllColumnsShowFocus(true);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setFrameShape(QFrame::NoFrame);
  setup_look();
  setup_columns();
}

void ResultsList::setup_look() {
  QPalette colors = palette();
  colors.setColor(QPalette::Base, Qt::white);
  colors.setColor(QPalette::Window, Qt::white);
  colors.setColor(QPalette::Text, Qt::black);
  // No highlight while the list lacks the focus.
  colors.setColor(QPalette::Inactive, QPalette::Highlight, Qt::white);
  colors.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::black);
  setPalette(colors);
}

bool ResultsList::event(QEvent* event) {
  // The font is set when the list is polished (at the latest when first shown), not when
  // it is made: a font change makes the header measure its titles, and that first use of
  // a font would load the font configuration while the window is still being built.
  if (event->type() == QEvent::Polish && !testAttribute(Qt::WA_SetFont)) {
    QFont face(QStringLiteral("微软雅黑"));
    face.setPixelSize(14);
    face.setWeight(QFont::Normal);
    setFont(face);
  }
  return QTreeWidget::event(event);
}

void ResultsList::setup_columns() {
  // The header before its sections: with no minimum size of its own it would measure
  // its font for one as each section arrives, the first use of a font in the window.
  QHeaderView* top = header();
  top->setMinimumSectionSize(0);
  top->setSectionsClickable(false);
  top->setSortIndicatorShown(false);
  top->setSectionsMovable(false);
  top->setStretchLastSection(false);
  top->setDefaultSectionSize(kColumnTable[0].width);
  setColumnCount(kColumns);
  QStringList titles;
  for (const Column& column : kColumnTable) titles << QString::fromUtf8(column.title);
  setHeaderLabels(titles);
  top->setSectionResizeMode(QHeaderView::Interactive);
  for (int i = 0; i < kColumns; ++i) top->resizeSection(i, kColumnTable[i].width);
}

void ResultsList::delete_all_rows() { clear(); }

int ResultsList::append_row() {
  auto* item = new QTreeWidgetItem(this);
  item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren);
  return indexOfTopLevelItem(item);
}

void ResultsList::set_cell(int row, int column, const std::string& gbk) {
  QTreeWidgetItem* item = topLevelItem(row);
  if (item == nullptr || column < 0 || column >= kColumns) return;
  // The text ends at its first zero byte.
  const std::string text(gbk.c_str());
  item->setData(column, kGbkRole, QByteArray(text.data(), qsizetype(text.size())));
  item->setText(column, shown_text(QString::fromStdString(gbk_to_utf8(text))));
}

std::string ResultsList::cell(int row, int column) const {
  const QTreeWidgetItem* item = topLevelItem(row);
  if (item == nullptr || column < 0 || column >= kColumns) return {};
  return item->data(column, kGbkRole).toByteArray().toStdString();
}

int ResultsList::row_count() const { return topLevelItemCount(); }

int ResultsList::first_selected_row() const {
  int lowest = -1;
  for (QTreeWidgetItem* item : selectedItems()) {
    const int row = indexOfTopLevelItem(item);
    if (row >= 0 && (lowest < 0 || row < lowest)) lowest = row;
  }
  return lowest;
}

void ResultsList::mouseDoubleClickEvent(QMouseEvent* event) {
  QTreeWidget::mouseDoubleClickEvent(event);
  if (event->button() == Qt::LeftButton) emit double_clicked();
}

}  // namespace orvane
