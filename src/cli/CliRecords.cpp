#include "cli/CliRecords.h"

#include <QSaveFile>

#include <cstdio>

#include "cli/CliOperations.h"
#include "config/JsonText.h"
#include "engine/NumberText.h"
#include "report/Certificate.h"

namespace vantrel {
namespace {

// A store that is no record store, or of a newer program.
constexpr int kExitBadStore = 65;
constexpr int kExitCannotWrite = 73;

std::string Text(const QString& text) {
  return text.isEmpty() ? std::string("null") : JsonString(text.toStdString());
}

std::string Number(double value) {
  return FormatExactFloat(static_cast<float>(value));
}

}  // namespace

std::string PointsJson(const CheckRecord& r) {
  std::string points;
  for (const CheckPoint& p : r.points) {
    points += std::string(points.empty() ? "" : ", ") + "{\"nominal\": " + Number(p.nominal) +
              ", \"reference\": " + Number(p.reference) + ", \"reading\": " + Number(p.reading) +
              ", \"error\": " + Number(p.error) +
              ", \"errorPercentOfSpan\": " + Number(p.errorPercentOfSpan) +
              ", \"pass\": " + (p.pass ? "true" : "false") + "}";
  }
  return "[" + points + "]";
}

RecordsArgs ParseRecordsArgs(int i, int argc, char** argv) {
  if (i >= argc) throw UsageError{"records needs list, show UUID or push"};
  RecordsArgs args;
  args.what = argv[i++];
  if (args.what == "show") {
    if (i + 1 != argc) throw UsageError{"records show needs one UUID"};
    args.uuid = QString::fromLatin1(argv[i]);
    return args;
  }
  if (args.what == "push") {
    if (i != argc) throw UsageError{"records push takes nothing more"};
    return args;
  }
  if (args.what != "list") throw UsageError{"records needs list, show UUID or push"};
  for (; i < argc; ++i) {
    const std::string flag = argv[i];
    if (flag == "--tag" && i + 1 < argc) {
      args.filter.tag = QString::fromLocal8Bit(argv[++i]);
    } else if (flag == "--since" && i + 1 < argc) {
      args.filter.since = QDate::fromString(QString::fromLatin1(argv[++i]), Qt::ISODate);
      if (!args.filter.since->isValid()) throw UsageError{"--since takes a date YYYY-MM-DD"};
    } else {
      throw UsageError{"records list takes --tag T and --since YYYY-MM-DD, not " + flag};
    }
  }
  return args;
}

RecordsArgs ParseCertificateArgs(int i, int argc, char** argv) {
  RecordsArgs args;
  args.what = "certificate";
  if (i >= argc) throw UsageError{"certificate needs a UUID"};
  args.uuid = QString::fromLatin1(argv[i++]);
  for (; i < argc; ++i) {
    const std::string flag = argv[i];
    if ((flag == "--pdf" || flag == "--csv") && i + 1 < argc) {
      (flag == "--pdf" ? args.pdf : args.csv) = QString::fromLocal8Bit(argv[++i]);
    } else {
      throw UsageError{"certificate takes --pdf FILE and --csv FILE, not " + flag};
    }
  }
  if (args.pdf.isEmpty()) throw UsageError{"certificate needs --pdf FILE"};
  return args;
}

// The certificate of a record: the PDF, and the points as CSV where asked.
int WriteCertificate(const RecordStore& store, const RecordsArgs& args, bool json) {
  const std::optional<CheckRecord> record = store.check(args.uuid);
  if (!record) {
    std::fprintf(stderr, "vantrel-cli: no record %s\n", qPrintable(args.uuid));
    return 1;
  }
  const CertificateRecords records = CertificateRecordsOf(store, *record);
  QString error;
  if (!WriteCertificatePdf(args.pdf, records, &error)) {
    std::fprintf(stderr, "vantrel-cli: %s: %s\n", qPrintable(args.pdf), qPrintable(error));
    return kExitCannotWrite;
  }
  if (!args.csv.isEmpty()) {
    QSaveFile csv(args.csv);
    const QByteArray text = CertificateCsv(records);
    if (!csv.open(QIODevice::WriteOnly) || csv.write(text) != text.size() || !csv.commit()) {
      std::fprintf(stderr, "vantrel-cli: %s: %s\n", qPrintable(args.csv),
                   qPrintable(csv.errorString()));
      return kExitCannotWrite;
    }
  }
  if (json) {
    std::printf("{\"result\": \"success\", \"record\": %s, \"pdf\": %s}\n", Text(args.uuid).c_str(),
                Text(args.pdf).c_str());
  }
  return 0;
}

int OpenRecords(RecordStore& store, const std::optional<DatabaseAddress>& team) {
  QString error;
  const QString path = RecordStore::defaultPath();
  if (!store.open(path, &error)) {
    std::fprintf(stderr, "vantrel-cli: %s: %s\n", qPrintable(path), qPrintable(error));
    return kExitBadStore;
  }
  if (team) store.setTeam(*team);
  return 0;
}

std::string CheckJson(const CheckRecord& r) {
  return "{\"record\": " + Text(r.uuid) + ", \"operation\": " + Text(r.kind) +
         ", \"stage\": " + Text(r.stage) + ", \"asFoundOf\": " + Text(r.asFoundOf) +
         ", \"corrects\": " + Text(r.corrects) +
         ", \"time\": " + Text(r.time.toString(Qt::ISODateWithMs)) +
         ", \"longAddress\": " + Text(r.longAddress) + ", \"tag\": " + Text(r.tag) +
         ", \"range\": {\"lower\": " + Number(r.rangeLower) +
         ", \"upper\": " + Number(r.rangeUpper) + ", \"unit\": " + Text(r.unit) +
         "}, \"reference\": {\"name\": " + Text(r.referenceName) +
         ", \"serial\": " + Text(r.referenceSerial) +
         ", \"due\": " + Text(r.referenceDue ? r.referenceDue->toString(Qt::ISODate) : QString()) +
         "}, \"technician\": " + Text(r.technician) + ", \"notes\": " + Text(r.notes) +
         ", \"tolerance\": [" + Number(r.toleranceLower) + ", " + Number(r.toleranceUpper) +
         "], \"points\": " + PointsJson(r) + ", \"pass\": " + (r.pass ? "true" : "false") +
         ", \"programVersion\": " + Text(r.programVersion) + "}";
}

int RunRecords(const RecordsArgs& args, const std::optional<DatabaseAddress>& team, bool json) {
  RecordStore store;
  if (const int status = OpenRecords(store, team)) return status;
  if (args.what == "certificate") return WriteCertificate(store, args, json);
  if (args.what == "push") {
    QString error;
    const int pushed = team ? store.push(&error) : -1;
    if (pushed < 0) {
      std::fprintf(stderr, "vantrel-cli: records push: %s\n",
                   team ? qPrintable(error) : "no --database given");
      return 1;
    }
    std::printf(json ? "{\"result\": \"success\", \"pushed\": %d}\n" : "%d pushed\n", pushed);
    return 0;
  }
  if (args.what == "show") {
    const std::optional<CheckRecord> record = store.check(args.uuid);
    if (!record) {
      std::fprintf(stderr, "vantrel-cli: no record %s\n", qPrintable(args.uuid));
      return 1;
    }
    std::printf("%s\n", CheckJson(*record).c_str());
    return 0;
  }
  for (const CheckRecord& r : store.checks(args.filter)) {
    if (json) {
      std::printf("%s\n", CheckJson(r).c_str());
    } else {
      std::printf("%s  %s  %s %s  %s  %s\n", qPrintable(r.uuid),
                  qPrintable(r.time.toString(Qt::ISODate)), qPrintable(r.kind), qPrintable(r.stage),
                  qPrintable(r.tag), r.pass ? "PASS" : "FAIL");
    }
  }
  return 0;
}

}  // namespace vantrel
