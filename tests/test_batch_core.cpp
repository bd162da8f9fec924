// The batch run without windows: the checks in their order, the extension rule,
// the run itself and the extension list file.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "batch/batch_run.h"
#include "batch/extension_list.h"
#include "core/bytes.h"
#include "core/error.h"
#include "test_core_support.h"

namespace {

namespace stdfs = std::filesystem;

using kt::test::ReadBytes;
using kt::test::WriteBytes;

// A fresh folder that is also the current folder, so the data files land in it.
using TempFolder = kt::test::DataFolderTest;

const char* const kHint = "拡張子登録例（.html）の様にピリオド以下を指定して下さい。";

// "$" stands for the fixture's folder.
std::string Expand(std::string text, const std::string& root) {
  for (auto at = text.find('$'); at != std::string::npos; at = text.find('$', at + root.size()))
    text.replace(at, 1, root);
  return text;
}

struct CheckCase {
  const char* label;
  const char* source;
  const char* target;
  std::vector<std::string> extensions;
  int index;
  kt::BatchRefusal refusal;
  kt::BatchFocus focus;
  const char* message;
  const char* sourceAfter;
  const char* targetAfter;
};

class BatchChecks : public TempFolder {};

TEST_F(BatchChecks, RefusalsComeInTheirOrderWithTheirTextsAndFocus) {
  stdfs::create_directories(Path("src/sub"));
  stdfs::create_directories(Path("dst"));
  stdfs::create_directories(Path("onlydirs/sub"));
  WriteBytes(Path("src/a.txt"), "a");
  stdfs::create_directory_symlink(Path("src"), Path("link"));

  using R = kt::BatchRefusal;
  using F = kt::BatchFocus;
  const std::vector<std::string> ext{".txt"};
  const CheckCase cases[] = {
      {"no source, nothing else either", "", "", {}, -1, R::NoSourceFolder, F::SourceEdit,
       "変換するファイルが保存してるフォルダを指定して下さい。", "", ""},
      {"no target; the source keeps its new separator", "$/nowhere", "", {}, -1,
       R::NoTargetFolder, F::TargetEdit, "変換したファイル群を保存するフォルダを指定して下さい。",
       "$/nowhere/", ""},
      {"no extensions before no definition", "$/nowhere", "$/nowhere2", {}, -1, R::NoExtensions,
       F::ExtensionList, "変換対象の拡張子が指定されていません。", "$/nowhere/", "$/nowhere2/"},
      {"no definition focuses the list", "$/nowhere/", "$/nowhere2", ext, -1, R::NoDefinition,
       F::ExtensionList, "変換する定義名が選択されていません。", "$/nowhere/", "$/nowhere2/"},
      {"a slot past the fifth counts as none", "$/src", "$/dst", ext, 5, R::NoDefinition,
       F::ExtensionList, "変換する定義名が選択されていません。", "$/src/", "$/dst/"},
      {"missing source before missing target", "$/nowhere", "$/nowhere2", ext, 0,
       R::SourceMissing, F::SourceEdit, "変換するファイルを保存しているフォルダは存在しません。",
       "$/nowhere/", "$/nowhere2/"},
      {"missing target", "$/src", "$/nowhere", ext, 0, R::TargetMissing, F::TargetEdit,
       "変換したファイル群を保存するフォルダが存在しません。", "$/src/", "$/nowhere/"},
      {"same text", "$/src", "$/src/", ext, 0, R::SameFolder, F::Unchanged,
       "変換するファイルの保存フォルダと変換後保存するフォルダを同一にする事はできません。",
       "$/src/", "$/src/"},
      {"same folder through a symbolic link", "$/src", "$/link", ext, 0, R::SameFolder,
       F::Unchanged,
       "変換するファイルの保存フォルダと変換後保存するフォルダを同一にする事はできません。",
       "$/src/", "$/link/"},
      {"same folder through ..", "$/src", "$/dst/../src", ext, 0, R::SameFolder, F::Unchanged,
       "変換するファイルの保存フォルダと変換後保存するフォルダを同一にする事はできません。",
       "$/src/", "$/dst/../src/"},
      {"same folder with a doubled separator", "$//src", "$/src", ext, 0, R::SameFolder,
       F::Unchanged,
       "変換するファイルの保存フォルダと変換後保存するフォルダを同一にする事はできません。",
       "$//src/", "$/src/"},
      {"a folder of subfolders only has no files", "$/onlydirs", "$/dst", ext, 0, R::NoFiles,
       F::Unchanged, "変換する対象のファイルがありません。", "$/onlydirs/", "$/dst/"},
      {"blanks around a folder are trimmed for the tests", "  $/src", "\t$/dst", ext, 4, R::None,
       F::Unchanged, "", "  $/src/", "\t$/dst/"},
  };
  const std::string root = dir_.string();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    kt::BatchSettings settings{Expand(c.source, root), Expand(c.target, root), c.extensions,
                               c.index};
    std::vector<std::string> files{"stale"};
    const kt::BatchCheck check = kt::CheckBatchSettings(settings, files);
    EXPECT_EQ(check.refusal, c.refusal);
    EXPECT_EQ(check.focus, c.focus);
    EXPECT_EQ(check.message, c.message);
    EXPECT_EQ(check.hint, c.refusal == R::NoExtensions ? kHint : "");
    EXPECT_EQ(settings.sourceFolder, Expand(c.sourceAfter, root));
    EXPECT_EQ(settings.targetFolder, Expand(c.targetAfter, root));
    if (c.refusal == R::None)
      EXPECT_EQ(files, std::vector<std::string>{"a.txt"});
    else
      EXPECT_TRUE(files.empty());
  }
}

