#include "definitions/Tfrm_teigi.h"

#include <optional>

#include "platform/guard.h"
#include "platform/ui_services.h"

namespace {

// The arrows of the design do not sit on a regular grid.
constexpr std::array<int, kt::kPairCount> kArrowTops = {42, 77, 108, 139, 168,
                                                        202, 235, 266, 297, 332};

std::optional<int> SlotOfItemIndex(const std::string& text) {
  if (text.size() == 1 && text[0] >= '0' && text[0] < '0' + kt::kSlotCount) {
    return text[0] - '0' + 1;
  }
  return std::nullopt;
}

}  // namespace

Tfrm_teigi::Tfrm_teigi() {
  SetCaption(QStringLiteral("定義編集"));
  SetOuterSize(347, 437);
  SetFixedBorder();

  Cmb_Teigi = new kt::ui::SjisComboBox(this);
  Cmb_Teigi->setObjectName(QStringLiteral("Cmb_Teigi"));
  Cmb_Teigi->setGeometry(8, 8, 113, 20);

  CBkaigyou = new QCheckBox(QStringLiteral("改行マークを消去する"), this);
  CBkaigyou->setObjectName(QStringLiteral("CBkaigyou"));
  CBkaigyou->setGeometry(160, 8, 137, 25);

  std::array<kt::ui::SjisLineEdit**, kt::kPairCount> beforeFields = {
      &bedit1, &bedit2, &bedit3, &bedit4, &bedit5, &bedit6, &bedit7, &bedit8, &bedit9, &bedit10};
  std::array<kt::ui::SjisLineEdit**, kt::kPairCount> afterFields = {
      &aedit1, &aedit2, &aedit3, &aedit4, &aedit5, &aedit6, &aedit7, &aedit8, &aedit9, &aedit10};
  std::array<QLabel**, kt::kPairCount> labelFields = {
      &Label1, &Label2, &Label3, &Label4, &Label5, &Label6, &Label7, &Label8, &Label9, &Label10};

  QFont arrowFont = kt::ui::DesignFont(15);
  arrowFont.setBold(true);

  QWidget* previous = CBkaigyou;
  setTabOrder(Cmb_Teigi, CBkaigyou);
  for (int i = 0; i < kt::kPairCount; ++i) {
    const QString row = QString::number(i + 1);
    const int top = 40 + 32 * i;

    auto* before = new kt::ui::SjisLineEdit(this);
    before->setObjectName(QStringLiteral("bedit") + row);
    before->setGeometry(8, top, 137, 20);

    auto* arrow = new QLabel(QStringLiteral("→"), this);
    arrow->setObjectName(QStringLiteral("Label") + row);
    arrow->setFont(arrowFont);
    arrow->setGeometry(156, kArrowTops[i], 16, 15);

    auto* after = new kt::ui::SjisLineEdit(this);
    after->setObjectName(QStringLiteral("aedit") + row);
    after->setGeometry(184, top, 137, 20);

    *beforeFields[i] = before_[i] = before;
    *afterFields[i] = after_[i] = after;
    *labelFields[i] = arrow;

    setTabOrder(previous, before);
    setTabOrder(before, after);
    previous = after;
  }

  Button2 = kt::ui::MakeButton(this, QStringLiteral("保　存"), 107, 362, 105, 33);
  Button2->setObjectName(QStringLiteral("Button2"));
  Button1 = kt::ui::MakeButton(this, QStringLiteral("閉じる"), 219, 362, 105, 33);
  Button1->setObjectName(QStringLiteral("Button1"));
  setTabOrder(previous, Button2);
  setTabOrder(Button2, Button1);

  txt_itemindex = new kt::ui::SjisLineEdit(this);
  txt_itemindex->setObjectName(QStringLiteral("txt_itemindex"));
  txt_itemindex->hide();
  txt_itemindex->setFocusPolicy(Qt::NoFocus);

  connect(Cmb_Teigi, &kt::ui::SjisComboBox::Changed, this,
          [this] { kt::ui::Guarded([this] { Cmb_Teigi_Change(); }); });
  kt::ui::OnClick(Button2, this, &Tfrm_teigi::Button2Click);
  kt::ui::OnClick(Button1, this, &Tfrm_teigi::Button1Click);

  kt::ui::Guarded([this] { FormCreate(); });
}

void Tfrm_teigi::FormCreate() { Cmb_Teigi->SetItems(kt::LoadDefinitionNames()); }

void Tfrm_teigi::Cmb_Teigi_Change() {
  // Every change unticks first, a typed character included: the option belongs to
  // the slot shown, and a new name means it has to be set again.
  CBkaigyou->setChecked(false);

  const int index = Cmb_Teigi->ItemIndex();
  if (index < 0 || index >= kt::kSlotCount) return;
  txt_itemindex->SetText(std::to_string(index));
  const int slot = index + 1;

  // A slot without files leaves the edits as they are, so the pairs shown before
  // can be saved into it: that is how a definition is copied.
  const auto befores =
      kt::ReadDefinitionLines(kt::DefinitionFilePath(kt::DefinitionFileKind::Before, slot));
  if (!befores) return;
  for (int i = 0; i < kt::kPairCount; ++i) {
    before_[i]->SetText("");
    after_[i]->SetText("");
  }
  for (int i = 0; i < kt::kPairCount; ++i) before_[i]->SetText((*befores)[i]);

  const auto afters =
      kt::ReadDefinitionLines(kt::DefinitionFilePath(kt::DefinitionFileKind::After, slot));
  if (!afters) return;
  for (int i = 0; i < kt::kPairCount; ++i) after_[i]->SetText((*afters)[i]);

  const auto flag =
      kt::ReadLineBreakFlag(kt::DefinitionFilePath(kt::DefinitionFileKind::Flag, slot));
  if (!flag) return;
  CBkaigyou->setChecked(*flag);
}

void Tfrm_teigi::Button2Click() {
  const auto slot = SlotOfItemIndex(txt_itemindex->Text());
  if (!slot) return;

  kt::ConversionDefinition definition;
  for (int i = 0; i < kt::kPairCount; ++i) {
    definition.Pairs[i].Before = before_[i]->Text();
    definition.Pairs[i].After = after_[i]->Text();
  }
  definition.LineBreakFlag = CBkaigyou->isChecked();
  definition.DisplayName = Cmb_Teigi->Text();

  // A file that cannot be written throws: the guard reports it, and neither the
  // reload nor the confirmation runs.
  kt::SaveDefinition(*slot, definition);

  Cmb_Teigi->SetItems(kt::LoadDefinitionNames());
  kt::ui::ShowPlainMessage(QStringLiteral("定義ファイルが更新されました。"));
}

void Tfrm_teigi::Button1Click() { CloseForm(); }
