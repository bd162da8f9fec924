#include <gtest/gtest.h>

#include "gui_support.h"
#include "platform/ui_services.h"

namespace {
TEST(ErrorReport, placeholder) { EXPECT_EQ(kt::ui::ErrorReportText(""), ""); }
}  // namespace
