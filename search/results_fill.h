#pragma once

namespace orvane {

class MainWindow;
class SearchReplyReader;

// Appends one row per record, decoding each just before its row, with a 10 ms pause
// that keeps the window answering after every row. Stops once the window is closed.
void fill_results_list(MainWindow& window, SearchReplyReader& records);

// Double-click on the results list: opens the web host's "/go/" and the first
// selected row's share id in the default browser.
void open_selected_share(MainWindow& window);

}  // namespace orvane
