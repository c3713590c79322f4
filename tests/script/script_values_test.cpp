// The value language both interpreters share: expressions, operands,
// variables and aliases, the parameter readers and the two error frames.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

#include "script/check_script.h"
#include "script/conversation_script.h"
#include "tests/world/world_fixture.h"
#include "world/scenario/conversation.h"
#include "world/scenario/quest_objective.h"

namespace ScriptTest {
namespace {

using namespace GameData;

std::string ErrorOf(const std::function<void()>& run) {
  try {
    run();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "(no error)";
}

class ScriptValues : public WorldTest::TWorldFixture {
 protected:
  void SetUp() override {
    TWorldFixture::SetUp();
    MakeScenario();
    Quest.ID = 42;
    Quest.SetScenario(Scenario.get());
    Conversation.ID = 77;
    Conversation.SetScenario(Scenario.get());
  }
  TQuestObjective Quest;
  TConversation Conversation;
};

TEST_F(ScriptValues, ExpressionsGoFromLeftToRightWithoutPrecedence) {
  Scenario->Globals[7] = 6;
  Quest.Check.Locals[3] = -4;
  Quest.Check.Locals[2] = -1;
  const struct {
    const char* Text;
    i32 Value;
  } cases[] = {
      {"2+3*4", 20},
      {"10-4-3", 3},
      {"-5", -5},
      {"3*-2", -2},
      {"7/2", 3},
      {"-7/2", -3},
      {"", 0},
      {"   ", 0},
      {"007", 7},
      {" 5 + 3 ", 8},
      {"GLOBAL7*LOCAL3", -24},
      {"LOCAL31+GLOBAL1023", 0},
      // Arithmetic wraps, the one quotient outside int32 included.
      {"2147483647+1", -2147483647 - 1},
      {"65536*65536", 0},
      {"0-2147483647-1/LOCAL2", -2147483647 - 1},
  };
  Script::TCheckScript check(Quest.Check);
  for (const auto& c : cases) EXPECT_EQ(check.EvaluateExpression(c.Text), c.Value) << c.Text;
}

TEST_F(ScriptValues, BadOperandsAndVariablesRaiseTheirMessages) {
  Quest.Check.CommandText = "SET(LOCAL32,1)";
  Script::TCheckScript check(Quest.Check);
  const struct {
    const char* Text;
    std::string Message;
  } cases[] = {
      {"5/0", "Division by zero"},
      {"2147483648", "'2147483648' is not a valid integer value"},
      {"LOCALX", "'X' is not a valid integer value"},
      {"LOCAL32",
       "[TCheck]\nBad index of local variable!\nThere is 32 local variables with index starting at 0!\n"
       "Command:SET(LOCAL32,1) CheckID=42"},
      {"GLOBAL1024",
       "[TCheck]\nBad index of global variable!\nThere is 1024 global variables with index starting at 0!\n"
       "Command:SET(LOCAL32,1) CheckID=42"},
      {"1+NOBODY", "Unknown variable:NOBODY!"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ErrorOf([&] { check.EvaluateExpression(c.Text); }), c.Message) << c.Text;
}

TEST_F(ScriptValues, AConversationAliasHidesTheScenarioAliasOnlyInsideItsConversation) {
  Scenario->AddAlias("Zaehler", 9);
  Scenario->AddAlias("ZAEHLER", 10);
  Scenario->Globals[9] = 90;
  Conversation.Aliases = {{"zaehler", 4}};
  Conversation.Locals[4] = 40;
  Script::TConversationScript talk(Conversation);
  Script::TCheckScript check(Quest.Check);
  EXPECT_EQ(talk.GetOperandValue("ZAEHLER"), 40);
  EXPECT_EQ(check.GetOperandValue("ZAEHLER"), 90) << "the first matching entry wins";
  EXPECT_EQ(&check.ResolveVariable("ZAEHLER"), &Scenario->Globals[9]);
  // A damaged file's alias beyond the globals names no variable.
  Scenario->AddAlias("KAPUTT", GlobalCount);
  EXPECT_EQ(ErrorOf([&] { check.ResolveVariable("KAPUTT"); }), "Unknown variable:KAPUTT!");
  Conversation.Aliases = {{"LOCAL5", 4}};
  EXPECT_EQ(ErrorOf([&] { talk.ResolveVariable("LOCAL5X"); }), "'5X' is not a valid integer value")
      << "a LOCAL name is never an alias";
}

TEST_F(ScriptValues, ReadersTakeParametersFromTheFront) {
  Script::TCheckScript check(Quest.Check);
  std::string_view params = "5 , 6";
  EXPECT_EQ(check.TakeParameter(params), "5");
  EXPECT_EQ(params, " 6");
  Quest.Check.CommandText = "IFTRUE(5 , 6)";
  EXPECT_EQ(ErrorOf([&] { check.CheckNoMoreParameters(params); }),
            "[TCheck]\nParameter(s)  6 NOT expected!\nCommand:IFTRUE(5 , 6) CheckID=42");

  std::string_view optional = ", ,7";
  EXPECT_EQ(check.TakeOptionalExpression(optional, -1), -1) << "an empty parameter is the default";
  EXPECT_EQ(check.TakeOptionalExpression(optional, -1), 0) << "a blank is 0";
  EXPECT_EQ(check.TakeOptionalExpression(optional, -1), 7);
  EXPECT_EQ(check.TakeOptionalExpression(optional, -1), -1) << "nothing left";
  EXPECT_EQ(check.TakeOptionalParameter(optional), "");

  // A check trims before it tests; a conversation does not.
  std::string_view blank = " ";
  Quest.Check.CommandText = "SET(LOCAL0, )";
  EXPECT_EQ(ErrorOf([&] { check.TakeParameter(blank); }),
            "[TCheck]\nParameter expected!\nCommand:SET(LOCAL0, ) CheckID=42");
  Script::TConversationScript talk(Conversation);
  blank = " ";
  EXPECT_EQ(talk.TakeExpression(blank), 0);
  std::string_view empty;
  Conversation.CommandText = "SET(LOCAL0,)";
  EXPECT_EQ(ErrorOf([&] { talk.TakeParameter(empty); }),
            "[TConversation]\nParameter expected!\nCommand:SET(LOCAL0,) ConversationID=77");
}

TEST(ScriptNumbers, IsNumberAndTheConversion) {
  EXPECT_TRUE(Script::IsNumber("0123"));
  EXPECT_FALSE(Script::IsNumber(""));
  EXPECT_FALSE(Script::IsNumber("-1"));
  EXPECT_FALSE(Script::IsNumber("1 "));
  EXPECT_EQ(Script::ToInteger("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(Script::ToInteger("+12"), 12);
  EXPECT_THROW(Script::ToInteger("-"), std::runtime_error);
  EXPECT_THROW(Script::ToInteger(" 1"), std::runtime_error);
  EXPECT_THROW(Script::ToInteger("99999999999999999999"), std::runtime_error);
}

}  // namespace
}  // namespace ScriptTest
