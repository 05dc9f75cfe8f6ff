// main() of the window tests: the application object lives for the whole
// run, on the offscreen platform unless another one is asked for, with
// the program's own font.
#include <QApplication>
#include <gtest/gtest.h>

#include "shell/ProgramFont.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  UseProgramFont();
  return RUN_ALL_TESTS();
}
