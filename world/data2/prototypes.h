// Unit, spell and skill prototypes: the kinds of creature and hero, the
// spells and the skills of the game, read from three text data files.
#pragma once

#include <functional>

#include "engine/base/types.h"
#include "engine/data/dynamic_array.h"
#include "world/units/unit_properties.h"

class TAudioStream;

namespace GameData {

// The ten animation sets of a prototype, each for the eight directions.
enum TUnitSpriteSet : i32 {
  MapStand = 0,
  MapDie = 1,
  MapWalk = 2,
  MapExtra = 3,
  MapCast = 4,
  FightStand = 5,
  FightDie = 6,
  FightWalk = 7,
  FightAttack = 8,
  FightCast = 9,
  SpriteSetCount = 10,
};

struct TUnitPrototype {
  u32 ID;
  TUnitProperties Properties;
  u32 PortraitID;
  u32 PictureID;
  u32 BookPictureID;
  i16 IdleMode;
  u32 IdlePeriod;
  u32 SpriteIDs[SpriteSetCount][8];
  i16 Kind;
  bool Hero;
  char Name[80];
  TAudioStream* AttackSound;
  TAudioStream* DeathSounds[2];
  i16 WeaponKind;
  i16 ArmourKind;
  char Description[2048];
};

struct TSpellPrototype {
  i16 Number;  // 1..61 map spells, 65..125 battle spells
  u16 Usage;   // bit 1: on the map, bit 2: in battle
  char Name[256];
  char Description[2048];
  u32 TargetFlags;
  i16 Level;
  i16 ManaCost;
  i16 APCost;
  i16 CastExperience;
  i16 Class;
  u32 IconID;
  u32 CastSpriteID;
  TAudioStream* CastSound;
  u32 CastFrameTime;
  u32 FlightSpriteID;
  TAudioStream* FlightSound;
  u32 FlightFrameTime;
  u32 FlightSpeed;
  u32 ImpactSpriteID;
  TAudioStream* ImpactSound;
  u32 ImpactFrameTime;
  i16 Params[10];
};

struct TSkillPrototype {
  i16 Number;  // 1..64
  char Name[256];
  char Description[2048];
  i16 Level;
  i16 APCost;
  u32 Unused;
  TUnitProperties Bonus;
  u32 Duration;
  TUnitProperties Effect;
};

// Readers of the three prototype files: one free token, the count, then the
// records. sound turns a sound ID into its stream (0 gives null).
using TSoundResolver = std::function<TAudioStream*(u32 soundID)>;
using TIconLock = std::function<void(u32 iconID)>;
void ReadUnitPrototypes(Data::TStream& s, Data::TDynamicArray<TUnitPrototype>& out, TSoundResolver sound);
void ReadSpellPrototypes(Data::TStream& s, Data::TDynamicArray<TSpellPrototype>& out, TSoundResolver sound,
                         TIconLock lockIcon);
void ReadSkillPrototypes(Data::TStream& s, Data::TDynamicArray<TSkillPrototype>& out);
// 48 integers, then the masks in file order: allowed spells, known spells,
// allowed skills, known skills.
void ReadPropertiesText(Data::TStream& s, TUnitProperties& p);

}  // namespace GameData
