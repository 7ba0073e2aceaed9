// Operations one after another on the session, for what the 程序 menu does
// with configuration files: each starts once the one before has succeeded;
// the first that does not ends the run.
#pragma once

#include <QObject>
#include <QString>

#include <cstddef>
#include <functional>
#include <vector>

#include "config/LoadPlan.h"
#include "port/Session.h"

namespace vantrel {

class OperationRun : public QObject {
  Q_OBJECT

 public:
  // Puts a step's values into the data and starts its operation; false when
  // the start was refused.
  using Starter = std::function<bool(OperationCode op)>;

  // `done` gets an empty text when every step succeeded, else the status and
  // reason of the one that did not. Deletes itself when done.
  OperationRun(Session& session, Starter starter, std::vector<PlannedWrite> steps,
               std::function<void(const QString& error)> done, QObject* parent = nullptr);

  void start();

  // The reads that fill a configuration, as steps.
  static std::vector<PlannedWrite> Reads();

 private:
  void onEnded(const OperationEnd& end);
  void startNext();
  QString failure(const QString& reason) const;
  void finish(const QString& error);

  Session& session_;
  Starter starter_;
  std::vector<PlannedWrite> steps_;
  std::function<void(const QString&)> done_;
  std::size_t next_ = 0;
  QString lastStatus_;
  bool finished_ = false;
};

}  // namespace vantrel
