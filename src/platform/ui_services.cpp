#include "platform/ui_services.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace kt::ui {
namespace {

QString TitleOf(MessageKind kind) {
  switch (kind) {
    case MessageKind::SystemError:
      return QStringLiteral("システムエラー");
    case MessageKind::SystemMessage:
      return QStringLiteral("システムメッセージ");
    case MessageKind::Plain:
      return QStringLiteral("メッセージ");
    case MessageKind::ErrorReport:
      break;
  }
  return ApplicationTitle();
}

QMessageBox::Icon IconOf(MessageKind kind) {
  switch (kind) {
    case MessageKind::SystemError:
    case MessageKind::ErrorReport:
      return QMessageBox::Critical;
    case MessageKind::SystemMessage:
      return QMessageBox::Information;
    case MessageKind::Plain:
      break;
  }
  return QMessageBox::NoIcon;
}

class QtServices final : public UiServices {
 public:
  void ShowMessage(MessageKind kind, const QString& text) override {
    // The box belongs to the window in front so the window manager keeps it
    // above; it is modal over the whole application either way.
    QWidget* owner = QApplication::activeModalWidget();
    if (owner == nullptr) owner = QApplication::activeWindow();
    QMessageBox box(IconOf(kind), TitleOf(kind), text, QMessageBox::Ok, owner);
    box.setWindowModality(Qt::ApplicationModal);
    box.setTextFormat(Qt::PlainText);
    box.exec();
  }

  QString BrowseFolder(QWidget* owner, const QString& title) override {
    return QFileDialog::getExistingDirectory(owner, title, QString(),
                                             QFileDialog::ShowDirsOnly);
  }
};

UiServices* g_services = nullptr;

}  // namespace

UiServices& Services() {
  static QtServices real;
  return g_services != nullptr ? *g_services : real;
}

void SetServices(UiServices* services) { g_services = services; }

void ShowSystemError(const QString& text) { Services().ShowMessage(MessageKind::SystemError, text); }

void ShowSystemMessage(const QString& text) {
  Services().ShowMessage(MessageKind::SystemMessage, text);
}

void ShowPlainMessage(const QString& text) { Services().ShowMessage(MessageKind::Plain, text); }

QString ApplicationTitle() {
  QString name = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
  if (name.isEmpty() && !QCoreApplication::arguments().isEmpty()) {
    name = QFileInfo(QCoreApplication::arguments().constFirst()).fileName();
  }
  const qsizetype dot = name.indexOf(QLatin1Char('.'));
  return dot < 0 ? name : name.left(dot);
}

QString ErrorReportText(const QString& message) {
  if (message.isEmpty() || message.back() <= QLatin1Char('.')) {
    return message;
  }
  return message + QLatin1Char('.');
}

void ShowErrorReport(const QString& message) {
  Services().ShowMessage(MessageKind::ErrorReport, ErrorReportText(message));
}

}  // namespace kt::ui
