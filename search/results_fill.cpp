#include "search/results_fill.h"

namespace orvane {

void fill_results_list(MainWindow&, SearchReplyReader&) {}
void open_selected_share(MainWindow&) {}

}  // namespace orvane
