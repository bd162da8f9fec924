#pragma once
// What the window tests share: a QApplication on the offscreen platform (the
// library brings its own main), a stand-in for message boxes and the folder
// browser, typing, dropping, driving modal windows, and a fresh data folder.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/form.h"
#include "platform/ui_services.h"

class QWidget;

namespace kt::test {

struct ShownMessage {
  kt::ui::MessageKind kind;
  QString text;
  bool operator==(const ShownMessage&) const = default;
};

// Records each message box instead of showing it; the folder browser answers
// from a queue (an empty queue answers as a cancelled browser would).
class RecordingServices : public kt::ui::UiServices {
 public:
  void ShowMessage(kt::ui::MessageKind kind, const QString& text) override;
  QString BrowseFolder(QWidget* owner, const QString& title) override;

  std::vector<ShownMessage> messages;
  std::deque<QString> folderAnswers;
  QStringList browseTitles;
  // Runs while a message is "shown", e.g. to look at the windows at that moment.
  std::function<void(const ShownMessage&)> onMessage;
};

// Types text into a widget (its focus proxy, if it has one) as key presses with
// text, so Japanese works where QTest::keyClicks gives up. "\n" presses Return.
void TypeText(QWidget* widget, const QString& text);

// Drops local files onto a widget the way a file manager does: the drag goes to
// the widget or the first of its parents that takes drops.
void DropFiles(QWidget* widget, const QStringList& paths);

// Calls the callback once the form is on screen (for a modal showing: once it
// is the active modal window), from inside its event loop. Call it before the
// code that shows the form. Fails the test if the form is not shown in time.
void WhenShown(kt::ui::Form* form, std::function<void()> callback, int timeoutMs = 10000);

// Clicks the opener, runs the steps while the form it shows modally is up, then
// clicks closer unless the steps closed the form. Fails the test unless the steps
// ran and the form is gone afterwards.
void InModalForm(kt::ui::Form* form, QAbstractButton* opener, QAbstractButton* closer,
                 const std::function<void()>& steps);

// A fresh temporary folder made the current directory, the previous one restored
// at the end.
class DataFolder {
 public:
  DataFolder();
  ~DataFolder();
  DataFolder(const DataFolder&) = delete;
  DataFolder& operator=(const DataFolder&) = delete;

  // The folder's path in the file system's encoding.
  std::string Path() const;
  std::string FilePath(std::string_view name) const;
  void Write(std::string_view name, std::string_view bytes) const;
  std::string Read(std::string_view name) const;
  bool Exists(std::string_view name) const;

 private:
  QTemporaryDir dir_;
  std::string previous_;
};

// The eight windows, created once per test process. Each test gets a fresh data
// folder as current directory and the recording services; afterwards every
// window is hidden again, and the real services are back.
class GuiTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  DataFolder data;
  RecordingServices services;
};

// Hides every top-level window of the program.
void HideAllWindows();

}  // namespace kt::test
