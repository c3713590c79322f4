#include "engine/platform/display/rasterizer.h"

#include <algorithm>
#include <cmath>

#include "engine/platform/display/device3d.h"

namespace Plat {

namespace {

using u32 = std::uint32_t;
using u16 = std::uint16_t;
using u8 = std::uint8_t;
using i64 = std::int64_t;

// The per-pixel steps must melt into the span loops; with this many loop
// instances the compiler would otherwise stop inlining them.
#define ORV_PIXEL [[gnu::always_inline]] inline

// Channel arithmetic is done in 16 bits, which every product of two 8-bit
// values and the sums below fit, so that the compiler can work on eight
// channels at once.
using ch = u16;

// x / 255 rounded, for x up to 255 * 255.
ORV_PIXEL ch Div255(ch x) {
  x = static_cast<ch>(x + 128);
  return static_cast<ch>((x + (x >> 8)) >> 8);
}

ORV_PIXEL ch Min255(ch v) { return v > 255 ? ch{255} : v; }

// Render-target layouts: unpack to 8-bit channels (bit replication), pack
// by truncation.
struct T565 {
  using Pixel = u16;
  ORV_PIXEL static void Unpack(Pixel p, ch& r, ch& g, ch& b) {
    r = static_cast<ch>(p >> 11);
    g = static_cast<ch>(p >> 5 & 0x3F);
    b = static_cast<ch>(p & 0x1F);
    r = static_cast<ch>(r << 3 | r >> 2);
    g = static_cast<ch>(g << 2 | g >> 4);
    b = static_cast<ch>(b << 3 | b >> 2);
  }
  ORV_PIXEL static Pixel Pack(ch r, ch g, ch b) { return static_cast<Pixel>((r & 0xF8) << 8 | (g & 0xFC) << 3 | b >> 3); }
};

struct T555 {
  using Pixel = u16;
  ORV_PIXEL static void Unpack(Pixel p, ch& r, ch& g, ch& b) {
    r = static_cast<ch>(p >> 10 & 0x1F);
    g = static_cast<ch>(p >> 5 & 0x1F);
    b = static_cast<ch>(p & 0x1F);
    r = static_cast<ch>(r << 3 | r >> 2);
    g = static_cast<ch>(g << 3 | g >> 2);
    b = static_cast<ch>(b << 3 | b >> 2);
  }
  ORV_PIXEL static Pixel Pack(ch r, ch g, ch b) { return static_cast<Pixel>((r & 0xF8) << 7 | (g & 0xF8) << 2 | b >> 3); }
};

struct T8888 {
  using Pixel = u32;
  ORV_PIXEL static void Unpack(Pixel p, ch& r, ch& g, ch& b) {
    r = static_cast<ch>(p >> 16 & 0xFF);
    g = static_cast<ch>(p >> 8 & 0xFF);
    b = static_cast<ch>(p & 0xFF);
  }
  ORV_PIXEL static Pixel Pack(ch r, ch g, ch b) { return u32{r} << 16 | u32{g} << 8 | b; }
};

struct TFactors {
  u32 Src = blendOne, Dest = blendZero;
};

// Blend operations for the factor pairs the system uses, and a general one,
// channel by channel: source channel sc and source alpha a over destination
// channel dc. They have no branches, so whole rows become vector code; the
// results equal those with early outs for alpha 0 and 255.
struct OpReplace {
  ORV_PIXEL static ch Channel(ch sc, ch, ch, const TFactors&) { return sc; }
};

// ONE, INVSRCALPHA: premultiplied colour.
struct OpPremultiplied {
  ORV_PIXEL static ch Channel(ch sc, ch dc, ch a, const TFactors&) {
    return Min255(static_cast<ch>(sc + Div255(static_cast<ch>(dc * (255 - a)))));
  }
};

// SRCALPHA, ONE: additive light.
struct OpAdditive {
  ORV_PIXEL static ch Channel(ch sc, ch dc, ch a, const TFactors&) {
    return Min255(static_cast<ch>(Div255(static_cast<ch>(sc * a)) + dc));
  }
};

// ONE, ONE.
struct OpAdd {
  ORV_PIXEL static ch Channel(ch sc, ch dc, ch, const TFactors&) { return Min255(static_cast<ch>(sc + dc)); }
};

// SRCALPHA, INVSRCALPHA.
struct OpAlpha {
  ORV_PIXEL static ch Channel(ch sc, ch dc, ch a, const TFactors&) {
    return Div255(static_cast<ch>(sc * a + dc * (255 - a)));
  }
};

// Factor of one channel; the render targets have no alpha (255).
ORV_PIXEL u32 Factor(u32 kind, u32 sc, u32 dc, u32 sa) {
  switch (kind) {
    case blendZero: return 0;
    case blendSrcColor: return sc;
    case blendInvSrcColor: return 255 - sc;
    case blendSrcAlpha: return sa;
    case blendInvSrcAlpha: return 255 - sa;
    case blendDestColor: return dc;
    case blendInvDestColor: return 255 - dc;
    default: return 255;
  }
}

// Two products can pass 16 bits here.
struct OpGeneral {
  ORV_PIXEL static ch Channel(ch sc, ch dc, ch a, const TFactors& f) {
    const u32 sum = sc * Factor(f.Src, sc, dc, a) + dc * Factor(f.Dest, sc, dc, a);
    return static_cast<ch>(std::min<u32>(255, (sum + 128 + ((sum + 128) >> 8)) >> 8));
  }
};

// count ARGB source pixels blended into the destination.
template <class T, class Op>
void BlendRow(typename T::Pixel* __restrict d, const u32* __restrict s, int count, const TFactors& f) {
  for (int i = 0; i < count; ++i) {
    ch r, g, b;
    T::Unpack(d[i], r, g, b);
    const u32 c = s[i];
    const ch a = static_cast<ch>(c >> 24);
    d[i] = T::Pack(Op::Channel(static_cast<ch>(c >> 16 & 0xFF), r, a, f),
                   Op::Channel(static_cast<ch>(c >> 8 & 0xFF), g, a, f), Op::Channel(static_cast<ch>(c & 0xFF), b, a, f));
  }
}

// Texel coordinates are 16.16 fixed point in texel units; a texel's centre
// lies at +0.5.
template <bool Clamp>
ORV_PIXEL int Address(i64 i, int size) {
  if (Clamp) return static_cast<int>(std::clamp<i64>(i, 0, size - 1));
  i64 m = i % size;
  return static_cast<int>(m < 0 ? m + size : m);
}

// Bilinear mix of two ARGB values, weight f of b in 0..256, two channels at
// a time.
ORV_PIXEL u32 Lerp(u32 a, u32 b, u32 f) {
  const u32 g = 256 - f;
  const u32 rb = ((a & 0x00FF00FF) * g + (b & 0x00FF00FF) * f) >> 8 & 0x00FF00FF;
  const u32 ag = ((a >> 8 & 0x00FF00FF) * g + (b >> 8 & 0x00FF00FF) * f) & 0xFF00FF00;
  return rb | ag;
}

template <bool Linear, bool Clamp>
ORV_PIXEL u32 Sample(const TRasterTexture& t, i64 s, i64 v) {
  if (!Linear) {
    const int x = Address<Clamp>(s >> 16, t.Width), y = Address<Clamp>(v >> 16, t.Height);
    return t.Texels[static_cast<std::ptrdiff_t>(y) * t.PitchTexels + x];
  }
  s -= 0x8000;
  v -= 0x8000;
  const u32 fx = static_cast<u32>(s >> 8 & 0xFF), fy = static_cast<u32>(v >> 8 & 0xFF);
  const int x0 = Address<Clamp>(s >> 16, t.Width), x1 = Address<Clamp>((s >> 16) + 1, t.Width);
  const int y0 = Address<Clamp>(v >> 16, t.Height), y1 = Address<Clamp>((v >> 16) + 1, t.Height);
  const u32* r0 = t.Texels + static_cast<std::ptrdiff_t>(y0) * t.PitchTexels;
  const u32* r1 = t.Texels + static_cast<std::ptrdiff_t>(y1) * t.PitchTexels;
  return Lerp(Lerp(r0[x0], r1[x0], fy), Lerp(r0[x1], r1[x1], fy), fx);
}

using TSpanFn = void (*)(void* dst, int n, const TRasterTexture& t, i64 s, i64 v, i64 ds, i64 dv, const TFactors& f);
using TDirectFn = void (*)(void* dst, int n, const u32* texels, const TFactors& f);

inline i64 FloorDiv(i64 a, i64 b) {
  i64 q = a / b;
  return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

// Narrows [first, last) to the steps k at which lo <= s + k * ds < hi.
inline void Restrict(i64 s, i64 ds, i64 lo, i64 hi, int n, int& first, int& last) {
  i64 a = 0, b = n;
  if (ds == 0) {
    if (s < lo || s >= hi) a = b = 0;
  } else if (ds > 0) {
    a = -FloorDiv(s - lo, ds);  // ceil((lo - s) / ds)
    b = -FloorDiv(s - hi, ds);
  } else {
    a = FloorDiv(hi - s, ds) + 1;
    b = FloorDiv(lo - s, ds) + 1;
  }
  first = static_cast<int>(std::clamp<i64>(std::max<i64>(a, first), 0, n));
  last = static_cast<int>(std::clamp<i64>(std::min<i64>(b, last), 0, n));
}

// Inside the texture, with no address to clamp or wrap.
template <bool Linear>
ORV_PIXEL u32 SampleInside(const TRasterTexture& t, i64 s, i64 v) {
  if (!Linear) return t.Texels[(v >> 16) * t.PitchTexels + (s >> 16)];
  s -= 0x8000;
  v -= 0x8000;
  const u32 fx = static_cast<u32>(s >> 8 & 0xFF), fy = static_cast<u32>(v >> 8 & 0xFF);
  const u32* r0 = t.Texels + (v >> 16) * t.PitchTexels + (s >> 16);
  const u32* r1 = r0 + t.PitchTexels;
  const u32 a = r0[0], b = r0[1], c = r1[0], d = r1[1];
  // Sprites are mostly empty around their figures: nothing to mix there.
  if ((a | b | c | d) == 0) return 0;
  return Lerp(Lerp(a, c, fy), Lerp(b, d, fy), fx);
}

// a and b mixed byte by byte, weight f of b in 0..256: the same as Lerp.
void LerpBytes(const u8* a, const u8* b, u32 f, u8* out, int count) {
  const u32 g = 256 - f;
  for (int j = 0; j < count; ++j) out[j] = static_cast<u8>((a[j] * g + b[j] * f) >> 8);
}

// Linear samples inside the texture along one texel row pair (a span of an
// axis-aligned quad): the two rows are mixed once, then each pixel mixes its
// two columns. Unscaled, every pixel has the same weights and both steps run
// over whole rows.
void SampleAlongRow(u32* out, int n, const TRasterTexture& t, i64 s, i64 v, i64 ds) {
  constexpr int Columns = 258;
  s -= 0x8000;
  v -= 0x8000;
  const u32* r0 = t.Texels + (v >> 16) * t.PitchTexels;
  const u32* r1 = r0 + t.PitchTexels;
  const u32 fy = static_cast<u32>(v >> 8 & 0xFF);
  const i64 c0 = s >> 16, c1 = (s + (n - 1) * ds) >> 16;
  const i64 from = std::min(c0, c1), count = std::max(c0, c1) - from + 2;
  if (count > Columns) {
    for (int i = 0; i < n; ++i, s += ds) out[i] = SampleInside<true>(t, s + 0x8000, v + 0x8000);
    return;
  }
  u32 mixed[Columns];
  LerpBytes(reinterpret_cast<const u8*>(r0 + from), reinterpret_cast<const u8*>(r1 + from), fy,
            reinterpret_cast<u8*>(mixed), static_cast<int>(4 * count));
  if (ds == 0x10000) {
    const u8* m = reinterpret_cast<const u8*>(mixed + (c0 - from));
    LerpBytes(m, m + 4, static_cast<u32>(s >> 8 & 0xFF), reinterpret_cast<u8*>(out), 4 * n);
    return;
  }
  for (int i = 0; i < n; ++i, s += ds) {
    const u32* m = mixed + ((s >> 16) - from);
    out[i] = Lerp(m[0], m[1], static_cast<u32>(s >> 8 & 0xFF));
  }
}

// Samples along a span: the steps whose samples lie wholly inside the
// texture need no addressing; only the few at the edges do.
template <bool Linear, bool Clamp>
void SampleRow(u32* out, int n, const TRasterTexture& t, i64 s, i64 v, i64 ds, i64 dv) {
  int first = 0, last = n;
  // Linear samples reach half a texel to each side.
  const i64 lo = Linear ? 0x8000 : 0;
  const auto hi = [](int size) { return Linear ? (i64{size - 1} << 16) + 0x8000 : i64{size} << 16; };
  Restrict(s, ds, lo, hi(t.Width), n, first, last);
  Restrict(v, dv, lo, hi(t.Height), n, first, last);
  if (first >= last) first = last = n;
  int i = 0;
  for (; i < first; ++i, s += ds, v += dv) out[i] = Sample<Linear, Clamp>(t, s, v);
  if (Linear && dv == 0 && last > first) {
    SampleAlongRow(out + first, last - first, t, s, v, ds);
    s += (last - first) * ds;
    i = last;
  }
  for (; i < last; ++i, s += ds, v += dv) out[i] = SampleInside<Linear>(t, s, v);
  for (; i < n; ++i, s += ds, v += dv) out[i] = Sample<Linear, Clamp>(t, s, v);
}

// Sampled in pieces into a buffer, then blended row-wise.
template <class T, class Op, bool Linear, bool Clamp>
void Span(void* dst, int n, const TRasterTexture& t, i64 s, i64 v, i64 ds, i64 dv, const TFactors& f) {
  constexpr int Piece = 256;
  u32 texels[Piece];
  auto* d = static_cast<typename T::Pixel*>(dst);
  for (int done = 0; done < n; done += Piece) {
    const int m = std::min(Piece, n - done);
    SampleRow<Linear, Clamp>(texels, m, t, s, v, ds, dv);
    BlendRow<T, Op>(d + done, texels, m, f);
    s += m * ds;
    v += m * dv;
  }
}

// One texel per pixel, in order.
template <class T, class Op>
void SpanDirect(void* dst, int n, const u32* texels, const TFactors& f) {
  BlendRow<T, Op>(static_cast<typename T::Pixel*>(dst), texels, n, f);
}

template <class T, class Op>
TSpanFn PickSampling(bool linear, bool clamp) {
  if (linear) return clamp ? Span<T, Op, true, true> : Span<T, Op, true, false>;
  return clamp ? Span<T, Op, false, true> : Span<T, Op, false, false>;
}

enum class TOp { Replace, Premultiplied, Additive, Add, Alpha, General };

TOp PickOp(const TRasterState& st) {
  if (!st.Blend || (st.SrcBlend == blendOne && st.DestBlend == blendZero)) return TOp::Replace;
  if (st.SrcBlend == blendOne && st.DestBlend == blendInvSrcAlpha) return TOp::Premultiplied;
  if (st.SrcBlend == blendSrcAlpha && st.DestBlend == blendOne) return TOp::Additive;
  if (st.SrcBlend == blendOne && st.DestBlend == blendOne) return TOp::Add;
  if (st.SrcBlend == blendSrcAlpha && st.DestBlend == blendInvSrcAlpha) return TOp::Alpha;
  return TOp::General;
}

template <class T>
void PickFunctions(TOp op, bool linear, bool clamp, TSpanFn& span, TDirectFn& direct) {
  switch (op) {
    case TOp::Replace: span = PickSampling<T, OpReplace>(linear, clamp); direct = SpanDirect<T, OpReplace>; break;
    case TOp::Premultiplied:
      span = PickSampling<T, OpPremultiplied>(linear, clamp);
      direct = SpanDirect<T, OpPremultiplied>;
      break;
    case TOp::Additive: span = PickSampling<T, OpAdditive>(linear, clamp); direct = SpanDirect<T, OpAdditive>; break;
    case TOp::Add: span = PickSampling<T, OpAdd>(linear, clamp); direct = SpanDirect<T, OpAdd>; break;
    case TOp::Alpha: span = PickSampling<T, OpAlpha>(linear, clamp); direct = SpanDirect<T, OpAlpha>; break;
    case TOp::General: span = PickSampling<T, OpGeneral>(linear, clamp); direct = SpanDirect<T, OpGeneral>; break;
  }
}

struct TVertex {
  double X, Y, S, T;
};

struct TContext {
  const TRasterTarget& Target;
  TRasterTexture Texture;
  const TRasterState& State;
  TFactors Factors;
  TOp Op;
  bool Clamp;
  u32 Flat;  // the one texel of an untextured primitive

  void Pick(bool linear, TSpanFn& span, TDirectFn& direct) const {
    const TPixelFormat& f = Target.Format;
    if (f.BitCount == 32)
      PickFunctions<T8888>(Op, linear, Clamp, span, direct);
    else if (f.GMask == 0x03E0)
      PickFunctions<T555>(Op, linear, Clamp, span, direct);
    else
      PickFunctions<T565>(Op, linear, Clamp, span, direct);
  }
  bool Linear(double texelsPerPixel) const {
    return (texelsPerPixel > 1.0 ? State.MinFilter : State.MagFilter) == filterLinear;
  }
  void* Pixel(int x, int y) const {
    return Target.Pixels.Bits + static_cast<std::ptrdiff_t>(Target.Pixels.Pitch) * y +
           static_cast<std::ptrdiff_t>(x) * Target.Pixels.BytesPerPixel;
  }
};

// Coordinates beyond a billion texels mean nothing and would let the steps
// along a span overflow.
inline i64 Fixed(double v) {
  constexpr double limit = 1e9;
  return static_cast<i64>(std::floor(std::clamp(v, -limit, limit) * 65536.0));
}

// First pixel (centre on an integer) at or after the edge c, within [lo, hi].
inline int CeilClamped(double c, int lo, int hi) { return static_cast<int>(std::clamp(std::ceil(c), double(lo), double(hi))); }

void DrawTriangle(const TContext& c, const TVertex& a, const TVertex& b, const TVertex& p) {
  const double area = (b.X - a.X) * (p.Y - a.Y) - (p.X - a.X) * (b.Y - a.Y);
  if (area == 0 || !std::isfinite(area)) return;
  const double dsdx = ((b.S - a.S) * (p.Y - a.Y) - (p.S - a.S) * (b.Y - a.Y)) / area;
  const double dsdy = ((p.S - a.S) * (b.X - a.X) - (b.S - a.S) * (p.X - a.X)) / area;
  const double dtdx = ((b.T - a.T) * (p.Y - a.Y) - (p.T - a.T) * (b.Y - a.Y)) / area;
  const double dtdy = ((p.T - a.T) * (b.X - a.X) - (b.T - a.T) * (p.X - a.X)) / area;
  TSpanFn span;
  TDirectFn direct;
  c.Pick(c.Linear(std::fabs(dsdx * dtdy - dsdy * dtdx)), span, direct);
  const TRect& clip = c.Target.Clip;
  const TVertex* v[3] = {&a, &b, &p};
  const double yMin = std::min({a.Y, b.Y, p.Y}), yMax = std::max({a.Y, b.Y, p.Y});
  const int y0 = CeilClamped(yMin, clip.Top, clip.Bottom), y1 = CeilClamped(yMax, clip.Top, clip.Bottom);
  const i64 ds = Fixed(dsdx), dt = Fixed(dtdx);
  for (int y = y0; y < y1; ++y) {
    double xs[2];
    int found = 0;
    for (int e = 0; e < 3 && found < 2; ++e) {
      const TVertex* p0 = v[e];
      const TVertex* p1 = v[(e + 1) % 3];
      if (p0->Y > p1->Y) std::swap(p0, p1);
      if (!(p0->Y <= y && y < p1->Y)) continue;
      xs[found++] = p0->X + (y - p0->Y) * (p1->X - p0->X) / (p1->Y - p0->Y);
    }
    if (found < 2) continue;
    const int x0 = CeilClamped(std::min(xs[0], xs[1]), clip.Left, clip.Right);
    const int x1 = CeilClamped(std::max(xs[0], xs[1]), clip.Left, clip.Right);
    if (x0 >= x1) continue;
    const double s = a.S + dsdx * (x0 - a.X) + dsdy * (y - a.Y);
    const double t = a.T + dtdx * (x0 - a.X) + dtdy * (y - a.Y);
    span(c.Pixel(x0, y), x1 - x0, c.Texture, Fixed(s), Fixed(t), ds, dt, c.Factors);
  }
}

// A fan of four vertices forming a rectangle on the pixel grid's axes whose
// texture coordinates follow the axes too; false when it is not one.
bool DrawAxisAlignedQuad(const TContext& c, const TVertex* v) {
  // Corner a and its neighbours along x (bx) and along y (by).
  const TVertex *a = &v[0], *bx, *by;
  if (v[0].Y == v[1].Y && v[2].Y == v[3].Y && v[0].X == v[3].X && v[1].X == v[2].X) {
    bx = &v[1];
    by = &v[3];
  } else if (v[0].X == v[1].X && v[2].X == v[3].X && v[0].Y == v[3].Y && v[1].Y == v[2].Y) {
    bx = &v[3];
    by = &v[1];
  } else {
    return false;
  }
  const TVertex& d = v[2];
  // s may change only along x and t only along y.
  if (a->S != by->S || bx->S != d.S || a->T != bx->T || by->T != d.T) return false;
  if (a->X == bx->X || a->Y == by->Y) return true;  // nothing to draw
  const double dsdx = (bx->S - a->S) / (bx->X - a->X), dtdy = (by->T - a->T) / (by->Y - a->Y);
  if (!std::isfinite(dsdx) || !std::isfinite(dtdy)) return true;
  const TRect& clip = c.Target.Clip;
  const int x0 = CeilClamped(std::min(a->X, bx->X), clip.Left, clip.Right);
  const int x1 = CeilClamped(std::max(a->X, bx->X), clip.Left, clip.Right);
  const int y0 = CeilClamped(std::min(a->Y, by->Y), clip.Top, clip.Bottom);
  const int y1 = CeilClamped(std::max(a->Y, by->Y), clip.Top, clip.Bottom);
  if (x0 >= x1 || y0 >= y1) return true;
  const bool linear = c.Linear(std::fabs(dsdx * dtdy));
  TSpanFn span;
  TDirectFn direct;
  c.Pick(linear, span, direct);
  const int n = x1 - x0;
  const i64 s0 = Fixed(a->S + dsdx * (x0 - a->X)), ds = Fixed(dsdx);
  // One texel per pixel when the texel index grows by exactly one each step
  // and stays inside the texture.
  const i64 first = s0 >> 16, last = (s0 + (n - 1) * ds) >> 16;
  const bool oneToOne = !linear && c.State.Textured && ds >= 0x10000 && last - first == n - 1 && first >= 0 &&
                        last < c.Texture.Width;
  for (int y = y0; y < y1; ++y) {
    const i64 t = Fixed(a->T + dtdy * (y - a->Y));
    if (oneToOne) {
      const int row = c.Clamp ? Address<true>(t >> 16, c.Texture.Height) : Address<false>(t >> 16, c.Texture.Height);
      direct(c.Pixel(x0, y), n, c.Texture.Texels + static_cast<std::ptrdiff_t>(row) * c.Texture.PitchTexels + first,
             c.Factors);
    } else {
      span(c.Pixel(x0, y), n, c.Texture, s0, t, ds, 0, c.Factors);
    }
  }
  return true;
}

bool Finite(const TTLVertex& v) {
  return std::isfinite(v.X) && std::isfinite(v.Y) && std::isfinite(v.U) && std::isfinite(v.V);
}

template <class Draw>
void WithContext(const TRasterTarget& target, const TRasterTexture& texture, const TRasterState& state,
                 const TTLVertex* vertices, int count, Draw draw) {
  if (target.Clip.Left >= target.Clip.Right || target.Clip.Top >= target.Clip.Bottom) return;
  for (int i = 0; i < count; ++i)
    if (!Finite(vertices[i])) return;
  TContext c{target, texture, state, {state.SrcBlend, state.DestBlend}, PickOp(state), state.Clamp, state.FlatColor};
  if (!state.Textured || !texture.Texels || texture.Width <= 0 || texture.Height <= 0) {
    c.Texture = {&c.Flat, 1, 1, 1};
    c.Clamp = true;
  }
  const double w = c.Texture.Width, h = c.Texture.Height;
  auto convert = [&](const TTLVertex& t) {
    return TVertex{t.X, t.Y, state.Textured ? t.U * w : 0.0, state.Textured ? t.V * h : 0.0};
  };
  draw(c, convert);
}

}  // namespace

void DrawTriangleFan(const TRasterTarget& target, const TRasterTexture& texture, const TRasterState& state,
                     const TTLVertex* vertices, int count) {
  if (count < 3) return;
  WithContext(target, texture, state, vertices, count, [&](const TContext& c, auto convert) {
    if (count == 4) {
      const TVertex quad[4] = {convert(vertices[0]), convert(vertices[1]), convert(vertices[2]), convert(vertices[3])};
      if (DrawAxisAlignedQuad(c, quad)) return;
    }
    const TVertex first = convert(vertices[0]);
    for (int i = 1; i + 1 < count; ++i) DrawTriangle(c, first, convert(vertices[i]), convert(vertices[i + 1]));
  });
}

void DrawTriangleList(const TRasterTarget& target, const TRasterTexture& texture, const TRasterState& state,
                      const TTLVertex* vertices, int count) {
  WithContext(target, texture, state, vertices, count, [&](const TContext& c, auto convert) {
    for (int i = 0; i + 2 < count; i += 3)
      DrawTriangle(c, convert(vertices[i]), convert(vertices[i + 1]), convert(vertices[i + 2]));
  });
}

}  // namespace Plat
