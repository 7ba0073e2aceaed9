#include "app/SearchDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>

#include <algorithm>

namespace vantrel {

SearchDialog::SearchDialog(const SearchPlan& plan, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("searchDialog"));
  setWindowTitle(tr("搜索范围"));
  from_ = new QSpinBox;
  from_->setObjectName(QStringLiteral("searchFromSpin"));
  to_ = new QSpinBox;
  to_->setObjectName(QStringLiteral("searchToSpin"));
  for (QSpinBox* box : {from_, to_}) box->setRange(0, kLastPollAddress);
  from_->setValue(plan.from);
  to_->setValue(plan.to);
  // The range stays whole: moving one end past the other moves both.
  connect(from_, &QSpinBox::valueChanged, this, [this](int v) {
    if (to_->value() < v) to_->setValue(v);
  });
  connect(to_, &QSpinBox::valueChanged, this, [this](int v) {
    if (from_->value() > v) from_->setValue(v);
  });
  fast_ = new QCheckBox(tr("快速搜索（每个地址一次）"));
  fast_->setObjectName(QStringLiteral("searchFastCheck"));
  fast_->setChecked(plan.fast);
  first_ = new QCheckBox(tr("找到第一台仪表即停止"));
  first_->setObjectName(QStringLiteral("searchFirstCheck"));
  first_->setChecked(plan.stopAtFirst);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* form = new QFormLayout(this);
  form->addRow(tr("起始地址"), from_);
  form->addRow(tr("结束地址"), to_);
  form->addRow(fast_);
  form->addRow(first_);
  form->addRow(buttons);
}

SearchPlan SearchDialog::plan() const {
  SearchPlan plan;
  plan.from = static_cast<std::uint8_t>(from_->value());
  plan.to = static_cast<std::uint8_t>(std::max(from_->value(), to_->value()));
  plan.fast = fast_->isChecked();
  plan.stopAtFirst = first_->isChecked();
  return plan;
}

}  // namespace vantrel
