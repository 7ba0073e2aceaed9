#include "app/LoadDialog.h"

#include <algorithm>

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "tabs/DataExchange.h"

namespace vantrel {

QString LoadDialog::fieldName(const std::string& field) {
  static const struct {
    const char* field;
    const char* name;
  } kNames[] = {
      {"tag", QT_TRANSLATE_NOOP("vantrel", "标签")},
      {"descriptor", QT_TRANSLATE_NOOP("vantrel", "描述符")},
      {"message", QT_TRANSLATE_NOOP("vantrel", "消息")},
      {"date", QT_TRANSLATE_NOOP("vantrel", "日期")},
      {"range.upper", QT_TRANSLATE_NOOP("vantrel", "测量上限")},
      {"range.lower", QT_TRANSLATE_NOOP("vantrel", "测量下限")},
      {"range.unit", QT_TRANSLATE_NOOP("vantrel", "单位")},
      {"damping", QT_TRANSLATE_NOOP("vantrel", "阻尼时间")},
      {"sensor.type", QT_TRANSLATE_NOOP("vantrel", "传感器类型")},
      {"pollingAddress", QT_TRANSLATE_NOOP("vantrel", "短地址")},
      {"longAddress", QT_TRANSLATE_NOOP("vantrel", "长地址")},
  };
  for (const auto& entry : kNames) {
    if (field == entry.field) return UiText(entry.name);
  }
  return Utf8Text(field);
}

LoadDialog::LoadDialog(const std::vector<FieldDifference>& differences, IdentityMatch match,
                       QWidget* parent)
    : QDialog(parent), differences_(differences) {
  setObjectName(QStringLiteral("loadDialog"));
  setWindowTitle(tr("载入组态"));
  QString noteText = tr("仪表与文件不同的项目。写入选中的项目：");
  const bool tagDiffers = std::any_of(differences_.begin(), differences_.end(),
                                      [](const FieldDifference& d) { return d.field == "tag"; });
  if (tagDiffers && !ChosenByDefault("tag", match)) {
    noteText = tr("这是另一台仪表，标签默认不写入，以免两台仪表标签相同。\n") + noteText;
  }
  auto* note = new QLabel(noteText, this);
  note->setWordWrap(true);
  table_ = new QTableWidget(static_cast<int>(differences_.size()), 3, this);
  table_->setObjectName(QStringLiteral("differenceTable"));
  table_->setHorizontalHeaderLabels({tr("项目"), tr("仪表"), tr("文件")});
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setStretchLastSection(true);
  for (int row = 0; row < table_->rowCount(); ++row) {
    const FieldDifference& d = differences_[static_cast<std::size_t>(row)];
    auto* field = new QTableWidgetItem(fieldName(d.field));
    field->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    field->setCheckState(ChosenByDefault(d.field, match) ? Qt::Checked : Qt::Unchecked);
    table_->setItem(row, 0, field);
    table_->setItem(row, 1, new QTableWidgetItem(Utf8Text(d.instrument)));
    table_->setItem(row, 2, new QTableWidgetItem(Utf8Text(d.file)));
  }
  table_->resizeColumnsToContents();
  writeButton_ = new QPushButton(tr("写入"), this);
  writeButton_->setObjectName(QStringLiteral("buttonWriteLoad"));
  cancelButton_ = new QPushButton(tr("取消"), this);
  cancelButton_->setObjectName(QStringLiteral("buttonCancelLoad"));
  connect(writeButton_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(writeButton_);
  buttons->addWidget(cancelButton_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(note);
  layout->addWidget(table_);
  layout->addLayout(buttons);
  resize(560, 360);
}

std::vector<std::string> LoadDialog::chosenFields() const {
  std::vector<std::string> fields;
  for (int row = 0; row < table_->rowCount(); ++row) {
    if (table_->item(row, 0)->checkState() == Qt::Checked) {
      fields.push_back(differences_[static_cast<std::size_t>(row)].field);
    }
  }
  return fields;
}

}  // namespace vantrel
