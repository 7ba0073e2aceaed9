#include "cli/CliCheck.h"

#include <QCoreApplication>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>

#include "cli/CliOperations.h"
#include "cli/CliRecords.h"
#include "config/JsonText.h"
#include "engine/Encoding.h"
#include "engine/NumberText.h"
#include "engine/UnitCodes.h"
#include "link/Translate.h"
#include "report/CheckJudge.h"
#include "vantrel/Version.h"

namespace vantrel {
namespace {

// The currents a loop check may drive: those the window's 其他 takes.
constexpr double kLowestPointMa = 3.5;
constexpr double kHighestPointMa = 23.0;

const char kPassText[] = VANTREL_TR_NOOP("core", "合格");
const char kFailText[] = VANTREL_TR_NOOP("core", "不合格");

std::vector<double> NumberList(const std::string& text, const std::string& flag) {
  std::vector<double> numbers;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    const std::string word = text.substr(start, comma - start);
    char* end = nullptr;
    const double value = std::strtod(word.c_str(), &end);
    if (word.empty() || end != word.c_str() + word.size() || !std::isfinite(value)) {
      throw UsageError{flag + " takes numbers separated by commas, not " + text};
    }
    numbers.push_back(value);
    start = comma + 1;
  }
  return numbers;
}

// "0.25" (from -0.25 to 0.25) or "LOW,HIGH" (-0.1,0.3), % of span.
void ParseTolerance(const std::string& text, CheckArgs& args) {
  const std::vector<double> limits = NumberList(text, "--tolerance");
  if (limits.size() == 1 && limits[0] > 0) {
    args.toleranceLower = -limits[0];
    args.toleranceUpper = limits[0];
  } else if (limits.size() == 2 && limits[0] < 0 && limits[1] > 0) {
    args.toleranceLower = limits[0];
    args.toleranceUpper = limits[1];
  } else {
    throw UsageError{"--tolerance takes a limit above 0, or LOW,HIGH around 0: " + text};
  }
}

void CheckPoints(const CheckArgs& args, const char* word) {
  const double low = args.loop ? kLowestPointMa : 0.0;
  const double high = args.loop ? kHighestPointMa : 100.0;
  for (const double point : args.points) {
    if (point < low || point > high) {
      throw UsageError{std::string(word) + ": " + FormatFixed(point, 3) + " is outside " +
                       FormatFixed(low, 1) + " to " + FormatFixed(high, 1) +
                       (args.loop ? " mA" : " % of the range")};
    }
  }
  if (args.readings.size() != args.points.size()) {
    throw UsageError{std::string(word) + " needs one reading for each point (--readings)"};
  }
  if (args.asLeft != !args.of.isEmpty()) {
    throw UsageError{std::string(word) + ": --as-left and --of UUID go together"};
  }
}

CheckPoint Judge(const CheckArgs& args, double nominal, double reference, double reading,
                 double span) {
  return JudgePoint({args.loop, args.toleranceLower, args.toleranceUpper}, nominal, reference,
                    reading, span);
}

// The operations of a check, one after another, and what came of them.
class CheckRun {
 public:
  CheckRun(CliSession& session, const CheckArgs& args) : session_(session), args_(args) {}

  void start(std::function<void()> done) {
    done_ = std::move(done);
    run({{OP_READ_DEVICE_INFO, nullptr}, {OP_READ_CONFIG, nullptr}}, [this] { nextPoint(); });
  }

  const std::optional<CliOutcome>& failure() const { return failure_; }
  const std::vector<CheckPoint>& points() const { return points_; }
  bool released() const { return released_; }
  bool fixedSent() const { return fixedSent_; }

 private:
  void run(std::vector<CliStep> steps, std::function<void()> then) {
    session_.run(
        std::move(steps),
        [this](const CliOutcome& outcome) {
          if (!failure_ && !outcome.skipped && !outcome.succeeded()) failure_ = outcome;
        },
        [this, then = std::move(then)] { failure_ ? finish() : then(); });
  }

  double span() const {
    const DeviceData& d = session_.data();
    return args_.loop ? kLoopSpanMa : double{d.upperRange} - d.lowerRange;
  }

