#include "conversion/Tfrm_ChangeBefore.h"

#include <array>
#include <optional>
#include <string>

#include "app/Tfrm_main.h"
#include "app/windows.h"
#include "conversion/Tfrm_henkango.h"
#include "conversion/engine.h"
#include "core/bytes.h"
#include "definitions/definition_files.h"
#include "platform/codec_qt.h"
#include "platform/guard.h"

Tfrm_ChangeBefore::Tfrm_ChangeBefore() {
  SetCaption(QStringLiteral("変換定義ファイル指定"));
  SetOuterSize(257, 123);
  SetFixedBorder();

  Cmb_Teigi = new kt::ui::SjisComboBox(this);
  Cmb_Teigi->setObjectName(QStringLiteral("Cmb_Teigi"));
  Cmb_Teigi->setGeometry(128, 8, 113, 20);
  // The layout's own items; the first showing replaces them before the list can open.
  std::array<std::string, kt::kSlotCount> defaults;
  for (int slot = 1; slot <= kt::kSlotCount; ++slot) defaults[slot - 1] = kt::DefaultDisplayName(slot);
  Cmb_Teigi->SetItems(defaults);

  Button1 = kt::ui::MakeButton(this, QStringLiteral("変　　換"), 8, 48, 113, 33);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button2 = kt::ui::MakeButton(this, QStringLiteral("キャンセル"), 128, 48, 113, 33);
  Button2->setObjectName(QStringLiteral("Button2"));
  kt::ui::OnClick(Button1, this, &Tfrm_ChangeBefore::Button1Click);
  kt::ui::OnClick(Button2, this, &Tfrm_ChangeBefore::Button2Click);

  setTabOrder(Cmb_Teigi, Button1);
  setTabOrder(Button1, Button2);
}

void Tfrm_ChangeBefore::OnActivate() { Cmb_Teigi->SetItems(kt::LoadDefinitionNames()); }

void Tfrm_ChangeBefore::Button1Click() {
  // Only the selection counts: a name typed into the text field chooses nothing.
  const int index = Cmb_Teigi->ItemIndex();
  std::optional<int> slot;
  if (index >= 0 && index < kt::kSlotCount) slot = index + 1;

  auto loaded = kt::LoadConversionDefinition(slot);
  if (!loaded) return;

  frm_main->Kaigyou = loaded->FlagLine;
  frm_main->Texta = kt::ConvertText(loaded->Definition, frm_main->Textb);

  frm_henkango->Memob->SetText(frm_main->Texta);
  frm_henkango->lbla->setText(kt::ui::FromSjis(kt::ByteCountText(frm_main->Texta)));
  frm_henkango->lbla->adjustSize();
  frm_henkango->ShowModal();

  CloseForm();
}

void Tfrm_ChangeBefore::Button2Click() { CloseForm(); }
