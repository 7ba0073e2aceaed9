// The communication monitor: a dock window listing every frame on the line,
// decoded — the requests sent, the frames received, and the frames the
// receiver dropped. It records from the start of the program whether it is
// shown or not, keeps the last FrameLogModel::kMaxFrames frames, and saves
// them as text.
#pragma once

#include <QAbstractTableModel>
#include <QDockWidget>
#include <QString>

#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "app/FileDialogs.h"
#include "engine/FrameDecoder.h"
#include "link/LinkCore.h"
#include "port/Clock.h"

class QPushButton;
class QLabel;
class QTableView;

namespace vantrel {

// The decoded frames, oldest first.
class FrameLogModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column {
    kTimeColumn,
    kDirectionColumn,
    kKindColumn,
    kAddressColumn,
    kCommandColumn,
    kByteCountColumn,
    kResponseColumn,
    kStatusColumn,
    kDataColumn,
    kRawColumn,
    kColumnCount
  };

  // At most this many frames are kept. When one more comes, the oldest
  // kDropBlock go at once, so that a long acquisition removes rows once in a
  // thousand frames instead of with every frame.
  static constexpr int kMaxFrames = 10000;
  static constexpr int kDropBlock = 1000;

  explicit FrameLogModel(QObject* parent = nullptr);

  void append(DecodedFrame frame);
  void clear();

  int frameCount() const { return static_cast<int>(frames_.size()); }
  const DecodedFrame& frame(int row) const { return frames_.at(static_cast<std::size_t>(row)); }
  // One FormatFrameLine line per frame, each ended by a line feed, UTF-8.
  QByteArray logText() const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

  // The text a cell shows.
  static QString cellText(const DecodedFrame& frame, int column);

 private:
  std::deque<DecodedFrame> frames_;
};

class CommMonitor : public QDockWidget, public LinkObserver {
  Q_OBJECT

 public:
  using FileChooser = vantrel::FileChooser;

  // Frame times count from the construction of the monitor, at program
  // start, on `clock` (which must outlive the monitor).
  explicit CommMonitor(const Clock& clock, QWidget* parent = nullptr);
  ~CommMonitor() override;

  FrameLogModel* model() const { return model_; }
  QTableView* table() const { return table_; }
  QPushButton* clearButton() const { return clearButton_; }
  QPushButton* saveButton() const { return saveButton_; }
  // Where the log was last saved ("已保存到 PATH"), beside the buttons.
  QLabel* savedNote() const { return savedNote_; }

  // Whether the list follows the newest frame: true until the user scrolls
  // up, true again once the user scrolls back to the bottom.
  bool followsEnd() const { return following_; }

  // Replaces the save dialog; an empty chooser puts the dialog back.
  void setFileChooser(FileChooser chooser);

  // Writes the log to `path`. On failure returns false with the reason in
  // `error`.
  bool saveTo(const QString& path, QString* error = nullptr) const;

  // LinkObserver
  void frameSent(const std::vector<std::uint8_t>& raw) override;
  void frameReceived(const ReceivedFrame& frame, const std::vector<std::uint8_t>& raw) override;
  void frameDropped(DropReason reason, const std::vector<std::uint8_t>& raw) override;
  void transportMessage(bool sent, const std::string& header, const std::vector<std::uint8_t>& raw,
                        bool carriesFrame) override;

 public slots:
  void clear();
  // Asks for a file and saves the log there.
  void save();

 private:
  TimeMs elapsedMs() const { return clock_.nowMs() - startedAt_; }

  TransportLog transport_;
  void onRowsRemoved(const QModelIndex& parent, int first, int last);
  void append(DecodedFrame frame);
  void fitKindColumn(int row);

  const Clock& clock_;
  const TimeMs startedAt_;
  FrameLogModel* model_ = nullptr;
  QTableView* table_ = nullptr;
  QPushButton* clearButton_ = nullptr;
  QPushButton* saveButton_ = nullptr;
  QLabel* savedNote_ = nullptr;
  FileChooser chooser_;
  bool following_ = true;
};

}  // namespace vantrel
