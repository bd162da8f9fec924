#include <gtest/gtest.h>

#include "gui_support.h"
#include "platform/ui_services.h"

namespace {
TEST(MainWindow, placeholder) { EXPECT_EQ(kt::ui::ErrorReportText(""), ""); }
}  // namespace
