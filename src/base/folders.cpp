#include "base/folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "base/file_io.h"
#include "base/text.h"

namespace varnek {
namespace {

constexpr const char* kSubFolder = "/Kolvir/Varnek/";

// "/" becomes empty, so that appending "/sub" never doubles the slash.
std::string WithoutTrailingSlashes(std::string path) {
  while (!path.empty() && path.back() == '/')
    path.pop_back();
  return path;
}

// Only absolute paths count: a relative XDG value would make the folder
// depend on the current directory.
std::optional<std::string> AbsoluteVar(const FolderEnvironment& env, const std::string& name) {
  if (!env.getEnv) return std::nullopt;
  auto v = env.getEnv(name);
  if (!v || v->empty() || v->front() != '/') return std::nullopt;
  return WithoutTrailingSlashes(*v);
}

std::string HomeFromPasswd() {
  std::vector<char> buf(16384);
  passwd pw{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &pw, buf.data(), buf.size(), &found) != 0 || found == nullptr ||
      found->pw_dir == nullptr)
    return {};
  return found->pw_dir;
}

}  // namespace

FolderEnvironment SystemFolderEnvironment() {
  FolderEnvironment env;
  env.getEnv = [](const std::string& name) -> std::optional<std::string> {
    if (const char* v = std::getenv(name.c_str())) return std::string(v);
    if (name == "HOME") {
      std::string home = HomeFromPasswd();
      if (!home.empty()) return home;
    }
    return std::nullopt;
  };
  std::vector<char> buf(4096);
  const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n > 0) env.programFile.assign(buf.data(), static_cast<size_t>(n));
  return env;
}

std::string ProgramFolder(const std::string& programFile) {
  const auto slash = programFile.rfind('/');
  if (slash == std::string::npos) return "./";
  return programFile.substr(0, slash + 1);
}

std::optional<std::string> DocumentsDirFromUserDirs(const std::string& text,
                                                    const std::string& home) {
  std::optional<std::string> result;
  size_t pos = 0;
  while (pos <= text.size()) {
    auto end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = Trim(std::string_view(text).substr(pos, end - pos));
    pos = end + 1;
    const std::string_view name = "XDG_DOCUMENTS_DIR=";
    if (!StartsWith(line, name)) continue;
    std::string value = line.substr(name.size());
    // The file's values are shell words in double quotes, with \ escapes.
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    std::string unescaped;
    for (size_t i = 0; i < value.size(); ++i) {
      if (value[i] == '\\' && i + 1 < value.size()) ++i;
      unescaped += value[i];
    }
    if (StartsWith(unescaped, "$HOME")) {
      const std::string rest = unescaped.substr(5);
      if (home.empty() || (!rest.empty() && rest.front() != '/')) {
        result.reset();
        continue;
      }
      unescaped = home + rest;
    }
    if (unescaped.empty() || unescaped.front() != '/') {
      result.reset();
      continue;
    }
    // The last assignment wins, as when the shell reads the file.
    result = WithoutTrailingSlashes(unescaped);
  }
  return result;
}

Folders FindFolders(const FolderEnvironment& env) {
  Folders f;
  const std::string program = ProgramFolder(env.programFile);
  if (FileExists(program + "portable.ini")) {
    f.settings = f.documents = program;
    f.portable = true;
    return f;
  }
  const auto home = AbsoluteVar(env, "HOME");
  auto config = AbsoluteVar(env, "XDG_CONFIG_HOME");
  if (!config && home) config = *home + "/.config";
  f.settings = config ? *config + kSubFolder : program;

  std::optional<std::string> documents;
  if (config) {
    std::string text;
    if (ReadWholeFile(*config + "/user-dirs.dirs", text) == ReadStatus::Ok)
      documents = DocumentsDirFromUserDirs(text, home.value_or(""));
  }
  if (!documents && home) documents = *home + "/Documents";
  f.documents = documents ? *documents + kSubFolder : program;
  return f;
}

void CreateFolders(const Folders& folders) {
  if (!DirectoryExists(folders.settings)) CreateDirectories(folders.settings);
  if (!DirectoryExists(folders.documents)) CreateDirectories(folders.documents);
}

}  // namespace varnek
