// The mixing sound device, read back as samples through Mix.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "engine/platform/system/modules.h"
#include "engine/platform/sound/sound_device.h"

namespace {

using namespace Plat;

TWaveFormat Wave(std::uint32_t rate, std::uint16_t bits, std::uint16_t channels) {
  TWaveFormat f;
  f.Channels = channels;
  f.SamplesPerSec = rate;
  f.BitsPerSample = bits;
  f.BlockAlign = static_cast<std::uint16_t>(bits / 8 * channels);
  f.AvgBytesPerSec = rate * f.BlockAlign;
  return f;
}

class SoundDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    SetSoundOutputKind(TSoundOutputKind::Manual);
    ASSERT_EQ(CreateSoundDevice(nullptr, &Device), SoundOk);
    ASSERT_EQ(Device->SetCooperativeLevel(nullptr, TCooperativeLevel::Priority), SoundOk);
  }
  void TearDown() override {
    if (Device) Device->Release();
    SoundFaults() = {};
    SetSoundOutputKind(TSoundOutputKind::Sdl);
  }

  // A buffer holding the bytes, playing.
  TSoundBuffer* Buffer(const TWaveFormat& format, const void* bytes, std::uint32_t size, bool looping = true) {
    TSoundBuffer* b = nullptr;
    TSoundBufferDesc desc{sbCtrlVolume | sbCtrlPan, size, &format};
    EXPECT_EQ(Device->CreateSoundBuffer(desc, &b), SoundOk);
    Write(b, 0, bytes, size);
    EXPECT_EQ(b->Play(looping), SoundOk);
    return b;
  }

  static void Write(TSoundBuffer* b, std::uint32_t offset, const void* bytes, std::uint32_t size) {
    void *p1, *p2;
    std::uint32_t n1, n2;
    ASSERT_EQ(b->Lock(offset, size, &p1, &n1, &p2, &n2), SoundOk);
    std::memcpy(p1, bytes, n1);
    if (p2) std::memcpy(p2, static_cast<const std::uint8_t*>(bytes) + n1, n2);
    ASSERT_EQ(b->Unlock(p1, n1, p2, n2), SoundOk);
  }

  std::vector<std::int16_t> Mix(int frames) {
    std::vector<std::int16_t> out(static_cast<std::size_t>(frames) * 2);
    Device->Mix(out.data(), frames);
    return out;
  }

  TSoundDevice* Device = nullptr;
};

std::vector<std::int16_t> Constant(int frames, std::int16_t left, std::int16_t right) {
  std::vector<std::int16_t> s;
  for (int i = 0; i < frames; ++i) s.insert(s.end(), {left, right});
  return s;
}

TEST_F(SoundDevice, VolumeAndPanScaleEachChannel) {
  struct TCase {
    std::int32_t Volume, Pan;
    std::int16_t Left, Right;
  };
  // Hundredths of a decibel: -600 is half the amplitude (10^(-0.3) = 0.501).
  const TCase cases[] = {
      {0, 0, 10000, -8000},    {-600, 0, 5012, -4009},  {-10000, 0, 0, 0},
      {0, -600, 10000, -4009}, {0, 600, 5012, -8000},   {0, 10000, 0, -8000},
      {-600, -600, 5012, -2009},
  };
  const auto s = Constant(64, 10000, -8000);
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "volume " << c.Volume << " pan " << c.Pan);
    TSoundBuffer* b = Buffer(Wave(44100, 16, 2), s.data(), 256);
    ASSERT_EQ(b->SetVolume(c.Volume), SoundOk);
    ASSERT_EQ(b->SetPan(c.Pan), SoundOk);
    const auto out = Mix(8);
    EXPECT_NEAR(out[6], c.Left, 1);
    EXPECT_NEAR(out[7], c.Right, 1);
    b->Release();
  }
}

