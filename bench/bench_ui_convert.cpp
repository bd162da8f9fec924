// A single conversion of a large memo, through the windows: the main window's
// "変　　換", the conversion dialog's "変　　換" with slot 1, and the result window
// showing the converted text and its byte count.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTimer>
#include <functional>
#include <string>

#include "app/Tfrm_main.h"
#include "app/windows.h"
#include "conversion/Tfrm_ChangeBefore.h"
#include "conversion/Tfrm_henkango.h"
#include "core/cp932.h"
#include "definitions/definition_files.h"

namespace {

// Runs the action as soon as the form is the modal window on top.
void WhenModal(QWidget* form, std::function<void()> action) {
  auto* timer = new QTimer;
  timer->setInterval(0);
  QObject::connect(timer, &QTimer::timeout, [timer, form, action] {
    if (QApplication::activeModalWidget() != form) return;
    timer->stop();
    timer->deleteLater();
    action();
  });
  timer->start();
}

std::string Sjis(const char* utf8) { return kt::cp932::FromUtf8(utf8); }

std::string LargeText(std::size_t bytes) {
  const std::string line = Sjis("これはテスト用の文章です。abc ｶﾀｶﾅ 漢字とかな、ASCII 123\r\n");
  std::string text;
  text.reserve(bytes + line.size());
  while (text.size() < bytes) text += line;
  return text;
}

void SaveSlot1() {
  kt::ConversionDefinition definition;
  definition.Pairs[0] = {Sjis("テスト"), Sjis("試験")};
  definition.Pairs[1] = {"abc", Sjis("ＡＢＣ")};
  definition.Pairs[2] = {Sjis("漢字"), Sjis("かんじ")};
  definition.DisplayName = Sjis("ベンチ");
  kt::SaveDefinition(1, definition);
}

// range(1) = 1: the user has typed into the memo, so its text is read back
// through the encoder rather than as the bytes that were put in.
void BM_ConvertMemoIntoResultWindow(benchmark::State& state) {
  const std::string text = LargeText(static_cast<std::size_t>(state.range(0)));
  frm_main->Memob->SetText(text);
  if (state.range(1) != 0) {
    QTextCursor end = frm_main->Memob->textCursor();
    end.movePosition(QTextCursor::End);
    end.insertText(QStringLiteral("。"));
  }
  for (auto _ : state) {
    WhenModal(frm_ChangeBefore, [] {
      frm_ChangeBefore->Cmb_Teigi->SetItemIndex(0);
      WhenModal(frm_henkango, [] { frm_henkango->CloseForm(); });
      frm_ChangeBefore->Button1->click();
    });
    frm_main->Button1->click();
    if (frm_main->Texta.empty()) state.SkipWithError("nothing was converted");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ConvertMemoIntoResultWindow)
    ->ArgNames({"bytes", "edited"})
    ->Args({10 * 1000 * 1000, 0})
    ->Args({10 * 1000 * 1000, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QTemporaryDir data;
  QDir::setCurrent(data.path());
  SaveSlot1();
  kt::ui::CreateWindows();

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  kt::ui::DestroyWindows();
  return 0;
}
