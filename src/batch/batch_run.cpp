#include "batch/batch_run.h"

#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <exception>
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

// Everything a run needs to know about a file before its turn comes.
struct RunFolders {
  const std::vector<std::string>& names;
  const std::string& source;
  const std::string& target;
  const BatchSettings& settings;
  const ConversionDefinition& definition;
  const std::unordered_set<std::string>& linksIntoSource;
};

// One file of a run as the workers hand it to the committing thread.
struct ReadyFile {
  bool listed = false;
  fs::PreparedFile file;     // written under no name, so nothing shows before its turn
  std::exception_ptr error;  // the read failed; thrown when the file's turn comes
};

ReadyFile ReadAndPrepare(const RunFolders& run, std::size_t i) {
  ReadyFile ready;
  const std::string& name = run.names[i];
  try {
    const std::string sourcePath = run.source + name;
    ready.listed = IsListedExtension(FileExtension(sourcePath), run.settings.extensions);
    // A link back into the source is refused at its turn; it is not even read.
    if (ready.listed && run.linksIntoSource.count(name) == 0) {
      ready.file = fs::PrepareFile(
          run.target + name,
          ConvertFileContent(run.definition, fs::ReadWholeFileOrThrow(sourcePath)));
    }
  } catch (...) {
    ready.error = std::current_exception();
  }
  return ready;
}

// Worker threads read, convert and write the files ahead under no name, each
// taking the next file of the list; the caller's thread takes them in list order
// and puts them in place, and while the file in turn is not ready it prepares
// files itself. A ring of slots bounds the files and bytes in flight, and the
// hand-off costs a system call only when one side has to sleep.
class ReadAhead {
 public:
  ReadAhead(const RunFolders& run, unsigned workers) : run_(run) {
    // The caller's thread works too, so one worker fewer than the cores keeps them busy.
    if (workers == 0) workers = std::clamp(std::thread::hardware_concurrency(), 2u, 4u) - 1;
    workers_.reserve(workers);
    for (unsigned w = 0; w < workers; ++w) {
      try {
        workers_.emplace_back([this] { Work(); });
      } catch (const std::system_error&) {
        if (workers_.empty()) throw;
        break;
      }
    }
  }

  ~ReadAhead() {
    stop_.store(true, std::memory_order_release);
    // Changed so that a worker waiting for room wakes and sees the stop.
    consumed_.fetch_add(kSlots, std::memory_order_release);
    consumed_.notify_all();
    for (std::thread& worker : workers_) worker.join();
  }

  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // Every file in flight holds a descriptor; under a tight limit they could run
  // out and make a file fail that a plain run would write.
  static bool DescriptorsSuffice() {
    struct rlimit limit {};
    return ::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur >= 4 * kSlots;
  }

  // File i, once it is ready; called for i = 0, 1, 2, ... in turn.
  ReadyFile Take(std::size_t i) {
    Slot& slot = slots_[i % kSlots];
    for (std::size_t seen = slot.ready.load(std::memory_order_acquire); seen != i + 1;
         seen = slot.ready.load(std::memory_order_acquire)) {
      // Rather than sleep, this thread prepares the next file no worker has taken.
      if (PrepareNext(i)) continue;
      slot.ready.wait(seen, std::memory_order_acquire);
    }
    ReadyFile ready = std::move(slot.file);
    inFlight_.fetch_sub(ready.file.size(), std::memory_order_relaxed);
    consumed_.store(i + 1, std::memory_order_release);
    consumed_.notify_all();
    return ready;
  }

 private:
  static constexpr std::size_t kSlots = 64;
  static constexpr std::size_t kMaxBytes = std::size_t{32} << 20;

  struct Slot {
    std::atomic<std::size_t> ready{0};  // i + 1 once file i stands in the slot
    ReadyFile file;
  };

  void Work() {
    for (;;) {
      const std::size_t i = next_.fetch_add(1, std::memory_order_relaxed);
      if (i >= run_.names.size() || i > failedAt_.load(std::memory_order_acquire)) return;
      for (;;) {
        const std::size_t done = consumed_.load(std::memory_order_acquire);
        if (stop_.load(std::memory_order_acquire)) return;
        if (HasRoom(i, done)) break;
        consumed_.wait(done, std::memory_order_acquire);
      }
      if (!Prepare(i)) return;
    }
  }

  // Claims the next file only when it fits now; false when there is none to take.
  bool PrepareNext(std::size_t done) {
    std::size_t i = next_.load(std::memory_order_relaxed);
    do {
      if (i >= run_.names.size() || i > failedAt_.load(std::memory_order_acquire) ||
          !HasRoom(i, done))
        return false;
    } while (!next_.compare_exchange_weak(i, i + 1, std::memory_order_relaxed));
    Prepare(i);
    return true;
  }

  // The file next in turn always goes ahead, so a large one cannot stall the run.
  bool HasRoom(std::size_t i, std::size_t done) const {
    return i < done + kSlots &&
           (i == done || inFlight_.load(std::memory_order_relaxed) < kMaxBytes);
  }

  // File i into its slot; false when it failed, so that no later file is taken.
  bool Prepare(std::size_t i) {
    Slot& slot = slots_[i % kSlots];
    slot.file = ReadAndPrepare(run_, i);
    inFlight_.fetch_add(slot.file.file.size(), std::memory_order_relaxed);
    const bool failed = slot.file.error != nullptr;
    if (failed) {
      std::size_t first = failedAt_.load(std::memory_order_relaxed);
      while (i < first && !failedAt_.compare_exchange_weak(first, i, std::memory_order_acq_rel)) {
      }
    }
    slot.ready.store(i + 1, std::memory_order_release);
    slot.ready.notify_one();
    return !failed;
  }

  const RunFolders& run_;
  Slot slots_[kSlots];
  std::atomic<std::size_t> next_{0};      // the next file a worker takes
  std::atomic<std::size_t> consumed_{0};  // files taken by the caller's thread
  std::atomic<std::size_t> inFlight_{0};  // bytes held in the slots
  std::atomic<std::size_t> failedAt_{SIZE_MAX};
  std::atomic<bool> stop_{false};
  std::vector<std::thread> workers_;  // last, so that they start once everything above exists
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
  const RunFolders run{fileList, source, target, settings, definition, linksIntoSource};
  std::optional<ReadAhead> ahead;
  if (options.readAhead && count > 1 && ReadAhead::DescriptorsSuffice()) {
    try {
      ahead.emplace(run, options.workers);
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
    if (ahead) {
      ReadyFile ready = ahead->Take(i);
      if (!ready.listed && !ready.error) {
        ++result.skipped;
        continue;
      }
      if (linksIntoSource.count(name) != 0) throw Error::CannotCreate(target + name);
      if (ready.error) std::rethrow_exception(ready.error);
      ready.file.Commit();
      ++result.converted;
      continue;
    }
    const std::string sourcePath = source + name;
    if (!IsListedExtension(FileExtension(sourcePath), settings.extensions)) {
      ++result.skipped;
      continue;
    }
    const std::string targetPath = target + name;
    if (linksIntoSource.count(name) != 0) throw Error::CannotCreate(targetPath);
    fs::WriteFileAtomically(targetPath,
                            ConvertFileContent(definition, fs::ReadWholeFileOrThrow(sourcePath)));
    ++result.converted;
  }
  return result;
}

}  // namespace kt
