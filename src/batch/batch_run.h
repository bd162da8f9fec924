#pragma once
// A batch run: the checks of the settings in their fixed order, and the
// conversion of every listed file of a source folder into a target folder.
// Folder texts and file names are file-system paths (UTF-8 on Linux).

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/engine.h"

namespace kt {

struct BatchSettings {
  std::string sourceFolder;             // the checks append a separator
  std::string targetFolder;             // likewise
  std::vector<std::string> extensions;  // Shift-JIS entries of the extension list
  int definitionIndex = -1;             // combo index 0 to 4, or -1 for none
};

enum class BatchRefusal {
  None,
  NoSourceFolder,  // "変換するファイルが保存してるフォルダを指定して下さい。"
  NoTargetFolder,  // "変換したファイル群を保存するフォルダを指定して下さい。"
  NoExtensions,    // "変換対象の拡張子が指定されていません。" then the hint
  NoDefinition,    // "変換する定義名が選択されていません。"
  SourceMissing,   // "変換するファイルを保存しているフォルダは存在しません。"
  TargetMissing,   // "変換したファイル群を保存するフォルダが存在しません。"
  SameFolder,      // "変換するファイルの保存フォルダと変換後保存するフォルダを同一にする事はできません。"
  NoFiles,         // "変換する対象のファイルがありません。"
};

// Where the window puts the focus after a refusal.
enum class BatchFocus { Unchanged, SourceEdit, TargetEdit, ExtensionList };

struct BatchCheck {
  BatchRefusal refusal = BatchRefusal::None;
  BatchFocus focus = BatchFocus::Unchanged;
  std::string message;  // UTF-8, title "システムエラー"; empty when none
  std::string hint;     // UTF-8, a second box titled "システムメッセージ"; empty when none
};

// The folder text with a separator appended unless its last character already is one.
std::string WithTrailingSeparator(std::string folder);

// The part of a path from its last period on, or empty when the backward search
// meets a separator first or finds no period.
std::string FileExtension(std::string_view path);

// True when one entry, trimmed, equals the trimmed extension (compared as Shift-JIS).
bool IsListedExtension(std::string_view extension, const std::vector<std::string>& entries);

// The regular files directly in the folder, in the order the file system gives.
std::vector<std::string> MakeFileList(const std::string& folder);

// Checks 1 to 10 in their order. The separators are appended to the settings'
// folder texts as soon as each emptiness check has passed; on success fileList
// holds the files of the source folder.
BatchCheck CheckBatchSettings(BatchSettings& settings, std::vector<std::string>& fileList);

// True when every line end in the bytes is CR LF already, so that they convert as
// they stand.
bool HasOnlyCrLfLineEnds(std::string_view bytes);

// What a run writes for a file of these bytes: every line end made CR LF, then
// ConvertText. The command line's convert gives the same bytes.
std::string ConvertFileContent(const ConversionDefinition& definition, std::string_view bytes);

struct BatchResult {
  int converted = 0;
  int skipped = 0;
};

// Converts every listed file with the definition, each written atomically under
// its name into the target folder. progress(percent) is called before each file
// with i * 100 / N. A file that cannot be read or written throws kt::Error; the
// files written before it stay.
BatchResult RunBatch(const BatchSettings& settings, const std::vector<std::string>& fileList,
                     const ConversionDefinition& definition,
                     const std::function<void(int percent)>& progress = {});

struct BatchRunOptions {
  // Reads, converts and writes the next files under no name on worker threads,
  // while the caller's thread puts them in place under their names in list
  // order. Progress and errors stay in list order on the caller's thread, and a
  // file after the one that stops the run never appears, so the outcome is that
  // of a plain run.
  bool readAhead = false;
  unsigned workers = 0;  // threads reading ahead; 0: one fewer than the cores, 1 to 3
};

BatchResult RunBatch(const BatchSettings& settings, const std::vector<std::string>& fileList,
                     const ConversionDefinition& definition,
                     const std::function<void(int percent)>& progress,
                     const BatchRunOptions& options);

}  // namespace kt
