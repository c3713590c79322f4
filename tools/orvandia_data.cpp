// Our data tool: writes the demo data set, and lists or deciphers archives
// for debugging.
#include <cstdio>
#include <exception>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "ai/ai_handler.h"
#include "engine/base/base.h"
#include "engine/data/archive.h"
#include "engine/platform/files.h"
#include "tools/databuilder/archive_builder.h"
#include "tools/demodata/demo_data.h"
#include "tools/demodata/demo_scenario.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage:\n"
               "  orvandia-data build DATADIR [--loose]   write the demo data set (packed by default)\n"
               "  orvandia-data ini PROGRAMDIR DATAPATH    write data.ini naming the data directory\n"
               "  orvandia-data list ARCHIVE               list an archive's files (ARCHIVE: x.dat or a folder)\n"
               "  orvandia-data extract ARCHIVE NAME OUT   write one file of an archive, deciphered\n"
               "  orvandia-data decipher FILE OUT          decipher a whole file keyed by its own name\n"
               "  orvandia-data scenario DATADIR NAME [WIDTH HEIGHT GROUPS DOODLES CITIES SEED]\n"
               "                                           write a generated scenario into DATADIR/scenario\n");
  return 2;
}

// Opens an archive given as a path to its ".dat" file or its folder.
std::unique_ptr<Data::TArchive> OpenArchive(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  std::size_t slash = path.find_last_of('/');
  std::string dir = slash == std::string::npos ? "./" : path.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  u8 type = Data::TArchive::Directory;
  if (name.size() > 4 && name.substr(name.size() - 4) == ".dat") {
    name.resize(name.size() - 4);
    type = Data::TArchive::Packed;
  }
  Data::DataPath = dir;
  return std::make_unique<Data::TArchive>(name, type);
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage();
  // Players' streams hold their computer opponent's.
  AIHandler::ConnectToWorld();
  try {
    const std::string& cmd = args[0];
    if (cmd == "build" && (args.size() == 2 || (args.size() == 3 && args[2] == "--loose"))) {
      Builder::WriteDemoData(args[1], args.size() == 3 ? Builder::TArchiveForm::Loose : Builder::TArchiveForm::Packed);
    } else if (cmd == "ini" && args.size() == 3) {
      Builder::WriteDataIni(args[1], args[2]);
    } else if (cmd == "list" && args.size() == 2) {
      auto archive = OpenArchive(args[1]);
      for (i32 i = 0; i < archive->Count(); ++i) {
        const auto& e = archive->Entries[i];
        if (e.Offset == Data::TArchive::TFileEntry::Loose)
          std::printf("%-31s  loose\n", e.Name);
        else
          std::printf("%-31s  %10u bytes at %u\n", e.Name, e.Size, e.Offset);
      }
    } else if (cmd == "extract" && args.size() == 4) {
      auto archive = OpenArchive(args[1]);
      std::unique_ptr<Data::TStream> in(archive->OpenFile(args[2]));
      std::string bytes(static_cast<std::size_t>(in->GetSize()), '\0');
      in->ReadBuffer(bytes.data(), static_cast<i32>(bytes.size()));
      WriteFile(args[3], bytes);
    } else if (cmd == "decipher" && args.size() == 3) {
      WriteFile(args[2], Builder::ReadEnciphered(args[1]));
    } else if (cmd == "scenario" && args.size() >= 3 && args.size() <= 9) {
      Builder::TScenarioParams p;
      i32* values[] = {&p.Width, &p.Height, &p.Groups, &p.Doodles, &p.Cities};
      for (std::size_t i = 3; i < args.size() && i < 8; ++i) *values[i - 3] = std::stoi(args[i]);
      if (args.size() == 9) p.Seed = static_cast<u32>(std::stoul(args[8]));
      Plat::CreateDirectories(args[1] + "/scenario");
      Builder::WriteEnciphered(args[1] + "/scenario/" + args[2], Builder::GenerateScenario(p));
    } else {
      return Usage();
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "orvandia-data: %s\n", e.what());
    return 1;
  }
  return 0;
}
