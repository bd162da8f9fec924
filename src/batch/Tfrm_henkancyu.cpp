#include "batch/Tfrm_henkancyu.h"

Tfrm_henkancyu::Tfrm_henkancyu() {
  SetCaption(QStringLiteral("一括変換中"));
  SetOuterSize(392, 94);

}
