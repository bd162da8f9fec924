#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/cp932.h"
#include "core/error.h"
#include "core/files.h"
#include "core/line_reader.h"
#include "definitions/definition_files.h"
#include "test_core_support.h"

namespace kt {
namespace {

using namespace std::string_literals;
using test::DataFolderTest;

std::vector<std::string> Lines(std::string_view bytes) {
  TextModeLineReader reader(bytes);
  std::vector<std::string> lines;
  while (auto line = reader.NextLine()) lines.push_back(*line);
  return lines;
}

using V = std::vector<std::string>;

TEST(TextModeLineReader, DropsCrStopsAtCtrlZAndCutsPiecesOf255) {
  EXPECT_EQ(Lines(""), V{});
  EXPECT_EQ(Lines("a\r\nb"), (V{"a\n", "b"}));
  EXPECT_EQ(Lines("\r\r\n\ra\rb\r"), (V{"\n", "ab"}));
  EXPECT_EQ(Lines("a\nb\x1A" "c\nd\n"), (V{"a\n", "b"}));
  EXPECT_EQ(Lines("\x1A" "a\n"), V{});
  EXPECT_EQ(Lines("a\0b\n\n"s), (V{"a\0b\n"s, "\n"}));

  const std::string s254(254, 'x'), s255(255, 'y'), s300(300, 'z');
  EXPECT_EQ(Lines(s254 + "\r\n"), (V{s254 + "\n"}));
  EXPECT_EQ(Lines(s255 + "\r\n"), (V{s255, "\n"}));
  EXPECT_EQ(Lines(s300 + "\nq"), (V{s300.substr(0, 255), s300.substr(255) + "\n", "q"}));
  // CRs are dropped before the cut, so they do not count.
  EXPECT_EQ(Lines(std::string(254, '\r') + s254 + "\r\n"), (V{s254 + "\n"}));
}

class FilesTest : public DataFolderTest {};

TEST_F(FilesTest, ReadersOfMissingFilesAndFoldersGiveNone) {
  std::filesystem::create_directory(Path("sub"));
  for (const std::string& p : {Path("missing"), Path("sub")}) {
    EXPECT_FALSE(fs::ReadWholeFile(p)) << p;
    EXPECT_FALSE(TextModeLineReader::Open(p)) << p;
    EXPECT_FALSE(ReadDefinitionLines(p)) << p;
    EXPECT_FALSE(ReadLineBreakFlag(p)) << p;
  }
  try {
    fs::ReadWholeFileOrThrow(Path("missing"));
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.Utf8(), "ファイル " + Path("missing") + " は開けません");
  }
  Write("f", "x\0y"s);
  EXPECT_EQ(fs::ReadWholeFile(Path("f")), "x\0y"s);
}

TEST_F(FilesTest, CurrentDirectoryFollowsChdirAndHasNoLengthLimit) {
  EXPECT_EQ(fs::CurrentDirectory(), dir_.string());
  std::filesystem::path deep = dir_;
  for (int i = 0; i < 12; ++i) deep /= std::string(40, static_cast<char>('a' + i));
  std::filesystem::create_directories(deep);
  std::filesystem::current_path(deep);
  EXPECT_GT(fs::CurrentDirectory().size(), 480u);
  EXPECT_EQ(fs::CurrentDirectory(), deep.string());
  EXPECT_EQ(DefinitionFilePath(DefinitionFileKind::Flag, 3), deep.string() + "/krpl3.rpl");
  EXPECT_EQ(fs::JoinPath("/", "a"), "/a");
  EXPECT_EQ(fs::JoinPath("/x", "a"), "/x/a");
}

TEST_F(FilesTest, AtomicWriteReplacesWholeAndLeavesNoTemporaryFile) {
  Write("t.txt", std::string(5000, 'o'));
  ::chmod(Path("t.txt").c_str(), 0640);
  fs::WriteFileAtomically(Path("t.txt"), "new\r\n");
  fs::WriteFileAtomically(Path("n.txt"), "");
  EXPECT_EQ(Read("t.txt"), "new\r\n");
  EXPECT_TRUE(std::filesystem::exists(Path("n.txt")));
  EXPECT_EQ(Read("n.txt"), "");

  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir_)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (V{"n.txt", "t.txt"}));

  struct stat st {};
  ASSERT_EQ(::stat(Path("t.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);  // a replaced file keeps its permissions
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ASSERT_EQ(::stat(Path("n.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0666u & ~mask);
}

TEST_F(FilesTest, AtomicWriteThatCannotCreateThrowsWithThePath) {
  std::filesystem::create_directory(Path("dir"));
  Write("plain", "p");
  for (const std::string& p : {Path("none/x.rpl"), Path("plain/x.rpl"), Path("dir")}) {
    try {
      fs::WriteFileAtomically(p, "data");
      ADD_FAILURE() << p;
    } catch (const Error& e) {
      EXPECT_EQ(e.Utf8(), "ファイル " + p + " を作成できません");
    }
  }
  EXPECT_EQ(Read("plain"), "p");
  EXPECT_TRUE(std::filesystem::is_empty(Path("dir")));
}

TEST_F(FilesTest, AtomicWriteIntoReadOnlyFolderThrowsAndLeavesNothing) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  std::filesystem::create_directory(Path("ro"));
  Write("ro/old", "old");
  ::chmod(Path("ro").c_str(), 0555);
  EXPECT_THROW(fs::WriteFileAtomically(Path("ro/old"), "new"), Error);
  EXPECT_THROW(fs::WriteFileAtomically(Path("ro/x"), "new"), Error);
  ::chmod(Path("ro").c_str(), 0755);
  EXPECT_EQ(Read("ro/old"), "old");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Path("ro")), {}), 1);
}

std::vector<std::string> Names(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// A new file, a replaced one and one behind a link, written directly and
// through a prepared file: the same bytes, modes and names either way.
TEST_F(FilesTest, NewReplacedAndLinkedTargetsWhetherWrittenOrPrepared) {
  const std::string big = "x\0y"s + std::string(200000, '\x82');
  const std::function<void(const std::string&, const std::string&)> ways[] = {
      [](const std::string& p, const std::string& b) { fs::WriteFileAtomically(p, b); },
      [](const std::string& p, const std::string& b) { fs::PrepareFile(p, b).Commit(); },
  };
  const mode_t previousMask = ::umask(027);
  for (std::size_t w = 0; w < std::size(ways); ++w) {
    SCOPED_TRACE(w);
    const std::filesystem::path sub = dir_ / std::to_string(w);
    std::filesystem::create_directory(sub);
    const std::string folder = sub.string() + "/";
    Write(std::to_string(w) + "/old", "old contents, longer");
    ::chmod((folder + "old").c_str(), 0604);
    Write(std::to_string(w) + "/real", "real");
    ::chmod((folder + "real").c_str(), 0600);
    std::filesystem::create_symlink("real", folder + "link");

    ways[w](folder + "new", big);
    ways[w](folder + "old", "n");
    ways[w](folder + "link", "through");

    EXPECT_EQ(Read(std::to_string(w) + "/new"), big);
    EXPECT_EQ(ModeOf(folder + "new"), 0640u);  // what the umask leaves of 0666
    EXPECT_EQ(Read(std::to_string(w) + "/old"), "n");
    EXPECT_EQ(ModeOf(folder + "old"), 0604u);
    EXPECT_TRUE(std::filesystem::is_symlink(folder + "link"));
    EXPECT_EQ(Read(std::to_string(w) + "/real"), "through");
    EXPECT_EQ(ModeOf(folder + "real"), 0600u);
    EXPECT_EQ(Names(sub), (V{"link", "new", "old", "real"}));
  }
  ::umask(previousMask);
}

TEST_F(FilesTest, PreparedFileShowsNothingUntilCommitted) {
  Write("kept", "kept");
  {
    fs::PreparedFile dropped = fs::PrepareFile(Path("dropped"), "never seen");
    fs::PreparedFile replacing = fs::PrepareFile(Path("kept"), "never seen");
    fs::PreparedFile moved = fs::PrepareFile(Path("moved"), "moved");
    EXPECT_EQ(Names(dir_), V{"kept"});
    fs::PreparedFile target = std::move(moved);
    target.Commit();
    EXPECT_EQ(Read("moved"), "moved");
    dropped = fs::PrepareFile(Path("reassigned"), "never seen");
  }
  EXPECT_EQ(Names(dir_), (V{"kept", "moved"}));
  EXPECT_EQ(Read("kept"), "kept");

  // A name taken after preparing is replaced at the commit; a bad target fails there.
  fs::PreparedFile late = fs::PrepareFile(Path("late"), "prepared");
  Write("late", "in between");
  late.Commit();
  EXPECT_EQ(Read("late"), "prepared");
  std::filesystem::create_directory(Path("dir"));
  fs::PreparedFile intoFolder = fs::PrepareFile(Path("dir"), "data");
  try {
    intoFolder.Commit();
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.Utf8(), "ファイル " + Path("dir") + " を作成できません");
  }
  EXPECT_EQ(Names(dir_), (V{"dir", "kept", "late", "moved"}));
  EXPECT_TRUE(std::filesystem::is_empty(Path("dir")));
}

TEST_F(FilesTest, ListRegularFilesKeepsFilesAndLinksToFilesOnly) {
  Write("a.txt", "a");
  Write("b", "b");
  std::filesystem::create_directory(Path("sub.txt"));
  std::filesystem::create_symlink(Path("a.txt"), Path("link.txt"));
  std::filesystem::create_symlink(Path("sub.txt"), Path("dirlink"));
  std::vector<std::string> names = fs::ListRegularFiles(dir_.string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (V{"a.txt", "b", "link.txt"}));
  EXPECT_TRUE(fs::ListRegularFiles(Path("missing")).empty());
  EXPECT_TRUE(fs::DirectoryExists(Path("sub.txt")));
  EXPECT_TRUE(fs::DirectoryExists(Path("dirlink")));
  EXPECT_FALSE(fs::DirectoryExists(Path("a.txt")));
  EXPECT_FALSE(fs::DirectoryExists(""));
}

class DefinitionFilesTest : public DataFolderTest {};

const std::string kName2 = "\x95\xCF\x8A\xB7\x92\xE8\x8B\x60\x82\x51";  // 変換定義２

TEST_F(DefinitionFilesTest, EmptyFolderGivesNoneAndDefaultNames) {
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    EXPECT_FALSE(ReadDefinitionLines(DefinitionFilePath(DefinitionFileKind::Before, slot)));
    EXPECT_FALSE(ReadDefinitionLines(DefinitionFilePath(DefinitionFileKind::After, slot)));
    EXPECT_FALSE(ReadLineBreakFlag(DefinitionFilePath(DefinitionFileKind::Flag, slot)));
  }
  const auto names = LoadDefinitionNames();
  std::vector<std::string> utf8;
  for (const std::string& n : names) utf8.push_back(cp932::ToUtf8(n));
  EXPECT_EQ(utf8, (V{"変換定義１", "変換定義２", "変換定義３", "変換定義４", "変換定義５"}));
  EXPECT_EQ(DefinitionFileName(DefinitionFileKind::Name, 4), "nrpl4.rpl");
  EXPECT_EQ(DefinitionFilePath(DefinitionFileKind::Before, 1), dir_.string() + "/brpl1.rpl");
}

