// The framework's device side: the library, the devices, opening and closing,
// and the update thread.
#include "engine/dsframe/dsframe.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <system_error>

#include "engine/base/base.h"

DSFrame::TDSFramework* DSFramework = nullptr;

namespace DSFrame {

i32 VolumeToDSVolume(i32 volume) {
  const double x = (100 - std::clamp(volume, 0, 100)) * 0.63246;
  return -static_cast<i32>(x * x);
}

bool EnumDevicesCallback(const Plat::TGuid* guid, const char* description, const char* module, void* context) {
  auto* framework = static_cast<TDSFramework*>(context);
  TSoundDevice d{};
  Base::SafeStrCopy(d.Description, description ? description : "", sizeof d.Description);
  Base::SafeStrCopy(d.Module, module ? module : "", sizeof d.Module);
  d.Primary = guid == nullptr ? 1 : 0;
  if (guid) d.Guid = *guid;
  framework->Devices.push_back(d);
  return true;
}

TDSFramework::TDSFramework(Plat::HWND window) : Window(window) {
  Library = Base::LoadLibraryChecked("dsound.dll");
  try {
    DirectSoundCreate = reinterpret_cast<TCreateProc>(Base::GetProcAddressChecked(Library, "DirectSoundCreate"));
    DirectSoundEnumerate =
        reinterpret_cast<TEnumerateProc>(Base::GetProcAddressChecked(Library, "DirectSoundEnumerateA"));
    LockCreated = 1;
    DirectSoundEnumerate(EnumDevicesCallback, this);
    DeviceCount = static_cast<i32>(Devices.size());
    if (DeviceCount == 0) throw EDirectSoundError("No sound devices were found during enumeration.");
    auto primary = std::find_if(Devices.begin(), Devices.end(), [](const TSoundDevice& d) { return d.Primary; });
    if (primary == Devices.end()) throw EDirectSoundError("Primary device not found.");
    PrimaryDevice = static_cast<i32>(primary - Devices.begin());
  } catch (...) {
    Devices.clear();
    DeviceCount = 0;
    LockCreated = 0;
    Base::FreeLibrarySafe(Library);
    Library = nullptr;
    throw;
  }
}

TDSFramework::~TDSFramework() {
  {
    auto guard = Guard();
    StopAllNoLock();
  }
  Close();
  Devices.clear();
  Base::FreeLibrarySafe(Library);
}

std::unique_lock<std::recursive_mutex> TDSFramework::Guard() {
  if (Flags & dsfThreaded) return std::unique_lock<std::recursive_mutex>(Lock);
  return std::unique_lock<std::recursive_mutex>();
}

void TDSFramework::Initialize(int device, u32 flags, int trackCount, int persistentTracks, int bufferMs, int rate,
                              int bits, int channels) {
  Close();
  Flags = flags;
  BufferMs = std::max(bufferMs, 50);
  Device = device >= 0 && device < DeviceCount ? device : PrimaryDevice;
  Format = {static_cast<u32>(rate), static_cast<u32>(bits), static_cast<u32>(channels),
            static_cast<u32>(bits / 8 * channels)};
  OpenDevice();
  Tracks.assign(static_cast<std::size_t>(std::max(trackCount, 0)), TTrack{});
  TrackCount = static_cast<i32>(Tracks.size());
  PersistentTrackCount = persistentTracks;
  UsedTracks = 0;
  if (Flags & dsfThreaded) {
    StopThread = false;
    try {
      Thread = std::thread(&TDSFramework::ThreadProc, this);
    } catch (const std::system_error&) {
      throw std::runtime_error("Error creating update thread.");
    }
  }
}

void TDSFramework::OpenDevice() {
  const TSoundDevice& d = Devices[static_cast<std::size_t>(Device)];
  Plat::TSoundResult r = DirectSoundCreate(d.Primary ? nullptr : &d.Guid, &DirectSound);
  if (r != Plat::SoundOk) throw EDirectSoundError("Error creating DirectSound (%s).", r);
  const Plat::TCooperativeLevel level = (Flags & dsfNormalLevel)      ? Plat::TCooperativeLevel::Normal
                                        : (Flags & dsfExclusiveLevel) ? Plat::TCooperativeLevel::Exclusive
                                                                      : Plat::TCooperativeLevel::Priority;
  r = DirectSound->SetCooperativeLevel(Window, level);
  if (r != Plat::SoundOk) throw EDirectSoundError("SetCooperativeLevel for DirectSound failed (%s).", r);
  r = DirectSound->CreateSoundBuffer(Plat::TSoundBufferDesc{Plat::sbPrimary, 0, nullptr}, &PrimaryBuffer);
  if (r != Plat::SoundOk) throw EDirectSoundError("Error creating primary buffer (%s).", r);
  if (!(Flags & dsfNormalLevel)) {
    Plat::TWaveFormat wf;
    wf.Channels = static_cast<u16>(Format.Channels);
    wf.SamplesPerSec = Format.Rate;
    wf.AvgBytesPerSec = Format.Rate * Format.BlockAlign;
    wf.BlockAlign = static_cast<u16>(Format.BlockAlign);
    wf.BitsPerSample = static_cast<u16>(Format.Bits);
    r = PrimaryBuffer->SetFormat(wf);
    if (r != Plat::SoundOk) throw EDirectSoundError("Error setting format of primary buffer (%s).", r);
  }
  if (Flags & dsfContinuousPrimary) {
    r = PrimaryBuffer->Play(true);
    if (r != Plat::SoundOk) throw EDirectSoundError("Error setting primary buffer to continuous play mode (%s).", r);
  }
}

void TDSFramework::Close() {
  if (Thread.joinable()) {
    {
      std::lock_guard<std::mutex> wake(WakeMutex);
      StopThread = true;
    }
    Wake.notify_all();
    Thread.join();
  }
  for (i32 i = 0; i < TrackCount; ++i) {
    ReleaseTrack(i, true);
    TTrack& t = Tracks[static_cast<std::size_t>(i)];
    if (t.Buffer) t.Buffer->Release();
    t.Buffer = nullptr;
  }
  Tracks.clear();
  TrackCount = PersistentTrackCount = UsedTracks = 0;
  if (PrimaryBuffer) PrimaryBuffer->Release();
  PrimaryBuffer = nullptr;
  if (DirectSound) DirectSound->Release();
  DirectSound = nullptr;
  Flags = 0;
}

void TDSFramework::ThreadProc() {
  const auto pause = std::chrono::milliseconds(BufferMs / 10);
  for (;;) {
    {
      std::unique_lock<std::mutex> wake(WakeMutex);
      // Close wakes the thread early instead of waiting out the pause.
      if (Wake.wait_for(wake, pause, [this] { return StopThread.load(); })) return;
    }
    std::lock_guard<std::recursive_mutex> guard(Lock);
    try {
      Update();
    } catch (const std::exception&) {
      // A pass that fails is retried by the next one.
    }
  }
}

}  // namespace DSFrame
