#include "app/CheckDialog.h"

#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSaveFile>
#include <QSettings>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

#include "app/CVantrelView.h"
#include "app/TeamPush.h"
#include "engine/Encoding.h"
#include "engine/NumberText.h"
#include "engine/UnitCodes.h"
#include "report/Certificate.h"
#include "tabs/DataExchange.h"
#include "tabs/MessageBoxes.h"
#include "vantrel/Version.h"

namespace vantrel {
namespace {

constexpr double kLowestPointMa = 3.5;
constexpr double kHighestPointMa = 23.0;

std::optional<std::vector<double>> Numbers(const QString& text) {
  std::vector<double> numbers;
  for (const QString& word : text.split(QLatin1Char(','))) {
    bool ok = false;
    const double value = word.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value)) return std::nullopt;
    numbers.push_back(value);
  }
  return numbers;
}

QString Figure(double value, int decimals) {
  return QString::number(value, 'f', decimals);
}

}  // namespace

CheckDialog::CheckDialog(CVantrelView& view, QWidget* parent)
    : QDialog(parent), view_(view), storePath_(RecordStore::defaultPath()) {
  setObjectName(QStringLiteral("checkDialog"));
  setWindowTitle(tr("校验"));
  buildForm();
  settle_.setSingleShot(true);
  connect(&settle_, &QTimer::timeout, this, &CheckDialog::askForReading);
  connect(&view_, &CVantrelView::operationFinished, this, &CheckDialog::onEnded);
  showState();
}

CheckDialog::~CheckDialog() = default;

