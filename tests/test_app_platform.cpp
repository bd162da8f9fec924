#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest/QTest>
#include <stdexcept>

#include "core/error.h"
#include "gui_support.h"
#include "platform/codec_qt.h"
#include "platform/form.h"
#include "platform/guard.h"
#include "platform/ui_services.h"
#include "platform/widgets.h"

namespace {

using kt::test::ShownMessage;
using kt::ui::MessageKind;

TEST(ErrorReportText, AppendsAPeriodUnlessTheLastCharacterIsAtOrBelowIt) {
  struct Case {
    const char* message;
    const char* shown;
  };
  const Case cases[] = {
      {"", ""},
      {"abc", "abc."},
      {"abc.", "abc."},
      {"abc-", "abc-"},   // 0x2D
      {"abc!", "abc!"},   // 0x21
      {"abc ", "abc "},
      {"abc/", "abc/."},  // 0x2F is above "."
      {"ファイル a は開けません", "ファイル a は開けません."},
      {"終了しました。", "終了しました。."},  // a double-byte character is above "."
  };
  for (const Case& c : cases) {
    EXPECT_EQ(kt::ui::ErrorReportText(QString::fromUtf8(c.message)), QString::fromUtf8(c.shown))
        << c.message;
  }
}

TEST(ApplicationTitle, IsTheProgramFileNameUpToItsFirstPeriod) {
  EXPECT_EQ(kt::ui::ApplicationTitle(), QStringLiteral("test_app_platform"));
}

class Platform : public kt::test::GuiTest {};

TEST_F(Platform, GuardShowsOurErrorsWithTheirPathAndOthersWithAnEmptyText) {
  bool ranOn = false;
  kt::ui::Guarded([&] {
    throw kt::Error::CannotOpen("/tmp/日本語 フォルダ/a.txt");
    ranOn = true;
  });
  kt::ui::Guarded([] { throw std::runtime_error("not ours"); });
  kt::ui::Guarded([] {});
  EXPECT_FALSE(ranOn);
  const std::vector<ShownMessage> expected = {
      {MessageKind::ErrorReport, QStringLiteral("ファイル /tmp/日本語 フォルダ/a.txt は開けません.")},
      {MessageKind::ErrorReport, QString()},
  };
  EXPECT_EQ(services.messages, expected);
}

TEST_F(Platform, MessageHelpersUseTheirKinds) {
  kt::ui::ShowSystemError(QStringLiteral("a"));
  kt::ui::ShowSystemMessage(QStringLiteral("b"));
  kt::ui::ShowPlainMessage(QStringLiteral("c"));
  const std::vector<ShownMessage> expected = {
      {MessageKind::SystemError, QStringLiteral("a")},
      {MessageKind::SystemMessage, QStringLiteral("b")},
      {MessageKind::Plain, QStringLiteral("c")},
  };
  EXPECT_EQ(services.messages, expected);
}

// --- combo box ---------------------------------------------------------------

class Combo : public kt::test::GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    form.SetClientSize(200, 100);
    combo = new kt::ui::SjisComboBox(&form);
    combo->setGeometry(8, 8, 150, 20);
    other = new QLineEdit(&form);
    other->setGeometry(8, 40, 150, 20);
    combo->SetItems(std::vector<std::string>{"\x88\xea", "two", "three"});  // 一
    form.show();
    spy = std::make_unique<QSignalSpy>(combo, &kt::ui::SjisComboBox::Changed);
  }
  // The user picks the next item with the arrow key.
  void PickNext() { QTest::keyClick(combo, Qt::Key_Down); }

  kt::ui::Form form;
  kt::ui::SjisComboBox* combo = nullptr;
  QLineEdit* other = nullptr;
  std::unique_ptr<QSignalSpy> spy;
};

TEST_F(Combo, RefillingKeepsTheTextLeavesNoSelectionAndRaisesNothing) {
  PickNext();
  PickNext();
  ASSERT_EQ(combo->ItemIndex(), 1);
  ASSERT_EQ(combo->Text(), "two");
  spy->clear();
  combo->SetItems(std::vector<std::string>{"a", "b"});
  EXPECT_EQ(combo->ItemIndex(), -1);
  EXPECT_EQ(combo->Text(), "two");
  EXPECT_EQ(combo->Items(), (std::vector<std::string>{"a", "b"}));
  combo->SetItems(std::vector<std::string>{});
  combo->SetItems(std::vector<std::string>{"x"});
  EXPECT_EQ(combo->Text(), "two");
  EXPECT_EQ(combo->ItemIndex(), -1);
  EXPECT_EQ(spy->count(), 0);
}

TEST_F(Combo, PickingAndEveryTypedEditRaiseChanged) {
  PickNext();
  EXPECT_EQ(spy->count(), 1);
  EXPECT_EQ(combo->ItemIndex(), 0);
  EXPECT_EQ(combo->Text(), "\x88\xea");
  kt::test::TypeText(combo, QStringLiteral("二a"));
  EXPECT_EQ(spy->count(), 3);
  EXPECT_EQ(combo->ItemIndex(), -1);  // an edit leaves no item selected
  EXPECT_EQ(combo->Text(), "\x88\xea\x93\xf1" "a");
}

