#include "engine/gfx/kernels.h"

#include <algorithm>
#include <cstring>

#include "engine/platform/display/blitter.h"

namespace Gfx {

namespace {

inline u16 Get16(const u8* p) { return static_cast<u16>(p[0] | p[1] << 8); }

inline u16 To555(u16 p) { return static_cast<u16>((p & 0x1F) | (p & 0xFFC0) >> 1); }

inline void Convert555InPlace(u8* p) {
  const u16 v = To555(Get16(p));
  p[0] = static_cast<u8>(v);
  p[1] = static_cast<u8>(v >> 8);
}

// Converts up to count pixels that lie before end; the position after them,
// or end when the data ran out.
u8* ConvertPixels(u8* p, u8* end, int count) {
  for (; count > 0 && end - p >= 2; --count, p += 2) Convert555InPlace(p);
  return count > 0 ? end : p;
}

// The part of [x, x + n) that falls into the window [lo, hi).
struct TOverlap {
  int From, To;
};
inline TOverlap Overlap(int x, int n, int lo, int hi) { return {std::max(x, lo), std::min(x + n, hi)}; }

// Walks encoding-1 items; Put(x, n, literals or null, value) receives each.
template <class Put>
const u8* WalkRLE(const u8* p, const u8* end, Put put) {
  int x = 0;
  while (p < end) {
    const int c = static_cast<i8>(*p++);
    if (c == 0) return put.Finish(x) ? p : nullptr;
    if (c > 0) {
      if (end - p < 2 * c || !put(x, c, p, 0)) return nullptr;
      p += 2 * c;
      x += c;
    } else {
      if (end - p < 2 || !put(x, -c, nullptr, Get16(p))) return nullptr;
      p += 2;
      x -= c;
    }
  }
  return nullptr;
}

// Writes items into dst[0, width); optionally leaves key runs out.
struct TFullRow {
  u16* Dst;
  int Width;
  bool Keyed;
  u16 Key;
  bool operator()(int x, int n, const u8* literals, u16 value) const {
    if (x + n > Width) return false;
    if (literals)
      std::memcpy(Dst + x, literals, 2 * static_cast<std::size_t>(n));
    else if (!Keyed || value != Key)
      std::fill_n(Dst + x, n, value);
    return true;
  }
  bool Finish(int x) const { return x == Width; }
};

// Writes the window [Skip, Skip + Count) to Dst[0, Count); key runs left out.
struct TWindowRow {
  u16* Dst;
  int Skip, Count;
  bool Keyed;
  u16 Key;
  bool operator()(int x, int n, const u8* literals, u16 value) const {
    const TOverlap o = Overlap(x, n, Skip, Skip + Count);
    if (o.From >= o.To) return true;
    if (literals)
      std::memcpy(Dst + (o.From - Skip), literals + 2 * (o.From - x), 2 * static_cast<std::size_t>(o.To - o.From));
    else if (!Keyed || value != Key)
      std::fill_n(Dst + (o.From - Skip), o.To - o.From, value);
    return true;
  }
  bool Finish(int) const { return true; }
};

struct TNoRow {
  bool operator()(int, int, const u8*, u16) const { return true; }
  bool Finish(int) const { return true; }
};

// Walks encoding-2 rows. Put(x, n, literals, value, transparent) receives
// each item; Empty() is called for an empty row.
template <class Put>
const u8* WalkRLE2(const u8* row, const u8* end, Put put) {
  if (end - row < 2) return nullptr;
  if (Get16(row) == 2) {
    put.Empty();
    return row + 2;
  }
  const u8* p = row + 2;
  int x = 0;
  auto item = [&](int c) -> bool {
    if (c > 0) {
      if (end - p < 2 * c || !put(x, c, p, 0, false)) return false;
      p += 2 * c;
      x += c;
    } else if (c < 0) {
      const int n = static_cast<u8>(-c);
      if (n <= 32 || n == 128) {
        if (end - p < 2 || !put(x, n, nullptr, Get16(p), false)) return false;
        p += 2;
        x += n;
      } else {
        if (!put(x, n - 32, nullptr, 0, true)) return false;
        x += n - 32;
      }
    }
    return true;
  };
  while (end - p >= 2) {
    const int low = static_cast<i8>(p[0]), high = static_cast<i8>(p[1]);
    p += 2;
    if (!item(low)) return nullptr;
    if (high == 0) return p;
    if (!item(high)) return nullptr;
  }
  return nullptr;
}

struct TFullRow2 {
  u16* Dst;
  int Width;
  bool Fill;
  u16 FillValue;
  bool operator()(int x, int n, const u8* literals, u16 value, bool transparent) const {
    if (x + n > Width) return false;
    if (literals)
      std::memcpy(Dst + x, literals, 2 * static_cast<std::size_t>(n));
    else if (!transparent)
      std::fill_n(Dst + x, n, value);
    else if (Fill)
      std::fill_n(Dst + x, n, FillValue);
    return true;
  }
  void Empty() const {
    if (Fill) std::fill_n(Dst, Width, FillValue);
  }
};

struct TWindowRow2 {
  u16* Dst;
  int Skip, Count;
  bool operator()(int x, int n, const u8* literals, u16 value, bool transparent) const {
    const TOverlap o = Overlap(x, n, Skip, Skip + Count);
    if (o.From >= o.To || transparent) return true;
    if (literals)
      std::memcpy(Dst + (o.From - Skip), literals + 2 * (o.From - x), 2 * static_cast<std::size_t>(o.To - o.From));
    else
      std::fill_n(Dst + (o.From - Skip), o.To - o.From, value);
    return true;
  }
  void Empty() const {}
};

struct TNoRow2 {
  bool operator()(int, int, const u8*, u16, bool) const { return true; }
  void Empty() const {}
};

// Walks a shadow row; Darken(x, n) for each darkened run.
template <class Darken>
const u8* WalkShadow(const u8* row, const u8* end, Darken darken) {
  if (end - row < 2) return nullptr;
  const u16 length = Get16(row);
  if (length < 2 || length > end - row) return nullptr;
  const u8* stop = row + length;
  int x = 0;
  for (const u8* p = row + 2; p < stop; ++p) {
    const int c = static_cast<i8>(*p);
    if (c >= 0) {
      x += c;
    } else {
      darken(x, -c);
      x -= c;
    }
  }
  return stop;
}

inline u32 Get24(const u8* p) { return p[0] | p[1] << 8 | static_cast<u32>(p[2]) << 16; }

}  // namespace

void ConvertBlock565To555(const u8* src, u8* dst, int width, int height, int srcPitch, int dstPitch) {
  for (int y = 0; y < height; ++y) {
    const u8* s = src + static_cast<std::ptrdiff_t>(srcPitch) * y;
    u8* d = dst + static_cast<std::ptrdiff_t>(dstPitch) * y;
    for (int x = 0; x < width; ++x) {
      const u16 v = To555(Get16(s + 2 * x));
      d[2 * x] = static_cast<u8>(v);
      d[2 * x + 1] = static_cast<u8>(v >> 8);
    }
  }
}

void ConvertBlock24To32(const u8* src, u8* dst, int width, int height, int srcPitch, int dstPitch) {
  for (int y = 0; y < height; ++y) {
    const u8* s = src + static_cast<std::ptrdiff_t>(srcPitch) * y;
    u8* d = dst + static_cast<std::ptrdiff_t>(dstPitch) * y;
    for (int x = 0; x < width; ++x, s += 3, d += 4) {
      d[0] = s[0];
      d[1] = s[1];
      d[2] = s[2];
      d[3] = 0;
    }
  }
}

void ConvertBlock32To24(const u8* src, u8* dst, int width, int height, int srcPitch, int dstPitch) {
  for (int y = 0; y < height; ++y) {
    const u8* s = src + static_cast<std::ptrdiff_t>(srcPitch) * y;
    u8* d = dst + static_cast<std::ptrdiff_t>(dstPitch) * y;
    for (int x = 0; x < width; ++x, s += 4, d += 3) {
      d[0] = s[0];
      d[1] = s[1];
      d[2] = s[2];
    }
  }
}

void CopyRowKeyed16(const u16* src, u16* dst, int count, u16 key) { Plat::CopyRowKeyed16(src, dst, count, key); }

void CopyRowKeyed24(const u8* src, u8* dst, int count, u32 key) {
  key &= 0xFFFFFF;
  for (int i = 0; i < count; ++i, src += 3, dst += 3)
    if (Get24(src) != key) {
      dst[0] = src[0];
      dst[1] = src[1];
      dst[2] = src[2];
    }
}

void CopyRowKeyed32(const u32* src, u32* dst, int count, u32 key) { Plat::CopyRowKeyed32(src, dst, count, key); }

void DrawGlyphRow16(const u16* src, u16* dst, int count, u16 key, u16 colour) {
  for (int i = 0; i < count; ++i)
    if (src[i] != key) dst[i] = static_cast<u16>(src[i] + colour);
}

void DrawGlyphRow24(const u8* src, u8* dst, int count, u32 key, u32 colour) {
  key &= 0xFFFFFF;
  for (int i = 0; i < count; ++i, src += 3, dst += 3) {
    const u32 p = Get24(src);
    if (p == key) continue;
    const u32 v = p + colour;
    dst[0] = static_cast<u8>(v);
    dst[1] = static_cast<u8>(v >> 8);
    dst[2] = static_cast<u8>(v >> 16);
  }
}

void DrawGlyphRow32(const u32* src, u32* dst, int count, u32 key, u32 colour) {
  for (int i = 0; i < count; ++i)
    if (src[i] != key) dst[i] = src[i] + colour;
}

const u8* DecodeRLERow16(const u8* row, const u8* end, u16* dst, int width) {
  return WalkRLE(row, end, TFullRow{dst, width, false, 0});
}

const u8* DecodeRLERowKeyed16(const u8* row, const u8* end, u16* dst, int width, u32 key) {
  return WalkRLE(row, end, TFullRow{dst, width, key <= 0xFFFF, static_cast<u16>(key)});
}

const u8* DecodeRLERowClipped16(const u8* row, const u8* end, u16* dst, int skip, int count, u32 key) {
  return WalkRLE(row, end, TWindowRow{dst, skip, count, key <= 0xFFFF, static_cast<u16>(key)});
}

const u8* SkipRLERow(const u8* row, const u8* end) { return WalkRLE(row, end, TNoRow{}); }

u8* ConvertRLERow565To555(u8* p, u8* end) {
  while (p < end) {
    const int c = static_cast<i8>(*p++);
    if (c == 0) break;
    p = ConvertPixels(p, end, c > 0 ? c : 1);
  }
  return p;
}

const u8* DecodeRLE2Row16(const u8* row, const u8* end, u16* dst, int width, u16 fill) {
  return WalkRLE2(row, end, TFullRow2{dst, width, true, fill});
}

const u8* DecodeRLE2RowKeyed16(const u8* row, const u8* end, u16* dst, int width) {
  return WalkRLE2(row, end, TFullRow2{dst, width, false, 0});
}

const u8* DecodeRLE2RowClipped16(const u8* row, const u8* end, u16* dst, int skip, int count) {
  return WalkRLE2(row, end, TWindowRow2{dst, skip, count});
}

const u8* SkipRLE2Row(const u8* row, const u8* end) { return WalkRLE2(row, end, TNoRow2{}); }

u8* ConvertRLE2Row565To555(u8* p, u8* end) {
  if (end - p < 2) return end;
  if (Get16(p) == 2) return p + 2;
  p += 2;
  auto item = [&](int c) {
    if (c > 0) p = ConvertPixels(p, end, c);
    else if (c < 0 && (c >= -32 || c == -128)) p = ConvertPixels(p, end, 1);
  };
  while (end - p >= 2) {
    const int low = static_cast<i8>(p[0]), high = static_cast<i8>(p[1]);
    p += 2;
    item(low);
    if (high == 0) return p;
    item(high);
  }
  return end;
}

const u8* ShadowRow16(const u8* row, const u8* end, u16* dst, int width, u16 mask) {
  return WalkShadow(row, end, [&](int x, int n) {
    for (int i = std::max(x, 0); i < std::min(x + n, width); ++i) dst[i] = static_cast<u16>((dst[i] & mask) >> 1);
  });
}

const u8* ShadowRowClipped16(const u8* row, const u8* end, u16* dst, int skip, int count, u16 mask) {
  return WalkShadow(row, end, [&](int x, int n) {
    const TOverlap o = Overlap(x, n, skip, skip + count);
    for (int i = o.From; i < o.To; ++i) dst[i - skip] = static_cast<u16>((dst[i - skip] & mask) >> 1);
  });
}

const u8* SkipShadowRow(const u8* row, const u8* end) {
  return WalkShadow(row, end, [](int, int) {});
}

const u8* ShadowRowClipped24(const u8* row, const u8* end, u8* dst, int skip, int count) {
  return WalkShadow(row, end, [&](int x, int n) {
    const TOverlap o = Overlap(x, n, skip, skip + count);
    for (int i = 3 * (o.From - skip); i < 3 * (o.To - skip); ++i) dst[i] = static_cast<u8>(dst[i] >> 1);
  });
}

const u8* ShadowRowClipped32(const u8* row, const u8* end, u32* dst, int skip, int count) {
  return WalkShadow(row, end, [&](int x, int n) {
    const TOverlap o = Overlap(x, n, skip, skip + count);
    for (int i = o.From; i < o.To; ++i) dst[i - skip] = (dst[i - skip] & 0xFEFEFE) >> 1;
  });
}

void ResampleNearest32(const u32* src, int srcWidth, int srcHeight, u32* dst, int dstWidth, int dstHeight) {
  for (int y = 0; y < dstHeight; ++y) {
    const int sy = dstHeight > 1 ? static_cast<int>(static_cast<i64>(y) * (srcHeight - 1) / (dstHeight - 1)) : 0;
    const u32* s = src + static_cast<std::ptrdiff_t>(sy) * srcWidth;
    u32* d = dst + static_cast<std::ptrdiff_t>(y) * dstWidth;
    for (int x = 0; x < dstWidth; ++x)
      d[x] = s[dstWidth > 1 ? static_cast<int>(static_cast<i64>(x) * (srcWidth - 1) / (dstWidth - 1)) : 0];
  }
}

}  // namespace Gfx
