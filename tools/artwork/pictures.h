#pragma once

#include <QPainter>

namespace orvane::art {

// Window chrome (850 x 550, 850 x 80, 91 x 35, 35 x 24).
void draw_background(QPainter& painter);
void draw_banner(QPainter& painter);
void draw_search_button(QPainter& painter, bool hover);
void draw_close_button(QPainter& painter, bool hover);
void draw_minimize_button(QPainter& painter, bool hover);

// The two 500 x 150 notices of the search.
void draw_connection_problem(QPainter& painter);
void draw_nothing_found(QPainter& painter);

// Animation frames on a transparent ground.
inline constexpr int kLoadingFrames = 15;
inline constexpr int kCheckingFrames = 12;
void draw_loading_frame(QPainter& painter, int frame);   // 146 x 95
void draw_checking_frame(QPainter& painter, int frame);  // 24 x 24

}  // namespace orvane::art
