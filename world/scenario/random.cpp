#include "world/scenario/random.h"

#include <cmath>

#include "world/units/unit.h"

namespace GameData {

TRandomState RandomMain;
TRandomState RandomThread;
TRandomState RandomSaved;

namespace {

// Module start-up: every stream zero, stepped once.
struct TStartUp {
  TStartUp() {
    SeedRandom(RandomMain, 0);
    SeedRandom(RandomThread, 0);
    SeedRandom(RandomSaved, 0);
  }
} startUp;

}  // namespace

void SeedRandom(TRandomState& stream, u32 low, u32 high) {
  stream.Low = low;
  stream.High = high;
  NextRandom(stream);
}

long double UniformRandom(TRandomState& stream) {
  i32 r;
  do {
    r = NextRandom(stream);
  } while (r == 0);
  return static_cast<long double>(r) * static_cast<long double>(4.656613e-10f);
}

long double GaussDeviate(TRandomState& stream, double mean, double sigma) {
  long double u, v, s;
  do {
    u = 2 * UniformRandom(stream) - 1;
    v = 2 * UniformRandom(stream) - 1;
    s = v * v + u * u;
  } while (s >= 1);
  return mean + sigma * u * std::sqrt(-2 * std::log(s) / s);
}

i32 GaussRandom(TRandomState& stream, i32 mean) {
  double sigma = mean * 0.125;
  long double x = GaussDeviate(stream, mean, sigma);
  return static_cast<i32>(std::floor(x + 0.5L));
}

bool GaussGreater(i32 a, i32 b) {
  i32 first = GaussRandom(RandomMain, a);
  i32 second = GaussRandom(RandomMain, b);
  return first > second;
}

bool RatioGreater(i32 a, i32 b) { return static_cast<double>(a) / b > 1.0; }

i32 VaryTenPercent(i32 v) {
  i32 d = static_cast<i32>((static_cast<i64>(v) * 10) / 100);
  i32 r = 0;
  if (2 * d + 1 >= 1) r = NextRandom(RandomMain) % (2 * d + 1);
  i32 result = v - d + r;
  return result < 0 ? 0 : result;
}

void SnapToFieldCentre(i32& x, i32& y) {
  x = x - (x % FieldSize) + FieldSize / 2;
  y = y - (y % FieldSize) + FieldSize / 2;
}

void FieldToPixel(i32 fx, i32 fy, i32& px, i32& py) {
  px = fx * FieldSize + FieldSize / 2;
  py = fy * FieldSize + FieldSize / 2;
}

bool IsFieldCentre(i32 x, i32 y) {
  i32 sx = x, sy = y;
  SnapToFieldCentre(sx, sy);
  return sx == x && sy == y;
}

i32 RectArea(const Base::TRect& r) { return Base::IsRectEmpty(r) ? 0 : r.Width() * r.Height(); }

bool CanMergeRects(const Base::TRect& a, const Base::TRect& b) {
  return RectArea(Base::UnionRect(a, b)) - RectArea(a) - RectArea(b) <= 0;
}

int CompareSortKeyDescending(const TUnit* a, const TUnit* b) {
  return a->SortKey > b->SortKey ? -1 : (a->SortKey == b->SortKey ? 0 : 1);
}

int CompareSortKeyAscending(const TUnit* a, const TUnit* b) {
  return a->SortKey > b->SortKey ? 1 : (a->SortKey == b->SortKey ? 0 : -1);
}

}  // namespace GameData
