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

  TMemoryStream ints(std::string("abc\r\n+17\r\n2147483648\r\n"));
  try {
    Data::ReadTextInt(ints);
    ADD_FAILURE();
  } catch (const Base::EConvertError& e) {
    EXPECT_STREQ(e.what(), "'abc' is not a valid integer value.");
  }
  EXPECT_EQ(Data::ReadTextInt(ints), 17);
  EXPECT_THROW(Data::ReadTextInt(ints), Base::EConvertError);
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
