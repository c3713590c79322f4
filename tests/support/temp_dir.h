// A fresh directory for one test, removed afterwards.
#pragma once

#include <string>

namespace TestSupport {

class TTempDir {
 public:
  TTempDir();
  ~TTempDir();
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;
  // Path with a trailing slash.
  const std::string& Path() const { return Dir; }
  std::string File(const std::string& name) const { return Dir + name; }
  void Write(const std::string& name, const std::string& bytes) const;
  std::string Read(const std::string& name) const;

 private:
  std::string Dir;
};

}  // namespace TestSupport
