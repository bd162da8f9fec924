#include "conversion/Tfrm_henkango.h"

Tfrm_henkango::Tfrm_henkango() {
  SetCaption(QStringLiteral("変換後"));
  SetOuterSize(481, 519);

}
