#include "tools/replay/replay_script.h"

#include <cerrno>
#include <cstdlib>
#include <deque>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "engine/base/base.h"
#include "game/control/game.h"
#include "game/control/headless_game.h"
#include "world/scenario/scenario.h"

namespace Replay {

namespace {

constexpr const char* ActionNames[] = {"none",          "endturn",   "attackgroup",  "result",      "select",
                                       "move",          "castspell", "makecamp",     "breakcamp",   "markunits",
                                       "entercity",     "attackcity", "enterbuilding", "leavecity", "movecityunit",
                                       "battleorders",  "visitmerchant", "purchase",  "answer"};
constexpr u32 ActionCount = sizeof ActionNames / sizeof ActionNames[0];

std::string Hex(u64 hash) { return Base::Format("%016llx", static_cast<unsigned long long>(hash)); }

// A whole word as a number as C writes it (decimal, 0x hex, leading-0
// octal), negative allowed (words are 32 bits).
bool ParseNumber(const std::string& word, i64& value) {
  if (word.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long long n = std::strtoll(word.c_str(), &end, 0);
  if (*end != 0 || errno != 0 || n < INT32_MIN || n > UINT32_MAX) return false;
  value = n;
  return true;
}

class TRunner {
 public:
  explicit TRunner(const std::function<void(const std::string&)>& output) : Output(output) {}

  void Line(i32 number, const std::string& text) {
    std::istringstream in(text.substr(0, text.find('#')));
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    if (words.empty()) return;
    const bool running = Headless && Headless->Running();
    try {
      Command(words);
    } catch (const std::exception& e) {
      throw std::runtime_error(Base::Format("line %d: %s", number, e.what()));
    }
    if (running && !Headless->Running()) Output("menu");
  }

 private:
  i64 Number(const std::vector<std::string>& words, std::size_t index, i64 low, i64 high) {
    i64 value = 0;
    if (index >= words.size() || !ParseNumber(words[index], value) || value < low || value > high)
      throw std::invalid_argument(Base::Format("\"%s\" needs a number from %lld to %lld", words[0].c_str(),
                                               static_cast<long long>(low), static_cast<long long>(high)));
    return value;
  }

  void Arguments(const std::vector<std::string>& words, std::size_t count) {
    if (words.size() != count + 1)
      throw std::invalid_argument(Base::Format("\"%s\" takes %zu argument(s)", words[0].c_str(), count));
  }

  Main::THeadlessGame& TheGame() {
    if (!Headless) {
      Headless = std::make_unique<Main::THeadlessGame>(Seed);
      Headless->PageAnswers = std::move(Answers);
      Headless->OnAction = [this](const GameData::TActionRecord& record, u64 hash) {
        Output(Base::Format("action %d %s %s", ++Executed, ActionName(record.Type()).c_str(), Hex(hash).c_str()));
      };
    }
    return *Headless;
  }

  Main::THeadlessGame& RunningGame() {
    if (!Headless || !Headless->Running()) throw std::invalid_argument("no game is running");
    return *Headless;
  }

  void Command(const std::vector<std::string>& w) {
    const std::string& c = w[0];
    if (c == "seed") {
      Arguments(w, 1);
      if (Headless) throw std::invalid_argument("\"seed\" comes before the game starts");
      Seed = static_cast<u32>(Number(w, 1, 0, UINT32_MAX));
    } else if (c == "mission") {
      Arguments(w, 1);
      TheGame().StartMission(static_cast<i32>(Number(w, 1, 1, INT32_MAX)));
    } else if (c == "scenario") {
      Arguments(w, 1);
      TheGame().StartScenario(w[1]);
    } else if (c == "act") {
      if (w.size() < 2 || w.size() > 15) throw std::invalid_argument("\"act\" takes a type and up to 13 words");
      const i32 type = ActionTypeOf(w[1]);
      if (type < 0) throw std::invalid_argument(Base::Format("unknown action \"%s\"", w[1].c_str()));
      GameData::TActionRecord record;
      record.Words[0] = static_cast<u32>(type);
      for (std::size_t i = 2; i < w.size(); ++i) record.Words[i - 1] = static_cast<u32>(Number(w, i, INT32_MIN, UINT32_MAX));
      RunningGame().Act(record);
    } else if (c == "answer") {
      Arguments(w, 1);
      const i32 choice = static_cast<i32>(Number(w, 1, 1, INT32_MAX));
      (Headless ? Headless->PageAnswers : Answers).push_back(choice);
    } else if (c == "steps") {
      Arguments(w, 1);
      Main::THeadlessGame& game = RunningGame();
      for (i64 n = Number(w, 1, 0, 10000000); n > 0 && game.Running(); --n) game.Step();
    } else if (c == "settle") {
      Arguments(w, 0);
      RunningGame().Settle();
    } else if (c == "global") {
      Arguments(w, 2);
      const i64 index = Number(w, 1, 0, GameData::GlobalCount - 1);
      const i64 value = Number(w, 2, INT32_MIN, INT32_MAX);
      RunningGame();
      Game->Scenario->Globals[index] = static_cast<i32>(value);
    } else if (c == "save") {
      Arguments(w, 1);
      RunningGame().Save(w[1]);
    } else if (c == "load") {
      Arguments(w, 1);
      TheGame().Load(w[1]);
    } else if (c == "hash") {
      Arguments(w, 0);
      Output("state " + Hex(Main::GameStateHash()));
    } else {
      throw std::invalid_argument(Base::Format("unknown command \"%s\"", c.c_str()));
    }
  }

  const std::function<void(const std::string&)>& Output;
  u32 Seed = 1;
  i32 Executed = 0;
  // Answers given before the game starts.
  std::deque<i32> Answers;
  std::unique_ptr<Main::THeadlessGame> Headless;
};

}  // namespace

i32 ActionTypeOf(const std::string& word) {
  for (u32 t = 1; t < ActionCount; ++t)
    if (word == ActionNames[t]) return static_cast<i32>(t);
  i64 n = 0;
  return ParseNumber(word, n) && n >= 1 && n < ActionCount ? static_cast<i32>(n) : -1;
}

std::string ActionName(u32 type) { return type < ActionCount ? ActionNames[type] : std::to_string(type); }

void RunScript(const std::string& script, const std::function<void(const std::string&)>& output) {
  TRunner runner(output);
  std::istringstream in(script);
  i32 number = 0;
  for (std::string line; std::getline(in, line);) runner.Line(++number, line);
}

}  // namespace Replay
