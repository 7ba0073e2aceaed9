// Pre-shared keys for the secure HART-IP tests: the key the simulator is
// given and the key files the command line reads, each readable by its owner
// only unless a test wants otherwise.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <vector>

#include "link/PskKeyFile.h"
#include "sim/HartIpServer.h"

namespace vantrel::testing {

inline constexpr char kKeyIdentity[] = "vantrel-client";
inline constexpr char kKeyHex[] = "00112233445566778899aabbccddeeff";

// Writes `text` to `name` in a folder of the run's and sets its mode.
inline QString WriteKeyFile(const QString& name, const QByteArray& text,
                            QFile::Permissions mode = QFile::ReadOwner | QFile::WriteOwner) {
  static QTemporaryDir dir;
  const QString path = dir.filePath(name);
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return path;
  file.write(text);
  file.close();
  QFile::setPermissions(path, mode);
  return path;
}

// The file of the key the simulator knows.
inline QString TestKeyFile() {
  return WriteKeyFile(QStringLiteral("client.key"),
                      QByteArray("# the bench's key\n") + kKeyIdentity + ':' + kKeyHex + '\n');
}

// A server of version 2 only, with that key.
inline sim::HartIpServerOptions SecureServer() {
  const QByteArray key = QByteArray::fromHex(kKeyHex);
  sim::HartIpServerOptions options;
  options.psk = PskKey{kKeyIdentity, std::vector<std::uint8_t>(key.begin(), key.end())};
  return options;
}

}  // namespace vantrel::testing
