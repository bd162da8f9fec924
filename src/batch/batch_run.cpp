#include "batch/batch_run.h"

#include <dirent.h>
#include <sys/stat.h>

#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <unordered_set>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/bytes.h"
#include "core/cp932.h"
#include "core/error.h"
#include "core/files.h"

namespace kt {

namespace {

constexpr const char* kNoSourceFolder = "変換するファイルが保存してるフォルダを指定して下さい。";
constexpr const char* kNoTargetFolder = "変換したファイル群を保存するフォルダを指定して下さい。";
constexpr const char* kNoExtensions = "変換対象の拡張子が指定されていません。";
constexpr const char* kExtensionHint = "拡張子登録例（.html）の様にピリオド以下を指定して下さい。";
constexpr const char* kNoDefinition = "変換する定義名が選択されていません。";
constexpr const char* kSourceMissing = "変換するファイルを保存しているフォルダは存在しません。";
constexpr const char* kTargetMissing = "変換したファイル群を保存するフォルダが存在しません。";
constexpr const char* kSameFolder =
    "変換するファイルの保存フォルダと変換後保存するフォルダを同一にする事はできません。";
constexpr const char* kNoFiles = "変換する対象のファイルがありません。";

BatchCheck Refuse(BatchRefusal refusal, BatchFocus focus, const char* message,
                  const char* hint = "") {
  return BatchCheck{refusal, focus, message, hint};
}

// The folder as the file system is asked for it: the text trimmed, as the
// existence checks see it.
std::string FolderPath(std::string_view folderText) { return std::string(TrimView(folderText)); }

// Two texts can name one directory (a symbolic link, "..", a doubled separator);
// a run into its own source folder would overwrite the files it reads.
bool SameDirectory(const std::string& a, const std::string& b) {
  struct stat sa {};
  struct stat sb {};
  if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace

// Spares the copy that NormalizeLineEnds makes: every CR is followed by an LF and
// every LF follows a CR, i.e. "byte i is CR" equals "byte i + 1 is LF" throughout.
bool HasOnlyCrLfLineEnds(std::string_view text) {
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  if (n == 0) return true;
  if (s[0] == '\n' || s[n - 1] == '\r') return false;
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  for (; i + 17 <= n; i += 16) {
    const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 1));
    const __m128i mismatch = _mm_xor_si128(_mm_cmpeq_epi8(here, cr), _mm_cmpeq_epi8(next, lf));
    if (_mm_movemask_epi8(mismatch) != 0) return false;
  }
#endif
  for (; i + 1 < n; ++i) {
    if ((s[i] == '\r') != (s[i + 1] == '\n')) return false;
  }
  return true;
}

namespace {

// A symbolic link in the target folder that leads back into the source folder
// would have the run write over a source file, perhaps before it is read.
bool LeadsIntoFolder(const std::string& targetPath, const struct stat& folder) {
  struct stat st {};
  if (::lstat(targetPath.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return false;
  char* real = ::realpath(targetPath.c_str(), nullptr);
  if (!real) return false;
  std::string resolved(real);
  std::free(real);
  resolved.resize(resolved.rfind(fs::kSeparator) + 1);
  struct stat parent {};
  return ::stat(resolved.c_str(), &parent) == 0 && parent.st_dev == folder.st_dev &&
         parent.st_ino == folder.st_ino;
}

// The names in the target folder that are such links, gathered once per run.
std::unordered_set<std::string> LinksIntoFolder(const std::string& targetFolder,
                                                const struct stat& folder) {
  std::unordered_set<std::string> names;
  DIR* dir = ::opendir(targetFolder.c_str());
  if (!dir) return names;
  while (const dirent* entry = ::readdir(dir)) {
    if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN) continue;
    if (LeadsIntoFolder(targetFolder + entry->d_name, folder)) names.insert(entry->d_name);
  }
  ::closedir(dir);
  return names;
}

}  // namespace

std::string WithTrailingSeparator(std::string folder) {
  // In UTF-8 a '/' byte never stands inside another character, so the last byte
  // decides. No text stays no text rather than becoming the root folder.
  if (!folder.empty() && folder.back() != fs::kSeparator) folder += fs::kSeparator;
  return folder;
}

std::string FileExtension(std::string_view path) {
  for (std::size_t i = path.size(); i > 0; --i) {
    const char c = path[i - 1];
    if (c == '.') return std::string(path.substr(i - 1));
    if (c == fs::kSeparator) break;
  }
  return {};
}

bool IsListedExtension(std::string_view extension, const std::vector<std::string>& entries) {
  const std::string sjis = cp932::FromUtf8(extension);
  const std::string_view wanted = TrimView(sjis);
  for (const auto& entry : entries) {
    if (TrimView(entry) == wanted) return true;
  }
  return false;
}

std::vector<std::string> MakeFileList(const std::string& folder) {
  return fs::ListRegularFiles(folder);
}

BatchCheck CheckBatchSettings(BatchSettings& settings, std::vector<std::string>& fileList) {
  fileList.clear();
  if (settings.sourceFolder.empty())
    return Refuse(BatchRefusal::NoSourceFolder, BatchFocus::SourceEdit, kNoSourceFolder);
  settings.sourceFolder = WithTrailingSeparator(std::move(settings.sourceFolder));
  if (settings.targetFolder.empty())
    return Refuse(BatchRefusal::NoTargetFolder, BatchFocus::TargetEdit, kNoTargetFolder);
  settings.targetFolder = WithTrailingSeparator(std::move(settings.targetFolder));
  if (settings.extensions.empty())
    return Refuse(BatchRefusal::NoExtensions, BatchFocus::ExtensionList, kNoExtensions,
                  kExtensionHint);
  if (settings.definitionIndex < 0 || settings.definitionIndex >= kSlotCount)
    return Refuse(BatchRefusal::NoDefinition, BatchFocus::ExtensionList, kNoDefinition);

  const std::string source = FolderPath(settings.sourceFolder);
  const std::string target = FolderPath(settings.targetFolder);
  if (!fs::DirectoryExists(source))
    return Refuse(BatchRefusal::SourceMissing, BatchFocus::SourceEdit, kSourceMissing);
  if (!fs::DirectoryExists(target))
    return Refuse(BatchRefusal::TargetMissing, BatchFocus::TargetEdit, kTargetMissing);
  if (settings.sourceFolder == settings.targetFolder || SameDirectory(source, target))
    return Refuse(BatchRefusal::SameFolder, BatchFocus::Unchanged, kSameFolder);

  // The folder whose existence was checked is the one listed and read.
  fileList = MakeFileList(source);
  if (fileList.empty())
    return Refuse(BatchRefusal::NoFiles, BatchFocus::Unchanged, kNoFiles);
  return {};
}

std::string ConvertFileContent(const ConversionDefinition& definition, std::string_view bytes) {
  if (HasOnlyCrLfLineEnds(bytes)) return ConvertText(definition, bytes);
  return ConvertText(definition, NormalizeLineEnds(bytes));
}

namespace {

// One file of a run as the reading side hands it to the writing side.
struct PreparedFile {
  bool listed = false;
  std::string converted;
  std::exception_ptr error;  // the read failed; thrown when the file's turn comes
};

PreparedFile PrepareFile(const std::string& sourcePath, const BatchSettings& settings,
                         const ConversionDefinition& definition) {
  PreparedFile file;
  try {
    file.listed = IsListedExtension(FileExtension(sourcePath), settings.extensions);
    if (file.listed)
      file.converted = ConvertFileContent(definition, fs::ReadWholeFileOrThrow(sourcePath));
  } catch (...) {
    file.error = std::current_exception();
  }
  return file;
}

// Reads and converts the files in list order on a thread of its own, a bounded
// way ahead of the writer, and stops at the first file that fails.
class ReadAhead {
 public:
  ReadAhead(const std::vector<std::string>& names, const std::string& source,
            const BatchSettings& settings, const ConversionDefinition& definition)
      : names_(names), source_(source), settings_(settings), definition_(definition),
        worker_([this] { Work(); }) {}

