#include "engine/platform/sound/sound_device.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "engine/platform/system/modules.h"
#include "engine/platform/sound/sdl_sound_output.h"
#include "engine/platform/system/text.h"

namespace Plat {

namespace {

std::atomic<TSoundOutputKind> outputKind{TSoundOutputKind::Sdl};

// A device's GUID: a mark of ours and the SDL device index.
constexpr std::uint8_t GuidMark[4] = {'O', 'S', 'N', 'D'};

TGuid GuidOfIndex(int index) {
  TGuid g;
  std::memcpy(g.Bytes.data(), GuidMark, sizeof GuidMark);
  const auto i = static_cast<std::uint32_t>(index);
  for (int k = 0; k < 4; ++k) g.Bytes[4 + k] = static_cast<std::uint8_t>(i >> (8 * k));
  return g;
}

bool IndexOfGuid(const TGuid& g, int& index) {
  if (std::memcmp(g.Bytes.data(), GuidMark, sizeof GuidMark) != 0) return false;
  std::uint32_t i = 0;
  for (int k = 0; k < 4; ++k) i |= static_cast<std::uint32_t>(g.Bytes[4 + k]) << (8 * k);
  index = static_cast<int>(i);
  return index >= 0;
}

const bool libraryRegistered = (RegisterSoundLibrary(), true);

}  // namespace

TSoundFaults& SoundFaults() {
  static TSoundFaults faults;
  return faults;
}

void SetSoundOutputKind(TSoundOutputKind kind) { outputKind = kind; }

void RegisterSoundLibrary() {
  RegisterModuleProc("dsound.dll", "DirectSoundCreate", reinterpret_cast<TProc>(&CreateSoundDevice));
  RegisterModuleProc("dsound.dll", "DirectSoundEnumerateA", reinterpret_cast<TProc>(&EnumerateSoundDevices));
}

TSoundResult EnumerateSoundDevices(TSoundEnumCallback callback, void* context) {
  (void)libraryRegistered;
  if (!callback) return SoundErrInvalidParam;
  if (SoundFaults().NoDevices) return SoundOk;
  std::vector<std::string> names;
  std::string driver = "manual";
  if (outputKind == TSoundOutputKind::Sdl && !ListSdlSoundDevices(names, driver)) return SoundOk;
  if (!callback(nullptr, "Primary Sound Driver", "", context)) return SoundOk;
  for (std::size_t i = 0; i < names.size(); ++i) {
    TGuid guid = GuidOfIndex(static_cast<int>(i));
    if (!callback(&guid, Utf8ToCp1252(names[i]).c_str(), driver.c_str(), context)) break;
  }
  return SoundOk;
}

TSoundResult CreateSoundDevice(const TGuid* guid, TSoundDevice** device) {
  if (!device) return SoundErrInvalidParam;
  *device = nullptr;
  if (SoundFaults().Create != SoundOk) return SoundFaults().Create;
  int index = -1;
  if (guid && *guid != TGuid{} && !IndexOfGuid(*guid, index)) return SoundErrNoDriver;
  TSoundDevice* d = new TSoundDevice;
  if (outputKind == TSoundOutputKind::Sdl) {
    std::string error;
    d->Output = OpenSdlSoundOutput(d, index, error);
    if (!d->Output) {
      SetLastErrorText(error);
      d->Release();
      return SoundErrNoDriver;
    }
  }
  *device = d;
  return SoundOk;
}

TSoundDevice::~TSoundDevice() = default;

void TSoundDevice::Release() {
  // The output goes first: its thread mixes until it is closed.
  Output.reset();
  {
    std::lock_guard<std::mutex> guard(ListMutex);
    Buffers.clear();
  }
  delete this;
}

TSoundResult TSoundDevice::SetCooperativeLevel(HWND, TCooperativeLevel level) {
  if (SoundFaults().CooperativeLevel != SoundOk) return SoundFaults().CooperativeLevel;
  if (level != TCooperativeLevel::Normal && level != TCooperativeLevel::Priority &&
      level != TCooperativeLevel::Exclusive)
    return SoundErrInvalidParam;
  CooperativeLevel = level;
  LevelSet = true;
  return SoundOk;
}

TSoundResult TSoundDevice::CreateSoundBuffer(const TSoundBufferDesc& desc, TSoundBuffer** buffer) {
  if (!buffer) return SoundErrInvalidParam;
  *buffer = nullptr;
  if (!LevelSet) return SoundErrInvalidCall;
  if (desc.Flags & sbPrimary) {
    if (desc.Bytes != 0 || desc.Format) return SoundErrInvalidParam;
    if (SoundFaults().PrimaryBuffer != SoundOk) return SoundFaults().PrimaryBuffer;
  } else {
    if (SoundFaults().SecondaryBuffer != SoundOk) return SoundFaults().SecondaryBuffer;
    const TWaveFormat* f = desc.Format;
    if (!f) return SoundErrInvalidParam;
    if (!IsValidWaveFormat(*f)) return SoundErrBadFormat;
    // Four bytes up to a quarter of a gigabyte, in whole frames.
    if (desc.Bytes < 4 || desc.Bytes > 0x0FFFFFFF || desc.Bytes % f->BlockAlign != 0) return SoundErrInvalidParam;
  }
  std::shared_ptr<TSoundBuffer> b;
  try {
    b.reset(new TSoundBuffer(this, desc));
    std::lock_guard<std::mutex> guard(ListMutex);
    Buffers.push_back(b);
  } catch (const std::bad_alloc&) {
    return SoundErrOutOfMemory;
  }
  *buffer = b.get();
  return SoundOk;
}

void TSoundDevice::Forget(TSoundBuffer* buffer) {
  std::shared_ptr<TSoundBuffer> last;  // freed outside the list lock
  std::lock_guard<std::mutex> guard(ListMutex);
  auto it = std::find_if(Buffers.begin(), Buffers.end(), [buffer](const auto& p) { return p.get() == buffer; });
  if (it == Buffers.end()) return;
  last = std::move(*it);
  Buffers.erase(it);
}

void TSoundDevice::Mix(std::int16_t* out, int frames) noexcept {
  if (frames <= 0) return;
  try {
    std::lock_guard<std::mutex> mixGuard(MixMutex);
    {
      std::lock_guard<std::mutex> guard(ListMutex);
      MixList.assign(Buffers.begin(), Buffers.end());
    }
    Accumulator.assign(static_cast<std::size_t>(frames) * 2, 0);
    for (const auto& b : MixList) b->MixInto(Accumulator.data(), frames, OutputRate);
    MixList.clear();
    for (std::size_t i = 0; i < Accumulator.size(); ++i)
      out[i] = static_cast<std::int16_t>(std::clamp(Accumulator[i], -32768, 32767));
  } catch (...) {
    std::memset(out, 0, static_cast<std::size_t>(frames) * 4);
  }
}

}  // namespace Plat
