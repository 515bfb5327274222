#include "app/update_notice.h"

namespace orvane {

void show_update_notice(MainWindow&) {}

}  // namespace orvane
