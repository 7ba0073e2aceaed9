#include "tabs/DataExchange.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>

#include <limits>
#include <optional>

#include "engine/DeviceData.h"
#include "engine/NumberText.h"
#include "link/Translate.h"
#include "tabs/MessageBoxes.h"

namespace vantrel {

QString FloatText(float value) {
  return QString::number(static_cast<double>(value), 'g', 6);
}

QString Utf8Text(const std::string& text) {
  return QString::fromStdString(text);
}

QString UiText(const char* source) {
  return QCoreApplication::translate(kUiTextContext, source);
}

QString CoreText(const std::string& source) {
  return QString::fromStdString(Tr(source));
}

std::string TextOf(const QLineEdit* edit) {
  return edit->text().toStdString();
}

void TrackTyped(QLineEdit* edit, DeviceData& data, unsigned field) {
  QObject::connect(edit, &QLineEdit::textEdited, edit,
                   [&data, field] { data.typedFields |= field; });
}

void TrackTyped(QComboBox* box, DeviceData& data, unsigned field) {
  QObject::connect(box, &QComboBox::activated, box, [&data, field] { data.typedFields |= field; });
  if (box->isEditable()) TrackTyped(box->lineEdit(), data, field);
}

// The picker's own steps and typing end in editingFinished; a date set from
// a reply does not.
void TrackTyped(QDateEdit* edit, DeviceData& data, unsigned field) {
  QObject::connect(edit, &QDateEdit::editingFinished, edit,
                   [&data, field] { data.typedFields |= field; });
}

namespace {

// A number a float field accepts: one that parses and fits a float.
std::optional<float> FloatOf(const QLineEdit* edit) {
  const std::optional<double> value = ParseNumber(TextOf(edit));
  if (!value || *value > std::numeric_limits<float>::max() ||
      *value < -std::numeric_limits<float>::max()) {
    return std::nullopt;
  }
  return static_cast<float>(*value);
}

}  // namespace

bool DataExchange::takeFloat(QLineEdit* edit, float& member) {
  const std::optional<float> value = FloatOf(edit);
  if (!value) return fail(edit, UiText(texts::kEnterNumber));
  member = *value;
  return true;
}

bool DataExchange::takeFloatBetween(QLineEdit* edit, float& member, float min, float max) {
  const std::optional<float> value = FloatOf(edit);
  if (!value || *value < min || *value > max) {
    return fail(
        edit, UiText(texts::kEnterNumberBetween)
                  .arg(QString::number(double{min}, 'f', 1), QString::number(double{max}, 'f', 1)));
  }
  member = *value;
  return true;
}

bool DataExchange::takeFloatAtLeast(QLineEdit* edit, float& member, float min) {
  const std::optional<float> value = FloatOf(edit);
  if (!value || *value < min) {
    return fail(edit, UiText(texts::kEnterNumberAtLeast).arg(FloatText(min)));
  }
  member = *value;
  return true;
}

bool DataExchange::takeInt(QLineEdit* edit, std::int32_t& member) {
  const std::optional<int> value = ParseInteger(TextOf(edit));
  if (!value) return fail(edit, UiText(texts::kEnterInteger));
  member = *value;
  return true;
}

bool DataExchange::takeByte(QLineEdit* edit, std::uint8_t& member) {
  const std::optional<int> value = ParseInteger(TextOf(edit));
  if (!value || *value < 0 || *value > 255) {
    return fail(edit, UiText(texts::kEnterIntegerBetween).arg(0).arg(255));
  }
  member = static_cast<std::uint8_t>(*value);
  return true;
}

bool DataExchange::checkRange(QLineEdit* edit, int value, int min, int max) {
  if (value >= min && value <= max) return true;
  return fail(edit, UiText(texts::kEnterIntegerBetween).arg(min).arg(max));
}

void DataExchange::takeFloatQuietly(const QLineEdit* edit, float& member) {
  if (const std::optional<float> value = FloatOf(edit)) member = *value;
}

void DataExchange::takeIntQuietly(const QLineEdit* edit, std::int32_t& member) {
  if (const std::optional<int> value = ParseInteger(TextOf(edit))) member = *value;
}

void DataExchange::takeByteQuietly(const QLineEdit* edit, std::uint8_t& member, int min, int max) {
  const std::optional<int> value = ParseInteger(TextOf(edit));
  if (value && *value >= min && *value <= max) member = static_cast<std::uint8_t>(*value);
}

bool DataExchange::fail(QLineEdit* edit, const QString& message) {
  edit->setFocus();
  edit->selectAll();
  ShowMessageBox(page_->window(), MessageIcon::Warning, message);
  return false;
}

}  // namespace vantrel
