#pragma once
// The conversion dialog: the user picks one of the five definitions and converts
// the main window's text with it; the result goes to the result window.

#include <QPushButton>

#include "platform/form.h"
#include "platform/widgets.h"

class Tfrm_ChangeBefore : public kt::ui::Form {
  Q_OBJECT
 public:
  Tfrm_ChangeBefore();

  kt::ui::SjisComboBox* Cmb_Teigi;
  QPushButton* Button1;
  QPushButton* Button2;

 protected:
  void OnActivate() override;

 private slots:
  void Button1Click();
  void Button2Click();
};