TEST_F(BatchChecks, FileListKeepsRegularAndHiddenFilesOnly) {
  stdfs::create_directories(Path("src/sub"));
  WriteBytes(Path("src/b.txt"), "");
  WriteBytes(Path("src/.hidden"), "");
  std::vector<std::string> files = kt::MakeFileList(Path("src/"));
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{".hidden", "b.txt"}));
}

TEST(BatchPaths, SeparatorIsJudgedOnWholeUtf8Characters) {
  EXPECT_EQ(kt::WithTrailingSeparator("/a"), "/a/");
  EXPECT_EQ(kt::WithTrailingSeparator("/a/"), "/a/");
  EXPECT_EQ(kt::WithTrailingSeparator("/"), "/");
  EXPECT_EQ(kt::WithTrailingSeparator(""), "");
  // ソ ends in 0xBD, 表 in 0xA8: neither is taken for anything but itself.
  EXPECT_EQ(kt::WithTrailingSeparator("/データ表"), "/データ表/");
}

TEST(BatchPaths, ExtensionRule) {
  const std::string sjisTekisuto = ".\x83\x65\x83\x4C\x83\x58\x83\x67";  // ".テキスト"
  struct Case {
    const char* path;
    const char* extension;
    std::vector<std::string> entries;
    bool listed;
  } const cases[] = {
      {"/d/a.HTML", ".HTML", {".html"}, false},
      {"/d/a.html", ".html", {".htm", ".html"}, true},
      {"/d/a.tar.gz", ".gz", {".gz"}, true},
      {"/d/a.tar.gz", ".gz", {".tar"}, false},
      {"/d/README", "", {".txt"}, false},
      {"/d/README", "", {".txt", " "}, true},
      {"/d.x/README", "", {".x/README"}, false},
      {"/d/name.", ".", {"."}, true},
      {"/d/.bashrc", ".bashrc", {".bashrc"}, true},
      {"/d/あ.txt", ".txt", {".txt"}, true},
      {"/d/a.テキスト", ".テキスト", {sjisTekisuto}, true},
      {"/d/a.txt", ".txt", {"  .txt\t"}, true},
      {"/d/a.txt ", ".txt ", {".txt"}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(kt::FileExtension(c.path), c.extension);
    EXPECT_EQ(kt::IsListedExtension(kt::FileExtension(c.path), c.entries), c.listed);
  }
}

kt::ConversionDefinition Definition(std::vector<std::pair<std::string, std::string>> pairs,
                                    bool deleteLineBreaks = false) {
  kt::ConversionDefinition d;
  for (std::size_t k = 0; k < pairs.size(); ++k) d.Pairs[k] = {pairs[k].first, pairs[k].second};
  d.LineBreakFlag = deleteLineBreaks;
  return d;
}

// Every run test goes each way: plain, reading ahead with the workers chosen for
// the machine, and with more workers than cores.
class BatchRun : public TempFolder, public ::testing::WithParamInterface<kt::BatchRunOptions> {
 protected:
  void SetUp() override {
    TempFolder::SetUp();
    stdfs::create_directories(Path("src"));
    stdfs::create_directories(Path("dst"));
    settings_ = {Path("src/"), Path("dst/"), {".txt"}, 0};
  }
  kt::BatchResult Run(const std::vector<std::string>& files, const kt::ConversionDefinition& d,
                      std::vector<int>* positions = nullptr) {
    return kt::RunBatch(
        settings_, files, d,
        [positions](int p) {
          if (positions) positions->push_back(p);
        },
        GetParam());
  }
  kt::BatchSettings settings_;
};

TEST_P(BatchRun, ProgressStandsBeforeEachFile) {
  for (const char* name : {"1.txt", "2.bin", "3.txt", "4.bin"}) WriteBytes(Path("src/") + name, "");
  std::vector<int> positions;
  Run({"1.txt", "2.bin", "3.txt", "4.bin"}, Definition({}), &positions);
  EXPECT_EQ(positions, (std::vector<int>{0, 25, 50, 75}));
  positions.clear();
  Run({"1.txt"}, Definition({}), &positions);
  EXPECT_EQ(positions, std::vector<int>{0});
}

TEST_P(BatchRun, ListedFilesAreConvertedWithCrLfAndOthersLeftAlone) {
  WriteBytes(Path("src/lf.txt"), "abc\nab\rx\r\nend");
  WriteBytes(Path("src/empty.txt"), "");
  WriteBytes(Path("src/other.dat"), "abc\n");
  WriteBytes(Path("dst/lf.txt"), "old content that is longer than the new one");
  const auto result =
      Run({"lf.txt", "empty.txt", "other.dat"}, Definition({{"ab", "AB"}, {"B", "b"}}));
  EXPECT_EQ(result.converted, 2);
  EXPECT_EQ(result.skipped, 1);
  EXPECT_EQ(ReadBytes(Path("dst/lf.txt")), "Abc\r\nAb\r\nx\r\nend");
  EXPECT_TRUE(stdfs::exists(Path("dst/empty.txt")));
  EXPECT_EQ(ReadBytes(Path("dst/empty.txt")), "");
  EXPECT_FALSE(stdfs::exists(Path("dst/other.dat")));
  EXPECT_EQ(ReadBytes(Path("src/lf.txt")), "abc\nab\rx\r\nend");
}

TEST_P(BatchRun, LineBreakFlagLeavesNoCrOrLf) {
  WriteBytes(Path("src/a.txt"), "a\r\nb\nc\rd\n");
  Run({"a.txt"}, Definition({}, true));
  EXPECT_EQ(ReadBytes(Path("dst/a.txt")), "abcd");
}

TEST_P(BatchRun, NamesAreKeptWholeNotTrimmed) {
  WriteBytes(Path("src/a.txt "), "blank\n");
  WriteBytes(Path("src/a.txt"), "plain\n");
  Run({"a.txt "}, Definition({}));
  EXPECT_EQ(ReadBytes(Path("dst/a.txt ")), "blank\r\n");
  EXPECT_FALSE(stdfs::exists(Path("dst/a.txt")));
}

TEST_P(BatchRun, VanishedFileStopsTheRunAndKeepsWhatWasWritten) {
  WriteBytes(Path("src/1.txt"), "one");
  try {
    Run({"1.txt", "gone.txt", "3.txt"}, Definition({}));
    FAIL() << "no error";
  } catch (const kt::Error& e) {
    EXPECT_EQ(e.Utf8(), "ファイル " + Path("src/gone.txt") + " は開けません");
  }
  EXPECT_EQ(ReadBytes(Path("dst/1.txt")), "one");
  EXPECT_FALSE(stdfs::exists(Path("dst/3.txt")));
}

TEST_P(BatchRun, TargetThatCannotBeCreatedStopsTheRun) {
  WriteBytes(Path("src/1.txt"), "one");
  WriteBytes(Path("src/2.txt"), "two");
  stdfs::create_directories(Path("dst/2.txt"));
  try {
    Run({"1.txt", "2.txt"}, Definition({}));
    FAIL() << "no error";
  } catch (const kt::Error& e) {
    EXPECT_EQ(e.Utf8(), "ファイル " + Path("dst/2.txt") + " を作成できません");
  }
  EXPECT_EQ(ReadBytes(Path("dst/1.txt")), "one");
  EXPECT_TRUE(stdfs::is_directory(Path("dst/2.txt")));
}

TEST_P(BatchRun, NeverWritesIntoItsOwnSourceFolder) {
  WriteBytes(Path("src/a.txt"), "a");
  stdfs::create_directory_symlink(Path("src"), Path("link"));
  settings_.targetFolder = Path("link/");
  EXPECT_THROW(Run({"a.txt"}, Definition({{"a", "b"}})), kt::Error);
  EXPECT_EQ(ReadBytes(Path("src/a.txt")), "a");
}

TEST_P(BatchRun, LinkInTheTargetBackIntoTheSourceIsNotWrittenThrough) {
  WriteBytes(Path("src/a.txt"), "a");
  WriteBytes(Path("src/b.txt"), "b");
  stdfs::create_symlink(Path("src/b.txt"), Path("dst/a.txt"));
  try {
    Run({"a.txt", "b.txt"}, Definition({{"a", "x"}}));
    FAIL() << "no error";
  } catch (const kt::Error& e) {
    EXPECT_EQ(e.Utf8(), "ファイル " + Path("dst/a.txt") + " を作成できません");
  }
  EXPECT_EQ(ReadBytes(Path("src/b.txt")), "b");
}

// Files after the one that stops the run never appear, even those that were
// read and written ahead; nothing else is left in the target folder.
TEST_P(BatchRun, StopsAtTheFirstFailureInListOrder) {
  for (const bool unreadable : {true, false}) {
    SCOPED_TRACE(unreadable ? "source missing" : "target is a folder");
    stdfs::remove_all(Path("src"));
    stdfs::remove_all(Path("dst"));
    stdfs::create_directories(Path("src"));
    stdfs::create_directories(Path("dst"));
    std::vector<std::string> names;
    for (int i = 0; i < 200; ++i) {
      names.push_back(std::to_string(i) + ".txt");
      if (i != 40 || !unreadable) WriteBytes(Path("src/") + names.back(), std::string(5000, 'a'));
    }
    if (!unreadable) stdfs::create_directory(Path("dst/40.txt"));
    std::vector<int> positions;
    EXPECT_THROW(Run(names, Definition({{"a", "b"}}), &positions), kt::Error);
    EXPECT_EQ(positions.size(), 41u);
    std::vector<std::string> written;
    for (const auto& e : stdfs::directory_iterator(Path("dst"))) written.push_back(e.path().filename());
    std::sort(written.begin(), written.end());
    std::vector<std::string> expected(names.begin(), names.begin() + (unreadable ? 40 : 41));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(written, expected);
    EXPECT_EQ(ReadBytes(Path("dst/39.txt")), std::string(5000, 'b'));
  }
}

INSTANTIATE_TEST_SUITE_P(Plain, BatchRun, ::testing::Values(kt::BatchRunOptions{}));
INSTANTIATE_TEST_SUITE_P(ReadingAhead, BatchRun,
                         ::testing::Values(kt::BatchRunOptions{.readAhead = true},
                                           kt::BatchRunOptions{.readAhead = true, .workers = 3}));

TEST(BatchContent, SameBytesWhateverTheLineEnds) {
  const auto d = Definition({{"\r\n", "|"}});
  EXPECT_EQ(kt::ConvertFileContent(d, "a\r\nb\r\n"), "a|b|");
  EXPECT_EQ(kt::ConvertFileContent(d, "a\nb\r"), "a|b|");
  EXPECT_EQ(kt::ConvertFileContent(d, "a\r\r\nb\n\r"), "a||b||");
  EXPECT_EQ(kt::ConvertFileContent(d, ""), "");
}

TEST(BatchContent, EveryStrayLineEndIsFoundWherever) {
  // Texts of CR LF lines with one lone CR, lone LF or LF CR put at each position,
  // across the 16-byte steps of the quick scan and its tail.
  const kt::ConversionDefinition none;
  std::string base;
  for (int i = 0; i < 8; ++i) base += "abc\r\n";
  for (const std::string stray : {"\r", "\n", "\n\r"}) {
    for (std::size_t at = 0; at <= base.size(); ++at) {
      std::string text = base;
      text.insert(at, stray);
      SCOPED_TRACE(at);
      EXPECT_EQ(kt::ConvertFileContent(none, text), kt::NormalizeLineEnds(text));
    }
  }
  EXPECT_EQ(kt::ConvertFileContent(none, base), base);
}

class ExtensionListFile : public TempFolder {};

TEST_F(ExtensionListFile, DefaultsAreShownButNotWritten) {
  EXPECT_EQ(kt::LoadExtensionList(), (std::vector<std::string>{".txt", ".html", ".htm", ".php"}));
  EXPECT_FALSE(stdfs::exists(Path("changelist.rpl")));
}

TEST_F(ExtensionListFile, SavedWithCrLfAfterEveryEntryAndLoadedBack) {
  const std::vector<std::string> entries{".txt", ".html", ".htm", ".php", " .csv "};
  kt::SaveExtensionList(entries);
  EXPECT_EQ(ReadBytes(Path("changelist.rpl")), ".txt\r\n.html\r\n.htm\r\n.php\r\n .csv \r\n");
  EXPECT_EQ(kt::LoadExtensionList(), entries);

  kt::SaveExtensionList({});
  EXPECT_EQ(stdfs::file_size(Path("changelist.rpl")), 0u);
  EXPECT_TRUE(kt::LoadExtensionList().empty());
}

TEST_F(ExtensionListFile, HandEditedLineEndsAllSplit) {
  WriteBytes(Path("changelist.rpl"), ".a\n.b\r.c\r\n\n.d");
  EXPECT_EQ(kt::LoadExtensionList(), (std::vector<std::string>{".a", ".b", ".c", "", ".d"}));
}

TEST_F(ExtensionListFile, ListThatOpensButCannotBeReadOrReplacedIsAnError) {
  stdfs::create_directory(Path("changelist.rpl"));
  const std::string path = kt::ExtensionListPath();
  try {
    kt::LoadExtensionList();
    FAIL() << "no error";
  } catch (const kt::Error& e) {
    EXPECT_EQ(e.Utf8(), "ファイル " + path + " は開けません");
  }
  try {
    kt::SaveExtensionList({".txt"});
    FAIL() << "no error";
  } catch (const kt::Error& e) {
    EXPECT_EQ(e.Utf8(), "ファイル " + path + " を作成できません");
  }
}

TEST(ExtensionListLines, SplitRules) {
  using V = std::vector<std::string>;
  EXPECT_EQ(kt::SplitListLines(""), V{});
  EXPECT_EQ(kt::SplitListLines("\r\n"), V{""});
  EXPECT_EQ(kt::SplitListLines(".a\r\n\r\n.b\r\n"), (V{".a", "", ".b"}));
  EXPECT_EQ(kt::SplitListLines(".a\r\r\n"), (V{".a", ""}));
  EXPECT_EQ(kt::SplitListLines(".a\n\r.b"), (V{".a", "", ".b"}));
  EXPECT_EQ(kt::SplitListLines("\r"), V{""});
  EXPECT_EQ(kt::SplitListLines(" .a \t"), V{" .a \t"});
}

TEST(ExtensionListLines, BlankEntries) {
  EXPECT_TRUE(kt::IsBlankEntry(""));
  EXPECT_TRUE(kt::IsBlankEntry(" \t\r\n\x01"));
  EXPECT_FALSE(kt::IsBlankEntry("\x81\x40"));  // full-width space
  EXPECT_FALSE(kt::IsBlankEntry(" html "));
}

}  // namespace
