// The window's records go to the local store at once; copying them to the
// team database is done here, on a thread of its own, so that a team
// database that is slow or gone never holds up the window: at start, and
// after every record kept.
#pragma once

#include <QObject>
#include <QString>
#include <QThread>

#include <optional>

#include "records/RecordStore.h"

namespace vantrel {

class TeamPush : public QObject {
  Q_OBJECT

 public:
  // The settings key of the team database's address (never a password).
  static constexpr char kAddressKey[] = "Records/TeamDatabase";

  explicit TeamPush(QString storePath, QObject* parent = nullptr);
  ~TeamPush() override;

  // The address in the settings; nothing when none is set or it does not
  // parse.
  static std::optional<DatabaseAddress> addressSetting();

  // Copies what the team database lacks; a push asked while one runs is
  // done once after it. Nothing without a team database in the settings.
  void push();

 signals:
  // After each push: the number copied, or -1 with the reason.
  void pushed(int copied, const QString& reason);
  // Once per program run: "团队数据库不可用，记录保存在本机".
  void unavailable(const QString& text);

 private:
  void done(int copied, const QString& reason);

  QString storePath_;
  QThread thread_;
  QObject* worker_ = nullptr;  // lives in thread_
  bool running_ = false;
  bool again_ = false;
  bool warned_ = false;
};

}  // namespace vantrel