TEST_F(DefinitionFilesTest, SaveWritesFourFilesWithExactBytes) {
  ConversionDefinition empty;
  empty.DisplayName = kName2;
  SaveDefinition(2, empty);
  std::string tenEmpty;
  for (int i = 0; i < 10; ++i) tenEmpty += "\r\n";
  EXPECT_EQ(Read("brpl2.rpl"), tenEmpty);
  EXPECT_EQ(Read("arpl2.rpl"), tenEmpty);
  EXPECT_EQ(Read("krpl2.rpl"), "0\r\n");
  EXPECT_EQ(Read("nrpl2.rpl"), kName2 + "\r\n");
  EXPECT_EQ(Read("nrpl2.rpl").size(), 12u);

  ConversionDefinition d;
  d.Pairs[0] = {"  a", "x "};
  d.Pairs[2] = {"\x81\x40" "c", ""};
  d.Pairs[9] = {"j", "\tJ"};
  d.LineBreakFlag = true;
  d.DisplayName = " \x96\xBC ";
  SaveDefinition(5, d);
  EXPECT_EQ(Read("brpl5.rpl"), "  a\r\n\r\n\x81\x40" "c\r\n\r\n\r\n\r\n\r\n\r\n\r\nj\r\n");
  EXPECT_EQ(Read("arpl5.rpl"), "x \r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\tJ\r\n");
  EXPECT_EQ(Read("krpl5.rpl"), "1\r\n");
  EXPECT_EQ(Read("nrpl5.rpl"), " \x96\xBC \r\n");

  // Values are written untrimmed and read back trimmed.
  const auto before = ReadDefinitionLines(DefinitionFilePath(DefinitionFileKind::Before, 5));
  ASSERT_TRUE(before);
  EXPECT_EQ(*before, (DefinitionLines{"a", "", "\x81\x40" "c", "", "", "", "", "", "", "j"}));
  EXPECT_EQ(ReadLineBreakFlag(DefinitionFilePath(DefinitionFileKind::Flag, 5)), true);
  EXPECT_EQ(ReadDisplayName(5), "\x96\xBC");
}

