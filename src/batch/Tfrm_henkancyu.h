#pragma once

#include "platform/form.h"
#include "platform/widgets.h"

class Tfrm_henkancyu : public kt::ui::Form {
  Q_OBJECT
 public:
  Tfrm_henkancyu();

};