void CheckDialog::buildForm() {
  kind_ = new QComboBox(this);
  kind_->addItems({tr("回路电流校验（mA）"), tr("输入校验（量程 %）")});
  stage_ = new QComboBox(this);
  stage_->addItems({tr("校前"), tr("校后")});
  points_ = new QLineEdit(QStringLiteral("4,8,12,16,20"), this);
  connect(kind_, &QComboBox::currentIndexChanged, this, [this](int index) {
    points_->setText(index == 0 ? QStringLiteral("4,8,12,16,20")
                                : QStringLiteral("0,25,50,75,100"));
  });
  tolerance_ = new QLineEdit(QStringLiteral("0.25"), this);
  tolerance_->setObjectName(QStringLiteral("checkTolerance"));
  const auto remembered = [this](const char* key) {
    return new QLineEdit(QSettings().value(QLatin1String(key)).toString(), this);
  };
  reference_ = remembered(kReferenceKey);
  referenceSerial_ = remembered(kReferenceSerialKey);
  referenceDue_ = remembered(kReferenceDueKey);
  referenceDue_->setPlaceholderText(QStringLiteral("YYYY-MM-DD"));
  technician_ = remembered(kTechnicianKey);
  auto* form = new QFormLayout;
  form->addRow(tr("校验"), kind_);
  form->addRow(tr("阶段"), stage_);
  form->addRow(tr("校验点"), points_);
  form->addRow(tr("允差（量程 ±%）"), tolerance_);
  form->addRow(tr("标准器"), reference_);
  form->addRow(tr("标准器编号"), referenceSerial_);
  form->addRow(tr("标准器证书有效期"), referenceDue_);
  form->addRow(tr("校验人"), technician_);
  table_ = new QTableWidget(0, 5, this);
  table_->setHorizontalHeaderLabels(
      {tr("标称值"), tr("读数"), tr("误差"), tr("误差（量程%）"), tr("结论")});
  table_->verticalHeader()->hide();
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  note_ = new QLabel(this);
  note_->setWordWrap(true);
  reading_ = new QLineEdit(this);
  start_ = new QPushButton(tr("开始"), this);
  next_ = new QPushButton(tr("下一点"), this);
  cancel_ = new QPushButton(tr("取消"), this);
  connect(start_, &QPushButton::clicked, this, &CheckDialog::begin);
  connect(next_, &QPushButton::clicked, this, &CheckDialog::takeReading);
  connect(reading_, &QLineEdit::returnPressed, this, &CheckDialog::takeReading);
  connect(cancel_, &QPushButton::clicked, this, &CheckDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(reading_, 1);
  buttons->addWidget(next_);
  buttons->addWidget(start_);
  buttons->addWidget(makeCertificateButton());
  buttons->addWidget(cancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(table_, 1);
  layout->addWidget(note_);
  layout->addLayout(buttons);
  resize(560, 480);
}

// 证书…: the certificate of the record just kept, as found and as left, as
// PDF, with its points as CSV beside it.
QPushButton* CheckDialog::makeCertificateButton() {
  certificate_ = new QPushButton(tr("证书…"), this);
  certificate_->setEnabled(false);
  connect(certificate_, &QPushButton::clicked, this, [this] {
    if (!record_) return;
    const FileDialogTexts texts{tr("保存证书"), tr("PDF 文件 (*.pdf)"), QStringLiteral("pdf")};
    const QString name = QStringLiteral("certificate-%1.pdf").arg(record_->uuid.left(8));
    QPointer<CheckDialog> self(this);
    ChooseFile(this, texts, InDocuments(name), chooser_, [self](const QString& path) {
      if (self) self->writeCertificate(path);
    });
  });
  return certificate_;
}

void CheckDialog::writeCertificate(const QString& path) {
  RecordStore store;
  QString error;
  if (store.open(storePath_, &error)) {
    const CertificateRecords records = CertificateRecordsOf(store, *record_);
    QString csvPath = path;
    if (csvPath.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) csvPath.chop(4);
    QSaveFile csv(csvPath + QStringLiteral(".csv"));
    const QByteArray points = CertificateCsv(records);
    if (WriteCertificatePdf(path, records, &error)) {
      if (csv.open(QIODevice::WriteOnly) && csv.write(points) == points.size() && csv.commit()) {
        note_->setText(tr("证书已保存到 %1").arg(QDir::toNativeSeparators(path)));
        return;
      }
      error = csv.errorString();
    }
  }
  note_->setText(tr("证书未保存：%1").arg(error));
}

// The due date of the reference's certificate, when one is typed and valid.
std::optional<QDate> CheckDialog::referenceDue() const {
  const QDate due = QDate::fromString(referenceDue_->text().trimmed(), Qt::ISODate);
  return due.isValid() ? std::optional<QDate>(due) : std::nullopt;
}

bool CheckDialog::loop() const {
  return kind_->currentIndex() == 0;
}

double CheckDialog::span() const {
  const DeviceData& d = view_.data();
  return loop() ? kLoopSpanMa : double{d.upperRange} - d.lowerRange;
}

// The points and the tolerance, checked before anything is sent.
bool CheckDialog::takeForm() {
  const std::optional<std::vector<double>> points = Numbers(points_->text());
  bool ok = false;
  const double tolerance = tolerance_->text().trimmed().toDouble(&ok);
  QString refusal;
  const double low = loop() ? kLowestPointMa : 0.0;
  const double high = loop() ? kHighestPointMa : 100.0;
  if (!points || points->empty()) {
    refusal = tr("校验点应为以逗号分隔的数字");
  } else if (!ok || !(tolerance > 0)) {
    refusal = tr("允差应为大于 0 的数字");
  } else if (!referenceDue_->text().trimmed().isEmpty() && !referenceDue()) {
    refusal = tr("标准器证书有效期应为 YYYY-MM-DD");
  } else {
    for (const double point : *points) {
      if (point < low || point > high) {
        refusal =
            tr("校验点 %1 超出 %2 到 %3").arg(Figure(point, 3), Figure(low, 1), Figure(high, 1));
      }
    }
  }
  if (!refusal.isEmpty()) {
    ShowMessageBox(this, MessageIcon::Warning, refusal);
    return false;
  }
  nominals_ = *points;
  limits_ = {loop(), -tolerance, tolerance};
  QSettings settings;
  settings.setValue(QLatin1String(kReferenceKey), reference_->text());
  settings.setValue(QLatin1String(kReferenceSerialKey), referenceSerial_->text());
  settings.setValue(QLatin1String(kReferenceDueKey), referenceDue_->text().trimmed());
  settings.setValue(QLatin1String(kTechnicianKey), technician_->text());
  return true;
}

void CheckDialog::begin() {
  if (phase_ != Phase::Idle || !takeForm()) return;
  done_.clear();
  record_.reset();
  fixed_ = false;
  table_->setRowCount(0);
  phase_ = Phase::Preparing;
  showState();
  // The tag and the range for the record, and the span of an input check.
  startOp(OP_READ_DEVICE_INFO, [this](bool ok) {
    if (!ok) return finish(false, tr("读取设备信息失败"));
    startOp(OP_READ_CONFIG, [this](bool ok) {
      if (!ok) return finish(false, tr("读取量程失败"));
      nextPoint();
    });
  });
}

void CheckDialog::startOp(OperationCode op, std::function<void(bool ok)> then) {
  awaited_ = op;
  then_ = std::move(then);
  view_.start(op);
}

void CheckDialog::onEnded(int op, int result) {
  if (!awaited_ || op != *awaited_) return;
  awaited_.reset();
  auto then = std::move(then_);
  then_ = nullptr;
  if (then) then(result == static_cast<int>(OperationResult::Success));
}

void CheckDialog::nextPoint() {
  const std::size_t i = done_.size();
  if (i == nominals_.size()) return finish(true, QString());
  if (!loop()) return askForReading();
  phase_ = Phase::Driving;
  showState();
  fixed_ = true;
  view_.data().calibrationPoint = static_cast<float>(nominals_[i]);
  startOp(OP_FIXED_CURRENT, [this](bool ok) {
    if (!ok) return finish(false, tr("固定电流失败"));
    phase_ = Phase::Settling;
    showState();
    settle_.start(settleMs_);
  });
}

// A loop point: the meter's reading. An input point: the reference value
// applied, the range's value of the point offered.
void CheckDialog::askForReading() {
  phase_ = Phase::Waiting;
  const double nominal = nominals_[done_.size()];
  const DeviceData& d = view_.data();
  if (loop()) {
    reading_->clear();
  } else {
    reading_->setText(Figure(d.lowerRange + span() * nominal / 100.0, 3));
  }
  showState();
  reading_->setFocus();
}

void CheckDialog::takeReading() {
  if (phase_ != Phase::Waiting) return;
  bool ok = false;
  const double value = reading_->text().trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(value)) {
    ShowMessageBox(this, MessageIcon::Warning, tr("请输入一个数字。"));
    return;
  }
  const double nominal = nominals_[done_.size()];
  if (loop()) {
    addPoint(JudgePoint(limits_, nominal, value, value, span()));
    return nextPoint();
  }
  referenceValue_ = value;
  phase_ = Phase::Reading;
  showState();
  startOp(OP_READ_CURRENT, [this, nominal](bool ok) {
    if (!ok) return finish(false, tr("读取测量值失败"));
    const double reading = ValueInRangeUnit(view_.data());
    addPoint(JudgePoint(limits_, nominal, referenceValue_, reading, span()));
    nextPoint();
  });
}

void CheckDialog::addPoint(const CheckPoint& point) {
  done_.push_back(point);
  const int row = table_->rowCount();
  table_->insertRow(row);
  const QStringList cells = {Figure(point.nominal, 3), Figure(point.reading, 4),
                             Figure(point.error, 4), Figure(point.errorPercentOfSpan, 3),
                             point.pass ? tr("合格") : tr("不合格")};
  for (int column = 0; column < cells.size(); ++column) {
    table_->setItem(row, column, new QTableWidgetItem(cells[column]));
  }
}

// Whatever came before, a loop driven is released; a check that ran through
// is kept.
void CheckDialog::finish(bool completed, const QString& why) {
  settle_.stop();
  auto end = [this, completed, why](bool released) {
    phase_ = Phase::Idle;
    if (completed) keepRecord();
    QString text = completed ? note_->text() : why;
    if (!released) text += QLatin1Char('\n') + tr("回路电流可能仍处于固定状态，未能恢复");
    note_->setText(text);
    showState();
    if (closeAfter_) QDialog::reject();
  };
  if (!fixed_) return end(true);
  phase_ = Phase::Releasing;
  showState();
  fixed_ = false;
  view_.data().calibrationPoint = 0.0f;
  startOp(OP_FIXED_CURRENT, end);
}

void CheckDialog::keepRecord() {
  CheckRecord r = NewCheckRecord(limits_, stage_->currentIndex() == 1, view_.data(), done_);
  r.referenceName = reference_->text();
  r.referenceSerial = referenceSerial_->text();
  r.referenceDue = referenceDue();
  r.technician = technician_->text();
  RecordStore store;
  QString error;
  if (store.open(storePath_, &error) && r.stage == QLatin1String("as-left")) {
    QDateTime newest;
    for (const CheckRecord& found : store.checks({})) {
      const bool same = found.stage == QLatin1String("as-found") && found.kind == r.kind &&
                        found.longAddress == r.longAddress;
      if (same && (newest.isNull() || found.time >= newest)) {
        newest = found.time;
        r.asFoundOf = found.uuid;
      }
    }
  }
  if (!error.isEmpty() || !store.addCheck(r, &error)) {
    note_->setText(tr("校验记录未保存：%1").arg(error));
    return;
  }
  store.noteInstrument(r.longAddress, r.tag, r.time, &error);
  record_ = r;
  certificate_->setEnabled(true);
  if (view_.teamPush()) view_.teamPush()->push();
  note_->setText(tr("%1 — 记录 %2").arg(r.pass ? tr("合格") : tr("不合格"), r.uuid));
}

void CheckDialog::showState() {
  const bool idle = phase_ == Phase::Idle;
  for (QWidget* form :
       std::initializer_list<QWidget*>{kind_, stage_, points_, tolerance_, reference_,
                                       referenceSerial_, referenceDue_, technician_, start_}) {
    form->setEnabled(idle);
  }
  certificate_->setEnabled(idle && record_.has_value());
  reading_->setEnabled(phase_ == Phase::Waiting);
  next_->setEnabled(phase_ == Phase::Waiting);
  if (phase_ == Phase::Waiting) {
    const double nominal = nominals_[done_.size()];
    note_->setText(
        loop()
            ? tr("回路电流已固定在 %1 mA：输入标准表读数（mA），按 下一点").arg(Figure(nominal, 3))
            : tr("施加量程 %1 % 的标准值，稳定后输入标准值，按 下一点").arg(Figure(nominal, 1)));
  } else if (phase_ == Phase::Settling || phase_ == Phase::Driving) {
    note_->setText(tr("正在固定电流，等待稳定…"));
  } else if (phase_ == Phase::Releasing) {
    note_->setText(tr("正在恢复回路电流…"));
  }
}

// Cancelled at any point: the loop is released first, then the dialog goes.
void CheckDialog::reject() {
  if (phase_ == Phase::Idle) {
    QDialog::reject();
    return;
  }
  closeAfter_ = true;
  if (phase_ == Phase::Releasing) return;
  if (awaited_) {
    // The operation on its way ends first; then the release.
    then_ = [this](bool) { finish(false, tr("校验已取消")); };
    return;
  }
  finish(false, tr("校验已取消"));
}

}  // namespace vantrel
