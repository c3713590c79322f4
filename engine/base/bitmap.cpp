#include "engine/base/bitmap.h"

#include <cstdio>
#include <cerrno>
#include <cstring>
#include <vector>

#include "engine/base/base.h"
#include "engine/base/errors.h"
#include "engine/platform/system/files.h"

namespace Base {

namespace {

void Put16(std::vector<u8>& b, u32 v) {
  b.push_back(static_cast<u8>(v));
  b.push_back(static_cast<u8>(v >> 8));
}

void Put32(std::vector<u8>& b, u32 v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

}  // namespace

void WriteBitmap565(const std::string& path, const void* pixels, i32 pitch, i32 width, i32 height) {
  const u32 rowBytes = (static_cast<u32>(width) * 2 + 3) & ~3u;
  const u32 headerBytes = 14 + 40 + 12;
  const u32 imageBytes = rowBytes * static_cast<u32>(height);
  std::vector<u8> file;
  file.reserve(headerBytes + imageBytes);
  // File header.
  file.push_back('B');
  file.push_back('M');
  Put32(file, headerBytes + imageBytes);
  Put32(file, 0);
  Put32(file, headerBytes);
  // Info header: BI_BITFIELDS with the 5-6-5 masks following it.
  Put32(file, 40);
  Put32(file, static_cast<u32>(width));
  Put32(file, static_cast<u32>(height));
  Put16(file, 1);
  Put16(file, 16);
  Put32(file, 3);
  Put32(file, imageBytes);
  Put32(file, 2835);
  Put32(file, 2835);
  Put32(file, 0);
  Put32(file, 0);
  Put32(file, 0xF800);
  Put32(file, 0x07E0);
  Put32(file, 0x001F);
  const auto* src = static_cast<const u8*>(pixels);
  for (i32 y = height - 1; y >= 0; --y) {
    const u8* row = src + static_cast<std::ptrdiff_t>(pitch) * y;
    for (i32 x = 0; x < width; ++x) {
      u16 p;
      std::memcpy(&p, row + 2 * x, 2);
      Put16(file, p);
    }
    for (u32 pad = static_cast<u32>(width) * 2; pad < rowBytes; ++pad) file.push_back(0);
  }
  std::FILE* f = std::fopen(Plat::NativePath(path).c_str(), "wb");
  auto fail = [&](int code) {
    throw EStreamError(
        Format("Cannot create file \"%s\". %s", Plat::DisplayPath(path).c_str(), Plat::SystemErrorText(code).c_str()));
  };
  if (!f) fail(errno);
  bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
  const int code = ok ? 0 : errno;
  if (std::fclose(f) != 0 && ok) fail(errno);
  if (!ok) fail(code ? code : EIO);
}

}  // namespace Base