TEST_F(Combo, SettersKeepTheTextAndRaiseNothing) {
  combo->SetItemIndex(2);
  EXPECT_EQ(combo->Text(), "three");
  combo->SetItemIndex(-1);
  EXPECT_EQ(combo->ItemIndex(), -1);
  EXPECT_EQ(combo->Text(), "three");
  combo->SetText("free text");
  EXPECT_EQ(combo->Text(), "free text");
  EXPECT_EQ(spy->count(), 0);
}

TEST_F(Combo, TypingAnItemsTextSelectsNothingEvenWhenTheFieldLosesFocus) {
  kt::test::TypeText(combo, QStringLiteral("two"));
  other->setFocus();
  QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_EQ(combo->ItemIndex(), -1);
  EXPECT_EQ(combo->completer(), nullptr);
  EXPECT_EQ(combo->Text(), "two");
  EXPECT_EQ(combo->count(), 3);
}

TEST_F(Combo, CharactersCp932CannotHoldBecomeQuestionMarks) {
  kt::test::TypeText(combo, QStringLiteral("a한😀b"));
  EXPECT_EQ(combo->lineEdit()->text(), QStringLiteral("a??b"));
  EXPECT_EQ(combo->Text(), "a??b");
}

// --- edits and memo ----------------------------------------------------------

TEST_F(Platform, LineEditTurnsUnrepresentableCharactersIntoQuestionMarksAtTheCaret) {
  kt::ui::Form form;
  auto* edit = new kt::ui::SjisLineEdit(&form);
  form.show();
  kt::test::TypeText(edit, QStringLiteral("日한本"));
  EXPECT_EQ(edit->text(), QStringLiteral("日?本"));
  EXPECT_EQ(edit->cursorPosition(), 3);
  EXPECT_EQ(edit->Text(), "\x93\xfa?\x96\x7b");
  edit->SetText("\x82\xa0");
  EXPECT_EQ(edit->text(), QStringLiteral("あ"));
}

class Memo : public kt::test::GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    memo = new kt::ui::SjisMemo(&form);
    memo->setGeometry(0, 0, 200, 100);
    form.show();
  }
  void TypeAtEnd(const QString& text) {
    memo->moveCursor(QTextCursor::End);
    kt::test::TypeText(memo, text);
  }
  kt::ui::Form form;
  kt::ui::SjisMemo* memo = nullptr;
};

TEST_F(Memo, UneditedTextComesBackByteForByte) {
  // CP932 duplicate codes (87 90 is also 81 e0, ed 40 also fa 5c), bytes that are
  // no character, a lone lead byte at the end.
  const std::string bytes = "\x87\x90\xed\x40\r\n\x80\xa0\xfd\xff\r\nabc\x82\xa0\r\n\x82";
  memo->SetText(bytes);
  memo->setFont(kt::ui::DesignFont(14));
  EXPECT_EQ(memo->Text(), bytes);
  EXPECT_EQ(memo->document()->blockCount(), 4);
}

TEST_F(Memo, EditedTextReadsBackWithCrLfAndPreferredCodes) {
  memo->SetText("\x87\x90");
  TypeAtEnd(QStringLiteral("\nあ"));
  EXPECT_EQ(memo->Text(), "\x81\xe0\r\n\x82\xa0");
  memo->Clear();
  EXPECT_EQ(memo->Text(), "");
  TypeAtEnd(QStringLiteral("a\nb"));
  EXPECT_EQ(memo->Text(), "a\r\nb");
}

TEST_F(Memo, EndsAtANulByte) {
  memo->SetText(std::string("ab\0cd", 5));
  EXPECT_EQ(memo->Text(), "ab");
  EXPECT_EQ(memo->toPlainText(), QStringLiteral("ab"));
}

TEST_F(Memo, TypedAndPastedCharactersCp932CannotHoldBecomeQuestionMarks) {
  TypeAtEnd(QStringLiteral("a한😀"));
  EXPECT_EQ(memo->toPlainText(), QStringLiteral("a??"));
  QApplication::clipboard()->setText(QStringLiteral("x한\ny"));
  memo->paste();
  EXPECT_EQ(memo->toPlainText(), QStringLiteral("a??x?\ny"));
  EXPECT_EQ(memo->Text(), "a??x?\r\ny");
}

TEST_F(Memo, LeavesDropsToItsWindow) {
  EXPECT_FALSE(memo->acceptDrops());
  EXPECT_FALSE(memo->viewport()->acceptDrops());
  EXPECT_EQ(memo->lineWrapMode(), QPlainTextEdit::WidgetWidth);
  EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
}

// --- list box ----------------------------------------------------------------

