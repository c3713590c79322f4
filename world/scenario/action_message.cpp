// The action message between machines, and how a remote player's thread
// judges what arrives: a message from another machine is trusted with
// nothing it could not have sent in a game that is in step.
#include <algorithm>

#include "engine/base/base.h"
#include "engine/platform/net/dplay_types.h"
#include "world/locations/city.h"
#include "world/scenario/action.h"

namespace GameData {

namespace {

constexpr i32 LastWord = 13;
constexpr u32 HighestSpell = 61;  // map spells; battle spells travel as battle orders
constexpr u32 FirstAnswer = 2000;

bool OutOfRange(std::string& error, u32 type, i32 word, u32 value) {
  error = Base::Format("action type %u has %u in word %d", type, value, word);
  return false;
}

}  // namespace

std::vector<u8> TActionMessage::Encode() const {
  Data::TMemoryStream s;
  Data::WriteU32(s, Size);
  Data::WriteU32(s, Kind);
  Data::WriteU32(s, Sequence);
  Record.Write(s);
  return s.Memory();
}

bool TActionMessage::Decode(std::span<const u8> bytes, TActionMessage& out, std::string& error) {
  if (bytes.size() != StreamSize) {
    error = Base::Format("a message of %zu bytes is no action message", bytes.size());
    return false;
  }
  Data::TMemoryStream s(std::vector<u8>(bytes.begin(), bytes.end()));
  out.Size = Data::ReadU32(s);
  out.Kind = Data::ReadU32(s);
  out.Sequence = Data::ReadU32(s);
  out.Record.Read(s);
  if (out.Size != StreamSize || out.Kind != ActionKind) {
    error = Base::Format("a message of size %u and kind %u is no action message", out.Size, out.Kind);
    return false;
  }
  return true;
}

bool CheckRemoteRecord(const TActionRecord& record, i32 mapWidth, i32 mapHeight, i32 playerCount,
                       std::string& error) {
  const u32* w = record.Words;
  const u32 type = w[0];
  const auto width = static_cast<u32>(std::max(mapWidth, 0));
  const auto height = static_cast<u32>(std::max(mapHeight, 0));
  i32 used = 0;
  switch (type) {
    case atEndTurn:
    case atLeaveCity:
      break;
    case atAttackGroup:
    case atAttackCity:
    case atEnterBuilding:
      // Follow-ups of a walk: every machine makes its own.
      error = Base::Format("action type %u is never sent between machines", type);
      return false;
    case atResult:
      used = 1;
      if (w[1] < arDone || w[1] > arStopped) return OutOfRange(error, type, 1, w[1]);
      break;
    case atSelect:
      used = 1;
      break;
    case atMove:
      used = 7;
      if (w[1] >= width) return OutOfRange(error, type, 1, w[1]);
      if (w[2] >= height) return OutOfRange(error, type, 2, w[2]);
      if (w[3] > 2) return OutOfRange(error, type, 3, w[3]);
      if ((w[4] & ~0x0101u) != 0) return OutOfRange(error, type, 4, w[4]);
      if (w[7] > 1) return OutOfRange(error, type, 7, w[7]);
      break;
    case atCastSpell:
      used = 4;
      if (w[1] == 0) return OutOfRange(error, type, 1, w[1]);
      if (w[2] == 0 || w[2] > HighestSpell) return OutOfRange(error, type, 2, w[2]);
      if (w[3] >= width) return OutOfRange(error, type, 3, w[3]);
      if (w[4] >= height) return OutOfRange(error, type, 4, w[4]);
      break;
    case atMakeCamp:
    case atBreakCamp:
    case atEnterCity:
      used = 1;
      if (w[1] == 0) return OutOfRange(error, type, 1, w[1]);
      break;
    case atMarkUnits:
      used = 1;
      if (w[1] > 0xFFFFFFu) return OutOfRange(error, type, 1, w[1]);
      break;
    case atMoveCityUnit:
      used = 4;
      if (w[1] > clRecruits) return OutOfRange(error, type, 1, w[1]);
      if (w[2] == 0) return OutOfRange(error, type, 2, w[2]);
      if (w[3] > clRecruits) return OutOfRange(error, type, 3, w[3]);
      if (static_cast<i32>(w[4]) < -1) return OutOfRange(error, type, 4, w[4]);
      break;
    case atBattleOrders:
      // The battle screen checks the orders of a side.
      used = LastWord;
      break;
    case atVisitMerchant:
      used = 1;
      if (w[1] >= MerchantCount) return OutOfRange(error, type, 1, w[1]);
      break;
    case atPurchase:
      used = 4;
      if (w[1] > pkBuyDrink) return OutOfRange(error, type, 1, w[1]);
      if (w[2] == 0) return OutOfRange(error, type, 2, w[2]);
      if (w[3] >= static_cast<u32>(std::max(playerCount, 0))) return OutOfRange(error, type, 3, w[3]);
      break;
    case atConversationAnswer:
      used = 1;
      if (w[1] != 1 && w[1] < FirstAnswer) return OutOfRange(error, type, 1, w[1]);
      break;
    default:
      error = Base::Format("unknown action type %u", type);
      return false;
  }
  for (i32 i = used + 1; i <= LastWord; ++i)
    if (w[i] != 0) return OutOfRange(error, type, i, w[i]);
  return true;
}

bool CheckSequence(u32 sequence, u32 actionCounter, std::string& error) {
  if (sequence < actionCounter) {
    error = Base::Format("action %u came after action %u had been played", sequence, actionCounter - 1);
    return false;
  }
  if (sequence - actionCounter > MaxSequenceLead) {
    error = Base::Format("action %u is too far ahead of action %u", sequence, actionCounter);
    return false;
  }
  return true;
}

TRemoteVerdict JudgeRemoteMessage(u32 from, std::span<const u8> data, const TRemoteContext& context,
                                  TActionMessage& message, std::string& reason) {
  if (from == Plat::DPID_SYSMSG) {
    u32 code = 0;
    if (data.size() >= 4) code = data[0] | data[1] << 8 | data[2] << 16 | static_cast<u32>(data[3]) << 24;
    switch (code) {
      case Plat::DPSYS_SESSIONLOST: reason = "the connection to the session was lost"; break;
      case Plat::DPSYS_DESTROYPLAYERORGROUP: reason = "a player left the session"; break;
      case Plat::DPSYS_HOST: reason = "the host left the session"; break;
      default: return TRemoteVerdict::Ignore;
    }
    reason = "Network game ended: " + reason + ".";
    return TRemoteVerdict::EndSession;
  }
  std::string error;
  if (!TActionMessage::Decode(data, message, error) ||
      !CheckRemoteRecord(message.Record, context.MapWidth, context.MapHeight, context.PlayerCount, error) ||
      !CheckSequence(message.Sequence, context.ActionCounter, error)) {
    reason = "Network game ended: " + error + ".";
    return TRemoteVerdict::EndSession;
  }
  return TRemoteVerdict::Replay;
}

}  // namespace GameData