TEST_F(SoundDevice, ConvertsFormatsAndResamplesLinearly) {
  // 8-bit mono at 22050 Hz: unsigned, centred on 0x80, each frame heard
  // twice, the second time halfway to the next.
  const std::uint8_t bytes[4] = {0x80, 0xC0, 0x40, 0x80};
  Buffer(Wave(22050, 8, 1), bytes, 4);
  const auto out = Mix(8);
  const std::int16_t expected[8] = {0, 8192, 16384, 0, -16384, -8192, 0, 0};
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(out[2 * i], expected[i]) << i;
    EXPECT_EQ(out[2 * i + 1], expected[i]) << i;
  }
}

TEST_F(SoundDevice, SumsBuffersAndClips) {
  const auto loud = Constant(16, 30000, -30000);
  const auto soft = Constant(16, 1000, 1000);
  Buffer(Wave(44100, 16, 2), loud.data(), 64);
  Buffer(Wave(44100, 16, 2), loud.data(), 64);
  auto out = Mix(4);
  EXPECT_EQ(out[0], 32767);
  EXPECT_EQ(out[1], -32768);
  Device->Release();
  SetUp();
  Buffer(Wave(44100, 16, 2), loud.data(), 64);
  Buffer(Wave(44100, 16, 2), soft.data(), 64);
  out = Mix(4);
  EXPECT_EQ(out[0], 31000);
  EXPECT_EQ(out[1], -29000);
}

TEST_F(SoundDevice, LoopingWrapsAndOneShotStopsAtTheEnd) {
  std::vector<std::int16_t> ramp;
  for (int i = 0; i < 100; ++i) ramp.insert(ramp.end(), {static_cast<std::int16_t>(i * 10), 0});
  TSoundBuffer* loop = Buffer(Wave(44100, 16, 2), ramp.data(), 400);
  auto out = Mix(250);
  EXPECT_EQ(out[2 * 99], 990);
  EXPECT_EQ(out[2 * 100], 0);
  EXPECT_EQ(out[2 * 249], 490);
  std::uint32_t play = 0, write = 0;
  loop->GetCurrentPosition(&play, &write);
  EXPECT_EQ(play, 50u * 4);
  EXPECT_TRUE(loop->IsPlaying());
  ASSERT_EQ(loop->SetCurrentPosition(396), SoundOk);
  out = Mix(2);
  EXPECT_EQ(out[0], 990);
  EXPECT_EQ(out[2], 0);
  loop->Release();

  TSoundBuffer* once = Buffer(Wave(44100, 16, 2), ramp.data(), 400, false);
  out = Mix(150);
  EXPECT_EQ(out[2 * 99], 990);
  for (int i = 100; i < 150; ++i) EXPECT_EQ(out[2 * i], 0) << i;
  EXPECT_FALSE(once->IsPlaying());
  once->GetCurrentPosition(&play, nullptr);
  EXPECT_EQ(play, 0u);
}

TEST_F(SoundDevice, LocksWrapInTwoPartsAndKeepWhatIsNotWritten) {
  const auto zero = Constant(100, 0, 0);
  TSoundBuffer* b = Buffer(Wave(44100, 16, 2), zero.data(), 400);
  b->Stop();
  void *p1, *p2;
  std::uint32_t n1, n2;
  ASSERT_EQ(b->Lock(300, 200, &p1, &n1, &p2, &n2), SoundOk);
  EXPECT_EQ(n1, 100u);
  EXPECT_EQ(n2, 100u);
  ASSERT_NE(p2, nullptr);
  // Only one lock at a time.
  void *q1, *q2;
  std::uint32_t m1, m2;
  EXPECT_EQ(b->Lock(0, 4, &q1, &m1, &q2, &m2), SoundErrInvalidCall);
  const auto tail = Constant(25, 111, 222), head = Constant(25, 333, 444);
  std::memcpy(p1, tail.data(), 100);
  std::memcpy(p2, head.data(), 96);  // the last frame of the second part stays as it was
  ASSERT_EQ(b->Unlock(p1, n1, p2, n2), SoundOk);
  ASSERT_EQ(b->SetCurrentPosition(296), SoundOk);
  b->Play(true);
  const auto out = Mix(27);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[2], 111);
  EXPECT_EQ(out[3], 222);
  EXPECT_EQ(out[2 * 26], 333);
  EXPECT_EQ(out[2 * 26 + 1], 444);
  ASSERT_EQ(b->SetCurrentPosition(96), SoundOk);
  EXPECT_EQ(Mix(1)[0], 0);
}

