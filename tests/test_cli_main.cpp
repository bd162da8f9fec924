// kototsugi-cli as a script sees it: exit statuses and the exact bytes it writes.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "test_core_support.h"

namespace {

namespace stdfs = std::filesystem;

using kt::test::ReadBytes;
using kt::test::WriteBytes;

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

class Cli : public kt::test::DataFolderTest {
 protected:

  // Runs the program in the fixture's folder; stdin comes from the given bytes.
  Outcome Run(const std::string& arguments, std::string_view input = {}) {
    WriteBytes(dir_ / ".in", input);
    return Shell("'" KOTOTSUGI_CLI "' " + arguments + " <.in");
  }

  // A shell command in the fixture's folder, its output captured.
  Outcome Shell(const std::string& script) {
    const std::string command =
        "cd '" + dir_.string() + "' && { " + script + "; } >.out 2>.err";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadBytes(dir_ / ".out"),
            ReadBytes(dir_ / ".err")};
  }

  // Slot 1 turns "a" into "x" and "\x83\x5C" (ソ) into "so"; the flag as given.
  void WriteSlot1(std::string_view flag = "0\r\n") {
    WriteBytes(dir_ / "brpl1.rpl", "a\r\n\\\r\n");
    WriteBytes(dir_ / "arpl1.rpl", "x\r\n/\r\n");
    WriteBytes(dir_ / "krpl1.rpl", flag);
  }

};

TEST_F(Cli, ConvertWritesWhatABatchRunWrites) {
  WriteSlot1();
  // The 0x5C inside ソ is not a backslash; the one after it is.
  const std::string input = "abc\n\x83\x5C\\\rend";
  const std::string expected = "xbc\r\n\x83\x5C/\r\nend";
  WriteBytes(Path("in.txt"), input);
  for (const std::string args : {"convert 1 in.txt", "convert 1", "convert 1 -"}) {
    SCOPED_TRACE(args);
    const Outcome o = Run(args, input);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, expected);
    EXPECT_EQ(o.err, "");
  }
}

TEST_F(Cli, ConvertReadsStandardInputFromWhereItStands) {
  WriteSlot1();
  WriteBytes(Path("in.txt"), "skip\na\n");
  const Outcome o = Shell("{ dd bs=5 count=1 of=/dev/null 2>/dev/null; '" KOTOTSUGI_CLI
                          "' convert 1; } <in.txt");
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, "x\r\n");
}

TEST_F(Cli, ConvertWithTheFlagOnDropsEveryLineBreak) {
  WriteSlot1("1\r\n");
  const Outcome o = Run("convert 1", "a\r\nb\nc\rd\n");
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, "xbcd");
}

TEST_F(Cli, ConvertOfEmptyInputGivesNothing) {
  WriteSlot1();
  const Outcome o = Run("convert 1");
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, "");
}

TEST_F(Cli, MissingDefinitionFileIsNamed) {
  WriteSlot1();
  stdfs::remove(dir_ / "krpl1.rpl");
  const Outcome o = Run("convert 1", "abc");
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err, "ファイル " + Path("krpl1.rpl") + " は開けません\n");

  const Outcome other = Run("convert 3", "abc");
  EXPECT_EQ(other.status, 1);
  EXPECT_EQ(other.err, "ファイル " + Path("brpl3.rpl") + " は開けません\n");
}

TEST_F(Cli, UnreadableInputFails) {
  WriteSlot1();
  const Outcome o = Run("convert 1 missing.txt");
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err, "ファイル missing.txt は開けません\n");
  stdfs::create_directory(dir_ / "folder");
  EXPECT_EQ(Run("convert 1 folder").status, 1);
}

TEST_F(Cli, WrongArgumentsGiveUsageAndStatus2) {
  for (const char* args : {"", "convert", "convert 0", "convert 6 f", "convert 1x", "convert 1 a b",
                           "names extra", "batch 1 a", "batch 1 a b c", "frobnicate"}) {
    SCOPED_TRACE(args);
    const Outcome o = Run(args);
    EXPECT_EQ(o.status, 2);
    EXPECT_EQ(o.out, "");
    EXPECT_NE(o.err.find("kototsugi-cli convert N [FILE]"), std::string::npos);
  }
}

TEST_F(Cli, HelpAndVersion) {
  const Outcome help = Run("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("kototsugi-cli batch N SRC DST"), std::string::npos);
  EXPECT_EQ(help.err, "");
  const Outcome version = Run("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "kototsugi-cli 3.1.0\n");
}

TEST_F(Cli, NamesAreUtf8InSlotOrder) {
  WriteBytes(dir_ / "nrpl2.rpl", "\x93\xfa\x96\x7b\x8c\xea\r\n");  // 日本語
  const Outcome o = Run("names");
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, "変換定義１\n日本語\n変換定義３\n変換定義４\n変換定義５\n");
}

class CliBatch : public Cli {
 protected:
  void SetUp() override {
    Cli::SetUp();
    WriteSlot1();
    stdfs::create_directory(dir_ / "src");
    stdfs::create_directory(dir_ / "dst");
    WriteBytes(dir_ / "src/a.txt", "a\na");
    WriteBytes(dir_ / "src/b.bin", "a");
  }
};

TEST_F(CliBatch, RunConvertsListedFilesAndSummarises) {
  const Outcome o = Run("batch 1 src dst");
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, "変換したファイル: 1、変換しなかったファイル: 1\n変換は正常に終了しました。\n");
  EXPECT_EQ(o.err, "");  // stderr is no terminal here: no progress
  EXPECT_EQ(ReadBytes(dir_ / "dst/a.txt"), "x\r\nx");
  EXPECT_FALSE(stdfs::exists(dir_ / "dst/b.bin"));
}

TEST_F(CliBatch, ExtensionListComesFromTheCurrentFolder) {
  WriteBytes(dir_ / "changelist.rpl", ".bin\r\n");
  const Outcome o = Run("batch 1 src dst");
  EXPECT_EQ(o.status, 0);
  EXPECT_TRUE(stdfs::exists(dir_ / "dst/b.bin"));
  EXPECT_FALSE(stdfs::exists(dir_ / "dst/a.txt"));
}

TEST_F(CliBatch, RefusalsAreTheWindowsTexts) {
  Outcome o = Run("batch 1 nowhere dst");
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err, "変換するファイルを保存しているフォルダは存在しません。\n");

  o = Run("batch 1 src src/");
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err,
            "変換するファイルの保存フォルダと変換後保存するフォルダを同一にする事はできません。\n");

  o = Run("batch 1 '' dst");
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "変換するファイルが保存してるフォルダを指定して下さい。\n");

  WriteBytes(dir_ / "changelist.rpl", "");
  o = Run("batch 1 src dst");
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err,
            "変換対象の拡張子が指定されていません。\n"
            "拡張子登録例（.html）の様にピリオド以下を指定して下さい。\n");
}

TEST_F(CliBatch, MissingFlagFileWritesNothing) {
  stdfs::remove(dir_ / "krpl1.rpl");
  const Outcome o = Run("batch 1 src dst");
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err, "ファイル " + Path("krpl1.rpl") + " は開けません\n");
  EXPECT_TRUE(stdfs::is_empty(dir_ / "dst"));
}

TEST_F(CliBatch, UnwritableTargetStopsWithTheMessage) {
  stdfs::create_directory(dir_ / "dst/a.txt");
  const Outcome o = Run("batch 1 src dst");
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err, "ファイル dst/a.txt を作成できません\n");
}

}  // namespace
