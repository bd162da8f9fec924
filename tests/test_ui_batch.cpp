// The batch windows as the user works them from the main window's "一括変換": the
// extension list with its input dialog, the checks of "変　換", and a whole run
// with its progress window.

#include <gtest/gtest.h>

#include <QDir>
#include <QEvent>
#include <QTest>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/Tfrm_main.h"
#include "app/windows.h"
#include "batch/Tfrm_beforeittkatu.h"
#include "batch/Tfrm_henkancyu.h"
#include "batch/Tfrm_kakucyoushi.h"
#include "definitions/definition_files.h"
#include "platform/codec_qt.h"
#include "test_ui_conversion_support.h"

namespace {

using namespace kt::test;
using kt::ui::MessageKind;

constexpr const char* kDefaultListFile = ".txt\r\n.html\r\n.htm\r\n.php\r\n";

// Notes each time a window is shown, whether or not anything waits for it.
class ShowCounter : public QObject {
 public:
  explicit ShowCounter(QWidget* window) : window_(window) { window->installEventFilter(this); }
  ~ShowCounter() override { window_->removeEventFilter(this); }
  int shows = 0;
  bool blocked = false;  // by a modal window: no input, not even its close box

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Show) ++shows;
    if (event->type() == QEvent::WindowBlocked) blocked = true;
    if (event->type() == QEvent::WindowUnblocked) blocked = false;
    return false;
  }

 private:
  QWidget* window_;
};

class BatchWindowTest : public ConversionUiTest {
 protected:
  void SetUp() override {
    ConversionUiTest::SetUp();
    frm_main->show();
    frm_kakucyoushi->Edit1->clear();  // the dialog keeps its text across tests too
  }

  // "一括変換" in the main window, the steps while the batch window is up, then
  // "キャンセル" unless the steps closed it.
  void InBatchWindow(const std::function<void()>& steps) {
    kt::test::InModalForm(frm_beforeittkatu, frm_main->Button6, frm_beforeittkatu->btn_cancel, steps);
  }

  // "追加", and the steps while the input dialog is up; they close it.
  void InAddDialog(const std::function<void()>& steps) {
    kt::test::InModalForm(frm_kakucyoushi, frm_beforeittkatu->Button3, frm_kakucyoushi->Button2, steps);
  }

  static void SelectEntry(int index) {
    kt::ui::SjisListBox* list = frm_beforeittkatu->ListBox1;
    const QRect rect = list->visualItemRect(list->item(index));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    ASSERT_EQ(list->ItemIndex(), index);
  }

  std::string Folder(const char* name) const {
    const std::string path = data.FilePath(name);
    EXPECT_TRUE(QDir().mkpath(kt::ui::FromPath(path)));
    return path;
  }

