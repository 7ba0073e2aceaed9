// The frame decoder on real frames as they stand on the line.
#include <gtest/gtest.h>

#include "engine/FrameDecoder.h"
#include "engine/UniqueIdentifier.h"

namespace vantrel {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(FrameDecoder, Command0RequestAsWritten) {
  const Bytes written = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02,
                         0x80, 0x00, 0x00, 0x82, 0xFF, 0xFF, 0xFF};
  const DecodedFrame f = DecodeFrame(written, FrameDirection::Sent, 1234);
  EXPECT_EQ(f.kind, "请求");
  EXPECT_FALSE(f.longAddress);
  EXPECT_EQ(f.address, "0");
  EXPECT_EQ(f.command, 0);
  EXPECT_EQ(f.commandName, "读唯一标识符");
  EXPECT_EQ(f.byteCount, 0);
  EXPECT_FALSE(f.hasStatus);
  EXPECT_EQ(f.raw, (Bytes{0x02, 0x80, 0x00, 0x00, 0x82}));
  EXPECT_EQ(FormatFrameLine(f),
            "1234 ms 发送 请求(短地址 0) 命令 0 读唯一标识符 字节数 0 | 02 80 00 00 82");
}

TEST(FrameDecoder, Command0Reply) {
  const Bytes raw = {0x06, 0x80, 0x00, 0x0E, 0x00, 0x00, 0xFE, 0x5A, 0x10, 0x05,
                     0x05, 0x01, 0x01, 0x01, 0x00, 0x01, 0x02, 0x03, 0x3D};
  const DecodedFrame f = DecodeFrame(raw, FrameDirection::Received, 5);
  EXPECT_EQ(f.kind, "应答");
  EXPECT_TRUE(f.hasStatus);
  EXPECT_EQ(f.responseClass, ResponseClass::Success);
  EXPECT_EQ(f.responseText, "成功");
  EXPECT_TRUE(f.deviceStatusTexts.empty());
  EXPECT_EQ(f.data.size(), 12u);
  EXPECT_EQ(f.data[1], 0x5A);
  EXPECT_EQ(FormatFrameLine(f),
            "5 ms 接收 应答(短地址 0) 命令 0 读唯一标识符 字节数 14 | 成功 | 数据 FE 5A 10 05 05 "
            "01 01 01 00 01 02 03 | HART 5 制造商 0x5a 设备类型 0x10 通用版本 5 设备版本 1 "
            "软件版本 1 硬件版本 0 信号代码 1 前导符 5 标志 0x00 设备号 010203 | 06 80 00 0E 00 00 "
            "FE 5A 10 05 05 01 01 01 00 01 02 03 3D");
}

// The command-0 reply of each revision: the universal revision and the byte
// count decide the layout, and the long address is made of bytes 1, 2 and
// 9-11 in every one of them.
struct IdentityCase {
  const char* name;
  Bytes data;  // after the status bytes
  int layout;
  const char* details;
};

const IdentityCase kIdentities[] = {
    {"Hart5",
     {0xFE, 0x26, 0x06, 0x05, 0x05, 0x03, 0x02, 0x09, 0x00, 0x12, 0x34, 0x56},
     5,
     "HART 5 制造商 0x26 设备类型 0x06 通用版本 5 设备版本 3 软件版本 2 硬件版本 1 信号代码 1 "
     "前导符 5 标志 0x00 设备号 123456"},
    {"Hart6",
     {0xFE, 0x26, 0x06, 0x05, 0x06, 0x03, 0x02, 0x09, 0x00, 0x12, 0x34, 0x56, 0x05, 0x04, 0x01,
      0x02, 0x10},
     6,
     "HART 6 制造商 0x26 设备类型 0x06 通用版本 6 设备版本 3 软件版本 2 硬件版本 1 信号代码 1 "
     "前导符 5 标志 0x00 设备号 123456 应答前导符 5 设备变量 4 组态计数 258 扩展状态 0x10"},
    {"Hart7",
     {0xFE, 0xE1, 0x2C, 0x05, 0x07, 0x01, 0x04, 0x0C, 0x08, 0x0A, 0x0B,
      0x0C, 0x08, 0x04, 0x00, 0x07, 0x00, 0x00, 0x26, 0x00, 0x26, 0x01},
     7,
     "HART 7 扩展设备类型 0xe12c 制造商 0x0026 通用版本 7 设备版本 1 软件版本 4 硬件版本 1 "
     "信号代码 4 前导符 5 标志 0x08 设备号 0a0b0c 应答前导符 8 设备变量 4 组态计数 7 扩展状态 "
     "0x00 私有标签 0x0026 设备配置文件 1"},
    // A HART 7 device that sends only the HART 5 block is read as that.
    {"Hart7Short",
     {0xFE, 0xE1, 0x2C, 0x05, 0x07, 0x01, 0x04, 0x0C, 0x08, 0x0A, 0x0B, 0x0C},
     5,
     "HART 7 制造商 0xe1 设备类型 0x2c 通用版本 7 设备版本 1 软件版本 4 硬件版本 1 信号代码 4 "
     "前导符 5 标志 0x08 设备号 0a0b0c"},
};

class IdentityLayout : public ::testing::TestWithParam<IdentityCase> {};

TEST_P(IdentityLayout, DecodedByRevisionAndLength) {
  const IdentityCase& c = GetParam();
  Bytes raw = {0x06, 0x80, 0x00, static_cast<std::uint8_t>(c.data.size() + 2), 0x00, 0x00};
  raw.insert(raw.end(), c.data.begin(), c.data.end());
  raw.push_back(CheckByte(raw.data(), raw.size()));
  const UniqueIdentifier id = DecodeUniqueIdentifier(c.data.data(), c.data.size());
  EXPECT_EQ(id.layout, c.layout);
  EXPECT_EQ(IdentityBytes(id),
            (LongAddressBytes{c.data[1], c.data[2], c.data[9], c.data[10], c.data[11]}));
  EXPECT_EQ(DecodeFrame(raw, FrameDirection::Received, 0).details, c.details);
}

