// 保存组态 in the window: the reads whose values a configuration holds, one
// after another on the session, then the file. The pages show what is read.
#pragma once

#include <QObject>
#include <QString>

#include <cstddef>
#include <functional>
#include <vector>

#include "engine/OperationCode.h"
#include "port/Session.h"

namespace vantrel {

class ConfigSaveRun : public QObject {
  Q_OBJECT

 public:
  // Reads at `pollAddress` and saves into `file`; `done` gets an empty text
  // when the file is written, else why not. Deletes itself when done.
  ConfigSaveRun(Session& session, std::uint8_t pollAddress, QString file,
                std::function<void(const QString& error)> done, QObject* parent = nullptr);

  void start();

 private:
  void onEnded(const OperationEnd& end);
  void startNext();
  void finish(const QString& error);

  Session& session_;
  std::uint8_t pollAddress_;
  QString file_;
  std::function<void(const QString&)> done_;
  std::vector<OperationCode> reads_;
  std::size_t next_ = 0;
  QString lastStatus_;
  bool finished_ = false;
};

}  // namespace vantrel
