#include "world/data2/prototypes.h"

#include "engine/data/text_data.h"

namespace GameData {

namespace {

using Data::ReadTextInt;

// The records are large and the count comes from the file: every record
// takes at least one byte per value, so a count beyond the file is refused.
i32 ReadCount(Data::TStream& s, i32 minimumBytesPerRecord) {
  Data::ReadTextString(s);  // free header token
  i32 count = ReadTextInt(s);
  Data::CheckData(count >= 0);
  Data::CheckAvailable(s, count, minimumBytesPerRecord);
  return count;
}

}  // namespace

void ReadPropertiesText(Data::TStream& s, TUnitProperties& p) {
  for (i32 i = 0; i < TUnitProperties::WordCount; ++i) p.Word(i) = static_cast<i16>(ReadTextInt(s));
  p.AllowedSpells = Data::ReadTextBits(s);
  p.KnownSpells = Data::ReadTextBits(s);
  p.AllowedSkills = Data::ReadTextBits(s);
  p.KnownSkills = Data::ReadTextBits(s);
}

void ReadUnitPrototypes(Data::TStream& s, Data::TDynamicArray<TUnitPrototype>& out, TSoundResolver sound) {
  i32 count = ReadCount(s, 2 * 140);
  out.Clear();
  out.SetCount(count);
  for (TUnitPrototype& u : out) {
    u.ID = static_cast<u32>(ReadTextInt(s));
    ReadPropertiesText(s, u.Properties);
    u.PortraitID = static_cast<u32>(ReadTextInt(s));
    u.PictureID = static_cast<u32>(ReadTextInt(s));
    u.BookPictureID = static_cast<u32>(ReadTextInt(s));
    u.IdleMode = static_cast<i16>(ReadTextInt(s));
    u.IdlePeriod = static_cast<u32>(ReadTextInt(s));
    for (auto& set : u.SpriteIDs)
      for (u32& id : set) id = static_cast<u32>(ReadTextInt(s));
    u.Kind = static_cast<i16>(ReadTextInt(s));
    u.Hero = Data::ReadTextBool(s);
    Data::ReadTextChars(s, u.Name, sizeof u.Name);
    u.AttackSound = sound(static_cast<u32>(ReadTextInt(s)));
    u.DeathSounds[0] = sound(static_cast<u32>(ReadTextInt(s)));
    u.DeathSounds[1] = sound(static_cast<u32>(ReadTextInt(s)));
    u.WeaponKind = static_cast<i16>(ReadTextInt(s));
    u.ArmourKind = static_cast<i16>(ReadTextInt(s));
    Data::ReadTextChars(s, u.Description, sizeof u.Description);
  }
}

void ReadSpellPrototypes(Data::TStream& s, Data::TDynamicArray<TSpellPrototype>& out, TSoundResolver sound,
                         TIconLock lockIcon) {
  i32 count = ReadCount(s, 2 * 30);
  out.Clear();
  out.SetCount(count);
  for (TSpellPrototype& p : out) {
    p.Number = static_cast<i16>(ReadTextInt(s));
    p.Usage = static_cast<u16>(ReadTextInt(s));
    Data::ReadTextChars(s, p.Name, sizeof p.Name);
    Data::ReadTextChars(s, p.Description, sizeof p.Description);
    p.TargetFlags = static_cast<u32>(ReadTextInt(s));
    p.Level = static_cast<i16>(ReadTextInt(s));
    p.ManaCost = static_cast<i16>(ReadTextInt(s));
    p.APCost = static_cast<i16>(ReadTextInt(s));
    p.CastExperience = static_cast<i16>(ReadTextInt(s));
    p.Class = static_cast<i16>(ReadTextInt(s));
    p.IconID = static_cast<u32>(ReadTextInt(s));
    if (lockIcon) lockIcon(p.IconID);
    p.CastSpriteID = static_cast<u32>(ReadTextInt(s));
    p.CastSound = sound(static_cast<u32>(ReadTextInt(s)));
    p.CastFrameTime = static_cast<u32>(ReadTextInt(s));
    p.FlightSpriteID = static_cast<u32>(ReadTextInt(s));
    p.FlightSound = sound(static_cast<u32>(ReadTextInt(s)));
    p.FlightFrameTime = static_cast<u32>(ReadTextInt(s));
    p.FlightSpeed = static_cast<u32>(ReadTextInt(s));
    p.ImpactSpriteID = static_cast<u32>(ReadTextInt(s));
    p.ImpactSound = sound(static_cast<u32>(ReadTextInt(s)));
    p.ImpactFrameTime = static_cast<u32>(ReadTextInt(s));
    for (i16& param : p.Params) param = static_cast<i16>(ReadTextInt(s));
  }
}

void ReadSkillPrototypes(Data::TStream& s, Data::TDynamicArray<TSkillPrototype>& out) {
  i32 count = ReadCount(s, 2 * 110);
  out.Clear();
  out.SetCount(count);
  for (TSkillPrototype& p : out) {
    p.Number = static_cast<i16>(ReadTextInt(s));
    Data::ReadTextChars(s, p.Name, sizeof p.Name);
    Data::ReadTextChars(s, p.Description, sizeof p.Description);
    p.Level = static_cast<i16>(ReadTextInt(s));
    p.APCost = static_cast<i16>(ReadTextInt(s));
    p.Unused = static_cast<u32>(ReadTextInt(s));
    ReadPropertiesText(s, p.Bonus);
    p.Duration = static_cast<u32>(ReadTextInt(s));
    ReadPropertiesText(s, p.Effect);
  }
}

}  // namespace GameData
