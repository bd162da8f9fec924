#include "batch/Tfrm_beforeittkatu.h"

#include "app/windows.h"
#include "batch/Tfrm_henkancyu.h"
#include "batch/Tfrm_kakucyoushi.h"
#include "batch/batch_run.h"
#include "batch/extension_list.h"
#include "conversion/engine.h"
#include "definitions/definition_files.h"
#include "platform/codec_qt.h"
#include "platform/guard.h"
#include "platform/ui_services.h"

namespace {

QGroupBox* MakeGroup(QWidget* parent, const QString& title, int left, int top, int width,
                     int height) {
  auto* group = new QGroupBox(title, parent);
  group->setGeometry(left, top, width, height);
  return group;
}

}  // namespace

Tfrm_beforeittkatu::Tfrm_beforeittkatu() {
  SetCaption(QStringLiteral("一括処理設定"));
  SetOuterSize(537, 394);
  SetFixedBorder();

  Shape1 = new QFrame(this);
  Shape1->setGeometry(8, 8, 513, 33);
  Shape1->setStyleSheet(QStringLiteral(
      "QFrame { background-color: rgb(192, 192, 192); border: 1px solid black; }"));
  Label1 = new QLabel(QStringLiteral("一括処理するフォルダ名とファイル名を指定して下さい。"), this);
  Label1->setFont(kt::ui::DesignFont(15));
  Label1->setGeometry(18, 14, 495, 21);

  GroupBox1 = MakeGroup(this, QStringLiteral("処理するファイルが保存してあるフォルダ"), 8, 50,
                        513, 53);
  BEdit = new kt::ui::SjisLineEdit(GroupBox1);
  BEdit->setGeometry(12, 22, 417, 21);
  Button1 = kt::ui::MakeButton(GroupBox1, QStringLiteral("参照"), 436, 20, 65, 25);

  GroupBox2 = MakeGroup(this, QStringLiteral("変換後ファイルを保存するフォルダ"), 8, 110, 513,
                        53);
  AEdit = new kt::ui::SjisLineEdit(GroupBox2);
  AEdit->setGeometry(12, 22, 417, 21);
  Button2 = kt::ui::MakeButton(GroupBox2, QStringLiteral("参照"), 436, 20, 65, 25);

  GroupBox3 = MakeGroup(this, QStringLiteral("変換するファイルの拡張子リスト"), 8, 170, 305,
                        182);
  ListBox1 = new kt::ui::SjisListBox(GroupBox3);
  ListBox1->setGeometry(12, 22, 197, 148);
  Button3 = kt::ui::MakeButton(GroupBox3, QStringLiteral("追加"), 218, 22, 75, 25);
  btn_del = kt::ui::MakeButton(GroupBox3, QStringLiteral("削除"), 218, 54, 75, 25);

  GroupBox4 = MakeGroup(this, QStringLiteral("変換定義指定"), 320, 170, 201, 57);
  Cmb_Teigi = new kt::ui::SjisComboBox(GroupBox4);
  Cmb_Teigi->setGeometry(12, 24, 177, 21);

  btn_henkan = kt::ui::MakeButton(this, QStringLiteral("変　換"), 340, 322, 85, 30);
  btn_cancel = kt::ui::MakeButton(this, QStringLiteral("キャンセル"), 436, 322, 85, 30);

  QWidget* const tabOrder[] = {BEdit,   Button1, AEdit,     Button2,    ListBox1,
                               Button3, btn_del, Cmb_Teigi, btn_henkan, btn_cancel};
  for (std::size_t i = 1; i < std::size(tabOrder); ++i) {
    setTabOrder(tabOrder[i - 1], tabOrder[i]);
  }

  kt::ui::OnClick(Button1, this, &Tfrm_beforeittkatu::Button1Click);
  kt::ui::OnClick(Button2, this, &Tfrm_beforeittkatu::Button2Click);
  kt::ui::OnClick(Button3, this, &Tfrm_beforeittkatu::Button3Click);
  kt::ui::OnClick(btn_del, this, &Tfrm_beforeittkatu::btn_delClick);
  kt::ui::OnClick(btn_henkan, this, &Tfrm_beforeittkatu::btn_henkanClick);
  kt::ui::OnClick(btn_cancel, this, &Tfrm_beforeittkatu::btn_cancelClick);
}

void Tfrm_beforeittkatu::OnActivate() {
  // The names first: a list file that cannot be read ends the reload but leaves
  // the fresh names and the list as it was.
  Cmb_Teigi->SetItems(kt::LoadDefinitionNames());
  ListBox1->SetItems(kt::LoadExtensionList());
}

void Tfrm_beforeittkatu::Button1Click() {
  BEdit->setText(kt::ui::Services().BrowseFolder(this, QStringLiteral("フォルダを選択してください")));
}

void Tfrm_beforeittkatu::Button2Click() {
  AEdit->setText(kt::ui::Services().BrowseFolder(this, QStringLiteral("フォルダを選択してください")));
}

void Tfrm_beforeittkatu::Button3Click() { frm_kakucyoushi->ShowModal(); }

void Tfrm_beforeittkatu::btn_delClick() {
  const int index = ListBox1->ItemIndex();
  if (index >= 0) ListBox1->Delete(index);
  kt::SaveExtensionList(ListBox1->Items());
}

void Tfrm_beforeittkatu::btn_henkanClick() {
  kt::BatchSettings settings;
  settings.sourceFolder = kt::ui::ToPath(BEdit->text());
  settings.targetFolder = kt::ui::ToPath(AEdit->text());
  settings.extensions = ListBox1->Items();
  settings.definitionIndex = Cmb_Teigi->ItemIndex();

  LBFileList.clear();
  const kt::BatchCheck check = kt::CheckBatchSettings(settings, LBFileList);
  // The separators appended by the checks stay visible, also after a refusal.
  BEdit->setText(kt::ui::FromPath(settings.sourceFolder));
  AEdit->setText(kt::ui::FromPath(settings.targetFolder));

  if (check.refusal != kt::BatchRefusal::None) {
    kt::ui::ShowSystemError(QString::fromStdString(check.message));
    if (!check.hint.empty()) kt::ui::ShowSystemMessage(QString::fromStdString(check.hint));
    switch (check.focus) {
      case kt::BatchFocus::SourceEdit: BEdit->setFocus(); break;
      case kt::BatchFocus::TargetEdit: AEdit->setFocus(); break;
      case kt::BatchFocus::ExtensionList: ListBox1->setFocus(); break;
      case kt::BatchFocus::Unchanged: break;
    }
    return;
  }

  // A slot whose files do not all open ends the run before anything is shown
  // or written.
  const auto loaded = kt::LoadConversionDefinition(settings.definitionIndex + 1);
  if (!loaded) return;

  frm_henkancyu->ShowOver(this);
  kt::RunBatch(settings, LBFileList, loaded->Definition,
               [](int percent) { frm_henkancyu->SetPosition(percent); });
  frm_henkancyu->CloseForm();
  // The window stays on screen until the confirmation has been acknowledged.
  kt::ui::ShowSystemMessage(QStringLiteral("変換は正常に終了しました。"));
  CloseForm();
}

void Tfrm_beforeittkatu::btn_cancelClick() { CloseForm(); }
