#pragma once

#include "platform/form.h"
#include "platform/widgets.h"

class Tfrm_ChangeBefore : public kt::ui::Form {
  Q_OBJECT
 public:
  Tfrm_ChangeBefore();
  kt::ui::SjisComboBox* Cmb_Teigi;
};