TEST_F(SoundDevice, CountsAnUnderrunWhenPlayedBytesWereNotWrittenAgain) {
  const auto s = Constant(100, 1, 1);
  TSoundBuffer* b = Buffer(Wave(44100, 16, 2), s.data(), 400);
  Mix(60);
  Write(b, 0, s.data(), 240);  // what was played is written again in time
  Mix(60);
  EXPECT_EQ(b->Underruns(), 0u);
  Mix(100);  // past bytes that nobody refilled
  EXPECT_EQ(b->Underruns(), 1u);
}

TEST_F(SoundDevice, RefusesBadBuffersAndReportsForcedFaults) {
  TSoundBuffer* b = nullptr;
  TWaveFormat bad = Wave(44100, 12, 2);
  EXPECT_EQ(Device->CreateSoundBuffer({0, 400, &bad}, &b), SoundErrBadFormat);
  TWaveFormat good = Wave(44100, 16, 2);
  EXPECT_EQ(Device->CreateSoundBuffer({0, 402, &good}, &b), SoundErrInvalidParam);
  EXPECT_EQ(Device->CreateSoundBuffer({0, 0, &good}, &b), SoundErrInvalidParam);
  TSoundBuffer* primary = nullptr;
  ASSERT_EQ(Device->CreateSoundBuffer({sbPrimary, 0, nullptr}, &primary), SoundOk);
  EXPECT_EQ(primary->Play(false), SoundErrInvalidParam);
  EXPECT_EQ(primary->SetFormat(bad), SoundErrBadFormat);
  EXPECT_EQ(primary->SetFormat(good), SoundOk);
  SoundFaults().SecondaryBuffer = SoundErrOutOfMemory;
  EXPECT_EQ(Device->CreateSoundBuffer({0, 400, &good}, &b), SoundErrOutOfMemory);
  SoundFaults() = {};
  ASSERT_EQ(Device->CreateSoundBuffer({0, 400, &good}, &b), SoundOk);
  SoundFaults().LockFails = true;
  void *p1, *p2;
  std::uint32_t n1, n2;
  EXPECT_NE(b->Lock(0, 4, &p1, &n1, &p2, &n2), SoundOk);
}

bool CountDevice(const TGuid*, const char*, const char*, void* context) {
  ++*static_cast<int*>(context);
  return true;
}

TEST_F(SoundDevice, EnumerationListsThePrimaryDriverFirstOrNothing) {
  int count = 0;
  EXPECT_EQ(EnumerateSoundDevices(CountDevice, &count), SoundOk);
  EXPECT_EQ(count, 1);
  SoundFaults().NoDevices = true;
  count = 0;
  EXPECT_EQ(EnumerateSoundDevices(CountDevice, &count), SoundOk);
  EXPECT_EQ(count, 0);
}

// SDL's dummy driver (the test environment's) pulls frames in real time.
TEST(SdlSoundOutput, TheDummyDriverAdvancesThePlayCursor) {
  SetSoundOutputKind(TSoundOutputKind::Sdl);
  TSoundDevice* device = nullptr;
  ASSERT_EQ(CreateSoundDevice(nullptr, &device), SoundOk) << "SDL audio: " << LastErrorText();
  EXPECT_TRUE(device->HasOutput());
  ASSERT_EQ(device->SetCooperativeLevel(nullptr, TCooperativeLevel::Exclusive), SoundOk);
  const TWaveFormat f = Wave(44100, 16, 2);
  TSoundBuffer* b = nullptr;
  ASSERT_EQ(device->CreateSoundBuffer({sbCtrlVolume, 44100 * 4, &f}, &b), SoundOk);
  ASSERT_EQ(b->Play(true), SoundOk);
  std::uint32_t play = 0;
  for (int i = 0; i < 200 && play == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    b->GetCurrentPosition(&play, nullptr);
  }
  EXPECT_GT(play, 0u);
  device->Release();
}

}  // namespace
