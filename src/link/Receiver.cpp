#include "link/Receiver.h"

namespace vantrel {
namespace {

using RxHandler = RxEvent (*)(HartLink&, std::uint8_t);

bool IsBurst(const HartLink& link) {
  return FrameType(link.rxDelimiter) == kFrameTypeBurst;
}

std::uint8_t* AddressBuffer(HartLink& link) {
  return IsBurst(link) ? link.burstAddress.data() : link.rxAddress.data();
}

// RX_IDLE: the first byte after a silence is dropped unexamined.
RxEvent OnIdle(HartLink& link, std::uint8_t /*byte*/) {
  RestartHunt(link);
  return RxEvent::None;
}

// RX_PREAMBLE: counts 0xFF bytes; a known delimiter after at least two of them
// starts a frame.
RxEvent OnPreamble(HartLink& link, std::uint8_t byte) {
  if (byte == kPreambleByte) {
    ++link.rxCount;  // 8-bit counter, wraps like the line's own
    return RxEvent::None;
  }
  if (!IsAcceptedDelimiter(byte)) {
    link.rxCount = 0;
    return RxEvent::None;
  }
  link.rxDelimiter = byte;
  if (link.rxCount >= kMinAcceptedPreambles) {
    link.rxExpansionCount = ExpansionCount(byte);
    link.rxChecksum = byte;
    std::uint8_t* address = AddressBuffer(link);
    for (std::size_t i = 0; i < kLongAddressSize; ++i) address[i] = 0;
    link.rxState = RX_ADDRESS;
  }
  link.rxCount = 0;
  return RxEvent::None;
}

// RX_ADDRESS: one byte for a short address, five for a long one.
RxEvent OnAddress(HartLink& link, std::uint8_t byte) {
  link.rxChecksum ^= byte;
  AddressBuffer(link)[link.rxCount] = byte;
  if (HasLongAddress(link.rxDelimiter)) {
    ++link.rxCount;
    if (link.rxCount < kLongAddressSize) return RxEvent::None;
  }
  link.rxCount = 0;
  link.rxState = link.rxExpansionCount == 0 ? RX_COMMAND : RX_EXPANSION;
  return RxEvent::None;
}

// RX_EXPANSION: stores the expansion bytes the delimiter announced.
RxEvent OnExpansion(HartLink& link, std::uint8_t byte) {
  link.rxChecksum ^= byte;
  link.rxExpansion[link.rxCount] = byte;
  ++link.rxCount;
  if (link.rxCount >= link.rxExpansionCount) link.rxState = RX_COMMAND;
  return RxEvent::None;
}

RxEvent OnCommand(HartLink& link, std::uint8_t byte) {
  link.rxChecksum ^= byte;
  (IsBurst(link) ? link.burstCommand : link.rxCommand) = byte;
  link.rxState = RX_BYTE_COUNT;
  return RxEvent::None;
}

// RX_BYTE_COUNT: a byte count of 0 is followed directly by the check byte.
RxEvent OnByteCount(HartLink& link, std::uint8_t byte) {
  link.rxChecksum ^= byte;
  link.rxByteCount = byte;
  link.rxCount = 0;
  link.rxState = byte == 0 ? RX_CHECK : RX_DATA;
  return RxEvent::None;
}

// RX_DATA: positions 0 and 1 are the status bytes, 2 to 252 are stored, 253
// and 254 only enter the check byte.
RxEvent OnData(HartLink& link, std::uint8_t byte) {
  link.rxChecksum ^= byte;
  const std::uint8_t position = link.rxCount;
  if (position == 0) {
    link.responseCode = byte;
  } else if (position == 1) {
    link.deviceStatus = byte;
  } else if (position < kDataBufferSize) {
    (IsBurst(link) ? link.burstData : link.rxData)[position - kStatusByteCount] = byte;
  }
  ++link.rxCount;
  if (link.rxCount >= link.rxByteCount) link.rxState = RX_CHECK;
  return RxEvent::None;
}

// RX_CHECK: a valid response or burst frame is complete; a valid request is
// only followed to stay in step with the line.
RxEvent OnCheck(HartLink& link, std::uint8_t byte) {
  if (byte != link.rxChecksum) {
    RestartHunt(link);
    return RxEvent::CheckByteError;
  }
  const std::uint8_t type = FrameType(link.rxDelimiter);
  if (type != kFrameTypeAck && type != kFrameTypeBurst) {
    RestartHunt(link);
    return RxEvent::RequestComplete;
  }
  if (link.rxByteCount < kStatusByteCount) {
    RestartHunt(link);
    return RxEvent::TooShort;
  }
  link.rxState = RX_FRAME_DONE;
  link.awaitingResponse = 0;
  return RxEvent::ResponseComplete;
}

constexpr RxHandler kRxHandlers[] = {
    OnIdle, OnPreamble, OnAddress, OnExpansion, OnCommand, OnByteCount, OnData, OnCheck,
};
constexpr std::int32_t kRxHandlerCount = sizeof(kRxHandlers) / sizeof(kRxHandlers[0]);

}  // namespace

void RestartHunt(HartLink& link) {
  link.rxCount = 0;
  link.rxChecksum = 0;
  link.rxState = RX_PREAMBLE;
}

void ExpectDelimiter(HartLink& link) {
  RestartHunt(link);
  link.rxCount = kMinAcceptedPreambles;
}

void EnterSilence(HartLink& link) {
  link.rxState = RX_IDLE;
}

bool FrameInProgress(const HartLink& link) {
  return link.rxState >= RX_ADDRESS && link.rxState <= RX_CHECK;
}

RxEvent ReceiveByte(HartLink& link, std::uint8_t byte) {
  link.rxByte = byte;
  if (link.rxState < 0 || link.rxState >= kRxHandlerCount) RestartHunt(link);
  return kRxHandlers[link.rxState](link, byte);
}

}  // namespace vantrel
