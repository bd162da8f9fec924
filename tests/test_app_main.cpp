#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <QtTest/QTest>

#include "app/TAboutBox.h"
#include "app/Tfrm_main.h"
#include "app/windows.h"
#include "batch/Tfrm_beforeittkatu.h"
#include "conversion/Tfrm_ChangeBefore.h"
#include "definitions/Tfrm_teigi.h"
#include "gui_support.h"
#include "platform/codec_qt.h"

namespace {

using kt::test::ShownMessage;
using kt::ui::MessageKind;

class MainWindow : public kt::test::GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    frm_main->Memob->Clear();
    frm_main->Textb.clear();
    frm_main->lblb->clear();
    frm_main->ShowNonModal();
  }

  // Presses "変　　換"; the conversion dialog it opens is looked at and closed.
  void Convert() {
    kt::test::WhenShown(frm_ChangeBefore, [this] {
      dialogIndex = frm_ChangeBefore->Cmb_Teigi->ItemIndex();
      dialogText = frm_ChangeBefore->Cmb_Teigi->Text();
      frm_ChangeBefore->CloseForm();
    });
    QTest::mouseClick(frm_main->Button1, Qt::LeftButton);
  }

  QString Label() const { return frm_main->lblb->text(); }

  int dialogIndex = -2;
  std::string dialogText = "unset";
};

TEST_F(MainWindow, ConvertShowsTheByteCountAndOpensTheDialogWithNothingChosen) {
  frm_ChangeBefore->Cmb_Teigi->SetItemIndex(1);
  frm_ChangeBefore->Cmb_Teigi->SetText("left over");
  kt::test::TypeText(frm_main->Memob, QStringLiteral("あa\n"));
  Convert();
  EXPECT_EQ(Label(), QStringLiteral("5バイトです。"));
  EXPECT_EQ(frm_main->Textb, "\x82\xa0" "a\r\n");
  EXPECT_EQ(dialogIndex, -1);
  EXPECT_EQ(dialogText, "");
  EXPECT_FALSE(frm_ChangeBefore->isVisible());
  EXPECT_EQ(frm_main->Memob->Text(), "\x82\xa0" "a\r\n");  // the memo keeps its text
}

TEST_F(MainWindow, AnEmptyMemoIsConvertedToo) {
  Convert();
  EXPECT_EQ(Label(), QStringLiteral("0バイトです。"));
  EXPECT_EQ(frm_main->Textb, "");
  EXPECT_EQ(dialogIndex, -1);
}

