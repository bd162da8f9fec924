// The main of every window test: one QApplication on the offscreen platform for
// the whole process, then the tests.

#include <gtest/gtest.h>

#include <QApplication>

#include "app/windows.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  QApplication application(argc, argv);
  const int result = RUN_ALL_TESTS();
  kt::ui::DestroyWindows();
  return result;
}
