#pragma once

#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "platform/form.h"
#include "platform/widgets.h"

// The extension input dialog, shown modally over the batch settings window; it
// works directly on that window's list box.
class Tfrm_kakucyoushi : public kt::ui::Form {
  Q_OBJECT
 public:
  Tfrm_kakucyoushi();
  QFrame* Shape1;
  QLabel* Label1;
  kt::ui::SjisLineEdit* Edit1;
  QPushButton* Button1;
  QPushButton* Button2;

 private:
  void Button1Click();
  void Button2Click();
};
