// The certificate of a check: the instrument, its range, the reference, the
// points as found and as left (nominal, reading, error, tolerance, pass or
// fail), the overall result, the record, date, technician and signature
// lines; as a PDF whose text can be taken out of it again, and the same
// points as CSV. In the program's language.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

#include "records/RecordStore.h"

namespace vantrel {

// The records a certificate shows: the one asked for and the other stage of
// the same check (the as-found record an as-left one names, or the newest
// as-left record naming an as-found one).
struct CertificateRecords {
  std::optional<CheckRecord> asFound;
  std::optional<CheckRecord> asLeft;
};

CertificateRecords CertificateRecordsOf(const RecordStore& store, const CheckRecord& record);

// The certificate as HTML, the text the PDF is laid out from.
QString CertificateHtml(const CertificateRecords& records);

// Writes the PDF (A4). Needs a QGuiApplication (the offscreen platform will
// do). False with why in `error`.
bool WriteCertificatePdf(const QString& path, const CertificateRecords& records, QString* error);

// Every point of both stages, a line each, with a header line; UTF-8.
QByteArray CertificateCsv(const CertificateRecords& records);

}  // namespace vantrel
