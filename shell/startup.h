#pragma once
// From the process entry to the running event loop and back out.
#include <functional>

// The whole start-up: the application object, the platform, the main window
// (made by makeDefaultView) and the event loop. Returns the exit status.
int _Main(int& argc, char** argv, const std::function<void()>& makeDefaultView);

// The start-up steps, in the order _Main runs them.
void _EarlyStartup(int& argc, char** argv);
void _InitFileTypes();
void _ApplicationAddMenuHandlers();
void _LateStartup(const std::function<void()>& makeDefaultView);

// Deletes every window (before the application object goes).
void deleteTopLevelWindows();

// Closes and releases the MIDI input stream and terminates the MIDI library,
// so no MIDI call is left for the static destructors after main returns.
void closeMidiInput();
