#include "search/search_command.h"

namespace orvane {

void search_from_keyword_box(MainWindow&) {}
void run_search(MainWindow&, std::string) {}

}  // namespace orvane
