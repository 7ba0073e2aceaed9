// One QApplication for the whole binary, on the offscreen platform, with the
// settings kept in a temporary directory instead of the user's profile.
#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "tabs/DialogUnits.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("VantrelTests"));
  QApplication::setApplicationName(QStringLiteral("gui_tests"));
  QApplication::setFont(vantrel::UiFont(vantrel::kDialogPointSize));
  QTemporaryDir settings;
  QSettings::setDefaultFormat(QSettings::IniFormat);
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
