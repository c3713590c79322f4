// Writes archives in the game's format, through the real enciphering stream:
// a packed ".dat" file, or a folder of loose files.
#pragma once

#include <string>
#include <vector>

#include "engine/base/types.h"

namespace Builder {

class TArchiveBuilder {
 public:
  struct TFile {
    std::string Name;
    std::string Bytes;  // plain content
  };

  // Adds or replaces a file (names are at most 31 characters).
  void Add(const std::string& name, const std::string& bytes);
  const std::vector<TFile>& Files() const { return Content; }

  // "<dir>/<name>.dat", enciphered as a whole with its own name as key.
  void WritePacked(const std::string& dir, const std::string& name) const;
  // "<dir>/<name>/<file>", each file enciphered with its own name.
  void WriteLoose(const std::string& dir, const std::string& name) const;

 private:
  std::vector<TFile> Content;
};

// Writes bytes to a file through the enciphering stream (key: the file name).
void WriteEnciphered(const std::string& path, const std::string& bytes);
// Reads a whole file through the enciphering stream.
std::string ReadEnciphered(const std::string& path);

}  // namespace Builder
