// Our own small demo data set, in the game's real formats. Everything in it
// is generated here: numbers, names, simple shapes.
#pragma once

#include <string>

#include "tools/databuilder/archive_builder.h"

namespace Builder {

struct TDemoData {
  TArchiveBuilder Globals, Graphics, Scenario, Sounds;
};

TDemoData BuildDemoData();

enum class TArchiveForm { Packed, Loose };
// Writes the four archives, an empty "Save" folder and, with films, the
// "Video" folder into dataDir.
void WriteDemoData(const std::string& dataDir, TArchiveForm form, bool films = true);
// Writes "data.ini" into programDir, naming dataPath.
void WriteDataIni(const std::string& programDir, const std::string& dataPath);

}  // namespace Builder
