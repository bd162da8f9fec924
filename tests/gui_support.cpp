#include "gui_support.h"

#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QKeyEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <climits>
#include <memory>

#include "app/windows.h"
#include "platform/codec_qt.h"

namespace kt::test {

void RecordingServices::ShowMessage(kt::ui::MessageKind kind, const QString& text) {
  messages.push_back({kind, text});
  if (onMessage) onMessage(messages.back());
}

QString RecordingServices::BrowseFolder(QWidget*, const QString& title) {
  browseTitles.append(title);
  if (folderAnswers.empty()) return QString();
  QString answer = folderAnswers.front();
  folderAnswers.pop_front();
  return answer;
}

void TypeText(QWidget* widget, const QString& text) {
  QWidget* target = widget;
  while (target->focusProxy() != nullptr) target = target->focusProxy();
  target->setFocus(Qt::OtherFocusReason);
  for (qsizetype i = 0; i < text.size();) {
    const qsizetype len = (text.at(i).isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
    QString piece = text.mid(i, len);
    int key = 0;
    if (piece == QLatin1String("\n")) {
      key = Qt::Key_Return;
      piece = QStringLiteral("\r");
    } else if (len == 1 && piece.at(0).unicode() < 0x80 && piece.at(0).isLetterOrNumber()) {
      key = piece.at(0).toUpper().unicode();
    }
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, piece);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, piece);
    QApplication::sendEvent(target, &release);
    i += len;
  }
}

void DropFiles(QWidget* widget, const QStringList& paths) {
  QWidget* target = widget;
  while (target != nullptr && !target->acceptDrops()) target = target->parentWidget();
  ASSERT_NE(target, nullptr) << "no widget takes the drop";
  QMimeData mime;
  QList<QUrl> urls;
  for (const QString& path : paths) urls.append(QUrl::fromLocalFile(path));
  mime.setUrls(urls);
  const QPoint pos = widget->mapTo(target, widget->rect().center());
  QDragEnterEvent enter(pos, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  ASSERT_TRUE(enter.isAccepted()) << "the drag was refused";
  QDropEvent drop(QPointF(pos), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
}

void WhenShown(kt::ui::Form* form, std::function<void()> callback, int timeoutMs) {
  auto* timer = new QTimer(qApp);
  auto clock = std::make_shared<QElapsedTimer>();
  clock->start();
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, qApp, [=] {
    const bool shown =
        form->isVisible() && (!form->isModal() || QApplication::activeModalWidget() == form);
    if (shown) {
      timer->stop();
      timer->deleteLater();
      callback();
    } else if (clock->elapsed() > timeoutMs) {
      timer->stop();
      timer->deleteLater();
      ADD_FAILURE() << "window \"" << form->windowTitle().toStdString() << "\" was not shown";
    }
  });
  timer->start();
}

void InModalForm(kt::ui::Form* form, QAbstractButton* opener, QAbstractButton* closer,
                 const std::function<void()>& steps) {
  bool ran = false;
  WhenShown(form, [&] {
    ran = true;
    steps();
    if (form->isVisible()) QTest::mouseClick(closer, Qt::LeftButton);
  });
  QTest::mouseClick(opener, Qt::LeftButton);
  EXPECT_TRUE(ran) << "the steps in \"" << form->windowTitle().toStdString() << "\" did not run";
  EXPECT_FALSE(form->isVisible());
}

DataFolder::DataFolder() {
  char buffer[PATH_MAX];
  if (::getcwd(buffer, sizeof buffer) != nullptr) previous_ = buffer;
  EXPECT_TRUE(dir_.isValid());
  EXPECT_EQ(::chdir(Path().c_str()), 0);
}

DataFolder::~DataFolder() {
  if (!previous_.empty()) (void)::chdir(previous_.c_str());
}

std::string DataFolder::Path() const { return kt::ui::ToPath(dir_.path()); }

std::string DataFolder::FilePath(std::string_view name) const {
  return Path() + "/" + std::string(name);
}

void DataFolder::Write(std::string_view name, std::string_view bytes) const {
  QFile file(kt::ui::FromPath(FilePath(name)));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  ASSERT_EQ(file.write(bytes.data(), static_cast<qint64>(bytes.size())),
            static_cast<qint64>(bytes.size()));
}

std::string DataFolder::Read(std::string_view name) const {
  QFile file(kt::ui::FromPath(FilePath(name)));
  if (!file.open(QIODevice::ReadOnly)) {
    ADD_FAILURE() << "cannot read " << FilePath(name);
    return {};
  }
  const QByteArray bytes = file.readAll();
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

bool DataFolder::Exists(std::string_view name) const {
  return QFile::exists(kt::ui::FromPath(FilePath(name)));
}

void HideAllWindows() {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window->isVisible()) window->hide();
  }
}

void GuiTest::SetUp() {
  kt::ui::SetServices(&services);
  if (frm_main == nullptr) kt::ui::CreateWindows();
}

void GuiTest::TearDown() {
  HideAllWindows();
  QApplication::processEvents();
  kt::ui::SetServices(nullptr);
}

}  // namespace kt::test
