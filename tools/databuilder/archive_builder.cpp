#include "tools/databuilder/archive_builder.h"

#include <cstring>
#include <memory>
#include <stdexcept>

#include "engine/base/base.h"
#include "engine/data/crypto_stream.h"
#include "engine/data/stream.h"
#include "engine/platform/system/files.h"

namespace Builder {

void TArchiveBuilder::Add(const std::string& name, const std::string& bytes) {
  if (name.empty() || name.size() > 31) throw std::invalid_argument("archive file name must have 1 to 31 characters");
  for (TFile& f : Content)
    if (f.Name == name) {
      f.Bytes = bytes;
      return;
    }
  Content.push_back({name, bytes});
}

void WriteEnciphered(const std::string& path, const std::string& bytes) {
  std::size_t slash = path.find_last_of("/\\");
  if (slash != std::string::npos) Plat::CreateDirectories(path.substr(0, slash));
  Data::TCryptoStream out(path, Data::fmCreate);
  out.WriteBuffer(bytes.data(), static_cast<i32>(bytes.size()));
}

std::string ReadEnciphered(const std::string& path) {
  Data::TCryptoStream in(path, Data::fmOpenRead);
  std::string bytes(static_cast<std::size_t>(in.Size), '\0');
  in.ReadBuffer(bytes.data(), in.Size);
  return bytes;
}

void TArchiveBuilder::WritePacked(const std::string& dir, const std::string& name) const {
  Data::TMemoryStream plain;
  plain.WriteBuffer("DATA", 4);
  Data::WriteU32(plain, static_cast<u32>(Content.size()));
  Data::WriteU64(plain, 0);
  u32 offset = 0;
  for (const TFile& f : Content) {
    Data::WriteU32(plain, offset);
    Data::WriteU32(plain, static_cast<u32>(f.Bytes.size()));
    char field[32] = {};
    Base::SafeStrCopy(field, f.Name.c_str(), sizeof field);
    plain.WriteBuffer(field, sizeof field);
    offset += static_cast<u32>(f.Bytes.size());
  }
  for (const TFile& f : Content) plain.WriteBuffer(f.Bytes.data(), static_cast<i32>(f.Bytes.size()));
  Plat::CreateDirectories(dir);
  WriteEnciphered(dir + "/" + name + ".dat", plain.AsString());
}

void TArchiveBuilder::WriteLoose(const std::string& dir, const std::string& name) const {
  std::string folder = dir + "/" + name;
  Plat::CreateDirectories(folder);
  for (const TFile& f : Content) WriteEnciphered(folder + "/" + f.Name, f.Bytes);
}

}  // namespace Builder