  static void WriteFile(const std::string& path, std::string_view bytes) {
    QFile file(kt::ui::FromPath(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
  }

  static std::optional<std::string> ReadFile(const std::string& path) {
    QFile file(kt::ui::FromPath(path));
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
  }

  static void TypeFolder(kt::ui::SjisLineEdit* edit, const std::string& path) {
    edit->clear();
    TypeText(edit, kt::ui::FromPath(path));
  }

  static ShownMessage Error(const char* text) {
    return {MessageKind::SystemError, QString::fromUtf8(text)};
  }
};

TEST_F(BatchWindowTest, AddDialogRefusesBlanksAndItsFirstEntryWritesTheDefaultsWithIt) {
  InBatchWindow([&] {
    EXPECT_EQ(frm_beforeittkatu->ListBox1->Items(), Names({".txt", ".html", ".htm", ".php"}));
    EXPECT_FALSE(data.Exists("changelist.rpl"));

    InAddDialog([&] {
      frm_kakucyoushi->Edit1->SetText(" \t\r ");
      Click(frm_kakucyoushi->Button1);
      EXPECT_EQ(services.messages, std::vector{Error("空白は登録できません。")});
      EXPECT_FALSE(data.Exists("changelist.rpl"));
      EXPECT_EQ(frm_beforeittkatu->ListBox1->count(), 4);

      // Typed blanks stay; a full-width space is no blank.
      frm_kakucyoushi->Edit1->clear();
      TypeText(frm_kakucyoushi->Edit1, QStringLiteral(" .テキスト　"));
      Click(frm_kakucyoushi->Button1);
      Click(frm_kakucyoushi->Button1);
      const std::string entry = Sjis(" .テキスト　");
      EXPECT_EQ(data.Read("changelist.rpl"),
                kDefaultListFile + entry + "\r\n" + entry + "\r\n");
      EXPECT_EQ(frm_beforeittkatu->ListBox1->count(), 6);
      EXPECT_TRUE(frm_kakucyoushi->isVisible());
      EXPECT_EQ(frm_kakucyoushi->Edit1->Text(), entry);
      EXPECT_EQ(services.messages.size(), 1u);

      // Neither button is the default or the cancel button.
      QTest::keyClick(frm_kakucyoushi->Edit1, Qt::Key_Return);
      QTest::keyClick(frm_kakucyoushi->Edit1, Qt::Key_Escape);
      EXPECT_TRUE(frm_kakucyoushi->isVisible());
      EXPECT_EQ(frm_beforeittkatu->ListBox1->count(), 6);
    });

    // Reloaded from the file when the dialog closed.
    EXPECT_EQ(frm_beforeittkatu->ListBox1->count(), 6);
    EXPECT_EQ(frm_beforeittkatu->ListBox1->Items().back(), Sjis(" .テキスト　"));
  });
  EXPECT_EQ(frm_kakucyoushi->Edit1->text(), QStringLiteral(" .テキスト　"));
}

TEST_F(BatchWindowTest, DeleteSavesWithOrWithoutASelectionAndAnEmptiedListStaysEmpty) {
  InBatchWindow([&] {
    ASSERT_EQ(frm_beforeittkatu->ListBox1->ItemIndex(), -1);
    Click(frm_beforeittkatu->btn_del);
    EXPECT_EQ(data.Read("changelist.rpl"), kDefaultListFile);

    SelectEntry(1);
    Click(frm_beforeittkatu->btn_del);
    EXPECT_EQ(data.Read("changelist.rpl"), ".txt\r\n.htm\r\n.php\r\n");
    EXPECT_EQ(frm_beforeittkatu->ListBox1->Items(), Names({".txt", ".htm", ".php"}));

    while (frm_beforeittkatu->ListBox1->count() > 0) {
      SelectEntry(0);
      Click(frm_beforeittkatu->btn_del);
    }
    EXPECT_TRUE(data.Exists("changelist.rpl"));
    EXPECT_EQ(data.Read("changelist.rpl"), "");
  });
  InBatchWindow([&] { EXPECT_EQ(frm_beforeittkatu->ListBox1->count(), 0); });
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(BatchWindowTest, AfterAddTheDefinitionMustBeChosenAgain) {
  const std::string source = Folder("source");
  const std::string target = Folder("target");
  services.folderAnswers = {kt::ui::FromPath(source), kt::ui::FromPath(target)};

  InBatchWindow([&] {
    Click(frm_beforeittkatu->Button1);
    Click(frm_beforeittkatu->Button2);
    EXPECT_EQ(services.browseTitles, QStringList(2, QStringLiteral("フォルダを選択してください")));
    EXPECT_EQ(kt::ui::ToPath(frm_beforeittkatu->BEdit->text()), source);
    EXPECT_EQ(kt::ui::ToPath(frm_beforeittkatu->AEdit->text()), target);

    PickItem(frm_beforeittkatu->Cmb_Teigi, 1);
    InAddDialog([] { Click(frm_kakucyoushi->Button2); });
    EXPECT_EQ(frm_beforeittkatu->Cmb_Teigi->ItemIndex(), -1);
    EXPECT_EQ(frm_beforeittkatu->Cmb_Teigi->Text(), Sjis("変換定義２"));

    Click(frm_beforeittkatu->btn_henkan);
    EXPECT_EQ(services.messages, std::vector{Error("変換する定義名が選択されていません。")});
    EXPECT_EQ(frm_beforeittkatu->focusWidget(), frm_beforeittkatu->ListBox1);
    // The separators stay after the refusal.
    EXPECT_EQ(kt::ui::ToPath(frm_beforeittkatu->BEdit->text()), source + "/");
    EXPECT_EQ(kt::ui::ToPath(frm_beforeittkatu->AEdit->text()), target + "/");

    Click(frm_beforeittkatu->Button1);  // cancelled
    EXPECT_EQ(frm_beforeittkatu->BEdit->text(), QString());
  });
}

TEST_F(BatchWindowTest, RefusalsShowTheirMessageAndMoveTheFocus) {
  const std::string source = Folder("source");
  const std::string target = Folder("target");
  struct Case {
    const char* name;
    std::string sourceText, targetText;
    bool emptyList;
    std::vector<ShownMessage> messages;
    QWidget* focus;
  };
  const Case cases[] = {
      {"no source", "", target, false,
       {Error("変換するファイルが保存してるフォルダを指定して下さい。")},
       frm_beforeittkatu->BEdit},
      {"no extensions", source, target, true,
       {Error("変換対象の拡張子が指定されていません。"),
        {MessageKind::SystemMessage,
         QStringLiteral("拡張子登録例（.html）の様にピリオド以下を指定して下さい。")}},
       frm_beforeittkatu->ListBox1},
      {"missing target", source, target + "/gone", false,
       {Error("変換したファイル群を保存するフォルダが存在しません。")},
       frm_beforeittkatu->AEdit},
      {"same folder", source, source, false,
       {Error("変換するファイルの保存フォルダと変換後保存するフォルダを同一にする事はできません。")},
       frm_beforeittkatu->btn_henkan},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    services.messages.clear();
    InBatchWindow([&] {
      TypeFolder(frm_beforeittkatu->BEdit, c.sourceText);
      TypeFolder(frm_beforeittkatu->AEdit, c.targetText);
      if (c.emptyList) frm_beforeittkatu->ListBox1->clear();
      PickItem(frm_beforeittkatu->Cmb_Teigi, 0);
      Click(frm_beforeittkatu->btn_henkan);
      EXPECT_EQ(services.messages, c.messages);
      EXPECT_EQ(frm_beforeittkatu->focusWidget(), c.focus);
      EXPECT_TRUE(frm_beforeittkatu->isVisible());
    });
  }
}

TEST_F(BatchWindowTest, RunWithoutDefinitionFilesDoesNothingThenARunConvertsAndConfirms) {
  kt::ConversionDefinition definition;
  definition.Pairs[0] = {"a", "b"};
  definition.DisplayName = Sjis("ａをｂに");
  kt::SaveDefinition(1, definition);

  const std::string source = Folder("source");
  const std::string target = Folder("target");
  WriteFile(source + "/one.txt", "a\nab\n");
  WriteFile(source + "/two.html", "xa");
  WriteFile(source + "/skip.dat", "a");
  WriteFile(source + "/empty.txt", "");
  WriteFile(target + "/two.html", "old content");
  QDir().mkpath(kt::ui::FromPath(source + "/sub.txt"));

  ShowCounter progressShows(frm_henkancyu);
  frm_henkancyu->ProgressBar1->setValue(99);
  std::vector<int> positions;
  QObject::connect(frm_henkancyu->ProgressBar1, &QProgressBar::valueChanged,
                   [&](int value) { positions.push_back(value); });
  bool windowsUpAtConfirmation[2] = {};
  services.onMessage = [&](const ShownMessage&) {
    windowsUpAtConfirmation[0] = frm_henkancyu->isVisible();
    windowsUpAtConfirmation[1] = frm_beforeittkatu->isVisible();
  };

  InBatchWindow([&] {
    TypeFolder(frm_beforeittkatu->BEdit, source);
    TypeFolder(frm_beforeittkatu->AEdit, target);
    PickItem(frm_beforeittkatu->Cmb_Teigi, 2);  // slot 3 has no files
    Click(frm_beforeittkatu->btn_henkan);
    EXPECT_TRUE(services.messages.empty());
    EXPECT_TRUE(frm_beforeittkatu->isVisible());
    EXPECT_EQ(progressShows.shows, 0);
    EXPECT_EQ(ReadFile(target + "/two.html"), "old content");

    PickItem(frm_beforeittkatu->Cmb_Teigi, 0);
    EXPECT_EQ(frm_beforeittkatu->Cmb_Teigi->Text(), Sjis("ａをｂに"));
    Click(frm_beforeittkatu->btn_henkan);
  });

  EXPECT_EQ(services.messages,
            (std::vector<ShownMessage>{
                {MessageKind::SystemMessage, QStringLiteral("変換は正常に終了しました。")}}));
  EXPECT_EQ(progressShows.shows, 1);
  EXPECT_FALSE(windowsUpAtConfirmation[0]);
  EXPECT_TRUE(windowsUpAtConfirmation[1]);  // it goes once the message is confirmed
  EXPECT_FALSE(frm_henkancyu->isVisible());
  EXPECT_EQ(positions, (std::vector<int>{0, 25, 50, 75}));  // four files, the folder skipped
  EXPECT_EQ(ReadFile(target + "/one.txt"), "b\r\nbb\r\n");
  EXPECT_EQ(ReadFile(target + "/two.html"), "xb");
  EXPECT_EQ(ReadFile(target + "/empty.txt"), "");
  EXPECT_EQ(ReadFile(target + "/skip.dat"), std::nullopt);
  EXPECT_EQ(frm_beforeittkatu->LBFileList.size(), 4u);
}

TEST_F(BatchWindowTest, TargetThatCannotBeCreatedStopsTheRunAndLeavesBothWindowsUp) {
  kt::SaveDefinition(1, kt::ConversionDefinition{});
  const std::string source = Folder("source");
  const std::string target = Folder("target");
  WriteFile(source + "/blocked.txt", "x");
  QDir().mkpath(kt::ui::FromPath(target + "/blocked.txt"));  // a folder where the file goes

  ShowCounter progress(frm_henkancyu);
  InBatchWindow([&] {
    TypeFolder(frm_beforeittkatu->BEdit, source);
    TypeFolder(frm_beforeittkatu->AEdit, target);
    PickItem(frm_beforeittkatu->Cmb_Teigi, 0);
    Click(frm_beforeittkatu->btn_henkan);
    EXPECT_FALSE(progress.blocked);  // the user can close it
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].kind, MessageKind::ErrorReport);
    EXPECT_EQ(services.messages[0].text,
              QStringLiteral("ファイル %1 を作成できません.")
                  .arg(kt::ui::FromPath(target + "/blocked.txt")));
    EXPECT_TRUE(frm_beforeittkatu->isVisible());
    EXPECT_TRUE(frm_henkancyu->isVisible());
    EXPECT_EQ(frm_henkancyu->ProgressBar1->value(), 0);
  });
}

TEST_F(BatchWindowTest, ListFileThatCannotBeReadOrWrittenIsReportedAndTheListBoxKeepsItsEntries) {
  QDir().mkpath(kt::ui::FromPath(data.FilePath("changelist.rpl")));  // opens, but reads nothing
  const QString path = kt::ui::FromPath(data.FilePath("changelist.rpl"));
  InBatchWindow([&] {
    EXPECT_EQ(services.messages,
              (std::vector<ShownMessage>{
                  {MessageKind::ErrorReport, QStringLiteral("ファイル %1 は開けません.").arg(path)}}));
    EXPECT_EQ(frm_beforeittkatu->Cmb_Teigi->count(), 5);  // the names came first
    EXPECT_EQ(frm_beforeittkatu->ListBox1->count(), 0);   // as the main window left it

    services.messages.clear();
    InAddDialog([&] {
      TypeText(frm_kakucyoushi->Edit1, QStringLiteral(".txt"));
      Click(frm_kakucyoushi->Button1);
      EXPECT_EQ(services.messages,
                (std::vector<ShownMessage>{{MessageKind::ErrorReport,
                                            QStringLiteral("ファイル %1 を作成できません.").arg(path)}}));
      EXPECT_EQ(frm_beforeittkatu->ListBox1->Items(), Names({".txt"}));
    });
  });
}

TEST_F(BatchWindowTest, TabGoesThroughTheControlsInTheirOrder) {
  InBatchWindow([&] {
    Tfrm_beforeittkatu* w = frm_beforeittkatu;
    const std::vector<QWidget*> expected = {w->BEdit,   w->Button1, w->AEdit,     w->Button2,
                                            w->ListBox1, w->Button3, w->btn_del, w->Cmb_Teigi,
                                            w->btn_henkan, w->btn_cancel, w->BEdit};
    std::vector<QWidget*> order = {w->BEdit};
    QWidget* current = w->BEdit;
    while (order.size() < expected.size()) {
      do {
        current = current->nextInFocusChain();
      } while (!(current->focusPolicy() & Qt::TabFocus) || !current->isVisibleTo(w) ||
               current->focusProxy() != nullptr);
      order.push_back(current == w->Cmb_Teigi->lineEdit() ? w->Cmb_Teigi : current);
    }
    EXPECT_EQ(order, expected);
  });
}

}  // namespace
