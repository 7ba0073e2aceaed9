// 校验: the instrument checked point by point against a reference, as found
// or as left. A loop check drives the loop to each point, waits for it to
// settle and takes the reading typed from the reference meter; an input check
// asks for the reference value to be applied and steady, then reads the
// instrument. Each error is shown as it comes; cancelled at any point, the
// loop is released. The record is kept in the record store, an as-left one
// naming the newest as-found record of the same instrument and check.
#pragma once

#include <QDate>
#include <QDialog>
#include <QTimer>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "app/FileDialogs.h"
#include "engine/OperationCode.h"
#include "records/RecordStore.h"
#include "report/CheckJudge.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace vantrel {

class CVantrelView;

class CheckDialog : public QDialog {
  Q_OBJECT

 public:
  // The settings keys of what is typed once and remembered.
  static constexpr char kReferenceKey[] = "Check/Reference";
  static constexpr char kReferenceSerialKey[] = "Check/ReferenceSerial";
  static constexpr char kReferenceDueKey[] = "Check/ReferenceDue";
  static constexpr char kTechnicianKey[] = "Check/Technician";

  CheckDialog(CVantrelView& view, QWidget* parent = nullptr);
  ~CheckDialog() override;

  // Tests: the record store's file and the settle time of a loop point.
  void setStorePath(const QString& path) { storePath_ = path; }
  void setSettleMs(int ms) { settleMs_ = ms; }
  void setFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }

  QComboBox* kindBox() const { return kind_; }
  QComboBox* stageBox() const { return stage_; }
  QLineEdit* pointsEdit() const { return points_; }
  QLineEdit* readingEdit() const { return reading_; }
  QLineEdit* referenceDueEdit() const { return referenceDue_; }
  QPushButton* startButton() const { return start_; }
  QPushButton* nextButton() const { return next_; }
  QPushButton* cancelButton() const { return cancel_; }
  QPushButton* certificateButton() const { return certificate_; }
  QTableWidget* table() const { return table_; }
  QLabel* note() const { return note_; }
  // The record kept by the last check that ran through.
  const std::optional<CheckRecord>& record() const { return record_; }
  bool running() const { return phase_ != Phase::Idle; }

 protected:
  void reject() override;

 private:
  enum class Phase { Idle, Preparing, Driving, Settling, Waiting, Reading, Releasing };

  void buildForm();
  QPushButton* makeCertificateButton();
  std::optional<QDate> referenceDue() const;
  void writeCertificate(const QString& path);
  void begin();
  bool takeForm();
  void startOp(OperationCode op, std::function<void(bool ok)> then);
  void onEnded(int op, int result);
  void nextPoint();
  void askForReading();
  void takeReading();
  void addPoint(const CheckPoint& point);
  void finish(bool completed, const QString& why);
  void keepRecord();
  void showState();
  double span() const;
  bool loop() const;

  CVantrelView& view_;
  QComboBox* kind_ = nullptr;
  QComboBox* stage_ = nullptr;
  QLineEdit* points_ = nullptr;
  QLineEdit* tolerance_ = nullptr;
  QLineEdit* reference_ = nullptr;
  QLineEdit* referenceSerial_ = nullptr;
  QLineEdit* referenceDue_ = nullptr;
  QLineEdit* technician_ = nullptr;
  QLineEdit* reading_ = nullptr;
  QTableWidget* table_ = nullptr;
  QLabel* note_ = nullptr;
  QPushButton* start_ = nullptr;
  QPushButton* next_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPushButton* certificate_ = nullptr;
  FileChooser chooser_;

  Phase phase_ = Phase::Idle;
  CheckLimits limits_;
  std::vector<double> nominals_;
  std::vector<CheckPoint> done_;
  std::optional<OperationCode> awaited_;
  std::function<void(bool ok)> then_;
  bool fixed_ = false;  // a point was driven: the loop is released at the end
  bool closeAfter_ = false;
  double referenceValue_ = 0;
  QTimer settle_;
  int settleMs_ = 2000;
  QString storePath_;
  std::optional<CheckRecord> record_;
};

}  // namespace vantrel
