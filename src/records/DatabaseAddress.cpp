// The team database's address, read by hand: only the two forms the record
// store documents are taken, so that what reaches libpq is what was meant
// (no password, no options hidden in the query).
#include <QByteArray>
#include <QStringList>
#include <QUrl>

#include "records/RecordStore.h"

namespace vantrel {
namespace {

const QString kScheme = QStringLiteral("postgresql://");

bool IsHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// %XX to its byte, the bytes read as UTF-8; nullopt for a '%' not followed
// by two hex digits.
std::optional<QString> PercentDecoded(const QString& part) {
  const QByteArray bytes = part.toUtf8();
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '%') continue;
    if (i + 2 >= bytes.size() || !IsHex(bytes[i + 1]) || !IsHex(bytes[i + 2])) {
      return std::nullopt;
    }
  }
  return QString::fromUtf8(QByteArray::fromPercentEncoding(bytes));
}

QString Encoded(const QString& text) {
  return QString::fromLatin1(QUrl::toPercentEncoding(text));
}

// A host name or IPv4 address; inside brackets an IPv6 address.
bool HostCharactersValid(const QString& host, bool bracketed) {
  for (const QChar c : host) {
    const bool valid = bracketed ? (c.isDigit() || (c.toLower() >= u'a' && c.toLower() <= u'f') ||
                                    c == u':' || c == u'.')
                                 : (c.isLetterOrNumber() || c == u'.' || c == u'-' || c == u'_');
    if (!valid) return false;
  }
  return true;
}

bool Fail(QString* error, const QString& why) {
  if (error) *error = why;
  return false;
}

// HOST, HOST:PORT, [IPV6]:PORT or %2FSOCKETDIR[:PORT] into `address`.
bool ParseHostPort(const QString& text, DatabaseAddress& address, QString* error) {
  QString host = text;
  QString port;
  bool bracketed = false;
  if (text.startsWith(u'[')) {
    const qsizetype close = text.indexOf(u']');
    if (close < 0) return Fail(error, QStringLiteral("bad host: %1").arg(text));
    host = text.mid(1, close - 1);
    const QString rest = text.mid(close + 1);
    if (!rest.isEmpty() && !rest.startsWith(u':')) {
      return Fail(error, QStringLiteral("bad host: %1").arg(text));
    }
    if (!rest.isEmpty()) port = rest.mid(1);
    bracketed = true;
    if (!rest.isEmpty() && port.isEmpty()) return Fail(error, QStringLiteral("bad port: "));
  } else if (const qsizetype colon = text.indexOf(u':'); colon >= 0) {
    host = text.left(colon);
    port = text.mid(colon + 1);
    if (port.isEmpty()) return Fail(error, QStringLiteral("bad port: "));
  }
  if (host.isEmpty()) return Fail(error, QStringLiteral("no host"));
  if (!port.isEmpty()) {
    bool ok = false;
    const int number = port.toInt(&ok);
    const bool digits = port.size() <= 5 && port.front().isDigit();
    if (!ok || !digits || number < 1 || number > 65535) {
      return Fail(error, QStringLiteral("bad port: %1").arg(port));
    }
    address.port = number;
  }
  const std::optional<QString> decoded = PercentDecoded(host);
  if (!decoded) return Fail(error, QStringLiteral("bad %-encoding in the host: %1").arg(host));
  if (!bracketed && decoded->startsWith(u'/')) {
    address.socketDir = *decoded;
    return true;
  }
  if (!HostCharactersValid(bracketed ? host : *decoded, bracketed) || decoded->isEmpty())
    return Fail(error, QStringLiteral("bad host: %1").arg(host));
  address.host = *decoded;
  return true;
}

// USER@HOST[:PORT] into `address`.
bool ParseAuthority(const QString& text, DatabaseAddress& address, QString* error) {
  const qsizetype at = text.indexOf(u'@');
  if (at < 0) return Fail(error, QStringLiteral("no user name (postgresql://USER@HOST/DBNAME)"));
  const QString user = text.left(at);
  if (user.contains(u':')) {
    return Fail(error, QStringLiteral("no password in the address: libpq reads it from ~/.pgpass"));
  }
  const std::optional<QString> decoded = PercentDecoded(user);
  if (!decoded) return Fail(error, QStringLiteral("bad %-encoding in the user name: %1").arg(user));
  if (decoded->isEmpty()) {
    return Fail(error, QStringLiteral("no user name (postgresql://USER@HOST/DBNAME)"));
  }
  address.user = *decoded;
  return ParseHostPort(text.mid(at + 1), address, error);
}

// sslmode=MODE, the only parameter taken.
bool ParseQuery(const QString& query, DatabaseAddress& address, QString* error) {
  static const QStringList kModes = {QStringLiteral("disable"),   QStringLiteral("allow"),
                                     QStringLiteral("prefer"),    QStringLiteral("require"),
                                     QStringLiteral("verify-ca"), QStringLiteral("verify-full")};
  for (const QString& item : query.split(u'&')) {
    const qsizetype equals = item.indexOf(u'=');
    const QString key = equals < 0 ? item : item.left(equals);
    if (key != QLatin1String("sslmode")) {
      return Fail(error, QStringLiteral("unknown parameter: %1 (only sslmode)").arg(key));
    }
    const QString mode = equals < 0 ? QString() : item.mid(equals + 1);
    if (!kModes.contains(mode)) {
      return Fail(error, QStringLiteral("bad sslmode: %1 (%2)").arg(mode, kModes.join(u", ")));
    }
    address.sslMode = mode;
  }
  return true;
}

}  // namespace

QString DatabaseAddress::text() const {
  QString hostPart = Encoded(socketDir);
  if (socketDir.isEmpty()) {
    hostPart = host.contains(u':') ? u'[' + host + u']' : host;
  }
  QString out = kScheme + Encoded(user) + u'@' + hostPart;
  if (port != 5432) out += u':' + QString::number(port);
  out += u'/' + Encoded(database);
  if (!sslMode.isEmpty()) out += QStringLiteral("?sslmode=") + sslMode;
  return out;
}

std::optional<DatabaseAddress> ParseDatabaseAddress(const QString& text, QString* error) {
  if (!text.startsWith(kScheme)) {
    Fail(error, QStringLiteral("not a postgresql:// address"));
    return std::nullopt;
  }
  QString rest = text.mid(kScheme.size());
  DatabaseAddress address;
  if (const qsizetype question = rest.indexOf(u'?'); question >= 0) {
    if (!ParseQuery(rest.mid(question + 1), address, error)) return std::nullopt;
    rest.truncate(question);
  }
  const qsizetype slash = rest.indexOf(u'/');
  if (!ParseAuthority(slash < 0 ? rest : rest.left(slash), address, error)) return std::nullopt;
  const QString database = slash < 0 ? QString() : rest.mid(slash + 1);
  if (database.isEmpty()) {
    Fail(error, QStringLiteral("no database name (postgresql://USER@HOST/DBNAME)"));
    return std::nullopt;
  }
  const std::optional<QString> decoded = PercentDecoded(database);
  if (database.contains(u'/') || database.contains(u' ') || !decoded || decoded->isEmpty()) {
    Fail(error, QStringLiteral("bad database name: %1").arg(database));
    return std::nullopt;
  }
  address.database = *decoded;
  return address;
}

}  // namespace vantrel
