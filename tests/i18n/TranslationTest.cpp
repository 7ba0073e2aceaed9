// The English translation: every text of the sources has one, it keeps what
// the code puts around or into it, and the program shows it when asked.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <functional>

#include "engine/EngineTexts.h"
#include "engine/FrameDecoder.h"
#include "i18n/Language.h"

namespace vantrel {
namespace {

struct TsMessage {
  QString context;
  QString source;
  QString translation;
  QString type;  // "unfinished", "vanished", "obsolete" or empty
};

std::vector<TsMessage> ReadTs(const QString& path) {
  std::vector<TsMessage> messages;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    ADD_FAILURE() << "cannot read " << path.toStdString();
    return messages;
  }
  QXmlStreamReader xml(&file);
  QString context;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    if (xml.name() == QLatin1String("name")) {
      context = xml.readElementText();
    } else if (xml.name() == QLatin1String("message")) {
      messages.push_back({context, {}, {}, {}});
    } else if (xml.name() == QLatin1String("source")) {
      messages.back().source = xml.readElementText();
    } else if (xml.name() == QLatin1String("translation")) {
      messages.back().type = xml.attributes().value(QLatin1String("type")).toString();
      messages.back().translation = xml.readElementText();
    }
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  return messages;
}

QStringList Placeholders(const QString& text) {
  QStringList found;
  static const QRegularExpression placeholder(QStringLiteral("%\\d"));
  for (const auto& match : placeholder.globalMatch(text)) found << match.captured();
  found.sort();
  return found;
}

// Finished, and whole: what the code fills in (%1), the blanks it joins
// pieces with, and a menu's one shortcut letter.
TEST(Translations, EveryTextHasAFinishedTranslationThatKeepsItsShape) {
  const std::vector<TsMessage> messages = ReadTs(QStringLiteral(VANTREL_TS_FILE));
  ASSERT_GT(messages.size(), 200u);
  for (const TsMessage& m : messages) {
    const std::string name = m.context.toStdString() + ": " + m.source.toStdString();
    EXPECT_TRUE(m.type.isEmpty()) << name << " is " << m.type.toStdString();
    EXPECT_FALSE(m.translation.isEmpty()) << name;
    EXPECT_EQ(Placeholders(m.translation), Placeholders(m.source)) << name;
    EXPECT_TRUE(!m.source.startsWith(' ') || m.translation.startsWith(' ')) << name;
    EXPECT_TRUE(!m.source.endsWith(' ') || m.translation.endsWith(' ')) << name;
    EXPECT_EQ(m.translation.count('&'), m.source.count('&')) << name;
  }
}

// The translation tools, run over the sources now, find no text that the
// translation file lacks, and the file holds none they no longer find.
TEST(Translations, TheFileHoldsEveryTextOfTheSources) {
  QTemporaryDir dir;
  const QString fresh = dir.filePath(QStringLiteral("fresh.ts"));
  QStringList arguments = QStringLiteral(VANTREL_LUPDATE_OPTIONS).split(' ');
  arguments << QStringLiteral("@" VANTREL_TR_SOURCE_LIST) << QStringLiteral("-ts") << fresh;
  QProcess lupdate;
  lupdate.start(QStringLiteral(VANTREL_LUPDATE), arguments);
  ASSERT_TRUE(lupdate.waitForFinished(120000));
  ASSERT_EQ(lupdate.exitCode(), 0) << lupdate.readAllStandardError().toStdString();

  QSet<QString> inSources;
  for (const TsMessage& m : ReadTs(fresh)) inSources << m.context + '|' + m.source;
  QSet<QString> inFile;
  for (const TsMessage& m : ReadTs(QStringLiteral(VANTREL_TS_FILE))) {
    inFile << m.context + '|' + m.source;
  }
  for (const QString& text : inSources - inFile)
    ADD_FAILURE() << "not translated: " << text.toStdString();
  for (const QString& text : inFile - inSources)
    ADD_FAILURE() << "no longer used: " << text.toStdString();
}

std::string StatusBits(std::uint8_t status) {
  std::string joined;
  for (const std::string& bit : DeviceStatusTexts(status)) joined += bit + "/";
  return joined;
}

// Texts of the core in both languages, those put together from pieces too.
TEST(Translations, CoreTextsInEitherLanguage) {
  const std::vector<std::uint8_t> request = {0x02, 0x80, 0x00, 0x00, 0x82};
  const struct {
    std::function<std::string()> text;
    const char* chinese;
    const char* english;
  } cases[] = {
      {[] { return Tr(texts::kModifyFailed); }, "修改失败", "Write failed"},
      {[] { return ResponseCodeText(7); }, "错误：处于写保护模式", "error: in write-protect mode"},
      {[] { return ResponseCodeText(8); }, "警告：已设为最接近的可能值",
       "warning: set to nearest possible value"},
      {[] { return ResponseCodeText(0xC8); }, "通信错误：奇偶校验错误、校验和错误",
       "communication error: parity error, checksum error"},
      {[] { return StatusBits(0x88); }, "设备故障/回路电流固定/",
       "device malfunction/loop current fixed/"},
      {[&] { return FormatFrameLine(DecodeFrame(request, FrameDirection::Sent, 5)); },
       "5 ms 发送 请求(短地址 0) 命令 0 读唯一标识符 字节数 0 | 02 80 00 00 82",
       "5 ms Sent request (polling address 0) command 0 Read unique identifier byte count 0 | "
       "02 80 00 00 82"},
  };
  for (UiLanguage language : {UiLanguage::English, UiLanguage::Chinese}) {
    ASSERT_TRUE(UseLanguage(language));
    for (const auto& c : cases) {
      EXPECT_EQ(c.text(), language == UiLanguage::English ? c.english : c.chinese);
    }
  }
}

// Qt's own buttons and the calendar's names follow the program's language.
TEST(Translations, QtTextsAndTheDefaultLocaleFollowTheLanguage) {
  const struct {
    UiLanguage language;
    const char* cancel;
    const char* january;
  } cases[] = {{UiLanguage::Chinese, "取消", "一月"}, {UiLanguage::English, "Cancel", "January"}};
  for (const auto& c : cases) {
    UseQtLanguage(c.language);
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString::fromUtf8(c.cancel));
    EXPECT_EQ(QLocale().standaloneMonthName(1), QString::fromUtf8(c.january));
  }
  UseQtLanguage(UiLanguage::Chinese);
}

TEST(Translations, LanguageNames) {
  EXPECT_EQ(LanguageNamed(QStringLiteral("zh")), UiLanguage::Chinese);
  EXPECT_EQ(LanguageNamed(QStringLiteral("en")), UiLanguage::English);
  for (const char* name : {"", "EN", "english", "de", "zh_CN"}) {
    EXPECT_EQ(LanguageNamed(QString::fromLatin1(name)), std::nullopt) << name;
  }
}

}  // namespace
}  // namespace vantrel
