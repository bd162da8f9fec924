// kototsugi-cli: the conversions of ことつぎ for scripts and terminals, on the same
// core and the same data files in the current folder.

#include <fcntl.h>
#include <malloc.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/batch_run.h"
#include "batch/extension_list.h"
#include "conversion/engine.h"
#include "core/bytes.h"
#include "core/cp932.h"
#include "core/error.h"
#include "definitions/definition_files.h"

namespace {

constexpr const char* kUsage =
    "使い方:\n"
    "  kototsugi-cli convert N [FILE]   定義 N (1〜5) で FILE を変換して標準出力へ書く\n"
    "                                   (FILE が無いか - なら標準入力)\n"
    "  kototsugi-cli names              五つの定義名を順に表示する\n"
    "  kototsugi-cli batch N SRC DST    SRC の拡張子リストに載るファイルを定義 N で変換し\n"
    "                                   同じ名前で DST へ書く\n"
    "  kototsugi-cli --help | --version\n"
    "定義ファイルと拡張子リスト (changelist.rpl) は現在のフォルダから読みます。\n";

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

void PrintTo(std::FILE* stream, std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stream);
}

void Fail(std::string_view message) {
  std::string line(message);
  line += '\n';
  PrintTo(stderr, line);
}

int Usage(std::string_view problem = {}) {
  if (!problem.empty()) Fail(problem);
  PrintTo(stderr, kUsage);
  return kExitUsage;
}

std::optional<int> ParseSlot(std::string_view text) {
  if (text.size() != 1 || text[0] < '1' || text[0] > '0' + kt::kSlotCount) return std::nullopt;
  return text[0] - '0';
}

// Read from a pipe or a terminal: grown as it comes.
std::string ReadStream(int fd, const std::string& nameForErrors) {
  std::string data(std::size_t{1} << 16, '\0');
  std::size_t length = 0;
  for (;;) {
    if (length == data.size()) data.resize(data.size() * 2);
    const ssize_t n = ::read(fd, data.data() + length, data.size() - length);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw kt::Error::CannotOpen(nameForErrors);
    }
    if (n == 0) break;
    length += static_cast<std::size_t>(n);
  }
  data.resize(length);
  return data;
}

// Written by the SIGBUS handler, which may only make async-signal-safe calls.
std::string gMappedFileMessage;

[[noreturn]] void OnMappedFileShrunk(int) {
  // Nothing has gone to standard output yet: the result is written only once whole.
  (void)!::write(STDERR_FILENO, gMappedFileMessage.data(), gMappedFileMessage.size());
  ::_exit(1);
}

// The input bytes. A regular file is mapped rather than copied: the engine reads
// it straight from the page cache, which spares a copy and a page fault per page.
class Input {
 public:
  explicit Input(const std::string& file) {
    if (file.empty() || file == "-") {
      Adopt(STDIN_FILENO, "-");
      return;
    }
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw kt::Error::CannotOpen(file);
    try {
      Adopt(fd, file);
    } catch (...) {
      ::close(fd);
      throw;
    }
    ::close(fd);
  }
  ~Input() {
    if (map_) ::munmap(map_, size_);
  }
  Input(const Input&) = delete;
  Input& operator=(const Input&) = delete;

  // Gives the memory back once the bytes are no longer needed.
  void Release() {
    if (map_) ::munmap(map_, size_);
    map_ = nullptr;
    size_ = 0;
    std::string().swap(owned_);
  }

  std::string_view bytes() const {
    return map_ ? std::string_view(static_cast<const char*>(map_), size_) : std::string_view(owned_);
  }

 private:
  void Adopt(int fd, const std::string& name) {
    struct stat st {};
    // Standard input may be a file already partly read by someone else: only
    // a file read from its start is mapped.
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 &&
        ::lseek(fd, 0, SEEK_CUR) == 0) {
      size_ = static_cast<std::size_t>(st.st_size);
      void* map = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
      if (map != MAP_FAILED) {
        map_ = map;
        // A file cut short by another program while mapped would fault on the
        // missing pages; report it as the unreadable file it has become.
        gMappedFileMessage = kt::Error::CannotOpen(name).Utf8() + "\n";
        struct sigaction action {};
        action.sa_handler = OnMappedFileShrunk;
        ::sigaction(SIGBUS, &action, nullptr);
        return;
      }
    }
    owned_ = ReadStream(fd, name);
  }

  std::string owned_;
  void* map_ = nullptr;
  std::size_t size_ = 0;
};

void WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      throw kt::Error::WriteFailed();
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

