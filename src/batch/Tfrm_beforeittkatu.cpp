#include "batch/Tfrm_beforeittkatu.h"

Tfrm_beforeittkatu::Tfrm_beforeittkatu() {
  SetCaption(QStringLiteral("一括処理設定"));
  SetOuterSize(537, 394);
  ListBox1 = new kt::ui::SjisListBox(this);
  BEdit = new kt::ui::SjisLineEdit(this);
  AEdit = new kt::ui::SjisLineEdit(this);
  Cmb_Teigi = new kt::ui::SjisComboBox(this);
}
