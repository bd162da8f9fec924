#pragma once

#include "platform/form.h"
#include "platform/widgets.h"

class Tfrm_beforeittkatu : public kt::ui::Form {
  Q_OBJECT
 public:
  Tfrm_beforeittkatu();
  kt::ui::SjisListBox* ListBox1;
  kt::ui::SjisLineEdit* BEdit;
  kt::ui::SjisLineEdit* AEdit;
  kt::ui::SjisComboBox* Cmb_Teigi;
};
