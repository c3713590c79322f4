// The queue of script messages for one computer opponent, first in, first
// out. Scripts push on the main thread; the computer's turn pops on the
// player's thread. Each operation takes the queue's own lock, so the two
// never meet inside it; what a turn sees is unchanged, since scripts run
// only while the turn waits for a posted action.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "engine/data/data_object.h"

namespace AIHandler {

class TAIScriptStack : public Data::TDataObject {
 public:
  static constexpr i32 Capacity = 500;

  TAIScriptStack() : Slots(Capacity) {}
  TAIScriptStack(const TAIScriptStack&) = delete;
  TAIScriptStack& operator=(const TAIScriptStack&) = delete;

  // A stored count above the capacity is refused ("Invalid data.").
  void Load(Data::TStream& s) override;
  void Save(Data::TStream& s) const override;
  void Clear() override;

  // False, and the queue untouched, when it is full.
  bool Push(const std::string& text);
  // The oldest message; "" when the queue is empty.
  std::string Pop();
  i32 GetCount() const;

  // The text up to its first blank, trimmed of blanks; it and the blank
  // leave the text.
  static std::string NextToken(std::string& text);

 private:
  mutable std::mutex Lock;
  std::vector<std::string> Slots;
  i32 Count = 0;
};

}  // namespace AIHandler
