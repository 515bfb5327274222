#pragma once

#include <QTreeWidget>

#include <string>

namespace orvane {

// 超级列表框_内容: the report list of hits. Cells hold GBK texts byte for byte: what
// set_cell stores, cell gives back unchanged (shown converted to Unicode).
class ResultsList : public QTreeWidget {
  Q_OBJECT

 public:
  explicit ResultsList(QWidget* parent = nullptr);

  void delete_all_rows();
  int append_row();  // an empty row at the end; returns its index
  void set_cell(int row, int column, const std::string& gbk);
  std::string cell(int row, int column) const;  // empty for a row that does not exist
  int row_count() const;
  int first_selected_row() const;  // lowest selected index, or -1

 signals:
  // A left double-click anywhere in the list's area, on a row or not.
  void double_clicked();

 protected:
  bool event(QEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void setup_look();
  void setup_columns();
};

}  // namespace orvane
