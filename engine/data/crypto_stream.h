// The enciphering stream: every data file and save game is stored with each
// byte transformed by the file's own name and the byte's absolute position.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/data/file_stream.h"

namespace Data {

extern const u8 CipherTable[1024];
constexpr u32 CipherPeriod = 971;

u32 HashKeyName(const std::string& name);

// The key of one file name: the name part after the last "\", ":" or "/",
// in lower case.
class TCipherKey {
 public:
  explicit TCipherKey(const std::string& fileName);
  void Decipher(u8* data, i64 count, i64 position) const;
  void Encipher(const u8* plain, u8* stored, i64 count, i64 position) const;

  std::string KeyName;
  u32 KeyHash = 0;

 private:
  template <class F>
  void Walk(i64 count, i64 position, F transform) const;
  // Key bytes plus one, repeated to cover a whole table period from any
  // starting offset, so both indices advance without division.
  std::vector<u8> Repeated;
};

class TCryptoStream : public TSubStream {
 public:
  TCryptoStream(const std::string& fileName, u16 mode);
  TCryptoStream(const std::string& fileName, i32 offset, i32 size);
  // A window over a file that is open already, with its file's key: the
  // streams of one archive share both.
  TCryptoStream(std::shared_ptr<Plat::TFile> file, i64 fileLength, std::shared_ptr<const TCipherKey> key,
                const std::string& fileName, i32 offset, i32 size);
  // Writes a file that is open already, from its start, enciphered as the
  // file keyName (a file written under a temporary name for keyName).
  TCryptoStream(std::shared_ptr<Plat::TFile> file, const std::string& keyName);

  i32 Write(const void* buffer, i32 count) override;
  TSubStream* CreateSubStream(i32 offset, i32 size) override;

  const std::shared_ptr<const TCipherKey>& SharedKey() const { return Key; }
  const std::string& KeyName() const { return Key->KeyName; }
  u32 KeyHash() const { return Key->KeyHash; }

 protected:
  void Decode(u8* data, i32 count, i64 physicalPosition) override;

 private:
  std::shared_ptr<const TCipherKey> Key;
  // Enciphered bytes on their way to the file, in pieces as large as the
  // reading side's blocks or larger: every write is a call down to the file.
  static constexpr i32 WriteChunk = 256 * 1024;
  std::unique_ptr<u8[]> Buffer;
  i32 BufferSize = 0;
};

}  // namespace Data
