#include "app/CommMonitor.h"

#include <QBrush>
#include <QColor>
#include <QDateTime>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "app/FileDialogs.h"
#include "tabs/DataExchange.h"
#include "tabs/MessageBoxes.h"

namespace vantrel {
namespace {

const char* const kColumnTitles[FrameLogModel::kColumnCount] = {
    QT_TRANSLATE_NOOP("vantrel", "时间(ms)"), QT_TRANSLATE_NOOP("vantrel", "方向"),
    QT_TRANSLATE_NOOP("vantrel", "类型"),     QT_TRANSLATE_NOOP("vantrel", "地址"),
    QT_TRANSLATE_NOOP("vantrel", "命令"),     QT_TRANSLATE_NOOP("vantrel", "字节数"),
    QT_TRANSLATE_NOOP("vantrel", "响应码"),   QT_TRANSLATE_NOOP("vantrel", "设备状态"),
    QT_TRANSLATE_NOOP("vantrel", "数据"),     QT_TRANSLATE_NOOP("vantrel", "原始字节"),
};

// Starting widths, in average character widths: wide enough for the usual
// contents without measuring every row.
constexpr int kColumnChars[FrameLogModel::kColumnCount] = {9, 5, 8, 14, 22, 6, 16, 16, 30, 48};

QString Text(const std::string& utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QString NumberWithName(int number, const std::string& name) {
  QString text = QString::number(number);
  if (!name.empty()) text += QLatin1Char(' ') + Text(name);
  return text;
}

QString StatusText(const DecodedFrame& f) {
  char hex[4];
  std::snprintf(hex, sizeof hex, "%02X", f.deviceStatus);
  QString text = QString::fromLatin1(hex);
  for (std::size_t i = 0; i < f.deviceStatusTexts.size(); ++i) {
    text += (i == 0 ? QStringLiteral(" ") : UiText(QT_TRANSLATE_NOOP("vantrel", "、"))) +
            Text(f.deviceStatusTexts[i]);
  }
  return text;
}

}  // namespace

// --- FrameLogModel ---------------------------------------------------------

FrameLogModel::FrameLogModel(QObject* parent) : QAbstractTableModel(parent) {}

void FrameLogModel::append(DecodedFrame frame) {
  if (frameCount() >= kMaxFrames) {
    const int drop = std::min(kDropBlock, frameCount());
    beginRemoveRows(QModelIndex(), 0, drop - 1);
    frames_.erase(frames_.begin(), frames_.begin() + drop);
    endRemoveRows();
  }
  const int row = frameCount();
  beginInsertRows(QModelIndex(), row, row);
  frames_.push_back(std::move(frame));
  endInsertRows();
}

void FrameLogModel::clear() {
  if (frames_.empty()) return;
  beginResetModel();
  frames_.clear();
  endResetModel();
}

QByteArray FrameLogModel::logText() const {
  QByteArray text;
  for (const DecodedFrame& f : frames_) {
    const std::string line = FormatFrameLine(f);
    text.append(line.data(), static_cast<qsizetype>(line.size()));
    text.append('\n');
  }
  return text;
}

int FrameLogModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : frameCount();
}

int FrameLogModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QString FrameLogModel::cellText(const DecodedFrame& f, int column) {
  switch (column) {
    case kTimeColumn:
      return QString::number(f.timeMs);
    case kDirectionColumn:
      return f.direction == FrameDirection::Sent ? tr("发送") : tr("接收");
    case kKindColumn:
      if (f.transportOnly) return Text(f.transport);
      if (f.dropped) return Text(f.kind + DroppedText(f.dropReason));
      return f.transport.empty() ? Text(f.kind) : Text(f.kind + " [" + f.transport + "]");
    case kAddressColumn:
      return Text(f.address);
    case kCommandColumn:
      return f.command ? NumberWithName(*f.command, f.commandName) : QString();
    case kByteCountColumn:
      return f.byteCount ? QString::number(*f.byteCount) : QString();
    case kResponseColumn:
      return f.hasStatus ? NumberWithName(f.responseCode, f.responseText) : QString();
    case kStatusColumn:
      return f.hasStatus ? StatusText(f) : QString();
    case kDataColumn:
      return f.details.empty() ? Text(HexBytes(f.data))
                               : Text(HexBytes(f.data) + "  (" + f.details + ")");
    case kRawColumn:
      return Text(HexBytes(f.raw));
    default:
      return QString();
  }
}

QVariant FrameLogModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= frameCount()) return {};
  const DecodedFrame& f = frame(index.row());
  switch (role) {
    case Qt::DisplayRole:
      return cellText(f, index.column());
    case Qt::ToolTipRole:
      return Text(FormatFrameLine(f));
    case Qt::ForegroundRole:
      if (f.dropped) return QBrush(QColor(0xA0, 0x00, 0x00));
      if (f.direction == FrameDirection::Sent) return QBrush(QColor(0x00, 0x40, 0xA0));
      return {};
    case Qt::TextAlignmentRole:
      if (index.column() == kTimeColumn || index.column() == kByteCountColumn) {
        return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
      }
      return {};
    default:
      return {};
  }
}

QVariant FrameLogModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section < 0 || section >= kColumnCount) return {};
  return UiText(kColumnTitles[section]);
}

// --- CommMonitor -----------------------------------------------------------

