#include <QApplication>

#include "app/Tfrm_main.h"
#include "app/windows.h"
#include "platform/guard.h"
#include "platform/widgets.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setFont(kt::ui::DesignFont());
  QApplication::setWindowIcon(kt::ui::ProgramIcon());
  // An error that escapes start-up is reported, and the program still ends with 0.
  kt::ui::Guarded([] {
    kt::ui::CreateWindows();
    kt::ui::Form::RunMessageLoop(*frm_main);
  });
  kt::ui::DestroyWindows();
  return 0;
}
