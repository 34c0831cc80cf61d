#include "platform/byte_order.h"

#include <gtest/gtest.h>

#include <string>

namespace qm {
namespace {

TEST(ByteOrder, ReadsEachWidthInItsOrderWithoutSignExtension) {
  const unsigned char bytes[] = {0x81, 0x02, 0x03, 0xF4, 0x05, 0x06, 0x07, 0xF8};
  EXPECT_EQ(Le16(bytes), 0x0281u);
  EXPECT_EQ(Le32(bytes), 0xF4030281u);
  EXPECT_EQ(Le64(bytes), 0xF8070605F4030281u);
  EXPECT_EQ(Be32(bytes), 0x810203F4u);
  EXPECT_EQ(Be64(bytes), 0x810203F4050607F8u);
  const std::string text("\xFF\x80\x01\x00", 4);
  EXPECT_EQ(Le16(text.data()), 0x80FFu);
  EXPECT_EQ(Le32(text.data()), 0x000180FFu);
}

}  // namespace
}  // namespace qm