TEST_F(MainWindow, ADroppedFileReplacesTheMemoTextAndReachesTextbUnchanged) {
  struct Case {
    const char* name;
    std::string file;
    std::string shown;
  };
  const Case cases[] = {
      {"LF line ends", "one\ntwo\n", "one\r\ntwo\r\n"},
      {"CR and LF CR", "a\rb\n\rc\r\n", "a\r\nb\r\n\r\nc\r\n"},
      {"a NUL byte", std::string("before\0after", 12), "before"},
      {"UTF-8 bytes", "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\n", "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\r\n"},
      {"CP932 duplicate codes and stray bytes", "\x87\x90\xed\x40\xfa\x5c\x80\xa0\xff\x82",
       "\x87\x90\xed\x40\xfa\x5c\x80\xa0\xff\x82"},
      {"an empty file", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    frm_main->Memob->SetText("old text that must go");
    data.Write("dropped.txt", c.file);
    kt::test::DropFiles(frm_main->Memob, {QString::fromStdString(data.FilePath("dropped.txt"))});
    Convert();
    EXPECT_EQ(frm_main->Textb, c.shown);
    EXPECT_EQ(Label(), kt::ui::FromSjis(std::to_string(c.shown.size()) + "\x83\x6f\x83\x43\x83\x67\x82\xc5\x82\xb7\x81\x42"));
  }
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(MainWindow, ADropChangesOnlyTheMemo) {
  Convert();
  data.Write("a.txt", "abc");
  kt::test::DropFiles(frm_main, {QString::fromStdString(data.FilePath("a.txt"))});
  EXPECT_EQ(frm_main->Memob->Text(), "abc");
  EXPECT_EQ(frm_main->Textb, "");
  EXPECT_EQ(Label(), QStringLiteral("0バイトです。"));
}

TEST_F(MainWindow, TwoFilesAreRefused) {
  frm_main->Memob->SetText("kept");
  data.Write("a.txt", "a");
  data.Write("b.txt", "b");
  kt::test::DropFiles(frm_main->Memob, {QString::fromStdString(data.FilePath("a.txt")),
                                        QString::fromStdString(data.FilePath("b.txt"))});
  const std::vector<ShownMessage> expected = {
      {MessageKind::SystemError, QStringLiteral("複数のファイルを表示する事はできません。")}};
  EXPECT_EQ(services.messages, expected);
  EXPECT_EQ(frm_main->Memob->Text(), "kept");
}

TEST_F(MainWindow, AFolderOrAMissingFileGivesTheFileOpenReport) {
  ASSERT_TRUE(QDir().mkdir(QStringLiteral("フォルダ")));
  const std::string folder = data.FilePath("フォルダ");
  const std::string missing = data.FilePath("missing.txt");
  frm_main->Memob->SetText("kept");
  kt::test::DropFiles(frm_main->Memob, {QString::fromStdString(folder)});
  kt::test::DropFiles(frm_main->Memob, {QString::fromStdString(missing)});
  const std::vector<ShownMessage> expected = {
      {MessageKind::ErrorReport, QString::fromStdString("ファイル " + folder + " は開けません.")},
      {MessageKind::ErrorReport, QString::fromStdString("ファイル " + missing + " は開けません.")},
  };
  EXPECT_EQ(services.messages, expected);
  EXPECT_EQ(frm_main->Memob->Text(), "kept");
}

TEST_F(MainWindow, AFileTooLargeForTheMemoIsReportedWithoutBeingRead) {
  data.Write("huge.txt", "");
  // Sparse: no disk space is used, and reading it would take long.
  ASSERT_EQ(::truncate(data.FilePath("huge.txt").c_str(), Tfrm_main::kMemoLimitBytes + 1), 0);
  frm_main->Memob->SetText("kept");
  kt::test::DropFiles(frm_main->Memob, {QString::fromStdString(data.FilePath("huge.txt"))});
  const std::vector<ShownMessage> expected = {
      {MessageKind::ErrorReport, QStringLiteral("文字列の大きさが メモ の制限を越えました.")}};
  EXPECT_EQ(services.messages, expected);
  EXPECT_EQ(frm_main->Memob->Text(), "kept");
}

TEST_F(MainWindow, ClearEmptiesOnlyTheMemo) {
  kt::test::TypeText(frm_main->Memob, QStringLiteral("abc"));
  Convert();
  QTest::mouseClick(frm_main->Button5, Qt::LeftButton);
  EXPECT_EQ(frm_main->Memob->Text(), "");
  EXPECT_EQ(frm_main->Memob->toPlainText(), QString());
  EXPECT_EQ(frm_main->Textb, "abc");
  EXPECT_EQ(Label(), QStringLiteral("3バイトです。"));
}

TEST_F(MainWindow, AboutTwiceGivesOneWindowThatOkHides) {
  QTest::mouseClick(frm_main->Button4, Qt::LeftButton);
  QTest::mouseClick(frm_main->Button4, Qt::LeftButton);
  int aboutWindows = 0;
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window->isVisible() && window->windowTitle() == QStringLiteral("バージョン情報")) ++aboutWindows;
  }
  EXPECT_EQ(aboutWindows, 1);
  EXPECT_FALSE(AboutBox->isModal());
  EXPECT_EQ(AboutBox->ProductName->text(), QStringLiteral("ことつぎ Ver3.1.0"));
  EXPECT_TRUE(frm_main->isEnabled());
  QTest::keyClick(AboutBox, Qt::Key_Return);  // OK is the default button
  EXPECT_FALSE(AboutBox->isVisible());
}

TEST_F(MainWindow, ConversionDefinitionsOpenTheEditorModally) {
  bool shownModally = false;
  kt::test::WhenShown(frm_teigi, [&] {
    shownModally = QApplication::activeModalWidget() == frm_teigi;
    frm_teigi->CloseForm();
  });
  QTest::mouseClick(frm_main->Button3, Qt::LeftButton);
  EXPECT_TRUE(shownModally);
}

TEST_F(MainWindow, BatchEmptiesTheSettingsBeforeShowingThem) {
  frm_beforeittkatu->BEdit->SetText("/src");
  frm_beforeittkatu->AEdit->SetText("/dst");
  frm_beforeittkatu->Cmb_Teigi->SetItemIndex(0);
  frm_beforeittkatu->Cmb_Teigi->SetText("x");
  std::string source = "unset", target = "unset", name = "unset";
  int index = -2;
  kt::test::WhenShown(frm_beforeittkatu, [&] {
    source = frm_beforeittkatu->BEdit->Text();
    target = frm_beforeittkatu->AEdit->Text();
    name = frm_beforeittkatu->Cmb_Teigi->Text();
    index = frm_beforeittkatu->Cmb_Teigi->ItemIndex();
    frm_beforeittkatu->CloseForm();
  });
  QTest::mouseClick(frm_main->Button6, Qt::LeftButton);
  EXPECT_EQ(source, "");
  EXPECT_EQ(target, "");
  EXPECT_EQ(name, "");
  EXPECT_EQ(index, -1);
}

// The loop of the program ends with the main window, whatever else is open.
TEST_F(MainWindow, ClosingTheMainWindowEndsTheLoopWithTheAboutWindowOpen) {
  struct Way {
    const char* name;
    std::function<void()> close;
  };
  const Way ways[] = {
      {"close box", [] { frm_main->close(); }},
      {"終　　了", [] { QTest::mouseClick(frm_main->Button2, Qt::LeftButton); }},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    QTimer::singleShot(0, [&] {
      QTest::mouseClick(frm_main->Button4, Qt::LeftButton);
      ASSERT_TRUE(AboutBox->isVisible());
      way.close();
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    watchdog.start(10000);
    EXPECT_EQ(kt::ui::Form::RunMessageLoop(*frm_main), 0);
    EXPECT_FALSE(frm_main->isVisible());
  }
}

}  // namespace