  ~ReadAhead() {
    {
      const std::lock_guard lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    worker_.join();
  }

  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // The next file in list order.
  PreparedFile Take() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !queue_.empty(); });
    PreparedFile file = std::move(queue_.front());
    queue_.pop_front();
    queuedBytes_ -= file.converted.size();
    lock.unlock();
    // One reader and one writer, never both waiting: one wake-up is enough.
    changed_.notify_one();
    return file;
  }

 private:
  static constexpr std::size_t kMaxFiles = 32;
  static constexpr std::size_t kMaxBytes = std::size_t{32} << 20;

  void Work() {
    for (const std::string& name : names_) {
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] {
          return stop_ || queue_.empty() || (queue_.size() < kMaxFiles && queuedBytes_ < kMaxBytes);
        });
        if (stop_) return;
      }
      PreparedFile file = PrepareFile(source_ + name, settings_, definition_);
      const bool failed = file.error != nullptr;
      {
        const std::lock_guard lock(mutex_);
        queuedBytes_ += file.converted.size();
        queue_.push_back(std::move(file));
      }
      changed_.notify_one();
      if (failed) return;
    }
  }

  const std::vector<std::string>& names_;
  const std::string& source_;
  const BatchSettings& settings_;
  const ConversionDefinition& definition_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<PreparedFile> queue_;
  std::size_t queuedBytes_ = 0;
  bool stop_ = false;
  std::thread worker_;  // last, so that it starts once everything above exists
};

}  // namespace

