#include "batch/Tfrm_kakucyoushi.h"

Tfrm_kakucyoushi::Tfrm_kakucyoushi() {
  SetCaption(QStringLiteral("frm_kakucyoushi"));
  SetOuterSize(160, 142);

}
