// The inner loops of the graphics module: block conversions between pixel
// layouts, keyed row copies, glyph rows, the run-length row decoders of
// sprite encodings 1 and 2, shadow rows, nearest resampling and the upload of
// ARGB pixels into a texture. Counts are pixels, pitches bytes; pixels are
// little-endian.
//
// Encoded rows come from files: every decoder is given the end of the data it
// may read and never writes outside its destination; a row that breaks those
// bounds ends the frame (null result).
#pragma once

#include "engine/base/types.h"

namespace Plat {
class TSurface;
}

namespace Gfx {

// p becomes (p & 0x1F) | (p & 0xFFC0) >> 1; src may equal dst.
void ConvertBlock565To555(const u8* src, u8* dst, int width, int height, int srcPitch, int dstPitch);
// 3-byte b0 b1 b2 becomes the u32 b0 | b1 << 8 | b2 << 16.
void ConvertBlock24To32(const u8* src, u8* dst, int width, int height, int srcPitch, int dstPitch);
// A u32 becomes its three low bytes.
void ConvertBlock32To24(const u8* src, u8* dst, int width, int height, int srcPitch, int dstPitch);

// Every source pixel not equal to key is copied.
void CopyRowKeyed16(const u16* src, u16* dst, int count, u16 key);
void CopyRowKeyed24(const u8* src, u8* dst, int count, u32 key);
void CopyRowKeyed32(const u32* src, u32* dst, int count, u32 key);

// Every source pixel p not equal to key writes p + colour, wrapping within
// the pixel's width.
void DrawGlyphRow16(const u16* src, u16* dst, int count, u16 key, u16 colour);
void DrawGlyphRow24(const u8* src, u8* dst, int count, u32 key, u32 colour);
void DrawGlyphRow32(const u32* src, u32* dst, int count, u32 key, u32 colour);

// Encoding 1 rows: signed count c; c > 0 c literal pixels; c < 0 one pixel
// for -c pixels (a key-coloured run is transparent in the keyed decoders);
// 0 ends the row. The result is the next row, or null when the row does not
// cover exactly width pixels or runs past end.
const u8* DecodeRLERow16(const u8* row, const u8* end, u16* dst, int width);
// A key above 0xFFFF matches no 16-bit pixel.
const u8* DecodeRLERowKeyed16(const u8* row, const u8* end, u16* dst, int width, u32 key);
// Only pixels skip .. skip + count - 1 of the row, written to dst[0 .. count - 1];
// runs of the key are left out (0xFFFFFFFF: no key).
const u8* DecodeRLERowClipped16(const u8* row, const u8* end, u16* dst, int skip, int count, u32 key);
// Walks the row without drawing.
const u8* SkipRLERow(const u8* row, const u8* end);
// Converts the literal and run pixels in place; returns the next row.
u8* ConvertRLERow565To555(u8* row, u8* end);

// Encoding 2 rows: a u16 length (2: an empty row), then u16 words of two
// count bytes, low first, each followed by its data: c > 0 literals; n = -c
// of 1..32 or 128: one pixel for n pixels; 33..127: n - 32 transparent
// pixels; a low 0 does nothing, a high 0 ends the row.
// Transparent pixels and empty rows are written with fill.
const u8* DecodeRLE2Row16(const u8* row, const u8* end, u16* dst, int width, u16 fill);
// Transparent pixels and empty rows leave dst unchanged.
const u8* DecodeRLE2RowKeyed16(const u8* row, const u8* end, u16* dst, int width);
const u8* DecodeRLE2RowClipped16(const u8* row, const u8* end, u16* dst, int skip, int count);
const u8* SkipRLE2Row(const u8* row, const u8* end);
u8* ConvertRLE2Row565To555(u8* row, u8* end);

// Shadow rows: a u16 length counting itself, then signed bytes: c >= 0 skips
// c pixels, c < 0 darkens -c pixels to (p & mask) >> 1. Returns row + length,
// null when the length breaks the bounds.
const u8* ShadowRow16(const u8* row, const u8* end, u16* dst, int width, u16 mask);
const u8* ShadowRowClipped16(const u8* row, const u8* end, u16* dst, int skip, int count, u16 mask);
const u8* SkipShadowRow(const u8* row, const u8* end);
// The same on 24- and 32-bit destinations (every byte halved), for the
// window [skip, skip + count) written from dst on.
const u8* ShadowRowClipped24(const u8* row, const u8* end, u8* dst, int skip, int count);
const u8* ShadowRowClipped32(const u8* row, const u8* end, u32* dst, int skip, int count);

// dst[y][x] = src[y * (srcHeight - 1) / (dstHeight - 1)][x * (srcWidth - 1) /
// (dstWidth - 1)]: the corner pixels coincide. A target side of 1 takes the
// source's first row or column.
void ResampleNearest32(const u32* src, int srcWidth, int srcHeight, u32* dst, int dstWidth, int dstHeight);

// Writes width x height ARGB pixels into the texture's top-left corner in
// its own layout, zero elsewhere. "Surface lock failed." when it cannot be
// locked.
void UploadARGB(Plat::TSurface* texture, const u32* pixels, int width, int height);

}  // namespace Gfx
