// Our data tool: writes the demo data set, and lists or deciphers archives
// for debugging.
#include <climits>
#include <cstdio>
#include <exception>
#include <fstream>
#include <memory>
#include <algorithm>
#include <string>
#include <vector>

#include "ai/ai_handler.h"
#include "engine/astreams/audio_list.h"
#include "engine/base/base.h"
#include "engine/data/archive.h"
#include "engine/platform/system/files.h"
#include "engine/platform/system/text.h"
#include "tools/databuilder/archive_builder.h"
#include "tools/databuilder/sound_builder.h"
#include "tools/demodata/demo_data.h"
#include "tools/demodata/scenario/demo_scenario.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage:\n"
               "  orvandia-data build DATADIR [--loose]   write the demo data set (packed by default)\n"
               "  orvandia-data ini PROGRAMDIR DATAPATH    write data.ini naming the data directory\n"
               "  orvandia-data list ARCHIVE               list an archive's files (ARCHIVE: x.dat or a folder)\n"
               "  orvandia-data extract ARCHIVE NAME OUT   write one file of an archive, deciphered\n"
               "  orvandia-data decipher FILE OUT          decipher a whole file keyed by its own name\n"
               "  orvandia-data sound ARCHIVE LIST ID OUT [--wav]\n"
               "                                           write one sound of an audio archive as stored,\n"
               "                                           or decoded into a WAV file\n"

               "  orvandia-data opponents OUTDIR           write the computer opponents' streams of the\n"
               "                                           demo missions' players, one file each\n"
               "  orvandia-data objectives OUTDIR          write the demo missions' objective texts, one\n"
               "                                           file each\n"
               "  orvandia-data scenario DATADIR NAME [WIDTH HEIGHT GROUPS DOODLES CITIES SEED]\n"
               "                                           write a generated scenario into DATADIR/scenario\n");
  return 2;
}

// A whole decimal number from 0 to max; what names the argument in the error.
u32 Number(const std::string& text, const char* what, u32 max = UINT32_MAX) {
  u64 value = 0;
  bool ok = !text.empty() && text.size() <= 10;
  for (char c : text) {
    ok = ok && c >= '0' && c <= '9';
    if (ok) value = value * 10 + static_cast<u32>(c - '0');
  }
  if (!ok || value > max)
    throw std::runtime_error(Base::Format("%s must be a number from 0 to %u, not \"%s\"", what, max, text.c_str()));
  return static_cast<u32>(value);
}