INSTANTIATE_TEST_SUITE_P(Command0, IdentityLayout, ::testing::ValuesIn(kIdentities),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FrameDecoder, LongFrameWriteWithData) {
  const Bytes written = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x82, 0x9A, 0x10,
                         0x01, 0x02, 0x03, 0x06, 0x01, 0x03, 0x0C, 0xFF, 0xFF, 0xFF};
  const DecodedFrame f = DecodeFrame(written, FrameDirection::Sent, 0);
  EXPECT_TRUE(f.longAddress);
  EXPECT_EQ(f.address, "9a 10 01 02 03");
  EXPECT_EQ(f.command, 6);
  EXPECT_EQ(f.commandName, "写轮询地址");
  EXPECT_EQ(f.data, Bytes{0x03});
  EXPECT_EQ(f.raw.back(), 0x0C);
}

struct CodeCase {
  std::uint8_t code;
  ResponseClass cls;
  const char* text;
};

TEST(FrameDecoder, ResponseCodeClassesAndTexts) {
  const CodeCase cases[] = {
      {0, ResponseClass::Success, "成功"},
      {8, ResponseClass::Warning, "警告：已设为最接近的可能值"},
      {14, ResponseClass::Warning, "警告：量程过小"},
      {25, ResponseClass::Warning, "警告：响应码 25"},
      {100, ResponseClass::Warning, "警告：响应码 100"},
      {5, ResponseClass::Error, "错误：数据字节太少"},
      {32, ResponseClass::Error, "错误：设备忙"},
      {33, ResponseClass::Error, "错误：延迟响应已启动"},
      {36, ResponseClass::Error, "错误：延迟响应冲突"},
      {64, ResponseClass::Error, "错误：命令未实现"},
      {65, ResponseClass::Error, "错误：响应码 65"},
      {0x88, ResponseClass::CommunicationError, "通信错误：校验和错误"},
      {0xC0, ResponseClass::CommunicationError, "通信错误：奇偶校验错误"},
      {0xB2, ResponseClass::CommunicationError, "通信错误：溢出错误、帧格式错误、接收缓冲区溢出"},
  };
  for (const CodeCase& c : cases) {
    const Bytes raw = {0x06,
                       0x80,
                       0x03,
                       0x02,
                       c.code,
                       0x00,
                       static_cast<std::uint8_t>(0x06 ^ 0x80 ^ 0x03 ^ 0x02 ^ c.code)};
    const DecodedFrame f = DecodeFrame(raw, FrameDirection::Received, 0);
    EXPECT_EQ(f.responseClass, c.cls) << int(c.code);
    EXPECT_EQ(f.responseText, c.text) << int(c.code);
  }
}

struct StatusCase {
  std::uint8_t bit;
  const char* text;
};

TEST(FrameDecoder, EachDeviceStatusBit) {
  const StatusCase cases[] = {
      {0x80, "设备故障"},       {0x40, "组态已更改"},   {0x20, "冷启动"},
      {0x10, "有更多状态可用"}, {0x08, "回路电流固定"}, {0x04, "回路电流饱和"},
      {0x02, "非主变量超限"},   {0x01, "主变量超限"},
  };
  for (const StatusCase& c : cases) {
    EXPECT_EQ(DeviceStatusTexts(c.bit), std::vector<std::string>{c.text});
    EXPECT_EQ(MostSevereDeviceStatus(c.bit), c.text);
  }
  EXPECT_EQ(MostSevereDeviceStatus(0x48), "回路电流固定");
  EXPECT_EQ(MostSevereDeviceStatus(0xFF), "设备故障");
  EXPECT_EQ(MostSevereDeviceStatus(0), "");
  EXPECT_EQ(DeviceStatusTexts(0x09), (std::vector<std::string>{"主变量超限", "回路电流固定"}));
}

TEST(FrameDecoder, DroppedFrames) {
  const Bytes badCheck = {0x06, 0x80, 0x00, 0x02, 0x00, 0x00, 0x85};
  const DecodedFrame f = DecodeDroppedFrame(badCheck, DropReason::CheckByte, 10);
  EXPECT_TRUE(f.dropped);
  EXPECT_EQ(f.dropReason, "校验字节错误");
  EXPECT_EQ(FormatFrameLine(f).rfind("10 ms 接收 [丢弃：校验字节错误] 应答(短地址 0)", 0), 0u);

  const Bytes partial = {0x86, 0x9A, 0x10};  // cut off by line silence
  const DecodedFrame p = DecodeDroppedFrame(partial, DropReason::Silence, 0);
  EXPECT_EQ(p.dropReason, "线路静默，帧不完整");
  EXPECT_EQ(p.address, "9a 10");
  EXPECT_FALSE(p.command);
  EXPECT_EQ(p.raw, partial);
}

TEST(FrameDecoder, BurstFrameWithStatus) {
  const Bytes raw = {0x81, 0x9A, 0x10, 0x01, 0x02, 0x03, 0x01, 0x03, 0x00, 0x0C, 0x42, 0x00};
  const DecodedFrame f = DecodeFrame(raw, FrameDirection::Received, 0);
  EXPECT_EQ(f.kind, "突发");
  EXPECT_TRUE(f.hasStatus);
  EXPECT_EQ(f.deviceStatusTexts, (std::vector<std::string>{"回路电流饱和", "回路电流固定"}));
  EXPECT_EQ(f.data, Bytes{0x42});
}

}  // namespace
}  // namespace vantrel
