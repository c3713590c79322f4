// The framework's tracks: starting streams, refilling buffers, fades, queued
// pieces and the public track operations.
#include <algorithm>
#include <cstring>

#include "engine/astreams/audio_list.h"
#include "engine/dsframe/dsframe.h"
#include "engine/platform/system/clock.h"

namespace DSFrame {

namespace {

bool UsedAndPlaying(const TTrack& t) { return (t.Flags & (tfUsed | tfPlaying)) == (tfUsed | tfPlaying); }

u8 SilenceOf(const TTrack& t) { return t.Format.Bits == 8 ? 0x80 : 0; }

}  // namespace

void TDSFramework::SetBufferVolume(TTrack& t) {
  if (t.Buffer) t.Buffer->SetVolume(std::clamp(t.DSVolume, Plat::SoundVolumeMin, 0));
}

void TDSFramework::CreateTrackBuffer(TTrack& t) {
  if (t.Buffer) t.Buffer->Release();
  t.Buffer = nullptr;
  Plat::TWaveFormat wf;
  wf.Channels = static_cast<u16>(t.Format.Channels);
  wf.SamplesPerSec = t.Format.Rate;
  wf.AvgBytesPerSec = t.Format.Rate * t.Format.BlockAlign;
  wf.BlockAlign = static_cast<u16>(t.Format.BlockAlign);
  wf.BitsPerSample = static_cast<u16>(t.Format.Bits);
  const i32 bytes =
      MillisecondsToSamples(BufferMs, static_cast<i32>(t.Format.Rate)) * static_cast<i32>(t.Format.BlockAlign);
  u32 caps = Plat::sbCtrlVolume | Plat::sbCtrlPan | Plat::sbPositionAccurate;
  if (Flags & dsfStickyFocus)
    caps |= Plat::sbStickyFocus;
  else if (Flags & dsfGlobalFocus)
    caps |= Plat::sbGlobalFocus;
  const Plat::TSoundResult r =
      DirectSound->CreateSoundBuffer(Plat::TSoundBufferDesc{caps, static_cast<u32>(std::max(bytes, 0)), &wf}, &t.Buffer);
  if (r != Plat::SoundOk) throw EDirectSoundError("Error creating secondary buffer (%s).", r);
  t.BufferBytes = bytes;
}

void TDSFramework::FillFromStream(TTrack& t, u8* dest, i32 bytes, i32 bufferOffset) {
  TAudioStream& s = *t.Stream;
  const i32 align = static_cast<i32>(s.BlockAlign);
  const i32 frames = bytes / align;
  i32 got = 0;  // frames
  if (t.Flags & tfLoop) {
    // A stream that gives nothing right after a rewind would loop forever:
    // it ends like one that does not loop.
    bool rewound = false;
    while (got < frames) {
      if (s.Position >= s.Length) {
        if (rewound) break;
        s.Seek(0);
        rewound = true;
      }
      const i32 want = std::clamp(s.Length - s.Position, 0, frames - got);
      const i32 n = want > 0 ? s.Read(dest + static_cast<std::size_t>(got) * align, want) : 0;
      got += n;
      if (n > 0) rewound = false;
      if (n < want) {
        if (rewound) break;
        s.Seek(0);
        rewound = true;
      }
    }
  } else if (s.Position != s.Length) {
    got = s.Read(dest, std::clamp(s.Length - s.Position, 0, frames));
  }
  const i32 gotBytes = got * align;
  if (gotBytes >= bytes) return;
  std::memset(dest + gotBytes, SilenceOf(t), static_cast<std::size_t>(bytes - gotBytes));
  const i32 end = bufferOffset + gotBytes;
  if (t.EndMark == -1) {
    // Offset 0 is the ring's end as well: the mark must be reachable by a
    // later silent write, which ends at the ring's end at the latest.
    t.EndMark = end == 0 ? t.BufferBytes : end;
  } else if (t.EndMark >= 0 && end < t.EndMark && t.EndMark <= bufferOffset + bytes) {
    t.EndMark = -2;
  }
}

void TDSFramework::StartTrack(int track, TAudioStream* stream, u32 flags, int volume, bool keepPosition) {
  TTrack& t = Tracks[static_cast<std::size_t>(track)];
  StopNoLock(track);
  try {
    if ((Flags & dsfReleaseBuffers) || !t.Buffer || t.Format.Rate != stream->Rate || t.Format.Bits != stream->Bits ||
        t.Format.Channels != stream->Channels) {
      t.Format = stream->Format();
      CreateTrackBuffer(t);
    }
    t.Queued = 0;
    t.Stream = stream;
    t.Flags = flags & ~(tfUsed | tfPlaying | tfFading);
    t.WriteCursor = 0;
    t.EndMark = -1;
    t.Volume = volume;
    t.DSVolume = VolumeToDSVolume(volume);
    if (t.Flags & tfFadeIn) {
      t.Flags |= tfFading;
      t.FadeStartTime = Plat::Clock().TimeGetTime();
      t.FadeFrom = FadeFloor;
      t.FadeTo = t.DSVolume;
      t.DSVolume = FadeFloor;
    }
    SetBufferVolume(t);
    if (!keepPosition) stream->Seek(0);
    t.Buffer->SetCurrentPosition(0);
    void *p1 = nullptr, *p2 = nullptr;
    u32 n1 = 0, n2 = 0;
    if (t.Buffer->Lock(0, static_cast<u32>(t.BufferBytes), &p1, &n1, &p2, &n2) == Plat::SoundOk) {
      try {
        FillFromStream(t, static_cast<u8*>(p1), static_cast<i32>(n1), 0);
      } catch (...) {
        t.Buffer->Unlock(p1, n1, p2, n2);
        throw;
      }
      t.Buffer->Unlock(p1, n1, p2, n2);
    }
    t.StreamPosition = stream->Position;
    if (!(t.Flags & tfOwnsStream)) stream->SaveState(&t.State);
    t.Buffer->Play(true);
    t.Flags |= tfUsed | tfPlaying;
    ++UsedTracks;
  } catch (...) {
    t.Stream = nullptr;
    t.Flags = 0;
    if ((Flags & dsfReleaseBuffers) && t.Buffer) {
      t.Buffer->Release();
      t.Buffer = nullptr;
    }
    throw;
  }
}

void TDSFramework::ReleaseTrack(int track, bool force) {
  TTrack& t = Tracks[static_cast<std::size_t>(track)];
  if (!(t.Flags & tfUsed)) return;
  if (t.Flags & tfPlaying) {
    if (t.Buffer) t.Buffer->Stop();
    t.Flags &= ~tfPlaying;
  }
  if (!force && (t.Flags & tfHoldAtEnd)) return;
  t.Flags &= ~(tfUsed | tfFading);
  if (t.Flags & tfOwnsStream) {
    delete t.Stream;
    t.Stream = nullptr;
  }
  if ((Flags & dsfReleaseBuffers) && t.Buffer) {
    t.Buffer->Release();
    t.Buffer = nullptr;
  }
  --UsedTracks;
}

void TDSFramework::StopNoLock(int track) {
  ReleaseTrack(track, true);
  Tracks[static_cast<std::size_t>(track)].Queued = 0;
}

void TDSFramework::StopAllNoLock() {
  for (i32 i = 0; i < PersistentTrackCount && i < TrackCount; ++i) Tracks[static_cast<std::size_t>(i)].Queued = 0;
  for (i32 i = 0; i < TrackCount; ++i)
    if (UsedAndPlaying(Tracks[static_cast<std::size_t>(i)])) StopNoLock(i);
}

void TDSFramework::EndAfterFadeOut(int track) {
  TTrack& t = Tracks[static_cast<std::size_t>(track)];
  if (track < PersistentTrackCount) {
    // Paused: it keeps its stream until it is started or stopped again.
    t.Buffer->Stop();
    t.Flags &= ~tfPlaying;
  } else {
    StopNoLock(track);
  }
}

void TDSFramework::RefillTrack(int track) {
  TTrack& t = Tracks[static_cast<std::size_t>(track)];
  u32 play = 0;
  t.Buffer->GetCurrentPosition(&play, nullptr);
  if (static_cast<i32>(play) == t.WriteCursor) return;
  i32 bytes = static_cast<i32>(play) - t.WriteCursor;
  if (bytes < 0) bytes += t.BufferBytes;
  const bool shared = !(t.Flags & tfOwnsStream);
  if (shared) t.Stream->RestoreState(&t.State);
  bool failed = false;
  void *p1 = nullptr, *p2 = nullptr;
  u32 n1 = 0, n2 = 0;
  if (t.Buffer->Lock(static_cast<u32>(t.WriteCursor), static_cast<u32>(bytes), &p1, &n1, &p2, &n2) == Plat::SoundOk) {
    try {
      FillFromStream(t, static_cast<u8*>(p1), static_cast<i32>(n1), t.WriteCursor);
      if (p2) FillFromStream(t, static_cast<u8*>(p2), static_cast<i32>(n2), 0);
    } catch (const std::exception&) {
      failed = true;
    }
    t.WriteCursor = (t.WriteCursor + bytes) % t.BufferBytes;
    t.Buffer->Unlock(p1, n1, p2, n2);
  }
  t.StreamPosition = t.Stream->Position;
  if (shared) t.Stream->SaveState(&t.State);
  if (t.EndMark == -2 || failed) ReleaseTrack(track, false);
}

void TDSFramework::Update() {
  for (i32 i = 0; i < TrackCount; ++i) {
    TTrack& t = Tracks[static_cast<std::size_t>(i)];
    if (!UsedAndPlaying(t)) continue;
    const u32 now = Plat::Clock().TimeGetTime();
    if (t.Flags & tfFading) {
      if (t.FadeTo == FadeFloor && t.DSVolume <= FadeFloor) {
        t.Flags &= ~tfFading;
        EndAfterFadeOut(i);
        continue;
      }
      // Differences of the wrapping clock compare as signed.
      const i32 elapsed = static_cast<i32>(now - t.FadeStartTime);
      i64 v = t.FadeFrom + static_cast<i64>(t.FadeTo - t.FadeFrom) * elapsed / static_cast<i64>(FadeMs);
      v = std::clamp<i64>(v, std::min(t.FadeFrom, t.FadeTo), std::max(t.FadeFrom, t.FadeTo));
      t.DSVolume = static_cast<i32>(std::clamp<i64>(v, FadeFloor, 0));
      SetBufferVolume(t);
      if (elapsed >= static_cast<i32>(FadeMs)) {
        t.Flags &= ~tfFading;
        if (t.FadeTo == FadeFloor) {
          EndAfterFadeOut(i);
          continue;
        }
      }
    }
    RefillTrack(i);
  }
  for (i32 i = 0; i < PersistentTrackCount && i < TrackCount; ++i) {
    TTrack& t = Tracks[static_cast<std::size_t>(i)];
    if (!t.Queued || UsedAndPlaying(t)) continue;
    try {
      PlayFromListNoLock(i, t.QueuedList, t.QueuedID, t.QueuedVolume, t.QueuedStart, t.QueuedFadeIn, t.QueuedLoop);
    } catch (const std::exception&) {
    }
    t.Queued = 0;
  }
}

int TDSFramework::PlayStream(TAudioStream* stream, u32 trackFlags, int volume, bool keepPosition, bool raiseIfFull) {
  auto guard = Guard();
  int found = -1;
  for (i32 i = PersistentTrackCount; i < TrackCount && found < 0; ++i) {
    const TTrack& t = Tracks[static_cast<std::size_t>(i)];
    if (t.Flags & tfUsed) continue;
    // A free track whose buffer has the stream's format needs no new buffer.
    if ((Flags & dsfReleaseBuffers) || (t.Format.Rate == stream->Rate && t.Format.Bits == stream->Bits &&
                                        t.Format.Channels == stream->Channels))
      found = i;
  }
  for (i32 i = PersistentTrackCount; i < TrackCount && found < 0; ++i)
    if (!(Tracks[static_cast<std::size_t>(i)].Flags & tfUsed)) found = i;
  if (found < 0) {
    if (raiseIfFull) throw std::runtime_error("All tracks are used.");
    return -1;
  }
  StartTrack(found, stream, trackFlags, volume, keepPosition);
  return found;
}

void TDSFramework::PlayFromListNoLock(int track, TAudioList* list, u32 id, int volume, int startSample, bool fadeIn,
                                      bool loop) {
  TTrack& t = Tracks[static_cast<std::size_t>(track)];
  t.Queued = 0;
  t.CurrentID = id;
  StopNoLock(track);
  if (id == 0 || !list) return;
  TAudioStream* stream = list->FindStream(id);
  if (!stream) return;
  const bool made = !list->Preloads();
  try {
    stream->Seek(startSample);
    const u32 flags = (made ? tfOwnsStream : 0) | (loop ? tfLoop : 0) | (fadeIn ? tfFadeIn : 0);
    StartTrack(track, stream, flags, volume, true);
  } catch (const std::exception&) {
    if (made) delete stream;
  }
}

void TDSFramework::PlayFromList(int track, TAudioList* list, u32 id, int volume, int startSample, bool fadeIn,
                                bool loop) {
  auto guard = Guard();
  PlayFromListNoLock(track, list, id, volume, startSample, fadeIn, loop);
}

void TDSFramework::PlayOnTrack(int track, TAudioStream* stream, int volume, int startSample, bool fadeIn, bool loop) {
  auto guard = Guard();
  TTrack& t = Tracks[static_cast<std::size_t>(track)];
  t.Queued = 0;
  t.CurrentID = 0;
  StopNoLock(track);
  if (!stream) return;
  stream->Seek(startSample);
  StartTrack(track, stream, (loop ? tfLoop : 0) | (fadeIn ? tfFadeIn : 0), volume, true);
}

void TDSFramework::FadeToFromList(int track, TAudioList* list, u32 id, int volume, int startSample, bool fadeIn,
                                  bool loop) {
  auto guard = Guard();
  TTrack& t = Tracks[static_cast<std::size_t>(track)];
  if (IsPlayingNoLock(track) && t.CurrentID == id) return;
  t.QueuedList = list;
  t.QueuedID = id;
  t.QueuedVolume = volume;
  t.QueuedStart = startSample;
  t.QueuedFadeIn = fadeIn ? 1 : 0;
  t.QueuedLoop = loop ? 1 : 0;
  t.Queued = 1;
  t.CurrentID = id;
  FadeOutNoLock(track);
}

void TDSFramework::Stop(int track) {
  auto guard = Guard();
  StopNoLock(track);
}

void TDSFramework::StopAll() {
  auto guard = Guard();
  StopAllNoLock();
}

void TDSFramework::FadeOutNoLock(int track) {
  TTrack& t = Tracks[static_cast<std::size_t>(track)];
  if (!UsedAndPlaying(t)) return;
  if ((t.Flags & tfFading) && t.FadeTo == FadeFloor) return;
  t.Flags |= tfFading;
  t.FadeStartTime = Plat::Clock().TimeGetTime();
  t.FadeFrom = t.DSVolume;
  t.FadeTo = FadeFloor;
}

void TDSFramework::FadeOut(int track) {
  auto guard = Guard();
  FadeOutNoLock(track);
}

bool TDSFramework::IsPlayingNoLock(int track) const { return UsedAndPlaying(Tracks[static_cast<std::size_t>(track)]); }

bool TDSFramework::IsPlaying(int track) {
  auto guard = Guard();
  return IsPlayingNoLock(track);
}

int TDSFramework::GetPositionNoLock(int track) const { return Tracks[static_cast<std::size_t>(track)].StreamPosition; }

void TDSFramework::SetVolume(int track, int volume) {
  auto guard = Guard();
  TTrack& t = Tracks[static_cast<std::size_t>(track)];
  if (!(t.Flags & tfUsed) || t.Volume == volume) return;
  t.Flags &= ~tfFading;
  t.Volume = volume;
  t.DSVolume = VolumeToDSVolume(volume);
  SetBufferVolume(t);
}

void TDSFramework::SetTrackVolume(int track, int volume) {
  auto guard = Guard();
  TTrack& t = Tracks[static_cast<std::size_t>(track)];
  if (t.Queued)
    t.QueuedVolume = volume;
  else
    SetVolume(track, volume);
}

}  // namespace DSFrame
