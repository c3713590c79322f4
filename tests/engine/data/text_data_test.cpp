#include "engine/data/text_data.h"

#include <gtest/gtest.h>

namespace {

using Data::TMemoryStream;

std::vector<std::string> Tokens(const std::string& text, int count) {
  TMemoryStream s(text);
  std::vector<std::string> out;
  for (int i = 0; i < count; ++i) out.push_back(Data::ReadTextString(s));
  return out;
}

TEST(TextData, TokensCommentsAndQuotes) {
  struct {
    std::string Text;
    std::vector<std::string> Expected;
  } cases[] = {
      {"12 ; twelve\r\n-7\r\n", {"12", "-7"}},
      {"\"a b;c#d\"\r\nx\r\n", {"a b;c#d", "x"}},
      {"\"\"\r\nx\r\n", {"", "x"}},
      {"; only a comment\r\n# another\nfirst\r\n", {"first"}},
      {"ab\xE4" "cd\r\n", {"ab", "cd"}},
      {"one two\tthree\n", {"one", "two", "three"}},
      {"\"Gr\xFC\xDF" "e\"\r\n", {"Gr\xFC\xDF" "e"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Tokens(c.Text, static_cast<int>(c.Expected.size())), c.Expected) << c.Text;
}

// Files edited on Linux end lines with LF alone, old ones with CR alone:
// CR LF, CR and LF each end one line, after tokens and comments alike, and
// the stream then stands after the line end.
TEST(TextData, EveryKindOfLineEnd) {
  struct {
    std::string Text;
    std::vector<i32> Values;
    i64 PositionAfterFirst;
  } cases[] = {
      {"3000\r3001\r", {3000, 3001}, 5},
      {"3000\n3001\n", {3000, 3001}, 5},
      {"3000\r\n3001\r\n", {3000, 3001}, 6},
      {"1 ; note\n2 ; note\r3 ; note\r\n4\n", {1, 2, 3, 4}, 9},
      {"; head\n# head\r5\n", {5}, 16},
      {"7\t# tail\n\n\r\n8\r", {7, 8}, 9},
  };
  for (const auto& c : cases) {
    TMemoryStream s(c.Text);
    for (std::size_t i = 0; i < c.Values.size(); ++i) {
      EXPECT_EQ(Data::ReadTextInt(s), c.Values[i]) << c.Text;
      if (i == 0) {
        EXPECT_EQ(s.GetPosition(), c.PositionAfterFirst) << c.Text;
      }
    }
  }
}

TEST(TextData, CrLfLeavesTheStreamAfterTheLineEnd) {
  TMemoryStream s(std::string("5\r\n6\r\n"));
  EXPECT_EQ(Data::ReadTextInt(s), 5);
  EXPECT_EQ(s.GetPosition(), 3);
  EXPECT_EQ(Data::ReadTextInt(s), 6);
  EXPECT_THROW(Data::ReadTextString(s), Base::EReadError) << "nothing left";
}

TEST(TextData, LastTokenNeedsAFollowingByte) {
  TMemoryStream s(std::string("42"));
  EXPECT_THROW(Data::ReadTextInt(s), Base::EReadError);
  TMemoryStream open(std::string("\"never closed\r\n"));
  EXPECT_THROW(Data::ReadTextString(open), Base::EReadError);
}

TEST(TextData, TypedReaders) {
  TMemoryStream s(std::string("1\r\n0\r\n2\r\n"));
  EXPECT_TRUE(Data::ReadTextBool(s));
  EXPECT_FALSE(Data::ReadTextBool(s));
  EXPECT_THROW(Data::ReadTextBool(s), Data::EInvalidData);

  TMemoryStream bits("1" + std::string(63, '0') + "\r\n101\r\n10x\r\n");
  EXPECT_EQ(Data::ReadTextBits(bits), 1ull << 63);
  EXPECT_EQ(Data::ReadTextBits(bits), 5u);
  EXPECT_THROW(Data::ReadTextBits(bits), Base::EConvertError);

  TMemoryStream ints(std::string("abc\r\n+17\r\n2147483648\r\n-2147483648\r\n"));
  try {
    Data::ReadTextInt(ints);
    ADD_FAILURE();
  } catch (const Base::EConvertError& e) {
    EXPECT_STREQ(e.what(), "'abc' is not a valid integer value.");
  }
  EXPECT_EQ(Data::ReadTextInt(ints), 17);
  EXPECT_THROW(Data::ReadTextInt(ints), Base::EConvertError);
  EXPECT_EQ(Data::ReadTextInt(ints), INT32_MIN);
}

// Decimal digits with an optional sign only; other forms are conversion errors.
TEST(TextData, IntegersAreDecimal) {
  for (const char* text : {"0x10", "$10", "1e3", "12a", "-", "+", "--1", "\"\"", "4294967295"}) {
    TMemoryStream s(std::string(text) + "\r\n");
    try {
      Data::ReadTextInt(s);
      ADD_FAILURE() << text;
    } catch (const Base::EConvertError& e) {
      EXPECT_NE(std::string(e.what()).find("is not a valid integer value."), std::string::npos) << text;
    }
  }
  TMemoryStream fine(std::string("007\r\n-0\r\n"));
  EXPECT_EQ(Data::ReadTextInt(fine), 7);
  EXPECT_EQ(Data::ReadTextInt(fine), 0);
}

TEST(TextData, LengthLimitOfCharFields) {
  char field[128];
  TMemoryStream fits(std::string(127, 'a') + "\r\n");
  Data::ReadTextChars(fits, field, sizeof field);
  EXPECT_EQ(std::string(field), std::string(127, 'a'));
  TMemoryStream tooLong(std::string(128, 'a') + "\r\n");
  EXPECT_THROW(Data::ReadTextChars(tooLong, field, sizeof field), Data::EInvalidData);
}

}  // namespace
