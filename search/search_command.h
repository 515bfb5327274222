#pragma once

#include <string>

namespace orvane {

class MainWindow;

// The Enter key in the keyword box and the search button: trims the box's text and
// runs the search with it.
void search_from_keyword_box(MainWindow& window);

// One search, from a trimmed GBK keyword to the filled results list. Runs inside the
// handler that started it; returns early (with the window untouched) once the window
// has been closed.
void run_search(MainWindow& window, std::string keyword);

}  // namespace orvane
