#include "world/scenario/random.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/world/world_fixture.h"

namespace {

using GameData::RandomMain;

// Restores the main stream, which the rules draw from, after every test.
class RandomTest : public ::testing::Test {
 protected:
  void SetUp() override { Saved = RandomMain; }
  void TearDown() override { RandomMain = Saved; }
  TRandomState Saved;
};

// The expected numbers below were computed independently with big integers
// (state x 0x15A00004E35 + 1 mod 2^64) and double-precision floating point.

TEST_F(RandomTest, NextRandomFromZeroState) {
  u32 low = 0, high = 0;
  EXPECT_EQ(NextRandom(&low, &high), 0);
  EXPECT_EQ(low, 1u);
  EXPECT_EQ(high, 0u);
  EXPECT_EQ(NextRandom(&low, &high), 0x15A);
  EXPECT_EQ(low, 0x4E36u);
  EXPECT_EQ(high, 0x15Au);
}

TEST_F(RandomTest, NextRandomSequenceFromSeed) {
  TRandomState s{12345, 0};
  const i32 expected[] = {4271370, 1382990846, 2021515706, 1387358403, 189252802};
  for (i32 value : expected) EXPECT_EQ(NextRandom(s), value);
  EXPECT_EQ(s.Low, 0xF45E992Au);
  EXPECT_EQ(s.High, 0x0B47C4C2u);
}

TEST_F(RandomTest, NextRandomClearsTheTopBitAndKeepsTheFullHighWord) {
  // The state's high word may have its top bit set; only the result loses it.
  TRandomState s{0xFFFFFFFFu, 0xFFFFFFFFu};
  i32 r = NextRandom(s);
  // (2^64 - 1) x M + 1 = 1 - M mod 2^64.
  const u64 state = 1 - ((u64{0x15A} << 32) | 0x4E35);
  EXPECT_EQ(s.Low, static_cast<u32>(state));
  EXPECT_EQ(s.High, static_cast<u32>(state >> 32));
  EXPECT_GE(s.High, 0x80000000u);
  EXPECT_EQ(r, static_cast<i32>(s.High & 0x7FFFFFFF));
}

TEST_F(RandomTest, SeedRandomStepsOnce) {
  TRandomState s{7, 7};
  GameData::SeedRandom(s, 12345);
  EXPECT_EQ(NextRandom(s), 1382990846) << "the first number went into the seeding";
}

TEST_F(RandomTest, UniformRandomIsTheDrawTimesTwoToMinus31) {
  TRandomState s{12345, 0};
  EXPECT_EQ(GameData::UniformRandom(s), 4271370.0L / 2147483648.0L);
  EXPECT_EQ(GameData::UniformRandom(s), 1382990846.0L / 2147483648.0L);
}

TEST_F(RandomTest, UniformRandomSkipsAZeroDraw) {
  TRandomState s{0, 0};  // the first step returns 0
  EXPECT_EQ(GameData::UniformRandom(s), 346.0L / 2147483648.0L);
  EXPECT_EQ(s.Low, 0x4E36u);
  EXPECT_EQ(s.High, 0x15Au);
}

TEST_F(RandomTest, UniformRandomStaysInsideTheOpenInterval) {
  TRandomState s{99, 1};
  for (int i = 0; i < 20000; ++i) {
    long double u = GameData::UniformRandom(s);
    ASSERT_GT(u, 0.0L);
    ASSERT_LT(u, 1.0L);
  }
}

TEST_F(RandomTest, GaussDeviateFollowsThePolarMethod) {
  // The first pair is rejected (s >= 1), so the first deviate costs four draws.
  TRandomState s{12345, 0};
  EXPECT_NEAR(static_cast<double>(GameData::GaussDeviate(s, 80, 10)), 85.12440994375874, 1e-9);
  EXPECT_EQ(s.Low, 0xBBD58DA5u);
  EXPECT_EQ(s.High, 0x52B168C3u);
  EXPECT_NEAR(static_cast<double>(GameData::GaussDeviate(s, 80, 10)), 65.86806731705659, 1e-9);
}

TEST_F(RandomTest, GaussRandomPinnedValues) {
  struct TCase {
    i32 mean;
    i32 values[5];
  };
  // None of the underlying deviates lies near a rounding boundary.
  const TCase cases[] = {
      {80, {85, 66, 66, 89, 85}},
      {100, {106, 82, 82, 111, 107}},
      {7, {7, 6, 6, 8, 7}},
      {20, {21, 16, 16, 22, 21}},
  };
  for (const TCase& c : cases) {
    TRandomState s{12345, 0};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(GameData::GaussRandom(s, c.mean), c.values[i]) << c.mean << " #" << i;
    // Draws do not depend on the mean: 18 steps for five deviates.
    EXPECT_EQ(s.Low, 0xFB052157u) << c.mean;
    EXPECT_EQ(s.High, 0x43C7FECDu) << c.mean;
  }
}

TEST_F(RandomTest, GaussRandomMeanZeroStillDraws) {
  TRandomState s{12345, 0};
  EXPECT_EQ(GameData::GaussRandom(s, 0), 0);
  EXPECT_EQ(s.Low, 0xBBD58DA5u);
  EXPECT_EQ(s.High, 0x52B168C3u);
}

TEST_F(RandomTest, GaussRandomSpreadIsAnEighthOfTheMean) {
  TRandomState s{4242, 0};
  const int n = 20000;
  double sum = 0, squares = 0;
  for (int i = 0; i < n; ++i) {
    double x = GameData::GaussRandom(s, 80);
    sum += x;
    squares += x * x;
  }
  double mean = sum / n;
  double sigma = std::sqrt(squares / n - mean * mean);
  EXPECT_NEAR(mean, 80.0, 0.3);
  EXPECT_NEAR(sigma, 10.0, 0.3);
}

TEST_F(RandomTest, GaussGreaterDrawsTheFirstStrengthFirst) {
  // From this seed the first deviate lies above its mean and the second
  // below: 85 then 66 for two means of 80. Drawn the other way round, the
  // contest would be lost.
  RandomMain = {12345, 0};
  EXPECT_TRUE(GameData::GaussGreater(80, 80));
  RandomMain = {12345, 0};
  EXPECT_TRUE(GameData::GaussGreater(100, 80)) << "106 against 66";
  RandomMain = {12345, 0};
  EXPECT_FALSE(GameData::GaussGreater(7, 100)) << "7 against 82";
  // Equal results are not greater.
  RandomMain = {12345, 0};
  EXPECT_FALSE(GameData::GaussGreater(0, 0));
}

TEST_F(RandomTest, RatioGreater) {
  EXPECT_TRUE(GameData::RatioGreater(3, 2));
  EXPECT_FALSE(GameData::RatioGreater(2, 2));
  EXPECT_FALSE(GameData::RatioGreater(2, 3));
  EXPECT_TRUE(GameData::RatioGreater(-3, -2));
}

TEST_F(RandomTest, VaryTenPercent) {
  // 100: d = 10, r = draw mod 21 (draws 4271370, 1382990846, 2021515706).
  RandomMain = {12345, 0};
  EXPECT_EQ(GameData::VaryTenPercent(100), 102);
  EXPECT_EQ(GameData::VaryTenPercent(100), 110);
  EXPECT_EQ(GameData::VaryTenPercent(100), 104);

  // Below 10 the value comes back, but the draw is still made.
  RandomMain = {12345, 0};
  EXPECT_EQ(GameData::VaryTenPercent(5), 5);
  EXPECT_EQ(RandomMain.High, 4271370u);
  // From -9 to -1, d is 0 and the draw is made; the result is never negative.
  RandomMain = {12345, 0};
  EXPECT_EQ(GameData::VaryTenPercent(-5), 0);
  EXPECT_EQ(RandomMain.High, 4271370u);
  // From -10 on d < 0: no draw.
  RandomMain = {12345, 0};
  EXPECT_EQ(GameData::VaryTenPercent(-20), 0);
  EXPECT_EQ(RandomMain.Low, 12345u);
  EXPECT_EQ(RandomMain.High, 0u);

  RandomMain = {777, 3};
  for (int i = 0; i < 2000; ++i) {
    i32 v = GameData::VaryTenPercent(100);
    ASSERT_GE(v, 90);
    ASSERT_LE(v, 110);
  }
}

TEST_F(RandomTest, FieldPositions) {
  i32 x = 45, y = 79;
  GameData::SnapToFieldCentre(x, y);
  EXPECT_EQ(x, 60);
  EXPECT_EQ(y, 60);
  // Truncating division: a negative coordinate keeps a negative remainder.
  x = -5;
  y = -45;
  GameData::SnapToFieldCentre(x, y);
  EXPECT_EQ(x, 20);
  EXPECT_EQ(y, -20);

  i32 px, py;
  GameData::FieldToPixel(3, 0, px, py);
  EXPECT_EQ(px, 140);
  EXPECT_EQ(py, 20);

  EXPECT_TRUE(GameData::IsFieldCentre(60, 60));
  EXPECT_FALSE(GameData::IsFieldCentre(61, 60));
  EXPECT_FALSE(GameData::IsFieldCentre(60, 40));
}

TEST_F(RandomTest, RectHelpers) {
  EXPECT_EQ(GameData::RectArea({0, 0, 10, 5}), 50);
  EXPECT_EQ(GameData::RectArea({10, 0, 0, 5}), 0);
  EXPECT_EQ(GameData::RectArea({0, 5, 10, 5}), 0);

  const Base::TRect a{0, 0, 10, 10};
  EXPECT_TRUE(GameData::CanMergeRects(a, a));
  EXPECT_TRUE(GameData::CanMergeRects(a, {10, 0, 20, 10})) << "side by side: the union costs nothing extra";
  EXPECT_TRUE(GameData::CanMergeRects(a, {2, 2, 5, 5})) << "contained";
  EXPECT_FALSE(GameData::CanMergeRects(a, {100, 100, 110, 110}));
  EXPECT_FALSE(GameData::CanMergeRects(a, {5, 5, 15, 15})) << "union 225 > 100 + 100";
  EXPECT_TRUE(GameData::CanMergeRects(a, {})) << "an empty rectangle adds nothing";
}

TEST_F(RandomTest, SortKeyComparators) {
  GameData::TUnit a, b;
  a.SortKey = 5;
  b.SortKey = 3;
  EXPECT_EQ(GameData::CompareSortKeyDescending(&a, &b), -1);
  EXPECT_EQ(GameData::CompareSortKeyDescending(&b, &a), 1);
  EXPECT_EQ(GameData::CompareSortKeyDescending(&a, &a), 0);
  EXPECT_EQ(GameData::CompareSortKeyAscending(&a, &b), 1);
  EXPECT_EQ(GameData::CompareSortKeyAscending(&b, &a), -1);
  EXPECT_EQ(GameData::CompareSortKeyAscending(&b, &b), 0);
}

}  // namespace
