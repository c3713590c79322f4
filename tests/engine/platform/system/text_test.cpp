#include "engine/platform/system/text.h"

#include <gtest/gtest.h>

namespace {

TEST(Cp1252, RoundTripsGermanTextAndSpecials) {
  const std::string cp = "Gr\xFC\xDF" "e \x80 \xC4\xD6\xDC \x84x\x93";
  const std::string utf8 = "Grüße € ÄÖÜ „x“";
  EXPECT_EQ(Plat::Cp1252ToUtf8(cp), utf8);
  EXPECT_EQ(Plat::Utf8ToCp1252(utf8), cp);
  EXPECT_EQ(Plat::Utf8ToCp1252("漢"), "?");
  EXPECT_EQ(Plat::Utf8ToCp1252("a\xE2\x82"), "a?") << "truncated sequence";
  EXPECT_EQ(Plat::Cp1252ToUtf8("\x81"), "?") << "undefined byte";
}

}  // namespace