TEST_F(Platform, ListBoxHoldsBytesWithOneSelection) {
  kt::ui::SjisListBox list;
  list.SetItems({".txt", "\x82\xa0", ".txt"});
  EXPECT_EQ(list.ItemIndex(), -1);
  list.Add(".html");
  list.SetItemIndex(3);
  EXPECT_EQ(list.ItemIndex(), 3);
  list.Delete(0);
  EXPECT_EQ(list.Items(), (std::vector<std::string>{"\x82\xa0", ".txt", ".html"}));
  list.SetItemIndex(-1);
  EXPECT_EQ(list.ItemIndex(), -1);
  EXPECT_EQ(list.selectionMode(), QAbstractItemView::SingleSelection);
}

TEST_F(Platform, EditsComboAndListGiveBackTheirBytesWhileUntouched) {
  // A definition or list file may hold CP932 duplicate codes (87 90, ed 40) and
  // bytes that form no character; loading and saving again must not change them.
  const std::string odd = "\x87\x90\xed\x40\x80";
  kt::ui::Form form;
  auto* edit = new kt::ui::SjisLineEdit(&form);
  edit->SetText(odd);
  EXPECT_EQ(edit->Text(), odd);
  edit->setText(edit->text() + QStringLiteral("x"));
  EXPECT_EQ(edit->Text(), "\x81\xe0\xfa\x5c\x80x");

  auto* combo = new kt::ui::SjisComboBox(&form);
  combo->SetItems(std::vector<std::string>{"one", odd});
  combo->SetItemIndex(1);
  EXPECT_EQ(combo->Text(), odd);
  combo->SetItems(std::vector<std::string>{"one", odd});
  EXPECT_EQ(combo->ItemIndex(), -1);
  EXPECT_EQ(combo->Text(), odd);
  EXPECT_EQ(combo->Items()[1], odd);

  kt::ui::SjisListBox list;
  list.SetItems({odd});
  list.Add(odd);
  EXPECT_EQ(list.Items(), (std::vector<std::string>{odd, odd}));
}

// --- forms -------------------------------------------------------------------

class CountingForm : public kt::ui::Form {
 public:
  int shows = 0;
  int activations = 0;
  std::function<void()> onActivate;

 protected:
  void OnShow() override { ++shows; }
  void OnActivate() override {
    ++activations;
    if (onActivate) onActivate();
  }
};

TEST_F(Platform, ActivationRunsOnShowingAndWhenAModalWindowOverItCloses) {
  CountingForm outer;
  CountingForm inner;
  outer.SetOuterSize(300, 200);
  inner.SetOuterSize(200, 100);
  int outerActivationsWhileInnerOpen = -1;
  kt::test::WhenShown(&outer, [&] {
    kt::ui::ShowSystemMessage(QStringLiteral("a message box is no window of ours"));
    kt::test::WhenShown(&inner, [&] {
      outerActivationsWhileInnerOpen = outer.activations;
      inner.CloseForm();
    });
    inner.ShowModal();
    outer.CloseForm();
  });
  outer.ShowModal();
  EXPECT_EQ(outerActivationsWhileInnerOpen, 1);
  EXPECT_EQ(outer.activations, 2);
  EXPECT_EQ(outer.shows, 1);
  EXPECT_EQ(inner.activations, 1);
  EXPECT_EQ(inner.shows, 1);
  EXPECT_FALSE(outer.isVisible());
}

TEST_F(Platform, AnErrorInAnActivationHandlerIsReportedAndTheWindowStillShows) {
  CountingForm form;
  form.onActivate = [] { throw kt::Error(std::string("読めません")); };
  form.ShowNonModal();
  EXPECT_TRUE(form.isVisible());
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0].text, QStringLiteral("読めません."));
}

TEST_F(Platform, FormsAreCentredWithTheClassicFrameSubtracted) {
  kt::ui::Form form;
  form.SetOuterSize(479, 557);
  EXPECT_EQ(form.size(), QSize(471, 523));
  form.move(0, 0);
  form.ShowNonModal();
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_LE(std::abs(form.frameGeometry().center().x() - screen.center().x()), 1);
  EXPECT_LE(std::abs(form.frameGeometry().center().y() - screen.center().y()), 1);
}

TEST_F(Platform, EscapeClosesNothingAndEnterPressesOnlyTheDefaultButton) {
  kt::ui::Form form;
  form.SetClientSize(200, 100);
  auto* edit = new QLineEdit(&form);
  QPushButton* plain = kt::ui::MakeButton(&form, QStringLiteral("a"), 8, 40, 75, 25);
  QSignalSpy plainClicks(plain, &QPushButton::clicked);
  form.ShowNonModal();
  edit->setFocus();
  QTest::keyClick(edit, Qt::Key_Escape);
  EXPECT_TRUE(form.isVisible());
  plain->setFocus();
  QTest::keyClick(plain, Qt::Key_Return);
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(plainClicks.count(), 0);
  plain->setDefault(true);
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(plainClicks.count(), 1);
}

}  // namespace
