#include "conversion/Tfrm_ChangeBefore.h"

Tfrm_ChangeBefore::Tfrm_ChangeBefore() {
  SetCaption(QStringLiteral("変換定義ファイル指定"));
  SetOuterSize(257, 123);
  Cmb_Teigi = new kt::ui::SjisComboBox(this);
  Cmb_Teigi->setGeometry(128, 8, 113, 20);
}
