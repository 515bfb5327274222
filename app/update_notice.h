#pragma once

namespace orvane {

class MainWindow;

// Start-up: reads the API host's version file and fills the announcement line.
void show_update_notice(MainWindow& window);

}  // namespace orvane
