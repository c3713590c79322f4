#include "ai/ai_script_stack.h"

namespace AIHandler {

void TAIScriptStack::Load(Data::TStream& s) {
  TDataObject::Load(s);
  const u32 count = Data::ReadU32(s);
  Data::CheckData(count <= static_cast<u32>(Capacity));
  // Every message is at least its 4-byte length.
  Data::CheckAvailable(s, count, 4);
  std::vector<std::string> read(count);
  for (std::string& text : read) Data::ReadString(s, text);
  std::lock_guard<std::mutex> guard(Lock);
  for (u32 i = 0; i < count; ++i) Slots[i] = std::move(read[i]);
  Count = static_cast<i32>(count);
}

void TAIScriptStack::Save(Data::TStream& s) const {
  TDataObject::Save(s);
  std::lock_guard<std::mutex> guard(Lock);
  Data::WriteU32(s, static_cast<u32>(Count));
  for (i32 i = 0; i < Count; ++i) Data::WriteString(s, Slots[static_cast<std::size_t>(i)]);
}

void TAIScriptStack::Clear() {
  std::lock_guard<std::mutex> guard(Lock);
  for (std::string& text : Slots) text.clear();
  Count = 0;
}

bool TAIScriptStack::Push(const std::string& text) {
  std::lock_guard<std::mutex> guard(Lock);
  if (Count >= Capacity) return false;
  Slots[static_cast<std::size_t>(Count++)] = text;
  return true;
}

std::string TAIScriptStack::Pop() {
  std::lock_guard<std::mutex> guard(Lock);
  if (Count < 1) return {};
  std::string out = std::move(Slots[0]);
  for (i32 i = 1; i < Count; ++i) Slots[static_cast<std::size_t>(i - 1)] = std::move(Slots[static_cast<std::size_t>(i)]);
  Slots[static_cast<std::size_t>(--Count)].clear();
  return out;
}

i32 TAIScriptStack::GetCount() const {
  std::lock_guard<std::mutex> guard(Lock);
  return Count;
}

std::string TAIScriptStack::NextToken(std::string& text) {
  const std::size_t blank = text.find(' ');
  std::string token = blank == std::string::npos ? text : text.substr(0, blank);
  text = blank == std::string::npos ? std::string() : text.substr(blank + 1);
  const std::size_t first = token.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return token.substr(first, token.find_last_not_of(' ') - first + 1);
}

}  // namespace AIHandler
