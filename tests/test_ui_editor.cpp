// The definition editor driven as a user drives it: picking slots from the list,
// typing into the edits and the name field, ticking the box, saving.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QApplication>
#include <QDir>
#include <QStringList>
#include <QTest>
#include <memory>

#include "definitions/Tfrm_teigi.h"
#include "definitions/definition_files.h"
#include "test_ui_conversion_support.h"

namespace {

using namespace kt::test;

class EditorTest : public ConversionUiTest {
 protected:
  // A window created in the data folder, as at a start of the program there.
  std::unique_ptr<Tfrm_teigi> OpenEditor() {
    auto editor = std::make_unique<Tfrm_teigi>();
    editor->show();
    return editor;
  }
};

TEST_F(EditorTest, FirstStartInAnEmptyFolderSavesTheDefaultNameAndConfirms) {
  auto editor = OpenEditor();
  EXPECT_EQ(editor->Cmb_Teigi->Items(),
            Names({"変換定義１", "変換定義２", "変換定義３", "変換定義４", "変換定義５"}));
  EXPECT_EQ(editor->Cmb_Teigi->Text(), "");
  EXPECT_EQ(editor->Cmb_Teigi->ItemIndex(), -1);

  Click(editor->Button2);  // nothing picked yet: nothing is written, nothing shown
  EXPECT_TRUE(FolderIsEmpty());
  EXPECT_TRUE(services.messages.empty());

  PickItem(editor->Cmb_Teigi, 2);
  EXPECT_EQ(editor->txt_itemindex->Text(), "2");
  EXPECT_FALSE(editor->CBkaigyou->isChecked());
  Click(editor->Button2);

  EXPECT_EQ(data.Read("brpl3.rpl"), CrLfs(10));
  EXPECT_EQ(data.Read("arpl3.rpl"), CrLfs(10));
  EXPECT_EQ(data.Read("krpl3.rpl"), "0\r\n");
  EXPECT_EQ(data.Read("nrpl3.rpl"), Sjis("変換定義３") + "\r\n");
  EXPECT_EQ(FileCount(), 4);
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0].kind, kt::ui::MessageKind::Plain);
  EXPECT_EQ(services.messages[0].text, QStringLiteral("定義ファイルが更新されました。"));
  EXPECT_EQ(editor->Cmb_Teigi->Text(), Sjis("変換定義３"));
  EXPECT_EQ(editor->Cmb_Teigi->ItemIndex(), -1);
}

TEST_F(EditorTest, TypedJapaneseIsSavedAsShiftJisUntrimmedAndReadBackTrimmed) {
  auto editor = OpenEditor();
  PickItem(editor->Cmb_Teigi, 0);
  TypeText(editor->bedit1, QStringLiteral("  ソ表 "));
  TypeText(editor->aedit1, QStringLiteral("ｶﾀｶﾅ\\"));
  TypeText(editor->bedit10, QStringLiteral("最後"));
  TypeText(editor->aedit3, QStringLiteral("あとだけ"));
  editor->CBkaigyou->click();
  Click(editor->Button2);

  std::string before = Sjis("  ソ表 ") + "\r\n" + CrLfs(8) + Sjis("最後") + "\r\n";
  std::string after = Sjis("ｶﾀｶﾅ\\") + "\r\n\r\n" + Sjis("あとだけ") + "\r\n" + CrLfs(7);
  EXPECT_EQ(data.Read("brpl1.rpl"), before);
  EXPECT_EQ(data.Read("arpl1.rpl"), after);
  EXPECT_EQ(data.Read("krpl1.rpl"), "1\r\n");

  PickItem(editor->Cmb_Teigi, 1);  // slot 2 has no files: the rows stay
  EXPECT_EQ(editor->bedit1->Text(), Sjis("  ソ表 "));
  PickItem(editor->Cmb_Teigi, 0);
  EXPECT_EQ(editor->bedit1->Text(), Sjis("ソ表"));
  EXPECT_EQ(editor->aedit1->Text(), Sjis("ｶﾀｶﾅ\\"));
  EXPECT_EQ(editor->aedit3->Text(), Sjis("あとだけ"));
  EXPECT_EQ(editor->bedit10->Text(), Sjis("最後"));
  EXPECT_TRUE(editor->CBkaigyou->isChecked());
}

TEST_F(EditorTest, PickingASlotWithoutFilesKeepsThePairsAndSavingCopiesThem) {
  kt::ConversionDefinition source;
  source.Pairs[0] = {Sjis("東京"), Sjis("とうきょう")};
  source.Pairs[4] = {"a", ""};
  source.LineBreakFlag = true;
  source.DisplayName = Sjis("元");
  kt::SaveDefinition(1, source);

  auto editor = OpenEditor();
  PickItem(editor->Cmb_Teigi, 0);
  EXPECT_TRUE(editor->CBkaigyou->isChecked());
  PickItem(editor->Cmb_Teigi, 3);
  EXPECT_FALSE(editor->CBkaigyou->isChecked());
  EXPECT_EQ(editor->txt_itemindex->Text(), "3");
  EXPECT_EQ(editor->bedit1->Text(), Sjis("東京"));
  EXPECT_EQ(editor->aedit1->Text(), Sjis("とうきょう"));
  EXPECT_EQ(editor->Cmb_Teigi->Text(), Sjis("変換定義４"));

  Click(editor->Button2);
  EXPECT_EQ(data.Read("brpl4.rpl"), data.Read("brpl1.rpl"));
  EXPECT_EQ(data.Read("arpl4.rpl"), data.Read("arpl1.rpl"));
  EXPECT_EQ(data.Read("krpl4.rpl"), "0\r\n");
  EXPECT_EQ(data.Read("nrpl4.rpl"), Sjis("変換定義４") + "\r\n");
}