CommMonitor::CommMonitor(const Clock& clock, QWidget* parent)
    : QDockWidget(parent), clock_(clock), startedAt_(clock.nowMs()) {
  setObjectName(QStringLiteral("commMonitor"));
  setWindowTitle(tr("通信监视"));

  model_ = new FrameLogModel(this);

  auto* body = new QWidget;
  table_ = new QTableView;
  table_->setObjectName(QStringLiteral("frameTable"));
  table_->setModel(model_);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setWordWrap(false);
  table_->setAlternatingRowColors(true);
  table_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  table_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  // Rows of one height and columns of set widths: nothing is measured per
  // frame, however long the list.
  QHeaderView* rows = table_->verticalHeader();
  rows->hide();
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setDefaultSectionSize(fontMetrics().height() + 4);
  QHeaderView* columns = table_->horizontalHeader();
  columns->setStretchLastSection(true);
  const int charWidth = fontMetrics().averageCharWidth();
  for (int column = 0; column < FrameLogModel::kColumnCount; ++column) {
    columns->resizeSection(column, kColumnChars[column] * charWidth + 12);
  }

  clearButton_ = new QPushButton(tr("清除"));
  clearButton_->setObjectName(QStringLiteral("buttonClearLog"));
  saveButton_ = new QPushButton(tr("保存…"));
  saveButton_->setObjectName(QStringLiteral("buttonSaveLog"));
  connect(clearButton_, &QPushButton::clicked, this, &CommMonitor::clear);
  connect(saveButton_, &QPushButton::clicked, this, &CommMonitor::save);

  savedNote_ = new QLabel;
  savedNote_->setObjectName(QStringLiteral("savedNote"));
  savedNote_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(savedNote_, 1);
  buttons->addWidget(clearButton_);
  buttons->addWidget(saveButton_);
  auto* layout = new QVBoxLayout(body);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(table_, 1);
  layout->addLayout(buttons);
  setWidget(body);

  // Following the end: a new row, or a taller list for any other reason,
  // moves the view down while it is at the bottom. The scroll bar's range
  // only changes when the view lays itself out, so a burst of frames scrolls
  // once, and nothing here runs per frame.
  QScrollBar* bar = table_->verticalScrollBar();
  connect(bar, &QScrollBar::valueChanged, this,
          [this, bar](int value) { following_ = value >= bar->maximum(); });
  connect(bar, &QScrollBar::rangeChanged, this, [this, bar](int, int maximum) {
    if (following_) bar->setValue(maximum);
  });
  connect(model_, &QAbstractItemModel::rowsRemoved, this, &CommMonitor::onRowsRemoved);
}

CommMonitor::~CommMonitor() = default;

void CommMonitor::setFileChooser(FileChooser chooser) {
  chooser_ = std::move(chooser);
}

// The oldest rows went while the user looks at older frames: the view moves
// up with its rows, so that it keeps showing the same frames.
void CommMonitor::onRowsRemoved(const QModelIndex& parent, int first, int last) {
  if (parent.isValid() || first != 0 || following_) return;
  QScrollBar* bar = table_->verticalScrollBar();
  bar->setValue(std::max(0, bar->value() - (last - first + 1)));
}

void CommMonitor::frameSent(const std::vector<std::uint8_t>& raw) {
  append(transport_.take(DecodeFrame(raw, FrameDirection::Sent, elapsedMs())));
}

void CommMonitor::frameReceived(const ReceivedFrame&, const std::vector<std::uint8_t>& raw) {
  append(transport_.take(DecodeFrame(raw, FrameDirection::Received, elapsedMs())));
}

void CommMonitor::transportMessage(bool sent, const std::string& header,
                                   const std::vector<std::uint8_t>& raw, bool carriesFrame) {
  if (auto line = transport_.message(sent, header, raw, carriesFrame, elapsedMs())) {
    append(std::move(*line));
  }
}

// What the transport adds (a HART-IP header) is far longer than a frame's
// kind: the type column widens to show it whole, once per longer text. A
// frame of the serial line is never measured.
void CommMonitor::append(DecodedFrame frame) {
  const bool measure = !frame.transport.empty();
  model_->append(std::move(frame));
  if (measure) fitKindColumn(model_->frameCount() - 1);
}

void CommMonitor::fitKindColumn(int row) {
  const QString text = FrameLogModel::cellText(model_->frame(row), FrameLogModel::kKindColumn);
  const int wanted = table_->fontMetrics().horizontalAdvance(text) + 12;
  QHeaderView* columns = table_->horizontalHeader();
  if (wanted > columns->sectionSize(FrameLogModel::kKindColumn)) {
    columns->resizeSection(FrameLogModel::kKindColumn, wanted);
  }
}

void CommMonitor::frameDropped(DropReason reason, const std::vector<std::uint8_t>& raw) {
  model_->append(DecodeDroppedFrame(raw, reason, elapsedMs()));
}

void CommMonitor::clear() {
  model_->clear();
  following_ = true;
}

bool CommMonitor::saveTo(const QString& path, QString* error) const {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(model_->logText()) < 0 || !file.commit()) {
    if (error) *error = file.errorString();
    return false;
  }
  return true;
}

void CommMonitor::save() {
  const QString suggested = InDocuments(
      tr("通信记录_%1.txt")
          .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmmss"))));

  QPointer<CommMonitor> self(this);
  auto chosen = [self](const QString& path) {
    if (!self || path.isEmpty()) return;
    QString error;
    if (!self->saveTo(path, &error)) {
      ShowMessageBox(self->window(), MessageIcon::Error,
                     tr("无法保存通信记录：%1（%2）").arg(QDir::toNativeSeparators(path), error));
      return;
    }
    self->savedNote_->setText(tr("已保存到 %1").arg(QDir::toNativeSeparators(path)));
  };
  const FileDialogTexts texts{
      UiText(QT_TRANSLATE_NOOP("vantrel", "保存通信记录")),
      UiText(QT_TRANSLATE_NOOP("vantrel", "文本文件 (*.txt);;所有文件 (*)")),
      QStringLiteral("txt")};
  ChooseFile(this, texts, suggested, chooser_, std::move(chosen));
}

}  // namespace vantrel
