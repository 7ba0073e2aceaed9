#include "app/ConfigSaveRun.h"

#include <QDateTime>
#include <QSaveFile>
#include <QTimer>

#include "config/Configuration.h"
#include "tabs/DataExchange.h"

namespace vantrel {

ConfigSaveRun::ConfigSaveRun(Session& session, std::uint8_t pollAddress, QString file,
                             std::function<void(const QString& error)> done, QObject* parent)
    : QObject(parent),
      session_(session),
      pollAddress_(pollAddress),
      file_(std::move(file)),
      done_(std::move(done)),
      reads_(ConfigurationReads()) {
  connect(&session_, &Session::operationFinished, this, &ConfigSaveRun::onEnded);
  connect(&session_, &Session::statusTextChanged, this,
          [this](const std::string& text) { lastStatus_ = Utf8Text(text); });
}

void ConfigSaveRun::start() {
  startNext();
}

void ConfigSaveRun::startNext() {
  if (next_ >= reads_.size()) {
    const QDateTime now = QDateTime::currentDateTime();
    const std::string text = ConfigurationJson(
        ConfigurationOf(session_.data(), pollAddress_, now.toOffsetFromUtc(now.offsetFromUtc())));
    QSaveFile out(file_);
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(text.data(), static_cast<qint64>(text.size())) !=
            static_cast<qint64>(text.size()) ||
        !out.commit()) {
      finish(out.errorString());
    } else {
      finish({});
    }
    return;
  }
  if (!session_.start(reads_[next_], pollAddress_)) finish(lastStatus_);
}

// The next read starts once the engine has finished the call that reported
// this one.
void ConfigSaveRun::onEnded(const OperationEnd& end) {
  if (next_ >= reads_.size() || end.op != reads_[next_]) return;
  if (end.result != OperationResult::Success) {
    const QString reason = Utf8Text(end.reason);
    finish(reason.isEmpty() ? lastStatus_ : lastStatus_ + QStringLiteral("：") + reason);
    return;
  }
  ++next_;
  QTimer::singleShot(0, this, &ConfigSaveRun::startNext);
}

void ConfigSaveRun::finish(const QString& error) {
  if (finished_) return;  // a refused start may also report its end
  finished_ = true;
  disconnect(&session_, nullptr, this, nullptr);
  if (done_) done_(error);
  deleteLater();
}

}  // namespace vantrel
