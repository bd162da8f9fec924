#include "definitions/Tfrm_teigi.h"

Tfrm_teigi::Tfrm_teigi() {
  SetCaption(QStringLiteral("定義編集"));
  SetOuterSize(347, 437);

}
