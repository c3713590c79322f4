// Player actions: the 56-byte record that every move of a player becomes,
// its type and result codes, and the notifications the computer opponent reads.
#pragma once

#include <cstring>
#include <span>
#include <string>
#include <vector>

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

// The one message the game sends between machines: a record and the
// sequence number it was posted under.
struct TActionMessage {
  static constexpr u32 StreamSize = 68;
  static constexpr u32 ActionKind = 1;
  u32 Size = StreamSize;
  u32 Kind = ActionKind;
  u32 Sequence = 0;
  TActionRecord Record;
  std::vector<u8> Encode() const;
  // False with the reason when the bytes are no well-formed action message.
  static bool Decode(std::span<const u8> bytes, TActionMessage& out, std::string& error);
};

// What a record from another machine may carry: a type that travels, the
// bytes and enumerations its type uses in range, fields on the map, and
// every word the type leaves unused zero. IDs are looked up when the record
// is executed. False with the reason otherwise.
bool CheckRemoteRecord(const TActionRecord& record, i32 mapWidth, i32 mapHeight, i32 playerCount, std::string& error);

// How far a message's sequence number may run ahead of this machine's action
// counter: the follow-up records one action produces locally are few.
constexpr u32 MaxSequenceLead = 1024;
// False with the reason when a message numbered sequence can never be
// replayed at this counter (from the past, or too far ahead).
bool CheckSequence(u32 sequence, u32 actionCounter, std::string& error);

enum class TRemoteVerdict { Ignore, Replay, EndSession };

// The state a remote player's thread judges a message against.
struct TRemoteContext {
  i32 MapWidth = 0;
  i32 MapHeight = 0;
  i32 PlayerCount = 0;
  u32 ActionCounter = 0;
};

// One message taken from the network queue of a remote player's thread:
// from = 0 marks a system message. Replay fills message; EndSession gives
// the reason the game cannot go on.
TRemoteVerdict JudgeRemoteMessage(u32 from, std::span<const u8> data, const TRemoteContext& context,
                                  TActionMessage& message, std::string& reason);

struct TNotification {
  u32 Kind;  // 1 unit seen moving, 2 spell cast seen, 3 group sighted, 4 unit entered a city
  i16 X;
  i16 Y;
  u32 UnitID;
  u32 Extra;  // spell ID for kind 2, city ID for kind 4
};

}  // namespace GameData