BatchResult RunBatch(const BatchSettings& settings, const std::vector<std::string>& fileList,
                     const ConversionDefinition& definition,
                     const std::function<void(int percent)>& progress) {
  return RunBatch(settings, fileList, definition, progress, BatchRunOptions{});
}

BatchResult RunBatch(const BatchSettings& settings, const std::vector<std::string>& fileList,
                     const ConversionDefinition& definition,
                     const std::function<void(int percent)>& progress,
                     const BatchRunOptions& options) {
  const std::string source = WithTrailingSeparator(FolderPath(settings.sourceFolder));
  const std::string target = WithTrailingSeparator(FolderPath(settings.targetFolder));
  if (source.empty()) throw Error(std::string(kNoSourceFolder));
  if (target.empty()) throw Error(std::string(kNoTargetFolder));
  // Checked again here so that no caller can make a run write over its own sources.
  if (source == target || SameDirectory(source, target)) throw Error(std::string(kSameFolder));
  struct stat sourceFolder {};
  if (::stat(source.c_str(), &sourceFolder) != 0) throw Error(std::string(kSourceMissing));

  const std::unordered_set<std::string> linksIntoSource = LinksIntoFolder(target, sourceFolder);

  const std::size_t count = fileList.size();
  std::optional<ReadAhead> ahead;
  if (options.readAhead && count > 1) {
    try {
      ahead.emplace(fileList, source, settings, definition);
    } catch (const std::system_error&) {
      // No thread to be had: the run goes on without reading ahead.
    }
  }

  BatchResult result;
  for (std::size_t i = 0; i < count; ++i) {
    if (progress) progress(static_cast<int>(i * 100 / count));
    // The name is kept whole: trimming it could read a neighbour whose name
    // lacks the blank, and write it under the wrong name.
    const std::string& name = fileList[i];
    PreparedFile file = ahead ? ahead->Take() : PrepareFile(source + name, settings, definition);
    if (!file.listed && !file.error) {
      ++result.skipped;
      continue;
    }
    const std::string targetPath = target + name;
    if (linksIntoSource.count(name) != 0) throw Error::CannotCreate(targetPath);
    if (file.error) std::rethrow_exception(file.error);
    fs::WriteFileAtomically(targetPath, file.converted);
    ++result.converted;
  }
  return result;
}

}  // namespace kt