  void nextPoint() {
    const std::size_t i = points_.size();
    if (i == args_.points.size()) {
      finish();
      return;
    }
    const double nominal = args_.points[i];
    if (!args_.loop) {
      run({{OP_READ_CURRENT, nullptr}}, [this, i] {
        points_.push_back(Judge(args_, args_.points[i], args_.readings[i],
                                ValueInRangeUnit(session_.data()), span()));
        nextPoint();
      });
      return;
    }
    fixedSent_ = true;
    const auto milliamps = static_cast<float>(nominal);
    run({{OP_FIXED_CURRENT, [milliamps](DeviceData& d) { d.calibrationPoint = milliamps; }}},
        [this, i] {
          QTimer::singleShot(args_.settleMs, [this, i] {
            points_.push_back(
                Judge(args_, args_.points[i], args_.readings[i], args_.readings[i], span()));
            nextPoint();
          });
        });
  }

  // A loop driven to a point is released whatever came before.
  void finish() {
    if (!args_.loop || !fixedSent_) {
      done_();
      return;
    }
    session_.run(
        {{OP_FIXED_CURRENT, [](DeviceData& d) { d.calibrationPoint = 0.0f; }}},
        [this](const CliOutcome& outcome) { released_ = outcome.succeeded(); },
        [this] { done_(); });
  }

  CliSession& session_;
  const CheckArgs& args_;
  std::function<void()> done_;
  std::optional<CliOutcome> failure_;
  std::vector<CheckPoint> points_;
  bool fixedSent_ = false;
  bool released_ = false;
};

CheckRecord MakeRecord(const CheckArgs& args, const DeviceData& d,
                       const std::vector<CheckPoint>& points) {
  const CheckLimits limits{args.loop, args.toleranceLower, args.toleranceUpper};
  CheckRecord r = NewCheckRecord(limits, args.asLeft, d, points);
  r.asFoundOf = args.of;
  r.corrects = args.corrects;
  r.referenceName = args.reference;
  r.referenceSerial = args.referenceSerial;
  r.referenceDue = args.referenceDue;
  r.technician = args.technician;
  r.notes = args.notes;
  return r;
}

std::string Number(double value) {
  return FormatExactFloat(static_cast<float>(value));
}

std::string JsonCheck(const CheckRecord& r, const char* result, bool released, bool loop) {
  const auto text = [](const QString& s) {
    return s.isEmpty() ? std::string("null") : JsonString(s.toStdString());
  };
  std::string out = "{\"operation\": \"" + r.kind.toStdString() + "\", \"stage\": \"" +
                    r.stage.toStdString() + "\", \"result\": \"" + result +
                    "\", \"tag\": " + text(r.tag) + ", \"longAddress\": " + text(r.longAddress) +
                    ", \"tolerance\": [" + Number(r.toleranceLower) + ", " +
                    Number(r.toleranceUpper) + "], \"points\": " + PointsJson(r) +
                    ", \"pass\": " + (r.pass ? "true" : "false") + ", \"record\": " + text(r.uuid) +
                    ", \"asFoundOf\": " + text(r.asFoundOf);
  if (loop) out += std::string(", \"released\": ") + (released ? "true" : "false");
  return out + "}\n";
}

std::string TextCheck(const CheckRecord& r, bool loop) {
  std::string out = r.kind.toStdString() + " " + r.stage.toStdString() + " " + r.tag.toStdString() +
                    " (" + r.longAddress.toStdString() + ")\n";
  const char* unit = loop ? " mA" : " %";
  for (const CheckPoint& p : r.points) {
    out += "  " + Number(p.nominal) + unit + "  reading " + Number(p.reading) + "  error " +
           Number(p.error) + "  " + Number(p.errorPercentOfSpan) + " % of span  " +
           Tr(p.pass ? kPassText : kFailText) + "\n";
  }
  out += Tr(r.pass ? kPassText : kFailText) + "\n";
  if (!r.uuid.isEmpty()) out += "record " + r.uuid.toStdString() + "\n";
  return out;
}

}  // namespace

