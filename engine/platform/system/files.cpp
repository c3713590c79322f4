#include "engine/platform/system/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "engine/platform/system/text.h"

namespace fs = std::filesystem;

namespace Plat {

namespace {

std::string programPathOverride;

// Bytes that may still be written before writes fail; negative: no fault.
std::atomic<std::int64_t> writeBudget{-1};

// How much of count the fault lets through; takes it off the budget.
std::int64_t AllowedWrite(std::int64_t count) {
  std::int64_t budget = writeBudget.load();
  while (budget >= 0) {
    std::int64_t allowed = std::min(budget, count);
    if (writeBudget.compare_exchange_weak(budget, budget - allowed)) return allowed;
  }
  return count;
}

std::string ErrorText(int code) { return Utf8ToCp1252(std::strerror(code)); }

// The entry of dir whose name equals name without regard to case, or name.
std::string ResolveComponent(const fs::path& dir, const std::string& name) {
  std::error_code ec;
  if (fs::exists(dir / name, ec)) return name;
  for (fs::directory_iterator it(dir.empty() ? fs::path(".") : dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::string candidate = it->path().filename().string();
    if (EqualNoCase(candidate, name)) return candidate;
  }
  return name;
}

}  // namespace

std::string NativePath(const std::string& path) {
  std::string p = Cp1252ToUtf8(path);
  std::replace(p.begin(), p.end(), '\\', '/');
  if (p.empty()) return p;
  fs::path result = (p[0] == '/') ? fs::path("/") : fs::path();
  std::size_t start = (p[0] == '/') ? 1 : 0;
  bool trailing = p.back() == '/';
  while (start < p.size()) {
    std::size_t end = p.find('/', start);
    if (end == std::string::npos) end = p.size();
    std::string part = p.substr(start, end - start);
    if (!part.empty()) {
      if (part == "." || part == "..")
        result /= part;
      else
        result /= ResolveComponent(result, part);
    }
    start = end + 1;
  }
  std::string out = result.string();
  if (trailing && (out.empty() || out.back() != '/')) out += '/';
  return out;
}

std::shared_ptr<TFile> TFile::Open(const std::string& path, TMode mode, std::string& error) {
  return OpenNative(NativePath(path), mode, error);
}

std::shared_ptr<TFile> TFile::OpenNative(const std::string& nativePath, TMode mode, std::string& error) {
  int flags = mode == TMode::Read ? O_RDONLY : mode == TMode::ReadWrite ? O_RDWR : O_RDWR | O_CREAT | O_TRUNC;
  int handle;
  do {
    handle = ::open(nativePath.c_str(), flags | O_CLOEXEC, 0666);
  } while (handle < 0 && errno == EINTR);
  if (handle < 0) {
    error = ErrorText(errno);
    return nullptr;
  }
  struct stat st {};
  if (::fstat(handle, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(handle);
    error = ErrorText(EISDIR);
    return nullptr;
  }
  return std::shared_ptr<TFile>(new TFile(handle));
}

TFile::~TFile() { ::close(Handle); }

std::int64_t TFile::ReadAt(std::int64_t position, void* buffer, std::int64_t count) {
  std::int64_t done = 0;
  auto* out = static_cast<char*>(buffer);
  while (done < count) {
    ssize_t n = ::pread(Handle, out + done, static_cast<std::size_t>(count - done), position + done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  return done;
}

std::int64_t TFile::WriteAt(std::int64_t position, const void* buffer, std::int64_t count) {
  count = AllowedWrite(count);
  std::int64_t done = 0;
  const auto* in = static_cast<const char*>(buffer);
  while (done < count) {
    ssize_t n = ::pwrite(Handle, in + done, static_cast<std::size_t>(count - done), position + done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  return done;
}

std::int64_t TFile::Length() {
  struct stat st {};
  return ::fstat(Handle, &st) == 0 ? static_cast<std::int64_t>(st.st_size) : -1;
}

bool TFile::SetLength(std::int64_t length) { return length >= 0 && ::ftruncate(Handle, length) == 0; }

bool TFile::Flush() { return ::fsync(Handle) == 0; }

void SetWriteFaultAfter(std::int64_t bytes) { writeBudget = bytes < 0 ? -1 : bytes; }

std::unique_ptr<TReplacementFile> TReplacementFile::Create(const std::string& path, std::string& error) {
  std::string target = NativePath(path);
  // Beside the file, so that the rename stays on one file system.
  std::string temporary = target + ".tmp";
  auto file = TFile::OpenNative(temporary, TFile::TMode::Create, error);
  if (!file) return nullptr;
  return std::unique_ptr<TReplacementFile>(new TReplacementFile(target, temporary, std::move(file)));
}

TReplacementFile::~TReplacementFile() {
  Temporary.reset();
  if (!Committed) ::unlink(NativeTemporary.c_str());
}

bool TReplacementFile::Commit(std::string& error) {
  if (!Temporary->Flush()) {
    error = ErrorText(errno);
    return false;
  }
  Temporary.reset();
  if (::rename(NativeTemporary.c_str(), NativeTarget.c_str()) != 0) {
    error = ErrorText(errno);
    return false;
  }
  Committed = true;
  // The new directory entry reaches the disk too.
  std::string dir = fs::path(NativeTarget).parent_path().string();
  int handle = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (handle >= 0) {
    ::fsync(handle);
    ::close(handle);
  }
  return true;
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(NativePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DeleteFile(const std::string& path) { return ::unlink(NativePath(path).c_str()) == 0; }

bool DirectoryExists(const std::string& path) {
  struct stat st {};
  return ::stat(NativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateDirectories(const std::string& path) {
  std::string error;
  return CreateDirectories(path, error);
}

bool CreateDirectories(const std::string& path, std::string& error) {
  std::error_code ec, probe;
  std::string native = NativePath(path);
  fs::create_directories(native, ec);
  if (fs::is_directory(native, probe)) return true;
  error = ec ? Utf8ToCp1252(ec.message()) : ErrorText(ENOTDIR);
  return false;
}

std::string DisplayPath(const std::string& path) { return Utf8ToCp1252(NativePath(path)); }

std::string SystemErrorText(int code) { return ErrorText(code); }

bool WildcardMatch(const std::string& mask, const std::string& name) {
  if (mask == "*.*" || mask == "*") return true;
  // Iterative match with backtracking on the last '*'.
  std::size_t m = 0, n = 0, star = std::string::npos, mark = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || EqualNoCase(mask.substr(m, 1), name.substr(n, 1)))) {
      ++m;
      ++n;
    } else if (m < mask.size() && mask[m] == '*') {
      star = m++;
      mark = n;
    } else if (star != std::string::npos) {
      m = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

std::vector<TFindData> FindFiles(const std::string& mask) {
  std::vector<TFindData> found;
  std::string m = mask;
  std::replace(m.begin(), m.end(), '\\', '/');
  std::size_t slash = m.find_last_of('/');
  std::string dir = slash == std::string::npos ? std::string(".") : m.substr(0, slash + 1);
  std::string pattern = slash == std::string::npos ? m : m.substr(slash + 1);
  if (pattern.empty()) return found;
  std::error_code ec;
  std::string nativeDir = NativePath(dir);
  for (fs::directory_iterator it(nativeDir.empty() ? "." : nativeDir, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = Utf8ToCp1252(it->path().filename().string());
    if (!WildcardMatch(pattern, name)) continue;
    struct stat st {};
    if (::stat(it->path().c_str(), &st) != 0) continue;
    TFindData fd;
    fd.Name = name;
    fd.Attributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    if (!(st.st_mode & S_IWUSR)) fd.Attributes |= FILE_ATTRIBUTE_READONLY;
    fd.Size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_size);
    fd.WriteTime = st.st_mtime;
    found.push_back(std::move(fd));
  }
  std::sort(found.begin(), found.end(), [](const TFindData& a, const TFindData& b) { return a.Name < b.Name; });
  return found;
}

std::string ProgramPath() {
  if (!programPathOverride.empty()) return programPathOverride;
  std::error_code ec;
  auto p = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string("./orvandia") : Utf8ToCp1252(p.string());
}

void SetProgramPathOverride(const std::string& path) { programPathOverride = path; }

}  // namespace Plat
