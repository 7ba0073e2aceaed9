// Fuzzes the HART-IP stream parser and datagram parser: arbitrary bytes fed in
// arbitrary chunks. Every message handed on re-encodes to exactly the bytes it
// came from, the messages together are the start of the stream, nothing is
// lost or held back, and a broken stream stays broken.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "link/HartIpMessage.h"

namespace {

using namespace vantrel::hartip;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

// The message's own checks; gives its bytes back encoded.
std::vector<std::uint8_t> Encoded(const Message& message) {
  Check(IsFramable(message.header));
  Check(message.header.byteCount == kHeaderSize + message.body.size());
  const auto initiate = ParseSessionInitiate(message.body);
  Check(initiate.has_value() == (message.body.size() >= kSessionInitiateBodySize));
  if (initiate) {
    const auto body = SessionInitiateBody(initiate->masterType, initiate->inactivityMs);
    Check(std::memcmp(body.data(), message.body.data(), body.size()) == 0);
  }
  Check(!HeaderText(message.header).empty());
  return EncodeMessage(message);
}

}  // namespace

// Input: [chunking byte][stream...]. The chunking byte seeds the chunk sizes
// (1 to its low five bits plus one); 0xFF feeds the stream whole.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t chunking = data[0];
  const std::uint8_t* stream = data + 1;
  const std::size_t length = size - 1;

  StreamParser parser;
  std::vector<std::uint8_t> taken;  // every message handed on, re-encoded
  std::size_t accepted = 0;         // bytes fed while the stream was whole
  std::size_t messages = 0;
  bool wasBroken = false;
  std::uint32_t state = chunking;
  std::size_t fed = 0;
  while (fed < length) {
    state = state * 1103515245u + 12345u;
    std::size_t chunk = chunking == 0xFF ? length : 1 + (state >> 16) % (1u + (chunking & 0x1F));
    if (chunk > length - fed) chunk = length - fed;
    if (!parser.broken()) accepted += chunk;
    parser.feed(stream + fed, chunk);
    fed += chunk;
    while (auto message = parser.next()) {
      Check(!wasBroken);
      const auto bytes = Encoded(*message);
      Check(taken.size() + bytes.size() <= fed);
      Check(std::memcmp(bytes.data(), stream + taken.size(), bytes.size()) == 0);
      taken.insert(taken.end(), bytes.begin(), bytes.end());
      ++messages;
    }
    Check(!wasBroken || parser.broken());
    wasBroken = parser.broken();
    Check(taken.size() + parser.pending() == accepted);
    // What is left is either an unframable header (broken) or not a whole
    // message yet.
    const auto rest = DecodeHeader(stream + taken.size(), accepted - taken.size());
    if (parser.broken()) {
      Check(rest && !IsFramable(*rest));
    } else {
      Check(!rest || (IsFramable(*rest) && rest->byteCount > parser.pending()));
    }
  }
  Check(parser.broken() || accepted == length);

  // A datagram is exactly one message: the same one the stream gives alone.
  const auto header = DecodeHeader(stream, length);
  const auto datagram = ParseDatagram(stream, length);
  Check(datagram.has_value() == (header && IsFramable(*header) && header->byteCount == length));
  if (datagram) {
    Check(Encoded(*datagram) == std::vector<std::uint8_t>(stream, stream + length));
    Check(messages == 1 && !parser.broken() && parser.pending() == 0);
  }

  parser.clear();
  Check(parser.pending() == 0);
  return 0;
}
