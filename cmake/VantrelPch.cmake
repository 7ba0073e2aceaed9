# Precompiled headers. Most of the time a translation unit of the window, its
# tests and the Qt test binaries takes goes into parsing the same Qt and
# GoogleTest headers; each target below parses them once. Only headers of Qt,
# GoogleTest and the standard library go in, never the project's own, so that
# a change to a project header rebuilds no more than it did. VANTREL_PCH=OFF
# builds without them (every source still includes what it uses); a cross
# build goes without them too.
option(VANTREL_PCH "Precompile the Qt and GoogleTest headers the sources share" ON)

set(VANTREL_PCH_STD <algorithm> <cstdint> <functional> <memory> <optional> <string> <vector>)
set(VANTREL_PCH_CORE <QByteArray> <QDateTime> <QDir> <QFile> <QJsonArray> <QJsonDocument>
  <QJsonObject> <QObject> <QPointer> <QSettings> <QString> <QStringList> <QTimer> <QVariant>)
set(VANTREL_PCH_WIDGETS <QAction> <QApplication> <QCheckBox> <QComboBox> <QDialog>
  <QHBoxLayout> <QLabel> <QLineEdit> <QMessageBox> <QPushButton> <QTableWidget> <QVBoxLayout>
  <QWidget>)
set(VANTREL_PCH_TEST <gtest/gtest.h>)

# vantrel_precompile(target [QT] [WIDGETS] [TEST] [HEADERS h...]): the
# standard headers, and QtCore's, the widgets' and GoogleTest's as asked, and
# any further ones the target's sources share.
function(vantrel_precompile target)
  if(NOT VANTREL_PCH OR CMAKE_CROSSCOMPILING)
    return()
  endif()
  cmake_parse_arguments(ARG "QT;WIDGETS;TEST" "" "HEADERS" ${ARGN})
  set(headers ${VANTREL_PCH_STD})
  if(ARG_QT OR ARG_WIDGETS)
    list(APPEND headers ${VANTREL_PCH_CORE})
  endif()
  if(ARG_WIDGETS)
    list(APPEND headers ${VANTREL_PCH_WIDGETS})
  endif()
  if(ARG_TEST)
    list(APPEND headers ${VANTREL_PCH_TEST})
  endif()
  target_precompile_headers(${target} PRIVATE ${headers} ${ARG_HEADERS})
endfunction()
