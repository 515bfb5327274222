#pragma once

// Waiting without freezing the window. These run Qt's event loop, so they live in the
// UI library even though the rest of common/ has no Qt.

namespace orvane {

// Sleeps for interval * unit milliseconds (unit code 0 ms, 1 s, 2 min, 3 h, any other
// value: that many ms) while every window event that arrives is handled. Works nested.
// Returns true when the interval ran out, false when the application is quitting and the
// wait was cut short: callers must then check whether their window is gone.
bool wait_responsive(int interval = 0, int unit = 0);

// Handles the events waiting right now, as the main loop would.
void process_pending_events();

// Busy pause of `ms` milliseconds that keeps handling events; <= 0 returns at once.
void pump_events_for(int ms);

}  // namespace orvane

namespace orvane {

// The program is shutting down: ends every running wait at once (each returns false)
// and makes every later wait and pause return at once. Called when the window closes.
void quit_all_waits();

// True once quit_all_waits() ran or the application's event loop was told to quit.
bool waits_quitting();

}  // namespace orvane
