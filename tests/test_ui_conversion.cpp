// A single conversion as the user runs it from the main window: "変　　換" there,
// a definition picked in the conversion dialog, the result window, and back.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <functional>

#include "app/Tfrm_main.h"
#include "app/windows.h"
#include "conversion/Tfrm_ChangeBefore.h"
#include "conversion/Tfrm_henkango.h"
#include "definitions/Tfrm_teigi.h"
#include "definitions/definition_files.h"
#include "test_ui_conversion_support.h"

namespace {

using namespace kt::test;

class ConversionTest : public ConversionUiTest {
 protected:
  void SetUp() override {
    ConversionUiTest::SetUp();
    kt::ConversionDefinition definition;
    definition.Pairs[0] = {Sjis("東京"), Sjis("大阪")};
    definition.Pairs[1] = {"\\", "/"};
    definition.LineBreakFlag = true;
    definition.DisplayName = Sjis("関西へ");
    kt::SaveDefinition(2, definition);
    frm_main->show();
  }

  // Presses the main window's "変　　換" and runs the steps while the dialog is up.
  void ConvertFromMainWindow(const std::function<void()>& inDialog) {
    kt::test::InModalForm(frm_ChangeBefore, frm_main->Button1, frm_ChangeBefore->Button2, inDialog);
  }
};

TEST_F(ConversionTest, NothingHappensWithoutASlotOrItsFilesAndThenTheConversionRuns) {
  // ソ ends in the byte 0x5C: only the backslash after it is a match.
  const std::string source = Sjis("東京のソ\\\r\n東京");
  frm_main->Memob->SetText(source);
  frm_main->Texta = "before";
  frm_main->Kaigyou = "before";
  bool resultShown = false;

  ConvertFromMainWindow([&] {
    EXPECT_EQ(frm_ChangeBefore->Cmb_Teigi->Items(),
              Names({"変換定義１", "関西へ", "変換定義３", "変換定義４", "変換定義５"}));
    EXPECT_EQ(frm_ChangeBefore->Cmb_Teigi->ItemIndex(), -1);
    EXPECT_EQ(frm_ChangeBefore->Cmb_Teigi->Text(), "");

    TypeText(frm_ChangeBefore->Cmb_Teigi, QStringLiteral("関西へ"));  // a typed name picks nothing
    Click(frm_ChangeBefore->Button1);
    PickItem(frm_ChangeBefore->Cmb_Teigi, 0);  // slot 1 has no files
    Click(frm_ChangeBefore->Button1);
    EXPECT_TRUE(frm_ChangeBefore->isVisible());
    EXPECT_EQ(frm_ChangeBefore->Cmb_Teigi->ItemIndex(), 0);
    EXPECT_EQ(frm_main->Texta, "before");
    EXPECT_EQ(frm_main->Kaigyou, "before");
    EXPECT_TRUE(services.messages.empty());

    PickItem(frm_ChangeBefore->Cmb_Teigi, 1);
    WhenShown(frm_henkango, [&] {
      resultShown = true;
      const std::string converted = Sjis("大阪のソ/大阪");
      EXPECT_EQ(frm_henkango->Memob->Text(), converted);
      EXPECT_EQ(frm_henkango->lbla->text(), QStringLiteral("%1バイトです。").arg(converted.size()));
      EXPECT_TRUE(frm_ChangeBefore->isVisible());
      Click(frm_henkango->Button2);
    });
    Click(frm_ChangeBefore->Button1);
  });

  EXPECT_TRUE(resultShown);
  EXPECT_FALSE(frm_henkango->isVisible());
  EXPECT_EQ(frm_main->Texta, Sjis("大阪のソ/大阪"));
  EXPECT_EQ(frm_main->Kaigyou, "1\n");
  EXPECT_EQ(frm_main->Textb, source);
  EXPECT_EQ(frm_main->Memob->Text(), source);
  EXPECT_EQ(frm_henkango->Memob->Text(), Sjis("大阪のソ/大阪"));  // kept while hidden
}

TEST_F(ConversionTest, AnEmptyMemoGivesAnEmptyResultOfZeroBytes) {
  data.Write("krpl2.rpl", "0");  // a flag line without its line end is kept as read
  frm_main->Memob->Clear();
  frm_henkango->Memob->SetText("left over");

  ConvertFromMainWindow([&] {
    PickItem(frm_ChangeBefore->Cmb_Teigi, 1);
    WhenShown(frm_henkango, [&] {
      EXPECT_EQ(frm_henkango->Memob->Text(), "");
      EXPECT_EQ(frm_henkango->lbla->text(), QStringLiteral("0バイトです。"));
      frm_henkango->close();  // the close box does what "閉じる" does
    });
    Click(frm_ChangeBefore->Button1);
  });
  EXPECT_EQ(frm_main->Texta, "");
  EXPECT_EQ(frm_main->Kaigyou, "0");
}

TEST_F(ConversionTest, ANameSavedInTheEditorShowsAtTheNextShowingWithNothingSelected) {
  ConvertFromMainWindow([&] { PickItem(frm_ChangeBefore->Cmb_Teigi, 1); });

  WhenShown(frm_teigi, [&] {
    PickItem(frm_teigi->Cmb_Teigi, 3);
    ClearText(frm_teigi->Cmb_Teigi);
    TypeText(frm_teigi->Cmb_Teigi, QStringLiteral("第四"));
    Click(frm_teigi->Button2);
    PickItem(frm_teigi->Cmb_Teigi, 4);
    ClearText(frm_teigi->Cmb_Teigi);
    Click(frm_teigi->Button2);
    Click(frm_teigi->Button1);
  });
  Click(frm_main->Button3);
  EXPECT_FALSE(frm_teigi->isVisible());

  ConvertFromMainWindow([&] {
    EXPECT_EQ(frm_ChangeBefore->Cmb_Teigi->Items(),
              Names({"変換定義１", "関西へ", "変換定義３", "第四", ""}));
    EXPECT_EQ(frm_ChangeBefore->Cmb_Teigi->ItemIndex(), -1);
    EXPECT_EQ(frm_ChangeBefore->Cmb_Teigi->Text(), "");
  });
}

}  // namespace
