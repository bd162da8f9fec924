#include "batch/Tfrm_kakucyoushi.h"

#include "app/windows.h"
#include "batch/Tfrm_beforeittkatu.h"
#include "batch/extension_list.h"
#include "platform/guard.h"
#include "platform/ui_services.h"

Tfrm_kakucyoushi::Tfrm_kakucyoushi() {
  SetCaption(QStringLiteral("frm_kakucyoushi"));
  SetOuterSize(160, 142);
  SetFixedBorder();

  // The band in the colour of an inactive window caption.
  Shape1 = new QFrame(this);
  Shape1->setGeometry(8, 8, 137, 25);
  Shape1->setStyleSheet(QStringLiteral(
      "QFrame { background-color: rgb(191, 205, 219); border: 1px solid black; }"));
  Label1 = new QLabel(QStringLiteral("拡張子入力"), this);
  Label1->setGeometry(16, 14, 121, 14);

  Edit1 = new kt::ui::SjisLineEdit(this);
  Edit1->setGeometry(8, 42, 137, 21);
  Button1 = kt::ui::MakeButton(this, QStringLiteral("Add"), 8, 72, 65, 25);
  Button2 = kt::ui::MakeButton(this, QStringLiteral("Cancel"), 80, 72, 65, 25);
  setTabOrder(Edit1, Button1);
  setTabOrder(Button1, Button2);

  kt::ui::OnClick(Button1, this, &Tfrm_kakucyoushi::Button1Click);
  kt::ui::OnClick(Button2, this, &Tfrm_kakucyoushi::Button2Click);
}

void Tfrm_kakucyoushi::Button1Click() {
  const std::string entry = Edit1->Text();
  if (kt::IsBlankEntry(entry)) {
    kt::ui::ShowSystemError(QStringLiteral("空白は登録できません。"));
    return;
  }
  // Stored as typed; the batch run trims when it compares.
  frm_beforeittkatu->ListBox1->Add(entry);
  kt::SaveExtensionList(frm_beforeittkatu->ListBox1->Items());
}

void Tfrm_kakucyoushi::Button2Click() { CloseForm(); }
