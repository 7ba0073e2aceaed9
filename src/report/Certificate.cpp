#include "report/Certificate.h"

#include <QCoreApplication>
#include <QFile>
#include <QFont>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

#include <algorithm>

namespace vantrel {
namespace {

QString Tr(const char* text) {
  return QCoreApplication::translate("vantrel::Certificate", text);
}

QString Number(double value, int decimals) {
  return QString::number(value, 'f', decimals);
}

QString Verdict(bool pass) {
  return pass ? Tr(QT_TRANSLATE_NOOP("vantrel::Certificate", "合格"))
              : Tr(QT_TRANSLATE_NOOP("vantrel::Certificate", "不合格"));
}

QString StageName(const QString& stage) {
  return stage == QLatin1String("as-left")
             ? Tr(QT_TRANSLATE_NOOP("vantrel::Certificate", "校后（as left）"))
             : Tr(QT_TRANSLATE_NOOP("vantrel::Certificate", "校前（as found）"));
}

// The unit of a point's nominal value and of its reading.
QString NominalUnit(const CheckRecord& r) {
  return r.kind == QLatin1String("loop-check") ? QStringLiteral("mA") : QStringLiteral("%");
}

QString ReadingUnit(const CheckRecord& r) {
  return r.kind == QLatin1String("loop-check") ? QStringLiteral("mA") : r.unit;
}

QString Row(const QStringList& cells, const char* tag = "td") {
  QString row = QStringLiteral("<tr>");
  for (const QString& cell : cells) {
    row += QStringLiteral("<%1>%2</%1>").arg(QLatin1String(tag), cell.toHtmlEscaped());
  }
  return row + QStringLiteral("</tr>");
}

QString PointsTable(const CheckRecord& r) {
  QString html = QStringLiteral("<h3>%1 — %2</h3>").arg(StageName(r.stage), Verdict(r.pass));
  html += QStringLiteral("<table border='1' cellspacing='0' cellpadding='3'>");
  html +=
      Row({Tr(QT_TRANSLATE_NOOP("vantrel::Certificate", "标称值")) + " (" + NominalUnit(r) + ")",
           Tr(QT_TRANSLATE_NOOP("vantrel::Certificate", "读数")) + " (" + ReadingUnit(r) + ")",
           Tr(QT_TRANSLATE_NOOP("vantrel::Certificate", "误差")) + " (" + ReadingUnit(r) + ")",
           Tr(QT_TRANSLATE_NOOP("vantrel::Certificate", "误差（量程%）")),
           Tr(QT_TRANSLATE_NOOP("vantrel::Certificate", "允差（量程%）")),
           Tr(QT_TRANSLATE_NOOP("vantrel::Certificate", "结论"))},
          "th");
  const QString tolerance = Number(r.toleranceLower, 3) + " … " + Number(r.toleranceUpper, 3);
  for (const CheckPoint& p : r.points) {
    html += Row({Number(p.nominal, 3), Number(p.reading, 4), Number(p.error, 4),
                 Number(p.errorPercentOfSpan, 3), tolerance, Verdict(p.pass)});
  }
  // The record's UUID on a line of its own: never broken at its hyphens.
  html += QStringLiteral("</table><p>%1 %2</p><p>%3 %4 &nbsp; %5 %6</p>")
              .arg(Tr(QT_TRANSLATE_NOOP("vantrel::Certificate", "记录")), r.uuid.toHtmlEscaped(),
                   Tr(QT_TRANSLATE_NOOP("vantrel::Certificate", "日期")),
                   r.time.toString(Qt::ISODate).toHtmlEscaped(),
                   Tr(QT_TRANSLATE_NOOP("vantrel::Certificate", "校验人")),
                   r.technician.toHtmlEscaped());
  return html;
}

QString Field(const char* name, const QString& value) {
  return Row({Tr(name), value});
}

QString Header(const CheckRecord& r) {
  QString html = QStringLiteral("<h2>%1</h2><table cellpadding='2'>")
                     .arg(r.kind == QLatin1String("loop-check")
                              ? Tr(QT_TRANSLATE_NOOP("vantrel::Certificate", "回路电流校验证书"))
                              : Tr(QT_TRANSLATE_NOOP("vantrel::Certificate", "输入校验证书")));
  html += Field(QT_TRANSLATE_NOOP("vantrel::Certificate", "标签"), r.tag);
  html += Field(QT_TRANSLATE_NOOP("vantrel::Certificate", "长地址"), r.longAddress);
  html += Field(QT_TRANSLATE_NOOP("vantrel::Certificate", "量程"),
                Number(r.rangeLower, 3) + " … " + Number(r.rangeUpper, 3) + " " + r.unit);
  html += Field(QT_TRANSLATE_NOOP("vantrel::Certificate", "标准器"),
                r.referenceName +
                    (r.referenceSerial.isEmpty() ? QString() : " / " + r.referenceSerial) +
                    (r.referenceDue ? " / " + r.referenceDue->toString(Qt::ISODate) : QString()));
  html += Field(QT_TRANSLATE_NOOP("vantrel::Certificate", "程序"), "Vantrel " + r.programVersion);
  if (!r.notes.isEmpty()) html += Field(QT_TRANSLATE_NOOP("vantrel::Certificate", "备注"), r.notes);
  return html + QStringLiteral("</table>");
}

}  // namespace

CertificateRecords CertificateRecordsOf(const RecordStore& store, const CheckRecord& record) {
  CertificateRecords records;
  if (record.stage == QLatin1String("as-left")) {
    records.asLeft = record;
    if (!record.asFoundOf.isEmpty()) records.asFound = store.check(record.asFoundOf);
    return records;
  }
  records.asFound = record;
  for (const CheckRecord& other : store.checks({})) {
    if (other.asFoundOf != record.uuid) continue;
    if (!records.asLeft || records.asLeft->time < other.time) records.asLeft = other;
  }
  return records;
}

QString CertificateHtml(const CertificateRecords& records) {
  const CheckRecord& main = records.asLeft ? *records.asLeft : *records.asFound;
  QString html = QStringLiteral("<html><body>") + Header(main);
  for (const std::optional<CheckRecord>* stage : {&records.asFound, &records.asLeft}) {
    if (*stage) html += PointsTable(**stage);
  }
  html += QStringLiteral("<h3>%1 %2</h3>")
              .arg(Tr(QT_TRANSLATE_NOOP("vantrel::Certificate", "总结论：")), Verdict(main.pass));
  html += QStringLiteral("<p><br/>%1 ____________________ &nbsp;&nbsp; %2 ____________________</p>")
              .arg(Tr(QT_TRANSLATE_NOOP("vantrel::Certificate", "校验人签字：")),
                   Tr(QT_TRANSLATE_NOOP("vantrel::Certificate", "审核人签字：")));
  return html + QStringLiteral("</body></html>");
}

bool WriteCertificatePdf(const QString& path, const CertificateRecords& records, QString* error) {
  if (!records.asFound && !records.asLeft) {
    if (error) *error = QStringLiteral("no record");
    return false;
  }
  // The writer says nothing of a file it cannot make: try it first.
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    if (error) *error = file.errorString();
    return false;
  }
  file.close();
  QPdfWriter pdf(path);
  pdf.setPageSize(QPageSize(QPageSize::A4));
  pdf.setResolution(300);
  pdf.setTitle(QStringLiteral("Vantrel certificate"));
  QTextDocument document;
  // Latin letters and digits from DejaVu Sans (their text comes out of the
  // PDF again), Chinese from the CJK font. No shaping: a ligature would turn
  // the "ff" of a name or a UUID into one glyph that copies as another letter.
  QFont font;
  font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans CJK SC")});
  font.setStyleStrategy(QFont::PreferNoShaping);
  font.setPointSizeF(11);
  document.setDefaultFont(font);
  document.setHtml(CertificateHtml(records));
  document.print(&pdf);
  return true;
}

QByteArray CertificateCsv(const CertificateRecords& records) {
  QByteArray csv =
      "record,stage,kind,tag,nominal,reference,reading,error,errorPercentOfSpan,"
      "toleranceLower,toleranceUpper,pass\n";
  for (const std::optional<CheckRecord>* stage : {&records.asFound, &records.asLeft}) {
    if (!*stage) continue;
    const CheckRecord& r = **stage;
    for (const CheckPoint& p : r.points) {
      const QStringList cells = {r.uuid,
                                 r.stage,
                                 r.kind,
                                 QStringLiteral("\"") + QString(r.tag).replace('"', "\"\"") + '"',
                                 QString::number(p.nominal),
                                 QString::number(p.reference),
                                 QString::number(p.reading),
                                 QString::number(p.error),
                                 QString::number(p.errorPercentOfSpan),
                                 QString::number(r.toleranceLower),
                                 QString::number(r.toleranceUpper),
                                 p.pass ? QStringLiteral("pass") : QStringLiteral("fail")};
      csv += cells.join(',').toUtf8() + '\n';
    }
  }
  return csv;
}

}  // namespace vantrel