CheckArgs ParseCheckArgs(bool loop, int i, int argc, char** argv) {
  const char* word = loop ? "loop-check" : "pressure-check";
  CheckArgs args;
  args.loop = loop;
  if (loop) args.points = {4, 8, 12, 16, 20};
  for (; i < argc; ++i) {
    const std::string flag = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) throw UsageError{flag + " needs a value"};
      return argv[++i];
    };
    auto text = [&] { return QString::fromLocal8Bit(value().c_str()); };
    if (flag == "--points") {
      args.points = NumberList(value(), flag);
    } else if (flag == "--readings") {
      args.readings = NumberList(value(), flag);
    } else if (flag == "--tolerance") {
      ParseTolerance(value(), args);
    } else if (flag == "--as-left") {
      args.asLeft = true;
    } else if (flag == "--of") {
      args.of = text();
    } else if (flag == "--corrects") {
      args.corrects = text();
    } else if (flag == "--technician") {
      args.technician = text();
    } else if (flag == "--reference") {
      args.reference = text();
    } else if (flag == "--reference-serial") {
      args.referenceSerial = text();
    } else if (flag == "--reference-due") {
      args.referenceDue = QDate::fromString(text(), Qt::ISODate);
      if (!args.referenceDue->isValid()) throw UsageError{"--reference-due takes YYYY-MM-DD"};
    } else if (flag == "--notes") {
      args.notes = text();
    } else if (flag == "--settle-ms") {
      args.settleMs = ArgReader({value()}, flag).integer("N", 0, 600000);
    } else {
      throw UsageError{std::string(word) + " does not take " + flag};
    }
  }
  if (!loop && args.points.empty()) throw UsageError{"pressure-check needs --points"};
  CheckPoints(args, word);
  return args;
}

namespace {

// The reference is typed once: a check given none has the one of the newest
// record that names one.
void KeepLastReference(const RecordStore& store, CheckRecord& record) {
  if (!record.referenceName.isEmpty() || !record.referenceSerial.isEmpty() || record.referenceDue) {
    return;
  }
  const std::vector<CheckRecord> checks = store.checks({});
  for (auto last = checks.rbegin(); last != checks.rend(); ++last) {
    if (last->referenceName.isEmpty() && last->referenceSerial.isEmpty()) continue;
    record.referenceName = last->referenceName;
    record.referenceSerial = last->referenceSerial;
    record.referenceDue = last->referenceDue;
    return;
  }
}

}  // namespace

int RunCheck(QCoreApplication& app, CliSession& session, const CheckArgs& args, bool json,
             RecordStore& store) {
  if (args.asLeft && !store.check(args.of)) {
    std::fprintf(stderr, "vantrel-cli: no record %s to follow\n", qPrintable(args.of));
    return 1;
  }
  CheckRun run(session, args);
  run.start([] { QCoreApplication::exit(0); });
  app.exec();
  if (args.loop && run.fixedSent() && !run.released()) {
    std::fprintf(stderr, "vantrel-cli: %s\n",
                 Tr(VANTREL_TR_NOOP("core", "回路电流可能仍处于固定状态，未能恢复")).c_str());
  }
  CheckRecord record = MakeRecord(args, session.data(), run.points());
  KeepLastReference(store, record);
  const char* kind = args.loop ? "loop-check" : "pressure-check";
  if (const std::optional<CliOutcome>& failed = run.failure()) {
    const bool noReply = failed->result == OperationResult::NoReply;
    if (json) {
      std::printf("{\"operation\": \"%s\", \"result\": \"%s\", \"reason\": %s, \"released\": %s}\n",
                  kind, noReply ? "no-reply" : "failure",
                  JsonString(failed->reason.empty() ? failed->status : failed->reason).c_str(),
                  run.released() || !run.fixedSent() ? "true" : "false");
    }
    std::fprintf(stderr, "vantrel-cli: %s: %s %s\n", kind, failed->status.c_str(),
                 failed->reason.c_str());
    return noReply ? 2 : 1;
  }
  QString error;
  if (!store.addCheck(record, &error)) {
    std::fprintf(stderr, "vantrel-cli: the record was not kept: %s\n", qPrintable(error));
    return 1;
  }
  // The instrument met, for the records' list of instruments.
  if (!record.longAddress.isEmpty()) {
    store.noteInstrument(record.longAddress, record.tag, record.time, &error);
  }
  const QString warning = store.takeTeamWarning();
  if (!warning.isEmpty()) std::fprintf(stderr, "vantrel-cli: %s\n", qPrintable(warning));
  std::fputs(
      (json ? JsonCheck(record, record.pass ? "success" : "failure", run.released(), args.loop)
            : TextCheck(record, args.loop))
          .c_str(),
      stdout);
  return record.pass ? 0 : 1;
}

}  // namespace vantrel
