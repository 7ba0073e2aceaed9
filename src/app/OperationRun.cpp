#include "app/OperationRun.h"

#include <QTimer>

#include "tabs/DataExchange.h"

namespace vantrel {

OperationRun::OperationRun(Session& session, Starter starter, std::vector<PlannedWrite> steps,
                           std::function<void(const QString& error)> done, QObject* parent)
    : QObject(parent),
      session_(session),
      starter_(std::move(starter)),
      steps_(std::move(steps)),
      done_(std::move(done)) {
  connect(&session_, &Session::operationFinished, this, &OperationRun::onEnded);
  connect(&session_, &Session::statusTextChanged, this,
          [this](const std::string& text) { lastStatus_ = Utf8Text(text); });
}

std::vector<PlannedWrite> OperationRun::Reads() {
  std::vector<PlannedWrite> reads;
  for (OperationCode op : ConfigurationReads()) reads.push_back({op, {}});
  return reads;
}

void OperationRun::start() {
  startNext();
}

void OperationRun::startNext() {
  if (next_ >= steps_.size()) {
    finish({});
    return;
  }
  const PlannedWrite& step = steps_[next_];
  if (step.apply) step.apply(session_.data());
  if (!starter_(step.op)) finish(failure(QString()));
}

// The next step starts once the engine has finished the call that reported
// this one.
void OperationRun::onEnded(const OperationEnd& end) {
  if (next_ >= steps_.size() || end.op != steps_[next_].op) return;
  if (end.result != OperationResult::Success) {
    finish(failure(Utf8Text(end.reason)));
    return;
  }
  ++next_;
  QTimer::singleShot(0, this, &OperationRun::startNext);
}

// Never empty: an empty text means success to the caller. A start refused
// before any status (the port closed) says so in its message box; the run
// names the operation.
QString OperationRun::failure(const QString& reason) const {
  QString text = lastStatus_;
  if (!reason.isEmpty()) text += (text.isEmpty() ? QString() : QStringLiteral("：")) + reason;
  if (text.isEmpty()) {
    const std::string_view word = OperationWord(steps_[next_].op);
    text = tr("%1 未能执行")
               .arg(QString::fromLatin1(word.data(), static_cast<qsizetype>(word.size())));
  }
  return text;
}

void OperationRun::finish(const QString& error) {
  if (finished_) return;  // a refused start may also report its end
  finished_ = true;
  disconnect(&session_, nullptr, this, nullptr);
  if (done_) done_(error);
  deleteLater();
}

}  // namespace vantrel
