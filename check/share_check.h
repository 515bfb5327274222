#pragma once

namespace orvane {

class MainWindow;

// The check-shares button: fetches every listed share's page in turn, writes its
// status, waits one second after each, then shows the three counts.
void check_all_shares(MainWindow& window);

}  // namespace orvane
