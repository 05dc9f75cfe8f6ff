// Zestoria 2010: the program entry.
#include <QApplication>
#include <cstdio>

#include "shell/InstanceGuard.h"
#include "shell/Startup.h"

namespace {

// The single-instance guard: when another copy already runs, the command
// line goes to it and this copy ends. A guard that cannot work (no private
// runtime folder) lets the program run on after a note on stderr.
bool SingleInstanceGuardLetsThisCopyRun(TInstanceGuard& guard, const QStringList& arguments) {
  const bool run = guard.Start(arguments);
  if (!guard.Problem().isEmpty()) {
    std::fprintf(stderr, "zestoria: single-instance guard: %s\n", guard.Problem().toLocal8Bit().constData());
  }
  return run;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  TInstanceGuard guard;
  if (!SingleInstanceGuardLetsThisCopyRun(guard, QApplication::arguments())) return 0;
  return RunProgram();
}
