// The 92-byte header at the front of a scenario file, and the short read of
// header, title and preview picture that scenario lists make.
#pragma once

#include <memory>
#include <string>

#include "engine/data/stream.h"

namespace Gfx {
class TSprite;
}

namespace GameData {

constexpr u32 ScenarioVersion = 19;
constexpr i32 ScenarioHeaderSize = 92;
// The resource names are at most 12 characters.
constexpr i32 ResourceNameLength = 12;
constexpr i32 MaxMapFields = 128;

struct TScenarioHeader {
  char Signature[4];
  i16 Width;
  i16 Height;
  char DoodleFile[16];
  char SpriteFile[16];
  char FaceFile[16];
  char BackgroundFile[16];
  i16 CurrentPlayer;
  i16 Round;
  u32 Version;
  u32 NotCampaign;
  u32 HeaderValue;
  u32 Reserved;

  // Reads and checks the 92 bytes: "Invalid data." for a bad signature, size
  // or name field; "Invalid version:..." for another version.
  void Read(Data::TStream& s);
  void Write(Data::TStream& s) const;
  // Copies a name cut to 12 characters, zero-filled.
  static void SetName(char (&field)[16], const std::string& name);
  static std::string Name(const char (&field)[16]);
};

class TScenarioThumbNail {
 public:
  TScenarioThumbNail();
  ~TScenarioThumbNail();
  TScenarioThumbNail(const TScenarioThumbNail&) = delete;
  TScenarioThumbNail& operator=(const TScenarioThumbNail&) = delete;

  TScenarioHeader Header{};
  std::string Description;
  std::unique_ptr<Gfx::TSprite> Sprite;
};

// The header, the description and the preview picture.
void LoadScenarioThumbNail(Data::TStream& s, TScenarioThumbNail* thumbNail);

// A map side in fields: 1..128 and a multiple of 4.
bool IsValidMapSide(i32 fields);

}  // namespace GameData
