// Runs the real vantrel-cli for the command-line tests and reads what it
// printed: the exit status, the JSON objects, standard output and error.
#pragma once

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace vantrel {

struct CliRun {
  int exitCode = -1;
  QList<QJsonObject> outcomes;
  QString out;
  QString err;
};

// Where the program keeps its data (the default journal) and its settings
// (the known models) in these tests: never the developer's own.
inline QString DataHome() {
  static QTemporaryDir home;
  return home.path();
}

inline QString ConfigHome() {
  static QTemporaryDir home;
  return home.path();
}

// Chinese unless the arguments choose, or `locale` is given as the only
// locale of the environment: the developer's own must not change what the
// tests see.
inline CliRun RunCli(const QStringList& arguments, int timeoutMs = 60000,
                     const QString& locale = {}) {
  QProcess process;
  const bool chosen = arguments.contains(QStringLiteral("--lang")) || !locale.isEmpty();
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("XDG_DATA_HOME"), DataHome());
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), ConfigHome());
  if (!locale.isEmpty()) {
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"}) environment.remove(name);
    environment.insert(QStringLiteral("LANG"), locale);
  }
  process.setProcessEnvironment(environment);
  process.start(QStringLiteral(VANTREL_CLI_PATH),
                chosen ? arguments : QStringList{"--lang", "zh"} + arguments);
  CliRun run;
  if (!process.waitForFinished(timeoutMs)) {
    process.kill();
    process.waitForFinished();
    ADD_FAILURE() << "vantrel-cli did not finish";
    return run;
  }
  run.exitCode = process.exitCode();
  run.out = QString::fromUtf8(process.readAllStandardOutput());
  run.err = QString::fromUtf8(process.readAllStandardError());
  for (const QString& line : run.out.split('\n', Qt::SkipEmptyParts)) {
    const QJsonDocument doc = QJsonDocument::fromJson(line.toUtf8());
    if (doc.isObject()) run.outcomes.append(doc.object());
  }
  return run;
}

}  // namespace vantrel
