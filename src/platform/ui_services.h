#pragma once
// Message boxes and the folder browser sit behind one interface, so that window
// tests can put a stand-in in their place that records what was shown.

#include <QString>

class QWidget;

namespace kt::ui {

enum class MessageKind {
  SystemError,    // title "システムエラー", stop icon
  SystemMessage,  // title "システムメッセージ", information icon
  Plain,          // title "メッセージ", no icon
  ErrorReport,    // the standard error report: application title, stop icon
};

class UiServices {
 public:
  virtual ~UiServices() = default;
  // Modal over the application, OK only; returns when it has been confirmed.
  virtual void ShowMessage(MessageKind kind, const QString& text) = 0;
  // The chosen folder's path, or an empty string when the user cancelled.
  virtual QString BrowseFolder(QWidget* owner, const QString& title) = 0;
};

UiServices& Services();
// Puts a stand-in in place; nullptr restores the real message boxes.
void SetServices(UiServices* services);

void ShowSystemError(const QString& text);
void ShowSystemMessage(const QString& text);
void ShowPlainMessage(const QString& text);

// The program file's name without its folder and without everything from its
// first "." on: the caption of the standard error report.
QString ApplicationTitle();

// The text of the standard error report: the message with "." appended unless it
// is empty or its last character compares at or below ".".
QString ErrorReportText(const QString& message);
// Shows the standard error report for a message.
void ShowErrorReport(const QString& message);

}  // namespace kt::ui
