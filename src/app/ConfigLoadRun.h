// 载入组态 in the window: the instrument's identity first (another model is
// refused and gets nothing more; a spare only with the user's consent), then
// its configuration, the differences in LoadDialog, the checked ones
// written and everything read back.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <string>
#include <vector>

#include "app/OperationRun.h"
#include "config/Configuration.h"
#include "config/LoadPlan.h"

class QWidget;

namespace vantrel {

class ConfigLoadRun : public QObject {
  Q_OBJECT

 public:
  // Messages go over `window`; `status` shows a text in the status bar.
  ConfigLoadRun(Session& session, OperationRun::Starter starter, Configuration file,
                QWidget* window, std::function<void(const QString&)> status);

  // Deletes itself when done.
  void start();

 private:
  void identityRead();
  void readConfiguration();
  void configurationRead();
  void write(const std::vector<std::string>& fields);
  void readBack(const std::vector<std::string>& fields, const QString& writeError);
  void fail(const QString& message);
  void run(std::vector<PlannedWrite> steps, std::function<void(const QString&)> then);
  Configuration instrument() const;

  Session& session_;
  OperationRun::Starter starter_;
  Configuration file_;
  QPointer<QWidget> window_;
  std::function<void(const QString&)> status_;
  IdentityMatch match_ = IdentityMatch::Same;  // of the instrument loaded into
};

}  // namespace vantrel
