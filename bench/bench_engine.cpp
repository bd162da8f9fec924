// ConvertText on 100 MB of generated Shift-JIS text with ten pairs that match often,
// and on 100 MB made only of lead bytes, to show that the matching stays linear.

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "conversion/engine.h"
#include "core/cp932.h"

namespace {

constexpr std::size_t kSize = 100 << 20;

// Japanese words (some with a 0x5C trail byte, such as ソ and 表), ASCII and
// half-width kana, in lines of a few words ended by CR LF.
const std::string& Text() {
  static const std::string text = [] {
    const char* const words[] = {
        "東京", "大阪", "株式会社", "ことつぎ", "変換", "日本語", "テキスト", "ファイル",
        "です", "ます", "。", "、", "ソフト", "表示", "能力", "十分", "予定", "データ",
        "の", "を", "は", "が", "data", "file", "2024", "Tokyo", "ID", "C:\\dir",
        "value=42", "ｶﾀｶﾅ", "ﾃｷｽﾄ", "ｿﾌﾄ", "ｱｲｳ", " ", " ", "（注）"};
    std::vector<std::string> sjis;
    for (const char* w : words) sjis.push_back(kt::cp932::FromUtf8(w));
    std::mt19937 gen(1);
    std::uniform_int_distribution<std::size_t> pick(0, sjis.size() - 1);
    std::uniform_int_distribution<int> lineWords(3, 14);
    std::string s;
    s.reserve(kSize + 256);
    while (s.size() < kSize) {
      for (int n = lineWords(gen); n > 0; --n) s += sjis[pick(gen)];
      s += "\r\n";
    }
    s.resize(kSize);
    return s;
  }();
  return text;
}

kt::ConversionDefinition TenPairs(bool deleteLineBreaks) {
  const char* const pairs[][2] = {
      {"東京", "とうきょう"}, {"株式会社", "（株）"}, {"ファイル", "file"}, {"です", "だ"},
      {"data", "DATA"},       {"ｶﾀｶﾅ", "カタカナ"},    {"\\", "/"},        {"。", "．"},
      {"2024", "令和6"},      {"ソフト", "ｿﾌﾄ"}};
  kt::ConversionDefinition d;
  for (int k = 0; k < kt::kPairCount; ++k) {
    d.Pairs[k] = {kt::cp932::FromUtf8(pairs[k][0]), kt::cp932::FromUtf8(pairs[k][1])};
  }
  d.LineBreakFlag = deleteLineBreaks;
  return d;
}

// Lead bytes only, drawn from three values, so that the pattern's candidates are
// frequent and half of them stand at trail positions.
const std::string& LeadBytes() {
  static const std::string text = [] {
    const char leads[] = {'\x82', '\x83', '\x88'};
    std::mt19937 gen(2);
    std::uniform_int_distribution<int> pick(0, 2);
    std::string s(kSize, '\0');
    for (char& c : s) c = leads[pick(gen)];
    return s;
  }();
  return text;
}

kt::ConversionDefinition OnePair(const char* before, const char* after) {
  kt::ConversionDefinition d;
  d.Pairs[0] = {before, after};
  return d;
}

void Run(benchmark::State& state, const kt::ConversionDefinition& d, const std::string& text) {
  std::size_t outSize = 0;
  for (auto _ : state) {
    std::string out = kt::ConvertText(d, text);
    outSize = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  state.counters["out_MB"] = static_cast<double>(outSize) / (1 << 20);
}

void BM_ConvertText_TenPairs(benchmark::State& state) { Run(state, TenPairs(false), Text()); }
void BM_ConvertText_TenPairsDeleteLineBreaks(benchmark::State& state) {
  Run(state, TenPairs(true), Text());
}
void BM_ConvertText_TwoLeadPattern_OrdinaryText(benchmark::State& state) {
  Run(state, OnePair("\x82\x83", "\x81\x40"), Text());
}
void BM_ConvertText_TwoLeadPattern_LeadBytesOnly(benchmark::State& state) {
  Run(state, OnePair("\x82\x83", "\x81\x40"), LeadBytes());
}
void BM_ConvertText_TwoLeadPattern_OneLongTrailRun(benchmark::State& state) {
  // "\x81" then "\x82\x81" again and again: every candidate is a trail position.
  static const std::string text = [] {
    std::string s(kSize, '\x81');
    for (std::size_t i = 1; i < s.size(); i += 2) s[i] = '\x82';
    return s;
  }();
  Run(state, OnePair("\x82\x81", "R"), text);
}

// The codec at the window boundary: 10 MB of the same text each way.
void BM_Cp932_Decode10MB(benchmark::State& state) {
  const std::string_view text(Text().data(), 10 << 20);
  for (auto _ : state) benchmark::DoNotOptimize(kt::cp932::Decode(text).data());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
void BM_Cp932_Encode10MB(benchmark::State& state) {
  const std::u16string decoded = kt::cp932::Decode(std::string_view(Text().data(), 10 << 20));
  for (auto _ : state) benchmark::DoNotOptimize(kt::cp932::Encode(decoded).data());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * (10 << 20)));
}

}  // namespace

#define KT_BENCH(f) \
  BENCHMARK(f)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true)

KT_BENCH(BM_ConvertText_TenPairs);
KT_BENCH(BM_ConvertText_TenPairsDeleteLineBreaks);
KT_BENCH(BM_ConvertText_TwoLeadPattern_OrdinaryText);
KT_BENCH(BM_ConvertText_TwoLeadPattern_LeadBytesOnly);
KT_BENCH(BM_ConvertText_TwoLeadPattern_OneLongTrailRun);
KT_BENCH(BM_Cp932_Decode10MB);
KT_BENCH(BM_Cp932_Encode10MB);

BENCHMARK_MAIN();
