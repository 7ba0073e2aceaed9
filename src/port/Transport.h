// What carries the link core's requests to the instrument and its replies
// back: a serial line to a HART modem, or a HART-IP connection. The link
// driver owns one at a time and runs the link core over it.
#pragma once

#include <QObject>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "link/LinkCore.h"

namespace vantrel {

class Transport : public QObject, public Timed {
  Q_OBJECT

 public:
  // A serial line delivers bytes, which the receiver hunts through for
  // preambles and line silence; HART-IP delivers whole frames, from the
  // delimiter to the check byte.
  enum class Delivery { Bytes, Frames };

  using QObject::QObject;

  virtual Delivery delivery() const = 0;
  virtual bool isOpen() const = 0;
  virtual void close() = 0;
  // The name shown for it: the serial port's name, or "hart-ip tcp HOST:PORT"
  // ("hart-ip udp …") for a HART-IP server.
  virtual QString name() const = 0;
  // Why it last failed to open or failed while open.
  virtual QString errorString() const = 0;
  // Sends one request frame, from its delimiter to its check byte, at `now`,
  // framed the transport's way (`preambles`: what a serial line puts in
  // front). Returns the bytes it put on the line; nothing when it could not
  // be sent.
  virtual std::optional<std::vector<std::uint8_t>> send(const std::vector<std::uint8_t>& frame,
                                                        std::uint8_t preambles, TimeMs now) = 0;
  // Bytes: up to `capacity` received bytes; Frames: the next whole frame
  // (none longer than `capacity` is kept). Returns how many were copied, 0
  // when nothing waits.
  virtual std::size_t take(std::uint8_t* buffer, std::size_t capacity) = 0;

  // Timed: no deadline unless the transport has its own.
  std::optional<TimeMs> nextDeadline() const override { return std::nullopt; }
  void handleDeadline(TimeMs /*now*/) override {}

 signals:
  // Something waits for take().
  void readyRead();
  // A transport that opens in the background (HART-IP) is open, or could
  // not be opened.
  void opened();
  void openFailed(const QString& reason);
  // It failed while open and is closed now.
  void lost(const QString& reason);
  // The request last sent will get no reply: the transport was told so.
  void requestRefused(const QString& reason);
  // A deadline moved outside a call of the driver's: re-arm the timer.
  void deadlinesChanged();
};

}  // namespace vantrel