TEST_F(EditorTest, AMissingAfterFileFillsOnlyTheBefores) {
  data.Write("brpl2.rpl", "x\r\n  y\t\r\n");
  data.Write("krpl2.rpl", "1\r\n");
  kt::ConversionDefinition other;
  for (auto& pair : other.Pairs) pair = {"old", "old"};
  other.LineBreakFlag = true;
  kt::SaveDefinition(5, other);

  auto editor = OpenEditor();
  PickItem(editor->Cmb_Teigi, 4);
  ASSERT_TRUE(editor->CBkaigyou->isChecked());
  PickItem(editor->Cmb_Teigi, 1);

  EXPECT_EQ(editor->bedit1->Text(), "x");
  EXPECT_EQ(editor->bedit2->Text(), "y");
  for (int i = 2; i < kt::kPairCount; ++i) EXPECT_EQ(editor->BeforeEdits()[i]->Text(), "");
  for (auto* after : editor->AfterEdits()) EXPECT_EQ(after->Text(), "");
  EXPECT_FALSE(editor->CBkaigyou->isChecked());
}

TEST_F(EditorTest, TypingANameUnticksTheBoxAndTheSaveKeepsTheRememberedSlot) {
  auto editor = OpenEditor();
  PickItem(editor->Cmb_Teigi, 1);
  editor->CBkaigyou->click();
  ASSERT_TRUE(editor->CBkaigyou->isChecked());

  ClearText(editor->Cmb_Teigi);
  EXPECT_FALSE(editor->CBkaigyou->isChecked());
  editor->CBkaigyou->click();
  TypeText(editor->Cmb_Teigi, QStringLiteral("新名"));
  EXPECT_FALSE(editor->CBkaigyou->isChecked());  // each typed character unticks again
  EXPECT_EQ(editor->Cmb_Teigi->ItemIndex(), -1);
  EXPECT_EQ(editor->txt_itemindex->Text(), "1");

  editor->CBkaigyou->click();
  Click(editor->Button2);
  EXPECT_EQ(data.Read("nrpl2.rpl"), Sjis("新名") + "\r\n");
  EXPECT_EQ(data.Read("krpl2.rpl"), "1\r\n");
  EXPECT_EQ(editor->Cmb_Teigi->Items()[1], Sjis("新名"));
  EXPECT_EQ(editor->Cmb_Teigi->Text(), Sjis("新名"));
  EXPECT_EQ(editor->Cmb_Teigi->ItemIndex(), -1);

  ClearText(editor->Cmb_Teigi);  // a second save goes to the same slot
  Click(editor->Button2);
  EXPECT_EQ(data.Read("nrpl2.rpl"), "\r\n");
  EXPECT_EQ(editor->Cmb_Teigi->Items()[1], "");
  EXPECT_EQ(services.messages.size(), 2u);
}

TEST_F(EditorTest, AFailedWriteIsReportedAndNeitherReloadsNorConfirms) {
  auto editor = OpenEditor();
  PickItem(editor->Cmb_Teigi, 2);
  TypeText(editor->bedit1, QStringLiteral("新"));
  // Names changed behind the editor's back would show after a reload.
  data.Write("nrpl1.rpl", Sjis("外から") + "\r\n");
  ASSERT_TRUE(QDir().mkdir(QStringLiteral("arpl3.rpl")));

  Click(editor->Button2);

  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0].kind, kt::ui::MessageKind::ErrorReport);
  EXPECT_TRUE(services.messages[0].text.contains(QStringLiteral("arpl3.rpl")));
  EXPECT_TRUE(services.messages[0].text.contains(QStringLiteral("を作成できません")));
  EXPECT_EQ(data.Read("brpl3.rpl"), Sjis("新") + "\r\n" + CrLfs(9));  // written before it
  EXPECT_FALSE(data.Exists("krpl3.rpl"));
  EXPECT_EQ(editor->Cmb_Teigi->Items()[0], Sjis("変換定義１"));
}

TEST_F(EditorTest, EnterAndEscapePressNoButton) {
  auto editor = OpenEditor();
  PickItem(editor->Cmb_Teigi, 0);
  editor->bedit1->setFocus();
  QTest::keyClick(editor->bedit1, Qt::Key_Return);
  QTest::keyClick(editor->bedit1, Qt::Key_Escape);
  EXPECT_TRUE(editor->isVisible());
  EXPECT_TRUE(services.messages.empty());
  EXPECT_TRUE(FolderIsEmpty());

  Click(editor->Button1);
  EXPECT_FALSE(editor->isVisible());
}

TEST_F(EditorTest, TabWalksTheNameTheBoxTheRowsThenSaveAndClose) {
  auto editor = OpenEditor();
  QApplication::setActiveWindow(editor.get());
  editor->Cmb_Teigi->setFocus(Qt::OtherFocusReason);

  QStringList expected = {QStringLiteral("CBkaigyou")};
  for (int row = 1; row <= kt::kPairCount; ++row) {
    expected << QStringLiteral("bedit%1").arg(row) << QStringLiteral("aedit%1").arg(row);
  }
  expected << QStringLiteral("Button2") << QStringLiteral("Button1") << QStringLiteral("Cmb_Teigi");
  QStringList walked;
  for (qsizetype i = 0; i < expected.size(); ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QWidget* focused = QApplication::focusWidget();
    while (focused != nullptr && focused->objectName().isEmpty()) focused = focused->parentWidget();
    walked << (focused != nullptr ? focused->objectName() : QString());
  }
  EXPECT_EQ(walked, expected);
}

}  // namespace
