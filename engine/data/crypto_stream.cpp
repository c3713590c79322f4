#include "engine/data/crypto_stream.h"

#include <algorithm>

#include "engine/base/base.h"

namespace Data {

u32 HashKeyName(const std::string& name) {
  auto byte = [&](std::size_t i) -> u32 { return i < name.size() ? static_cast<u8>(name[i]) : 0u; };
  u32 h = (byte(0) << 24) | (byte(1) << 16) | (byte(2) << 8) | byte(3);
  h += static_cast<u32>(name.size()) * 7919u;
  u32 sum = 0;
  for (char c : name) sum += static_cast<u8>(c);
  h += 47u * sum;
  return h % CipherPeriod;
}

TCipherKey::TCipherKey(const std::string& fileName) {
  std::size_t start = fileName.size();
  while (start > 0 && !Base::IsPathSeparator(fileName[start - 1])) --start;
  KeyName.assign(fileName, start, std::string::npos);
  for (char& c : KeyName)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  // Every stream is opened on a file name; a bare directory still gets a key.
  if (KeyName.empty()) KeyName.push_back(' ');
  KeyHash = HashKeyName(KeyName);
  std::size_t n = KeyName.size();
  Repeated.resize(n + CipherPeriod);
  for (std::size_t i = 0; i < Repeated.size(); ++i) Repeated[i] = static_cast<u8>(KeyName[i % n] + 1);
}

template <class F>
void TCipherKey::Walk(i64 count, i64 position, F transform) const {
  const i64 n = static_cast<i64>(KeyName.size());
  i64 ki = position % n;
  i64 ti = (position + KeyHash) % CipherPeriod;
  i64 done = 0;
  while (done < count) {
    // One run up to the end of the table; the key indices need no wrap inside it.
    i64 run = std::min<i64>(count - done, CipherPeriod - ti);
    transform(done, Repeated.data() + ki, CipherTable + ti, run);
    done += run;
    ki = (ki + run) % n;
    ti = 0;
  }
}

void TCipherKey::Decipher(u8* data, i64 count, i64 position) const {
  Walk(count, position, [data](i64 at, const u8* k, const u8* t, i64 run) {
    u8* d = data + at;
    for (i64 i = 0; i < run; ++i) d[i] = static_cast<u8>((d[i] + k[i]) ^ t[i]);
  });
}

void TCipherKey::Encipher(const u8* plain, u8* stored, i64 count, i64 position) const {
  Walk(count, position, [plain, stored](i64 at, const u8* k, const u8* t, i64 run) {
    for (i64 i = 0; i < run; ++i) stored[at + i] = static_cast<u8>((plain[at + i] ^ t[i]) - k[i]);
  });
}

TCryptoStream::TCryptoStream(const std::string& fileName, u16 mode)
    : TSubStream(fileName, mode), Key(std::make_shared<TCipherKey>(fileName)) {}

TCryptoStream::TCryptoStream(const std::string& fileName, i32 offset, i32 size)
    : TSubStream(fileName, offset, size), Key(std::make_shared<TCipherKey>(fileName)) {}

TCryptoStream::TCryptoStream(std::shared_ptr<Plat::TFile> file, i64 fileLength, std::shared_ptr<const TCipherKey> key,
                             const std::string& fileName, i32 offset, i32 size)
    : TSubStream(std::move(file), fileLength, fileName, offset, size), Key(std::move(key)) {}

TCryptoStream::TCryptoStream(std::shared_ptr<Plat::TFile> file, const std::string& keyName)
    : TSubStream(std::move(file), keyName), Key(std::make_shared<TCipherKey>(keyName)) {}

void TCryptoStream::Decode(u8* data, i32 count, i64 physicalPosition) { Key->Decipher(data, count, physicalPosition); }

i32 TCryptoStream::Write(const void* buffer, i32 count) {
  if (count <= 0) return 0;
  const u8* src = static_cast<const u8*>(buffer);
  i64 p = PhysicalPosition();
  const i32 want = std::min(count, WriteChunk);
  if (BufferSize < want) {
    Buffer = std::make_unique_for_overwrite<u8[]>(static_cast<std::size_t>(want));
    BufferSize = want;
  }
  i32 written = 0;
  while (written < count) {
    i32 chunk = std::min(count - written, BufferSize);
    Key->Encipher(src + written, Buffer.get(), chunk, p);
    i32 n = TSubStream::Write(Buffer.get(), chunk);
    written += n;
    p += n;
    if (n < chunk) break;
  }
  return written;
}

TSubStream* TCryptoStream::CreateSubStream(i32 offset, i32 size) {
  CheckSubRange(offset, size);
  return new TCryptoStream(File, FileLength(), Key, FileName, Offset + offset, size);
}

}  // namespace Data
