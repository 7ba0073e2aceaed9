#include "app/ConfigLoadRun.h"

#include <algorithm>

#include <QMessageBox>
#include <QPushButton>

#include "app/LoadDialog.h"
#include "config/LoadPlan.h"
#include "tabs/DataExchange.h"
#include "tabs/MessageBoxes.h"

namespace vantrel {

ConfigLoadRun::ConfigLoadRun(Session& session, OperationRun::Starter starter, Configuration file,
                             QWidget* window, std::function<void(const QString&)> status)
    : session_(session),
      starter_(std::move(starter)),
      file_(std::move(file)),
      window_(window),
      status_(std::move(status)) {}

Configuration ConfigLoadRun::instrument() const {
  return ConfigurationOf(session_.data(), file_.pollingAddress, {});
}

void ConfigLoadRun::run(std::vector<PlannedWrite> steps, std::function<void(const QString&)> then) {
  (new OperationRun(session_, starter_, std::move(steps), std::move(then), this))->start();
}

void ConfigLoadRun::start() {
  run({{OP_READ_LONG_ADDRESS, {}}}, [this](const QString& error) {
    if (error.isEmpty()) {
      identityRead();
    } else {
      fail(tr("组态未载入：%1").arg(error));
    }
  });
}

// Another model is refused before any of this instrument's own commands is
// sent to it; a spare of the same model is loaded only with consent.
void ConfigLoadRun::identityRead() {
  const Configuration here = instrument();
  const QString both =
      tr("仪表：%1\n文件：%2").arg(Utf8Text(IdentityWords(here)), Utf8Text(IdentityWords(file_)));
  match_ = CompareIdentity(here, file_);
  switch (match_) {
    case IdentityMatch::Same:
      readConfiguration();
      return;
    case IdentityMatch::OtherModel:
      fail(tr("另一型号的仪表，不能载入此组态。\n") + both);
      return;
    case IdentityMatch::OtherDevice:
      break;
  }
  auto* box = new QMessageBox(QMessageBox::Question, UiText(kAppTitle),
                              tr("这是同型号的另一台仪表。是否载入此组态？\n") + both,
                              QMessageBox::Yes | QMessageBox::No, window_);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setDefaultButton(QMessageBox::No);
  connect(box, &QMessageBox::finished, this, [this](int answer) {
    if (answer == QMessageBox::Yes) {
      readConfiguration();
    } else {
      deleteLater();
    }
  });
  box->open();
}

void ConfigLoadRun::readConfiguration() {
  std::vector<PlannedWrite> reads = OperationRun::Reads();
  reads.erase(reads.begin());  // the identity is read
  run(std::move(reads), [this](const QString& error) {
    if (error.isEmpty()) {
      configurationRead();
    } else {
      fail(tr("组态未载入：%1").arg(error));
    }
  });
}

void ConfigLoadRun::configurationRead() {
  const std::vector<FieldDifference> differences = Differences(instrument(), file_, false);
  if (differences.empty()) {
    ShowMessageBox(window_, MessageIcon::Information, tr("仪表与组态文件一致，无需写入。"));
    deleteLater();
    return;
  }
  auto* dialog = new LoadDialog(differences, match_, window_);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  connect(dialog, &QDialog::finished, this, [this, dialog](int result) {
    const std::vector<std::string> fields = dialog->chosenFields();
    if (result != QDialog::Accepted || fields.empty()) {
      deleteLater();
      return;
    }
    write(fields);
  });
  dialog->open();
}

void ConfigLoadRun::write(const std::vector<std::string>& fields) {
  run(LoadWrites(instrument(), file_, fields),
      [this, fields](const QString& error) { readBack(fields, error); });
}

// Read back whether or not every write succeeded: the pages then show what
// the instrument holds, and the user learns what it did not take.
void ConfigLoadRun::readBack(const std::vector<std::string>& fields, const QString& writeError) {
  run(OperationRun::Reads(), [this, fields, writeError](const QString& error) {
    if (!error.isEmpty()) {
      fail(tr("组态写入后无法读回：%1").arg(error));
      return;
    }
    QStringList notTaken;
    for (const FieldDifference& d : Differences(instrument(), file_, false)) {
      if (std::find(fields.begin(), fields.end(), d.field) != fields.end()) {
        notTaken << LoadDialog::fieldName(d.field);
      }
    }
    if (writeError.isEmpty() && notTaken.isEmpty()) {
      status_(tr("组态已写入"));
      deleteLater();
      return;
    }
    QString message = tr("组态未全部写入。");
    if (!writeError.isEmpty()) message += QLatin1Char('\n') + writeError;
    if (!notTaken.isEmpty())
      message +=
          QLatin1Char('\n') +
          tr("仪表未接受：%1").arg(notTaken.join(UiText(QT_TRANSLATE_NOOP("vantrel", "、"))));
    fail(message);
  });
}

void ConfigLoadRun::fail(const QString& message) {
  ShowMessageBox(window_, MessageIcon::Error, message);
  deleteLater();
}

}  // namespace vantrel
