// The program's start sequence, apart from main() so tests can run it.
#pragma once

#include <QStringList>
#include <memory>

class TMainForm;

// Everything the program installs before its first window: the engine's
// wait-cursor hook (shown through Platform()) and the login dialog as the
// engine's password prompt. Safe to call more than once.
void InstallShellHooks();

// Start sequence: shows the start-up splash, sets the application title
// "Zestoria 2010" and builds the main window from |arguments| (element 0
// the program's path, element 1 an optional file to import). The splash
// is closed and freed in every case. When the window cannot be built, the
// failure is reported in an error box and null is returned.
std::unique_ptr<TMainForm> StartMainWindow(const QStringList& arguments);

// The whole program on an existing application object: hooks, start
// sequence, the message loop. Returns the exit code (non-zero when the
// program could not start).
int RunProgram();