// Opens an archive given as a path to its ".dat" file or its folder.
std::unique_ptr<Data::TArchive> OpenArchive(std::string path) {
  if (Plat::FileExists(path) && !Plat::DirectoryExists(path) &&
      !(path.size() > 4 && path.substr(path.size() - 4) == ".dat"))
    throw std::runtime_error(path + " is neither an archive file (NAME.dat) nor an archive folder");
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
  std::ofstream out(Plat::NativePath(path), std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

// Lists the archive; false when an entry reaches past the end of its file.
bool ListArchive(const Data::TArchive& archive) {
  i64 fileLength = -1;
  if (archive.Type == Data::TArchive::Packed) {
    std::string error;
    if (auto file = Plat::TFile::Open(archive.Path, Plat::TFile::TMode::Read, error)) fileLength = file->Length();
  }
  bool fits = true;
  for (i32 i = 0; i < archive.Count(); ++i) {
    const auto& e = archive.Entries[i];
    if (e.Offset == Data::TArchive::TFileEntry::Loose) {
      std::printf("%-31s  loose\n", e.Name);
      continue;
    }
    std::printf("%-31s  %10u bytes at %u%s\n", e.Name, e.Size, e.Offset, e.LooseFile >= 0 ? " (loose file overrides)" : "");
    if (static_cast<i64>(archive.DataOffset) + e.Offset + e.Size > fileLength) {
      Plat::WriteErrorLine(Base::Format("orvandia-data: %s reaches past the end of the archive", e.Name));
      fits = false;
    }
  }
  return fits;
}

// One entry of an audio archive: its stored bytes, or its frames as a WAV file.
std::string SoundEntry(Data::TArchive& archive, const std::string& listName, u32 id, bool wav) {
  TAudioList list;
  list.OpenFromArchive(&archive, listName, false);
  i32 index = -1;
  for (i32 i = 0; i < list.Entries.Count() && index < 0; ++i)
    if (list.Entries[i].ID == id) index = i;
  if (index < 0) throw std::runtime_error(Base::Format("no sound %u in %s", id, listName.c_str()));
  if (!wav) {
    const auto& e = list.Entries[index];
    std::string bytes(e.Size, '\0');
    list.ArchiveStream->SetPosition(static_cast<i64>(list.DataStart) + e.Offset);
    list.ArchiveStream->ReadBuffer(bytes.data(), static_cast<i32>(e.Size));
    return bytes;
  }
  std::unique_ptr<TAudioStream> stream(list.GetStream(id));
  std::vector<u8> frames;
  std::vector<u8> chunk(4096 * stream->BlockAlign);
  for (i32 n; (n = stream->Read(chunk.data(), std::min(4096, stream->Length - stream->Position))) > 0;)
    frames.insert(frames.end(), chunk.begin(), chunk.begin() + n * stream->BlockAlign);
  return Builder::WriteWav(stream->Format(), frames.data(), static_cast<i32>(frames.size() / stream->BlockAlign));
}

}  // namespace

int main(int argc, char** argv) {
  // Text inside the system is Windows-1252; the command line is UTF-8.
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(Plat::Utf8ToCp1252(argv[i]));
  if (args.empty()) return Usage();
  // Players' streams hold their computer opponent's.
  AIHandler::ConnectToWorld();
  try {
    const std::string& cmd = args[0];
    if (cmd == "build" && (args.size() == 2 || (args.size() == 3 && args[2] == "--loose"))) {
      Builder::WriteDemoData(args[1], args.size() == 3 ? Builder::TArchiveForm::Loose : Builder::TArchiveForm::Packed);
    } else if (cmd == "ini" && args.size() == 3) {
      // A relative data path counts from the program's folder, as the game reads it.
      const bool absolute = !args[2].empty() && (args[2][0] == '/' || args[2][0] == '\\');
      if (!Plat::DirectoryExists(absolute ? args[2] : args[1] + "/" + args[2]))
        throw std::runtime_error("no such data folder: " + args[2]);
      Builder::WriteDataIni(args[1], args[2]);
    } else if (cmd == "list" && args.size() == 2) {
      if (!ListArchive(*OpenArchive(args[1]))) return 1;
    } else if (cmd == "extract" && args.size() == 4) {
      auto archive = OpenArchive(args[1]);
      std::unique_ptr<Data::TStream> in(archive->OpenFile(args[2]));
      std::string bytes(static_cast<std::size_t>(in->GetSize()), '\0');
      in->ReadBuffer(bytes.data(), static_cast<i32>(bytes.size()));
      WriteFile(args[3], bytes);
    } else if (cmd == "decipher" && args.size() == 3) {
      WriteFile(args[2], Builder::ReadEnciphered(args[1]));
    } else if (cmd == "sound" && (args.size() == 5 || (args.size() == 6 && args[5] == "--wav"))) {
      auto archive = OpenArchive(args[1]);
      WriteFile(args[4], SoundEntry(*archive, args[2], Number(args[3], "ID"), args.size() == 6));
    } else if (cmd == "scenario" && args.size() >= 3 && args.size() <= 9) {
      Builder::TScenarioParams p;
      i32* values[] = {&p.Width, &p.Height, &p.Groups, &p.Doodles, &p.Cities};
      const char* names[] = {"WIDTH", "HEIGHT", "GROUPS", "DOODLES", "CITIES"};
      for (std::size_t i = 3; i < args.size() && i < 8; ++i)
        *values[i - 3] = static_cast<i32>(Number(args[i], names[i - 3], INT32_MAX));
      if (args.size() == 9) p.Seed = Number(args[8], "SEED");
      if (!Plat::DirectoryExists(args[1])) throw std::runtime_error("no such data folder: " + args[1]);
      Builder::TScenarioCounts placed;
      const std::string bytes = Builder::GenerateScenario(p, &placed);
      if (placed.Groups < p.Groups || placed.Doodles < p.Doodles || placed.Cities < p.Cities)
        Plat::WriteErrorLine(Base::Format(
            "orvandia-data: the map holds %d of %d groups, %d of %d doodles and %d of %d cities", placed.Groups,
            p.Groups, placed.Doodles, p.Doodles, placed.Cities, p.Cities));
      Plat::CreateDirectories(args[1] + "/scenario");
      Builder::WriteEnciphered(args[1] + "/scenario/" + args[2], bytes);
    } else if (cmd == "opponents" && args.size() == 2) {
      const std::vector<std::string> streams = Builder::DemoOpponentStreams();
      for (std::size_t i = 0; i < streams.size(); ++i) WriteFile(args[1] + "/opponent" + std::to_string(i), streams[i]);
    } else if (cmd == "objectives" && args.size() == 2) {
      const std::vector<std::string> texts = Builder::DemoObjectiveTexts();
      for (std::size_t i = 0; i < texts.size(); ++i) WriteFile(args[1] + "/objective" + std::to_string(i), texts[i]);
    } else {
      return Usage();
    }
  } catch (const std::exception& e) {
    Plat::WriteErrorLine(std::string("orvandia-data: ") + e.what());
    return 1;
  }
  return 0;
}
