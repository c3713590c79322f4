// The rules, prototypes and tables of the demo data set: our own numbers
// and names.
#pragma once

#include <string>

#include "world/units/unit_properties.h"

namespace Builder {

class TTextBuilder;

std::string RulesFile();
std::string UnitPrototypeFile();
std::string SpellPrototypeFile();
std::string SkillPrototypeFile();
std::string SpriteTableFile();

// 48 values and the four masks in the order the prototype files use.
void WritePropertiesText(TTextBuilder& t, const GameData::TUnitProperties& p);

}  // namespace Builder
