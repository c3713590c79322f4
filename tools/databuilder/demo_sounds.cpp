#include "tools/databuilder/demo_sounds.h"

#include <algorithm>
#include <cmath>

#include "engine/astreams/audio_list.h"
#include "tools/databuilder/mp3_encoder.h"
#include "tools/databuilder/sound_builder.h"
#include "tools/databuilder/text_builder.h"

namespace Builder {

namespace {

constexpr double Pi = 3.14159265358979323846;

// A fixed noise source, so every build writes the same bytes.
class TNoise {
 public:
  explicit TNoise(u32 seed) : State(seed) {}
  // -1 .. 1
  double Next() {
    State ^= State << 13;
    State ^= State >> 17;
    State ^= State << 5;
    return static_cast<double>(State) / 2147483648.0 - 1.0;
  }

 private:
  u32 State;
};

i16 ToSample(double v) { return static_cast<i16>(std::lround(std::clamp(v, -1.0, 1.0) * 32767.0)); }

double Midi(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

// A plucked note: a tone with its octave, a quick attack and a decay.
double Pluck(double f, double t) {
  if (t < 0) return 0;
  const double attack = std::min(1.0, t / 0.005);
  return attack * std::exp(-t * 5.0) * (std::sin(2 * Pi * f * t) + 0.3 * std::sin(4 * Pi * f * t));
}

TAudioFormat Mono22k() { return {22050, 16, 1, 2}; }

std::string Click() {
  const i32 n = 22050 * 60 / 1000;
  std::vector<i16> s(n);
  TNoise noise(7);
  for (i32 i = 0; i < n; ++i) {
    const double t = i / 22050.0;
    s[i] = ToSample(std::exp(-t * 90) * (0.5 * std::sin(2 * Pi * 1800 * t) + 0.15 * noise.Next()));
  }
  return WriteAX(Mono22k(), s.data(), n, false);
}

std::string Hit() {
  const i32 n = 22050 * 400 / 1000;
  std::vector<i16> s(n);
  TNoise noise(11);
  double low = 0;
  for (i32 i = 0; i < n; ++i) {
    const double t = i / 22050.0;
    low += 0.25 * (noise.Next() - low);
    s[i] = ToSample(std::exp(-t * 12) * (0.6 * low + 0.5 * std::sin(2 * Pi * 80 * t)));
  }
  return WriteAX(Mono22k(), s.data(), n, true);
}

std::string Rain() {
  const i32 n = 44100 * 2;
  std::vector<i16> s(2 * static_cast<std::size_t>(n));
  TNoise noise(23);
  double low[2] = {0, 0};
  double drop[2] = {0, 0};
  for (i32 i = 0; i < n; ++i)
    for (int c = 0; c < 2; ++c) {
      low[c] += 0.08 * (noise.Next() - low[c]);
      // Now and then a drop: a short bright tick.
      if (noise.Next() > 0.9993) drop[c] = 0.4;
      drop[c] *= 0.93;
      s[2 * static_cast<std::size_t>(i) + c] = ToSample(0.5 * low[c] + drop[c] * noise.Next());
    }
  return WriteAX({44100, 16, 2, 4}, s.data(), n, true);
}

std::string Thunder() {
  const i32 n = 22050 * 3 / 2;
  std::vector<i16> s(n);
  TNoise noise(31);
  double brown = 0;
  for (i32 i = 0; i < n; ++i) {
    const double t = i / 22050.0;
    brown = std::clamp(brown + 0.04 * noise.Next(), -1.0, 1.0) * 0.999;
    const double envelope = std::min(1.0, t / 0.05) * std::exp(-t * 2.2) * (1 + 0.5 * std::sin(2 * Pi * 3 * t));
    s[i] = ToSample(0.9 * brown * envelope);
  }
  return WriteAX(Mono22k(), s.data(), n, true);
}

// Three spoken-sounding syllables: a voice's harmonics shaped by moving
// formants.
// Three syllables, said five times: the options page's preview starts
// 121,250 samples in.
std::string Speech() {
  const i32 n = 22050 * 6 / 5;
  constexpr i32 Repeats = 5;
  std::vector<i16> s(static_cast<std::size_t>(n) * Repeats);
  struct TVowel {
    double F1, F2, F3;
  };
  const TVowel vowels[3] = {{730, 1090, 2440}, {270, 2290, 3010}, {570, 840, 2410}};
  double phase = 0;
  for (i32 i = 0; i < n; ++i) {
    const double t = i / 22050.0;
    const int syllable = std::min(2, static_cast<int>(t / 0.4));
    const double local = t - syllable * 0.4;
    const double envelope = std::sin(Pi * std::clamp(local / 0.36, 0.0, 1.0));
    const double f0 = 150 - 30 * t;
    phase += 2 * Pi * f0 / 22050.0;
    const TVowel& v = vowels[syllable];
    double sum = 0;
    for (int k = 1; k * f0 < 4000; ++k) {
      const double f = k * f0;
      double a = 0;
      for (double formant : {v.F1, v.F2, v.F3}) a += std::exp(-std::pow((f - formant) / 120.0, 2));
      sum += a / k * std::sin(k * phase);
    }
    s[i] = ToSample(0.35 * envelope * sum);
  }
  // Each round ends in silence, so the copies join without a click.
  for (i32 r = 1; r < Repeats; ++r) std::copy(s.begin(), s.begin() + n, s.begin() + r * n);
  return WriteAX(Mono22k(), s.data(), n * Repeats, true);
}

}  // namespace

std::vector<i16> DemoMusicSamples() {
  constexpr int rate = 44100;
  constexpr double chordSeconds = 1.0;
  // A minor, F, C, G twice: arpeggios in eighths over a bass note.
  const int chords[4][4] = {{57, 60, 64, 69}, {53, 57, 60, 65}, {60, 64, 67, 72}, {55, 59, 62, 67}};
  const int bass[4] = {45, 41, 48, 43};
  const int n = static_cast<int>(8 * chordSeconds * rate);
  std::vector<i16> s(2 * static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / rate;
    const int chord = static_cast<int>(t / chordSeconds) % 4;
    const double inChord = std::fmod(t, chordSeconds);
    const int step = static_cast<int>(inChord / 0.25);
    const double melody = 0.22 * Pluck(Midi(chords[chord][step]), inChord - step * 0.25);
    // The previous note rings on under the next one.
    const int before = step > 0 ? chords[chord][step - 1] : chords[(chord + 3) % 4][3];
    const double ring = 0.12 * Pluck(Midi(before), inChord - step * 0.25 + 0.25);
    const double low = 0.3 * std::exp(-inChord * 1.5) * std::sin(2 * Pi * Midi(bass[chord]) * t);
    const double fade = std::min(1.0, std::min(t, 8 * chordSeconds - t) / 0.01);
    s[2 * static_cast<std::size_t>(i)] = ToSample(fade * (0.8 * melody + ring + low));
    s[2 * static_cast<std::size_t>(i) + 1] = ToSample(fade * (melody + 0.8 * ring + low));
  }
  return s;
}

std::string DemoMusicMP3() {
  // Encoding takes a moment; every build of one run writes the same bytes.
  static const std::string mp3 = EncodeMP3(DemoMusicSamples(), 44100, 2, 128);
  return mp3;
}

std::string EffectsArchive() {
  TAudioListBuilder list;
  list.Add(ClickSoundID, AudioEntryAX, Click());
  list.Add(HitSoundID, AudioEntryAX, Hit());
  list.Add(RainSoundID, AudioEntryAX, Rain());
  list.Add(ThunderSoundID, AudioEntryAX, Thunder());
  return list.Bytes();
}

std::string MusicArchive() {
  TAudioListBuilder list;
  list.Add(DemoMusicID, AudioEntryMP3, DemoMusicMP3());
  return list.Bytes();
}

std::string SpeechArchive() {
  TAudioListBuilder list;
  list.Add(DemoSpeechID, AudioEntryAX, Speech());
  return list.Bytes();
}

std::string SoundFile() {
  TTextBuilder t;
  t.Comment("interface sounds: scroll open, close, click, spell damage, front end (2), unused, front end");
  t.Ints({0, 0, ClickSoundID, HitSoundID, ClickSoundID, 0, ClickSoundID});
  t.Comment("hit sounds: weapon kinds 1 to 4 against armour kinds 1 to 3");
  for (int weapon = 0; weapon < 4; ++weapon) t.Ints({HitSoundID, HitSoundID, HitSoundID});
  t.Comment("weather: rain loop, thunder, two more loops (sound ID, volume)");
  t.Ints({RainSoundID, 60}).Ints({ThunderSoundID, 90}).Ints({0, 0}).Ints({RainSoundID, 80});
  t.Comment("music: menu, intro, credits");
  t.Ints({DemoMusicID, DemoMusicID, DemoMusicID});
  return t.Text();
}

}  // namespace Builder
