#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/platform/net/dplay_types.h"
#include "world/locations/city.h"
#include "world/scenario/action.h"

namespace WorldTest {
namespace {

using namespace GameData;

TActionRecord Record(std::initializer_list<u32> words) {
  TActionRecord r;
  i32 i = 0;
  for (u32 w : words) r.Words[i++] = w;
  return r;
}

std::vector<u8> Message(u32 sequence, const TActionRecord& record) {
  TActionMessage m;
  m.Sequence = sequence;
  m.Record = record;
  return m.Encode();
}

u32 WordAt(const std::vector<u8>& bytes, std::size_t offset) {
  return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 | static_cast<u32>(bytes[offset + 3]) << 24;
}

TEST(ActionMessage, SixtyEightLittleEndianBytesFieldByField) {
  TActionRecord r;
  for (u32 i = 0; i < 14; ++i) r.Words[i] = 0x01020304u * (i + 1);
  r.Words[0] = atBattleOrders;
  const std::vector<u8> bytes = Message(0xA1B2C3D4, r);
  ASSERT_EQ(bytes.size(), 68u);
  EXPECT_EQ(WordAt(bytes, 0), 68u);
  EXPECT_EQ(WordAt(bytes, 4), 1u);
  EXPECT_EQ(bytes[8], 0xD4) << "the sequence number, low byte first";
  EXPECT_EQ(WordAt(bytes, 12), u32{atBattleOrders});
  EXPECT_EQ(WordAt(bytes, 64), r.Words[13]);

  TActionMessage back;
  std::string error;
  ASSERT_TRUE(TActionMessage::Decode(bytes, back, error)) << error;
  EXPECT_EQ(back.Sequence, 0xA1B2C3D4u);
  EXPECT_EQ(back.Encode(), bytes);
}

// What a remote player's thread makes of a message: map 16 x 16, three
// players, this machine's counter at 10.
TEST(ActionMessage, RemoteMessagesAreJudgedBeforeTheyAreReplayed) {
  const TRemoteContext context{16, 16, 3, 10};
  auto system = [](u32 code) {
    std::vector<u8> m(16);
    m[0] = static_cast<u8>(code);
    m[1] = static_cast<u8>(code >> 8);
    return m;
  };
  auto withWord = [](std::vector<u8> m, std::size_t offset, u32 value) {
    for (int i = 0; i < 4; ++i) m[offset + i] = static_cast<u8>(value >> (8 * i));
    return m;
  };
  const std::vector<u8> move = Message(10, Record({atMove, 15, 15, 2, 0x0101, 3, 1234, 1}));
  struct TCase {
    const char* name;
    u32 from;
    std::vector<u8> bytes;
    TRemoteVerdict verdict;
    const char* reason;  // a part of it
  } cases[] = {
      {"a move", 7, move, TRemoteVerdict::Replay, ""},
      {"session lost", 0, system(Plat::DPSYS_SESSIONLOST), TRemoteVerdict::EndSession, "connection to the session was lost"},
      {"player gone", 0, system(Plat::DPSYS_DESTROYPLAYERORGROUP), TRemoteVerdict::EndSession, "a player left"},
      {"host changed", 0, system(Plat::DPSYS_HOST), TRemoteVerdict::EndSession, "host left"},
      {"player joined", 0, system(Plat::DPSYS_CREATEPLAYERORGROUP), TRemoteVerdict::Ignore, ""},
      {"player data", 0, system(Plat::DPSYS_SETPLAYERORGROUPDATA), TRemoteVerdict::Ignore, ""},
      {"empty system message", 0, {}, TRemoteVerdict::Ignore, ""},
      {"cut short", 7, std::vector<u8>(move.begin(), move.end() - 1), TRemoteVerdict::EndSession, "67 bytes"},
      {"too long", 7, [&] { auto m = move; m.push_back(0); return m; }(), TRemoteVerdict::EndSession, "69 bytes"},
      {"empty", 7, {}, TRemoteVerdict::EndSession, "0 bytes"},
      {"size word", 7, withWord(move, 0, 60), TRemoteVerdict::EndSession, "size 60"},
      {"kind", 7, withWord(move, 4, 2), TRemoteVerdict::EndSession, "kind 2"},
      {"no type", 7, Message(10, Record({})), TRemoteVerdict::EndSession, "unknown action type 0"},
      {"type 19", 7, Message(10, Record({19})), TRemoteVerdict::EndSession, "unknown action type 19"},
      {"huge type", 7, Message(10, Record({0xFFFFFFFF})), TRemoteVerdict::EndSession, "unknown action type"},
      {"attack group", 7, Message(10, Record({atAttackGroup, 5})), TRemoteVerdict::EndSession, "never sent"},
      {"attack city", 7, Message(10, Record({atAttackCity, 5})), TRemoteVerdict::EndSession, "never sent"},
      {"enter building", 7, Message(10, Record({atEnterBuilding, 5})), TRemoteVerdict::EndSession, "never sent"},
      {"move beside the map", 7, withWord(move, 16, 16), TRemoteVerdict::EndSession, "16 in word 1"},
      {"move below the map", 7, withWord(move, 20, 0x80000000), TRemoteVerdict::EndSession, "word 2"},
      {"approach mode", 7, withWord(move, 24, 3), TRemoteVerdict::EndSession, "word 3"},
      {"move flags", 7, withWord(move, 28, 0x0201), TRemoteVerdict::EndSession, "word 4"},
      {"rebuild flag", 7, withWord(move, 40, 2), TRemoteVerdict::EndSession, "word 7"},
      {"unused word", 7, withWord(move, 44, 1), TRemoteVerdict::EndSession, "word 8"},
      {"pending result", 7, Message(10, Record({atResult, 0})), TRemoteVerdict::EndSession, "word 1"},
      {"result 9", 7, Message(10, Record({atResult, 9})), TRemoteVerdict::EndSession, "word 1"},
      {"turn start", 7, Message(10, Record({atResult, 1})), TRemoteVerdict::Replay, ""},
      {"end of turn", 7, Message(10, Record({atEndTurn})), TRemoteVerdict::Replay, ""},
      {"end of turn with words", 7, Message(10, Record({atEndTurn, 1})), TRemoteVerdict::EndSession, "word 1"},
      {"select nothing", 7, Message(10, Record({atSelect, 0})), TRemoteVerdict::Replay, ""},
      {"spell", 7, Message(10, Record({atCastSpell, 77, 61, 0, 15})), TRemoteVerdict::Replay, ""},
      {"battle spell on the map", 7, Message(10, Record({atCastSpell, 77, 65, 1, 1})), TRemoteVerdict::EndSession, "word 2"},
      {"spell without caster", 7, Message(10, Record({atCastSpell, 0, 1, 1, 1})), TRemoteVerdict::EndSession, "word 1"},
      {"camp without group", 7, Message(10, Record({atMakeCamp, 0})), TRemoteVerdict::EndSession, "word 1"},
      {"marks", 7, Message(10, Record({atMarkUnits, 0x010001})), TRemoteVerdict::Replay, ""},
      {"fourth mark", 7, Message(10, Record({atMarkUnits, 0x01000000})), TRemoteVerdict::EndSession, "word 1"},
      {"city move", 7, Message(10, Record({atMoveCityUnit, 3, 55, 1, 0xFFFFFFFF})), TRemoteVerdict::Replay, ""},
      {"city list 4", 7, Message(10, Record({atMoveCityUnit, 4, 55, 1, 0})), TRemoteVerdict::EndSession, "word 1"},
      {"slot -2", 7, Message(10, Record({atMoveCityUnit, 0, 55, 1, 0xFFFFFFFE})), TRemoteVerdict::EndSession, "word 4"},
      {"battle orders", 7, Message(10, Record({atBattleOrders, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13})),
       TRemoteVerdict::Replay, ""},
      {"merchant 6", 7, Message(10, Record({atVisitMerchant, 6})), TRemoteVerdict::EndSession, "word 1"},
      {"purchase", 7, Message(10, Record({atPurchase, 6, 55, 2, 9})), TRemoteVerdict::Replay, ""},
      {"purchase kind 7", 7, Message(10, Record({atPurchase, 7, 55, 2, 9})), TRemoteVerdict::EndSession, "word 1"},
      {"purchase for player 3", 7, Message(10, Record({atPurchase, 1, 55, 3, 9})), TRemoteVerdict::EndSession, "word 3"},
      {"answer", 7, Message(10, Record({atConversationAnswer, 2003})), TRemoteVerdict::Replay, ""},
      {"answer 1999", 7, Message(10, Record({atConversationAnswer, 1999})), TRemoteVerdict::EndSession, "word 1"},
      {"from the past", 7, Message(9, Record({atSelect, 1})), TRemoteVerdict::EndSession, "action 9 came after action 9"},
      {"as far ahead as may be", 7, Message(10 + MaxSequenceLead, Record({atSelect, 1})), TRemoteVerdict::Replay, ""},
      {"too far ahead", 7, Message(11 + MaxSequenceLead, Record({atSelect, 1})), TRemoteVerdict::EndSession,
       "too far ahead"},
  };
  for (const TCase& c : cases) {
    TActionMessage m;
    std::string reason;
    EXPECT_EQ(JudgeRemoteMessage(c.from, c.bytes, context, m, reason), c.verdict) << c.name << ": " << reason;
    EXPECT_NE(reason.find(c.reason), std::string::npos) << c.name << ": " << reason;
    if (c.verdict == TRemoteVerdict::EndSession) {
      EXPECT_EQ(reason.rfind("Network game ended: ", 0), 0u) << c.name;
    }
    if (c.verdict == TRemoteVerdict::Replay) {
      EXPECT_EQ(m.Encode(), c.bytes) << c.name;
    }
  }
}

// A peer's purchase of every kind reaches this machine unchanged, hiring
// (kind 0) included; a kind past the drink is refused.
TEST(ActionMessage, EveryPurchaseKindOfAPeerIsReplayed) {
  const TRemoteContext context{16, 16, 3, 10};
  const struct {
    u32 Kind;
    u32 Number;
  } kinds[] = {{pkHireUnit, 0}, {pkRestoreMana, 0}, {pkLearnSpell, 12}, {pkBuySkill, 45},
               {pkHealUnit, 0}, {pkBuyHealerSkill, 7}, {pkBuyDrink, 0}};
  for (u32 i = 0; i < 7; ++i) EXPECT_EQ(kinds[i].Kind, i) << "the kinds run 0 hire to 6 drink";
  for (const auto& k : kinds) {
    const std::vector<u8> bytes = Message(10, Record({atPurchase, k.Kind, 1008, 2, k.Number}));
    TActionMessage m;
    std::string reason;
    ASSERT_EQ(JudgeRemoteMessage(7, bytes, context, m, reason), TRemoteVerdict::Replay) << k.Kind << ": " << reason;
    EXPECT_EQ(m.Record.Words[1], k.Kind);
    EXPECT_EQ(m.Record.Words[4], k.Number);
  }
  for (u32 kind : {7u, 0x80000000u, 0xFFFFFFFFu}) {
    TActionMessage m;
    std::string reason;
    EXPECT_EQ(JudgeRemoteMessage(7, Message(10, Record({atPurchase, kind, 1008, 2, 0})), context, m, reason),
              TRemoteVerdict::EndSession)
        << kind;
    EXPECT_NE(reason.find("word 1"), std::string::npos) << reason;
  }
}

}  // namespace
}  // namespace WorldTest
