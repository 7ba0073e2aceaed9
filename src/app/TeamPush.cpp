#include "app/TeamPush.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSettings>

#include <utility>

namespace vantrel {

TeamPush::TeamPush(QString storePath, QObject* parent)
    : QObject(parent), storePath_(std::move(storePath)) {
  worker_ = new QObject;
  worker_->moveToThread(&thread_);
  connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
  thread_.start();
}

TeamPush::~TeamPush() {
  thread_.quit();
  thread_.wait();
}

std::optional<DatabaseAddress> TeamPush::addressSetting() {
  const QString text = QSettings().value(QLatin1String(kAddressKey)).toString().trimmed();
  if (text.isEmpty()) return std::nullopt;
  QString error;
  return ParseDatabaseAddress(text, &error);
}

void TeamPush::push() {
  const std::optional<DatabaseAddress> team = addressSetting();
  if (!team) return;
  if (running_) {
    again_ = true;
    return;
  }
  running_ = true;
  QPointer<TeamPush> self(this);
  const QString path = storePath_;
  // The store is opened in the worker's thread: a connection of Qt SQL is
  // used in the thread that made it.
  QMetaObject::invokeMethod(worker_, [self, path, team = *team] {
    RecordStore store;
    QString reason;
    int copied = -1;
    if (store.open(path, &reason)) {
      store.setTeam(team);
      copied = store.push(&reason);
    }
    QMetaObject::invokeMethod(
        qApp,
        [self, copied, reason] {
          if (self) self->done(copied, reason);
        },
        Qt::QueuedConnection);
  });
}

void TeamPush::done(int copied, const QString& reason) {
  running_ = false;
  emit pushed(copied, reason);
  if (copied < 0 && !warned_) {
    warned_ = true;
    emit unavailable(tr("团队数据库不可用，记录保存在本机"));
  }
  if (std::exchange(again_, false)) push();
}

}  // namespace vantrel
