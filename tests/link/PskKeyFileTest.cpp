// The key file read by the program and the simulator alike.
#include <gtest/gtest.h>

#include "link/PskKeyFile.h"

namespace vantrel {
namespace {

struct KeyCase {
  const char* text;
  PskKeyError error;
  int line;
  const char* identity;
  std::size_t keyBytes;
};

class PskKeyFileCases : public ::testing::TestWithParam<KeyCase> {};

TEST_P(PskKeyFileCases, ReadsTheOneKeyLine) {
  const KeyCase& c = GetParam();
  const PskKeyParse parsed = ParsePskKeyFile(c.text);
  EXPECT_EQ(parsed.error, c.error) << c.text;
  EXPECT_EQ(parsed.line, c.line) << c.text;
  if (c.error == PskKeyError::None) {
    ASSERT_TRUE(parsed.key) << c.text;
    EXPECT_EQ(parsed.key->identity, c.identity);
    EXPECT_EQ(parsed.key->key.size(), c.keyBytes);
    EXPECT_EQ(parsed.key->key.front(), 0x00);
    EXPECT_EQ(parsed.key->key.back(), c.keyBytes - 1);
  } else {
    EXPECT_FALSE(parsed.key) << c.text;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PskKeyFileCases,
    ::testing::Values(
        KeyCase{"client-1:000102030405060708090a0b0c0d0e0f\n", PskKeyError::None, 0, "client-1", 16},
        KeyCase{"# bench\r\n\r\n  client-1 : 000102030405060708090A0B0C0D0E0F10\r\n",
                PskKeyError::None, 0, "client-1", 17},
        KeyCase{"# nothing\n\n", PskKeyError::NoKeyLine, 0, "", 0},
        KeyCase{"", PskKeyError::NoKeyLine, 0, "", 0},
        KeyCase{"client-1 000102030405060708090a0b0c0d0e0f", PskKeyError::NoColon, 1, "", 0},
        KeyCase{"client1:000102030405060708090a0b0c0d0e0f", PskKeyError::ShortIdentity, 1, "", 0},
        KeyCase{"client 1:000102030405060708090a0b0c0d0e0f", PskKeyError::BadIdentity, 1, "", 0},
        KeyCase{"\n客户端客户端:000102030405060708090a0b0c0d0e0f", PskKeyError::BadIdentity, 2, "",
                0},
        KeyCase{"client-1:000102030405060708090a0b0c0d0e", PskKeyError::ShortKey, 1, "", 0},
        KeyCase{"client-1:000102030405060708090a0b0c0d0e0", PskKeyError::BadHex, 1, "", 0},
        KeyCase{"client-1:000102030405060708090a0b0c0d0e0g", PskKeyError::BadHex, 1, "", 0},
        KeyCase{"client-1:0001020304050607 08090a0b0c0d0e0f", PskKeyError::BadHex, 1, "", 0},
        KeyCase{"client-1:000102030405060708090a0b0c0d0e0f\n"
                "client-2:000102030405060708090a0b0c0d0e0f\n",
                PskKeyError::SeveralKeys, 2, "", 0}));

TEST(PskKeyFile, AKeyLongerThanAllowedIsRefused) {
  std::string text = "client-1:";
  for (std::size_t i = 0; i <= kMaxPskKeyBytes; ++i) text += "ab";
  EXPECT_EQ(ParsePskKeyFile(text).error, PskKeyError::LongKey);
}

TEST(PskKeyFile, OnlyTheOwnerMayReadIt) {
  EXPECT_FALSE(PskKeyFileModeTooOpen(0600));
  EXPECT_FALSE(PskKeyFileModeTooOpen(0400));
  EXPECT_TRUE(PskKeyFileModeTooOpen(0640));
  EXPECT_TRUE(PskKeyFileModeTooOpen(0604));
}

}  // namespace
}  // namespace vantrel