TEST_F(DefinitionFilesTest, SaveStopsAtAFileThatCannotBeCreated) {
  Write("brpl3.rpl", "old b\r\n");
  Write("krpl3.rpl", "old k\r\n");
  std::filesystem::create_directory(Path("arpl3.rpl"));
  ConversionDefinition d;
  d.Pairs[0] = {"new", "x"};
  try {
    SaveDefinition(3, d);
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.Utf8(), "ファイル " + Path("arpl3.rpl") + " を作成できません");
  }
  EXPECT_EQ(Read("brpl3.rpl"), "new\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n");
  EXPECT_EQ(Read("krpl3.rpl"), "old k\r\n");
  EXPECT_FALSE(std::filesystem::exists(Path("nrpl3.rpl")));
}

TEST_F(DefinitionFilesTest, ReadDefinitionLinesTrimsPadsCutsAndShifts) {
  const std::string s300 = std::string(299, 'v') + "w";
  struct Case {
    std::string file;
    DefinitionLines values;
  } cases[] = {
      {"", {}},
      {"  a\r\n   \r\n\t\x81\x40x\x81\x40 \r\n", {"a", "", "\x81\x40x\x81\x40"}},
      {"1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}},
      {"1\n2\n3", {"1", "2", "3"}},
      {s300 + "\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng\r\nh\r\ni\r\nj\r\n",
       {s300.substr(0, 255), s300.substr(255), "b", "c", "d", "e", "f", "g", "h", "i"}},
      {std::string(255, 'm') + "\r\nn\r\n", {std::string(255, 'm'), "", "n"}},
      {"a\r\nb\r\nc\x1A" "d\r\ne\r\n", {"a", "b", "c"}},
      {"\x1A" "a\r\n", {}},
  };
  for (const Case& c : cases) {
    Write("brpl1.rpl", c.file);
    const auto values = ReadDefinitionLines(Path("brpl1.rpl"));
    ASSERT_TRUE(values) << c.file;
    EXPECT_EQ(*values, c.values) << c.file;
  }
}

TEST_F(DefinitionFilesTest, FlagIsOnOnlyForOneAndALineEnd) {
  struct Case {
    std::string file;
    bool on;
  } cases[] = {
      {"1\r\n", true}, {"1\n", true},    {"1\r\n0\r\n", true}, {"\r1\r\r\n", true},
      {"1", false},    {"0\r\n", false}, {" 1\r\n", false},    {"1 \r\n", false},
      {"01\r\n", false}, {"", false},    {"\x1A" "1\r\n", false}, {"1\x1A\n", false},
  };
  for (const Case& c : cases) {
    Write("krpl1.rpl", c.file);
    EXPECT_EQ(ReadLineBreakFlag(Path("krpl1.rpl")), c.on) << c.file;
  }
}

TEST_F(DefinitionFilesTest, DisplayNameIsTheFirstPieceTrimmed) {
  struct Case {
    std::string file, name;
  } cases[] = {
      {" \x96\xBC\x91\x4F \r\nsecond\r\n", "\x96\xBC\x91\x4F"},
      {"\r\nsecond\r\n", ""},
      {"", ""},          // opens but holds no line: the empty name
      {"\x1A" "x\r\n", ""},
      {std::string(300, 'n') + "\r\n", std::string(255, 'n')},
      {"ab\x1A" "cd", "ab"},
  };
  for (const Case& c : cases) {
    Write("nrpl4.rpl", c.file);
    EXPECT_EQ(ReadDisplayName(4), c.name) << c.file;
  }
  const auto names = LoadDefinitionNames();
  EXPECT_EQ(names[3], "ab");
  EXPECT_EQ(names[4], DefaultDisplayName(5));
}

}  // namespace
}  // namespace kt
