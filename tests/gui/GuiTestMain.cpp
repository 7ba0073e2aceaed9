// One QApplication for the whole binary, on the offscreen platform with one
// screen of a plant laptop (1366 x 768), with the settings kept in a
// temporary directory instead of the user's profile (the change journal
// too).
#include <QApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "i18n/Language.h"
#include "tabs/DialogUnits.h"

int main(int argc, char** argv) {
  QTemporaryDir platform;
  const QString screens = platform.filePath(QStringLiteral("screens.json"));
  QFile config(screens);
  if (config.open(QIODevice::WriteOnly)) {
    config.write(R"({"screens": [{"name": "Laptop", "x": 0, "y": 0, "width": 1366,
                     "height": 768, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    config.close();
  }
  qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.toLocal8Bit());
  // The change journal and other data go into a folder of the tests'.
  QTemporaryDir data;
  qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
  QApplication app(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("VantrelTests"));
  QApplication::setApplicationName(QStringLiteral("gui_tests"));
  QApplication::setFont(vantrel::UiFont(vantrel::kDialogPointSize));
  // The texts the tests expect, whatever the developer's locale.
  vantrel::UseLanguage(vantrel::UiLanguage::Chinese);
  QTemporaryDir settings;
  QSettings::setDefaultFormat(QSettings::IniFormat);
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
