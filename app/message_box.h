#pragma once

#include <QString>

#include <functional>
#include <string>

namespace orvane {

// Every message to the user: no owner, modal for the whole program, OK only, no icon,
// title "Vellix提示：". Returns when the box is closed.
void show_message(const std::string& gbk_text);
void show_message(const QString& text);

// For tests: while set, each message goes to the observer instead of a box; the
// observer may run nested event loops. An empty function restores the real boxes.
void set_message_observer(std::function<void(const QString&)> observer);

}  // namespace orvane
