// Zestoria 2010: the program entry.
#include <QApplication>

#include "shell/Startup.h"

namespace {

// The single-instance guard: when another copy already runs, this is where
// the command line goes to it and this copy ends. Every copy runs for now.
bool SingleInstanceGuardLetsThisCopyRun(const QStringList& /*arguments*/) { return true; }

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (!SingleInstanceGuardLetsThisCopyRun(QApplication::arguments())) return 0;
  return RunProgram();
}
