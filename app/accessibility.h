#pragma once

#include <QString>

namespace orvane {

class MainWindow;

// Gives the program's drawn controls the roles assistive tools expect (picture buttons
// as buttons, hyperlinks as links, picture boxes as images, labels as static text).
// Once per process, before the first control exists: Qt keeps the interface it made
// first for a widget (disabling one already asks for it).
void install_accessibility();

// Names and describes every control of the window.
void describe_controls(MainWindow& window);

// What an asset picture shows, for screen readers ("loading.gif" -> "正在加载搜索结果");
// empty for a name it does not know.
QString picture_description(const QString& asset_name);

}  // namespace orvane