// A failed load names the file that did not open, so a script's user knows what
// is missing.
std::optional<kt::LoadedDefinition> LoadSlot(int slot) {
  std::string failedPath;
  auto loaded = kt::LoadConversionDefinition(slot, &failedPath);
  if (!loaded) Fail(kt::Error::CannotOpen(failedPath).Utf8());
  return loaded;
}

int Convert(int slot, const std::string& file) {
  const auto loaded = LoadSlot(slot);
  if (!loaded) return kExitFailure;
  Input input(file);
  std::string result;
  // What ConvertFileContent does, but with the input let go of as soon as its
  // line ends are made CR LF, so that no more than two copies are ever held.
  if (kt::HasOnlyCrLfLineEnds(input.bytes())) {
    result = kt::ConvertText(loaded->Definition, input.bytes());
  } else {
    const std::string text = kt::NormalizeLineEnds(input.bytes());
    input.Release();
    result = kt::ConvertText(loaded->Definition, text);
  }
  WriteAll(STDOUT_FILENO, result);
  return kExitOk;
}

int Names() {
  std::string out;
  for (const auto& name : kt::LoadDefinitionNames()) {
    out += kt::cp932::ToUtf8(name);
    out += '\n';
  }
  PrintTo(stdout, out);
  return kExitOk;
}

// A terminal sees the share done; a pipe or a log gets no control characters.
class Progress {
 public:
  Progress() : shown_(::isatty(STDERR_FILENO) == 1) {}
  void operator()(int percent) {
    if (!shown_ || percent == last_) return;
    last_ = percent;
    std::fprintf(stderr, "\r一括変換中 %3d%%", percent);
    std::fflush(stderr);
  }
  void Finish() {
    if (shown_ && last_ >= 0) PrintTo(stderr, "\r\x1b[K");
  }

 private:
  bool shown_;
  int last_ = -1;
};

int Batch(int slot, const std::string& source, const std::string& target) {
  kt::BatchSettings settings;
  settings.sourceFolder = source;
  settings.targetFolder = target;
  settings.extensions = kt::LoadExtensionList();
  settings.definitionIndex = slot - 1;

  std::vector<std::string> files;
  const kt::BatchCheck check = kt::CheckBatchSettings(settings, files);
  if (check.refusal != kt::BatchRefusal::None) {
    Fail(check.message);
    if (!check.hint.empty()) Fail(check.hint);
    return kExitFailure;
  }
  const auto loaded = LoadSlot(slot);
  if (!loaded) return kExitFailure;

  Progress progress;
  kt::BatchResult result;
  try {
    result = kt::RunBatch(settings, files, loaded->Definition,
                          [&progress](int percent) { progress(percent); },
                          kt::BatchRunOptions{.readAhead = true});
  } catch (...) {
    progress.Finish();
    throw;
  }
  progress.Finish();
  std::printf("変換したファイル: %d、変換しなかったファイル: %d\n", result.converted,
              result.skipped);
  std::printf("変換は正常に終了しました。\n");
  return kExitOk;
}

int Run(const std::vector<std::string>& args) {
  if (args.empty()) return Usage();
  const std::string& command = args[0];
  if (command == "--help" || command == "-h") {
    PrintTo(stdout, kUsage);
    return kExitOk;
  }
  if (command == "--version") {
    PrintTo(stdout, "kototsugi-cli " KOTOTSUGI_VERSION "\n");
    return kExitOk;
  }
  if (command == "names") {
    if (args.size() != 1) return Usage();
    return Names();
  }
  if (command == "convert" || command == "batch") {
    const bool convert = command == "convert";
    if (convert ? (args.size() < 2 || args.size() > 3) : args.size() != 4) return Usage();
    const auto slot = ParseSlot(args[1]);
    if (!slot) return Usage("定義番号は 1 から 5 までです: " + args[1]);
    if (convert) return Convert(*slot, args.size() == 3 ? args[2] : std::string());
    return Batch(*slot, args[2], args[3]);
  }
  return Usage("不明なコマンドです: " + command);
}

}  // namespace

int main(int argc, char** argv) {
  // The engine's working buffers come and go with every file of a batch run. By
  // default glibc hands such blocks back to the kernel each time, so every file
  // paid for fresh zeroed pages again; keeping them in the heap makes the next
  // file reuse them. Blocks of a large single conversion are still mapped apart.
  ::mallopt(M_MMAP_THRESHOLD, 4 << 20);
  ::mallopt(M_TRIM_THRESHOLD, 64 << 20);
  try {
    return Run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const kt::Error& error) {
    Fail(error.Utf8());
  } catch (const std::exception& error) {
    Fail(error.what());
  }
  return kExitFailure;
}
