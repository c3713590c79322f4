// The demo's sounds, all generated: effects, speech and a short music piece,
// with the sound file that names the interface and weather sounds.
#pragma once

#include <string>
#include <vector>

#include "engine/base/types.h"

namespace Builder {

// Entries of the effects archive.
constexpr u32 ClickSoundID = 1;    // PCM
constexpr u32 HitSoundID = 2;      // IMA ADPCM, mono
constexpr u32 RainSoundID = 3;     // IMA ADPCM, stereo, loops
constexpr u32 ThunderSoundID = 4;  // IMA ADPCM, mono
constexpr u32 DemoMusicID = 1;     // MP3
constexpr u32 DemoSpeechID = 1;    // IMA ADPCM

// The music piece as 44100 Hz stereo 16-bit frames, before encoding.
std::vector<i16> DemoMusicSamples();
std::string DemoMusicMP3();

std::string EffectsArchive();
std::string MusicArchive();
std::string SpeechArchive();
// 19 interface sound IDs, 4 weather pairs, the menu, intro and credits music.
std::string SoundFile();

}  // namespace Builder
