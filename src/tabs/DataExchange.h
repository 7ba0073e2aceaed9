// Copies between a page's controls and DeviceData. Saving a page stops at the
// first field whose text cannot be taken: the field gets the focus with its
// text selected, a message box says what is expected, and the caller starts
// no operation.
#pragma once

#include <QCoreApplication>
#include <QString>

#include <cstdint>
#include <string>

class QComboBox;
class QDateEdit;
class QLineEdit;
class QWidget;

namespace vantrel {

// The window's own texts outside its classes, marked for the translation
// tools under the context "vantrel".
inline constexpr char kUiTextContext[] = "vantrel";

namespace texts {
inline constexpr char kEnterInteger[] = QT_TRANSLATE_NOOP("vantrel", "请输入一个整数。");
inline constexpr char kEnterNumber[] = QT_TRANSLATE_NOOP("vantrel", "请输入一个数字。");
inline constexpr char kEnterIntegerBetween[] =
    QT_TRANSLATE_NOOP("vantrel", "请输入一个介于 %1 和 %2 之间的整数。");
inline constexpr char kEnterNumberBetween[] =
    QT_TRANSLATE_NOOP("vantrel", "请输入一个介于 %1 和 %2 之间的数字。");
inline constexpr char kEnterNumberAtLeast[] =
    QT_TRANSLATE_NOOP("vantrel", "请输入一个不小于 %1 的数字。");
}  // namespace texts

// A text marked under "vantrel", in the language the program runs in.
QString UiText(const char* source);
// A text of the core, in the language the program runs in.
QString CoreText(const std::string& source);

// Numbers as the pages show them: floats with at most 6 significant digits
// (4 for 4.0, 12.3457 for 12.3456789), integers in decimal.
QString FloatText(float value);
QString Utf8Text(const std::string& text);
std::string TextOf(const QLineEdit* edit);

struct DeviceData;

// Marks the page field `field` (PageField) of `data` as the user's once the
// user types into `edit` or chooses in `box`: its value then belongs to no
// instrument (DeviceData::typedFields). Setting the control from the data
// marks nothing.
void TrackTyped(QLineEdit* edit, DeviceData& data, unsigned field);
void TrackTyped(QComboBox* box, DeviceData& data, unsigned field);
void TrackTyped(QDateEdit* edit, DeviceData& data, unsigned field);

class DataExchange {
 public:
  // Messages are shown over `page`'s window.
  explicit DataExchange(QWidget* page) : page_(page) {}

  // A finite decimal number, surrounding blanks allowed.
  bool takeFloat(QLineEdit* edit, float& member);
  // A number from `min` to `max` (shown with one decimal: "3.0").
  bool takeFloatBetween(QLineEdit* edit, float& member, float min, float max);
  // A number not below `min`.
  bool takeFloatAtLeast(QLineEdit* edit, float& member, float min);
  // A whole number that fits in 32 bits.
  bool takeInt(QLineEdit* edit, std::int32_t& member);
  // A whole number from 0 to 255.
  bool takeByte(QLineEdit* edit, std::uint8_t& member);
  // Range check of a value already taken from `edit`.
  bool checkRange(QLineEdit* edit, int value, int min, int max);

  // The same for a field the operation does not send: taken when it would be
  // accepted, otherwise left as it was, and nothing said.
  void takeFloatQuietly(const QLineEdit* edit, float& member);
  void takeIntQuietly(const QLineEdit* edit, std::int32_t& member);
  void takeByteQuietly(const QLineEdit* edit, std::uint8_t& member, int min, int max);

 private:
  bool fail(QLineEdit* edit, const QString& message);

  QWidget* page_;
};

}  // namespace vantrel
