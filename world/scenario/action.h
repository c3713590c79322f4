// Player actions: the 56-byte record that every move of a player becomes,
// its type and result codes, and the notifications the computer opponent reads.
#pragma once

#include <cstring>

#include "engine/base/types.h"
#include "engine/data/stream.h"

namespace GameData {

enum TActionType : u32 {
  atNone = 0,
  atEndTurn = 1,
  atAttackGroup = 2,
  atResult = 3,
  atSelect = 4,
  atMove = 5,
  atCastSpell = 6,
  atMakeCamp = 7,
  atBreakCamp = 8,
  atMarkUnits = 9,
  atEnterCity = 10,
  atAttackCity = 11,
  atEnterBuilding = 12,
  atLeaveCity = 13,
  atMoveCityUnit = 14,
  atBattleOrders = 15,
  atVisitMerchant = 16,
  atPurchase = 17,
  atConversationAnswer = 18,
};

enum TActionResult : u32 {
  arPending = 0,
  arDone = 1,
  arSighted = 2,
  arNoActionPoints = 3,
  arNoneLeaving = 4,
  arBlocked = 5,
  arNoneStaying = 6,
  arNoPath = 7,
  arStopped = 8,
};

// Fourteen little-endian words: the type, then the arguments. A wire format.
struct TActionRecord {
  static constexpr i32 StreamSize = 56;
  u32 Words[14] = {};
  u32 Type() const { return Words[0]; }
  void Read(Data::TStream& s) {
    for (u32& w : Words) w = Data::ReadU32(s);
  }
  void Write(Data::TStream& s) const {
    for (u32 w : Words) Data::WriteU32(s, w);
  }
};

struct TNotification {
  u32 Kind;  // 1 unit seen moving, 2 spell cast seen, 3 group sighted, 4 unit entered a city
  i16 X;
  i16 Y;
  u32 UnitID;
  u32 Extra;  // spell ID for kind 2, city ID for kind 4
};

}  // namespace GameData
