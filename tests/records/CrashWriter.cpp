// The child of the crash test: writes check records into the store named on
// its command line, 3 to 10 points each with the count in the notes, and
// prints "written N" once addCheck has returned for the N-th, until it is
// killed (or has written kRecords).
#include <QCoreApplication>

#include <cstdio>

#include "records/RecordStore.h"

namespace {

constexpr int kRecords = 100000;

vantrel::CheckRecord Record(int n) {
  vantrel::CheckRecord record;
  record.kind = QStringLiteral("loop-check");
  record.stage = QStringLiteral("as-found");
  record.longAddress = QStringLiteral("0x5a 0x10 0x01 0x02 0x03");
  record.tag = QStringLiteral("PT-%1").arg(n);
  record.unit = QStringLiteral("mA");
  const int points = 3 + n % 8;
  record.notes = QString::number(points);
  for (int i = 0; i < points; ++i) {
    record.points.push_back({4.0 + i, 4.0 + i, 4.0 + i + n * 1e-6, n * 1e-6, i * 0.5, true});
  }
  return record;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: records_crash_writer STORE\n");
    return 64;
  }
  vantrel::RecordStore store;
  QString error;
  if (!store.open(QString::fromLocal8Bit(argv[1]), &error)) {
    std::fprintf(stderr, "%s\n", qPrintable(error));
    return 1;
  }
  for (int n = 1; n <= kRecords; ++n) {
    vantrel::CheckRecord record = Record(n);
    if (!store.addCheck(record, &error)) {
      std::fprintf(stderr, "%s\n", qPrintable(error));
      return 1;
    }
    std::printf("written %d\n", n);
    std::fflush(stdout);
  }
  return 0;
}
