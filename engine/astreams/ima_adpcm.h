// IMA ADPCM as one continuous stream of 4-bit codes per channel: no blocks,
// no headers. Mono packs two samples a byte, the first in the low nibble;
// stereo packs one frame a byte, left low and right high. Predictor and step
// index come in by reference and leave as the state after the last code.
#pragma once

#include "engine/astreams/audio_stream.h"

extern const i16 ImaStepTable[89];
extern const i8 ImaIndexTable[16];

void ImaDecodeMono(i16* dest, const u8* src, i32 frames, bool highNibbleFirst, i32& predictor, i32& index);
void ImaDecodeStereo(i16* dest, const u8* src, i32 frames, i32& predictorL, i32& indexL, i32& predictorR,
                     i32& indexR);
void ImaSkipMono(const u8* src, i32 frames, bool highNibbleFirst, i32& predictor, i32& index);
void ImaSkipStereo(const u8* src, i32 frames, i32& predictorL, i32& indexL, i32& predictorR, i32& indexR);
// A low nibble is stored by writing the whole byte (high nibble 0), a high
// nibble by keeping the low one.
void ImaEncodeMono(u8* dest, const i16* src, i32 frames, bool highNibbleFirst, i32& predictor, i32& index);
void ImaEncodeStereo(u8* dest, const i16* src, i32 frames, i32& predictorL, i32& indexL, i32& predictorR,
                     i32& indexR);

// Bytes of frames of ADPCM data, and frames in bytes of it.
i64 AdpcmBytes(i64 frames, const TAudioFormat& format);
i32 AdpcmFrames(i32 bytes, const TAudioFormat& format);
