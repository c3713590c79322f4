// The three random streams of the game rules and the draws made from them,
// plus small rule helpers that many parts of the game world share.
#pragma once

#include "engine/base/random.h"
#include "engine/base/rect.h"

namespace GameData {

class TUnit;

// The main stream: every draw that must agree between network machines.
extern TRandomState RandomMain;
// The player thread's stream (the computer opponent's planning).
extern TRandomState RandomThread;
// The main stream kept aside while automatic battle orders are computed.
extern TRandomState RandomSaved;

// Sets a stream and steps it once, as every seeding does.
void SeedRandom(TRandomState& stream, u32 low, u32 high = 0);

long double UniformRandom(TRandomState& stream);
long double GaussDeviate(TRandomState& stream, double mean, double sigma);
// A normal draw around mean with sigma mean / 8, rounded.
i32 GaussRandom(TRandomState& stream, i32 mean);
bool GaussGreater(i32 a, i32 b);
bool RatioGreater(i32 a, i32 b);
// v varied uniformly by up to ten percent; never negative.
i32 VaryTenPercent(i32 v);

// Fields are 40 by 40 pixels; objects stand on the centre pixel.
constexpr i32 FieldSize = 40;
void SnapToFieldCentre(i32& x, i32& y);
void FieldToPixel(i32 fx, i32 fy, i32& px, i32& py);
bool IsFieldCentre(i32 x, i32 y);

i32 RectArea(const Base::TRect& r);
bool CanMergeRects(const Base::TRect& a, const Base::TRect& b);

int CompareSortKeyDescending(const TUnit* a, const TUnit* b);
int CompareSortKeyAscending(const TUnit* a, const TUnit* b);

}  // namespace GameData
