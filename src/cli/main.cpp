// vantrel-cli: runs the program's operations from the command line, for
// scripts and bench checks. The same engine as the window, no window.
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "cli/CliCheck.h"
#include "cli/CliConfigFile.h"
#include "cli/CliConfigLoad.h"
#include "cli/CliLists.h"
#include "cli/CliOperations.h"
#include "cli/CliOutput.h"
#include "cli/CliRecords.h"
#include "cli/CliSession.h"
#include "cli/CliWatch.h"
#include "config/Configuration.h"
#include "config/KnownModels.h"
#include "i18n/Language.h"
#include "link/LinkTexts.h"
#include "records/StoreJournal.h"
#include "vantrel/Version.h"

namespace {

using namespace vantrel;

constexpr int kExitFailure = 1;
constexpr int kExitNoReply = 2;
constexpr int kExitUsage = 64;
constexpr int kExitBadFile = 65;
constexpr int kExitNoFile = 66;
constexpr int kExitCannotCreate = 73;
constexpr int kExitNoPort = 69;

const char kUsage[] =
    "Usage: vantrel-cli --port PATH [--rts] | --hart-ip HOST[:PORT] [--udp]\n"
    "                   [--psk-file FILE] [--hart-ip-version 1|2]\n"
    "                   [--address N] [--timeout-ms N] [--retries N]\n"
    "                   [--json] [--trace] [--lang zh|en] [--trust-model]\n"
    "                   OPERATION [ARGS]\n"
    "                   [then [--address N] OPERATION [ARGS] ...]\n"
    "       vantrel-cli [--json] [--lang zh|en] list units [--all]|gains|sensors|ports|models\n"
    "       vantrel-cli forget-model MANUFACTURER:TYPE\n"
    "       vantrel-cli [--journal FILE] journal [--csv] [--since YYYY-MM-DD]\n"
    "       vantrel-cli [--database URL] [--json] records list [--tag T] [--since DATE]\n"
    "                   | records show UUID | records push\n"
    "       vantrel-cli certificate UUID --pdf FILE [--csv FILE]\n"
    "       vantrel-cli -h|--help | --version\n"
    "\n"
    "  --port PATH      the modem's serial port\n"
    "  --rts            key the modem's transmitter with RTS (RS-232 modems); DTR is\n"
    "                   held on while the port is open\n"
    "  --hart-ip HOST[:PORT]  a HART-IP instrument or single-loop bridge instead of a\n"
    "                   modem (port 5094 unless given; [::1]:5094 for IPv6)\n"
    "  --udp            HART-IP over UDP instead of TCP\n"
    "  --psk-file FILE  a secure HART-IP session (version 2: TLS 1.2 over TCP, DTLS\n"
    "                   1.2 over UDP) with the pre-shared key in FILE, one line\n"
    "                   IDENTITY:HEXKEY; only its owner may read the file\n"
    "  --hart-ip-version 1|2  2 needs --psk-file; default 2 with --psk-file, else 1\n"
    "  --address N      the instrument's polling address (default 0); after 'then' it\n"
    "                   holds from that operation on\n"
    "  --timeout-ms N   wait N ms for a reply to begin after each request has left\n"
    "                   the line (default 400, over HART-IP 3000; the program's own\n"
    "                   pauses do not count)\n"
    "  --retries N      try each request N more times after a failed try (default 3)\n"
    "  --json           one JSON object per line (docs/CLI.md)\n"
    "  --trace          each frame on the line, decoded, on standard error\n"
    "  --journal FILE   keep the change journal, where every write, fixed current\n"
    "                   and calibration is recorded, in FILE (JSON Lines) instead\n"
    "                   of the record store ~/.local/share/vantrel/records.sqlite\n"
    "  --no-journal     record nothing\n"
    "  --trust-model    send this instrument family's own commands (112-120,\n"
    "                   130-135) to a model that is not known, and know it from then\n"
    "                   on; without, such an operation sends command 0 only and\n"
    "                   ends refused, naming the model ('list models' lists the\n"
    "                   known ones, 'forget-model 0x66:0xe4' removes one)\n"
    "  --database URL   also keep every record in a team's PostgreSQL database:\n"
    "                   postgresql://USER@HOST[:PORT]/DBNAME or\n"
    "                   postgresql://USER@%%2FSOCKETDIR/DBNAME, ?sslmode=MODE allowed;\n"
    "                   the password from ~/.pgpass or PGPASSFILE (docs/RECORDS.md)\n"
    "  --lang zh|en     the language of the instrument's texts: status, reasons,\n"
    "                   the decoded frames (default: English where the locale's\n"
    "                   language is English, Chinese otherwise)\n"
    "\n"
    "Operations:\n"
    "%s"
    "  save-config FILE   (alone: reads the configuration and saves it, docs/CONFIG.md)\n"
    "  load-config FILE [--dry-run] [--yes] [--allow-other-device] [--with-address]\n"
    "                     (alone: compares the instrument with FILE and writes what\n"
    "                     differs; without a terminal it needs --yes)\n"
    "  loop-check [--points 4,8,12,16,20] --readings R1,R2,... [--tolerance T|LOW,HIGH]\n"
    "             [--as-left --of UUID] [--technician NAME] [--reference TEXT]\n"
    "             [--reference-serial S] [--reference-due DATE] [--notes TEXT]\n"
    "             [--settle-ms N] [--corrects UUID]\n"
    "                     (alone: drives the loop to each point in mA, takes the\n"
    "                     reference meter's reading given for it, releases the loop;\n"
    "                     tolerance in %% of the 16 mA span, default 0.25)\n"
    "  pressure-check --points P1,P2,... --readings R1,R2,... [the same options]\n"
    "                     (alone: points in %% of the range, readings the reference\n"
    "                     values applied there; reads the instrument once per point)\n"
    "  watch [--interval-ms N] [--count N] [--csv]\n"
    "                     (alone: command 3 every N ms, default 1000, 0 as fast as the\n"
    "                     line allows; a line per sample until --count or Ctrl-C)\n"
    "\n"
    "UNIT, TYPE and GAIN are an index or a name of 'list units', 'list sensors' and\n"
    "'list gains': kPa, degC, Pt100, x4 ... UNIT may also be any name of\n"
    "'list units --all' (the whole HART unit table: kg/h, m3/h, mA ...) or code:N.\n"
    "\n"
    "Operations joined with 'then' run in order and share the device data, as in\n"
    "the window; the first that does not succeed ends the chain, and the ones\n"
    "after it are reported skipped. After 'search' the operations address the\n"
    "device the window's list would select. Exit status, of the first operation\n"
    "that did not succeed: 0 all succeeded, 1 it failed or was refused, 2 no\n"
    "reply came; 64 usage error, 65 the file of load-config is no valid\n"
    "configuration, 66 it cannot be read, 69 the port cannot be opened or the\n"
    "HART-IP server cannot be reached, refuses the session or its secure\n"
    "handshake fails, 73 the file of save-config cannot be written.\n";

struct Options {
  enum class Show { Nothing, Help, Version };
  Show show = Show::Nothing;
  QString port;
  std::optional<HartIpEndpoint> hartIp;  // --hart-ip instead of --port
  bool udp = false;
  std::optional<QString> pskFile;    // --psk-file: a secure session
  std::optional<int> hartIpVersion;  // --hart-ip-version
  CliSession::Options session;
  bool json = false;
  std::optional<UiLanguage> language;     // --lang; the locale's without it
  std::optional<std::string> list;        // `list WHAT` instead of operations
  std::optional<InstrumentModel> forget;  // `forget-model M:T` instead of operations
  std::optional<std::string> saveFile;    // `save-config FILE` instead of operations
  std::optional<LoadOptions> load;        // `load-config FILE ...` instead of operations
  bool yes = false;                       // load without asking
  std::optional<QString> journal;         // --journal FILE; the default without it
  bool noJournal = false;
  // `journal [--csv] [--since DATE]` instead of operations
  bool showJournal = false;
  bool csv = false;
  std::optional<QDate> since;
  std::optional<CheckArgs> check;           // loop-check / pressure-check, alone
  std::optional<WatchArgs> watch;           // watch, alone
  std::optional<RecordsArgs> records;       // `records ...` instead of operations
  std::optional<DatabaseAddress> database;  // --database
  std::vector<CliStep> steps;
};

std::uint8_t PollAddress(const std::string& word) {
  return static_cast<std::uint8_t>(ArgReader({word}, "--address").integer("N", 0, 63));
}

// --hart-ip, --udp, --psk-file, --hart-ip-version; false for another option.
template <typename Value>
bool ParseHartIpOption(const std::string& arg, Value& value, Options& options) {
  if (arg == "--hart-ip") {
    const std::string text = value("--hart-ip");
    options.hartIp = ParseHartIpEndpoint(QString::fromLocal8Bit(text.c_str()));
    if (!options.hartIp) throw UsageError{"--hart-ip is not HOST[:PORT]: " + text};
  } else if (arg == "--udp") {
    options.udp = true;
  } else if (arg == "--psk-file") {
    options.pskFile = QString::fromLocal8Bit(value("--psk-file").c_str());
  } else if (arg == "--hart-ip-version") {
    const std::string version = value("--hart-ip-version");
    if (version != "1" && version != "2") throw UsageError{"--hart-ip-version takes 1 or 2"};
    options.hartIpVersion = version == "1" ? 1 : 2;
  } else {
    return false;
  }
  return true;
}

// The options before the first operation. Returns the index of the first
// word that is not one.
int ParseGlobalOptions(int argc, char** argv, Options& options) {
  int i = 1;
  for (; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-h" || arg == "--help") {
      options.show = Options::Show::Help;
      return argc;
    }
    if (arg == "--version") {
      options.show = Options::Show::Version;
      return argc;
    }
    if (arg.rfind("--", 0) != 0) break;
    auto value = [&](const char* name) -> std::string {
      if (i + 1 >= argc) throw UsageError{std::string(name) + " needs a value"};
      return argv[++i];
    };
    if (arg == "--port") {
      options.port = QString::fromLocal8Bit(value("--port").c_str());
    } else if (ParseHartIpOption(arg, value, options)) {
      continue;
    } else if (arg == "--address") {
      options.session.pollAddress = PollAddress(value("--address"));
    } else if (arg == "--timeout-ms") {
      ArgReader reader({value("--timeout-ms")}, "--timeout-ms");
      options.session.timing.replyTimeoutMs = reader.integer("N", 1, 600000);
      options.session.replyTimeoutGiven = true;
    } else if (arg == "--retries") {
      ArgReader reader({value("--retries")}, "--retries");
      options.session.timing.retries = reader.integer("N", 0, 100);
    } else if (arg == "--rts") {
      options.session.rtsKeying = true;
    } else if (arg == "--json") {
      options.json = true;
    } else if (arg == "--trace") {
      options.session.trace = true;
    } else if (arg == "--journal") {
      options.journal = QString::fromLocal8Bit(value("--journal").c_str());
    } else if (arg == "--no-journal") {
      options.noJournal = true;
    } else if (arg == "--database") {
      QString why;
      options.database =
          ParseDatabaseAddress(QString::fromLocal8Bit(value("--database").c_str()), &why);
      if (!options.database) throw UsageError{"--database: " + why.toStdString()};
    } else if (arg == "--trust-model") {
      options.session.trustModels = true;
    } else if (arg == "--lang") {
      options.language = LanguageNamed(QString::fromLocal8Bit(value("--lang").c_str()));
      if (!options.language) throw UsageError{"--lang takes zh or en"};
    } else {
      throw UsageError{"unknown option " + arg};
    }
  }
  return i;
}

// load-config FILE [--dry-run] [--yes] [--allow-other-device] [--with-address]
// from argv[i], the file.
void ParseLoad(int i, int argc, char** argv, Options& options) {
  if (i >= argc) throw UsageError{"load-config needs a FILE"};
  LoadOptions load;
  load.file = argv[i++];
  for (; i < argc; ++i) {
    const std::string flag = argv[i];
    if (flag == "--dry-run") {
      load.dryRun = true;
    } else if (flag == "--yes") {
      options.yes = true;
    } else if (flag == "--allow-other-device") {
      load.allowOtherDevice = true;
    } else if (flag == "--with-address") {
      load.withAddress = true;
    } else {
      throw UsageError{"load-config does not take " + flag};
    }
  }
  options.load = std::move(load);
}

// OPERATION [ARGS] [then [--address N] OPERATION [ARGS] ...] from argv[i].
void ParseOperations(int i, int argc, char** argv, Options& options) {
  std::optional<std::uint8_t> address;
  while (i < argc) {
    if (std::string(argv[i]) == "--address") {
      if (options.steps.empty()) throw UsageError{"--address goes before the first operation"};
      if (i + 1 >= argc) throw UsageError{"--address needs a value"};
      address = PollAddress(argv[i + 1]);
      i += 2;
      if (i >= argc) throw UsageError{"--address must be followed by an operation"};
    }
    const std::string word = argv[i++];
    if (word == "watch") {
      if (!options.steps.empty()) throw UsageError{"watch runs alone, without 'then'"};
      options.watch = ParseWatchArgs(i, argc, argv);
      return;
    }
    if (word == "loop-check" || word == "pressure-check") {
      if (!options.steps.empty()) throw UsageError{word + " runs alone, without 'then'"};
      options.check = ParseCheckArgs(word == "loop-check", i, argc, argv);
      options.session.pollAddress = address.value_or(options.session.pollAddress);
      return;
    }
    if (word == "load-config") {
      if (!options.steps.empty()) throw UsageError{"load-config FILE runs alone, without 'then'"};
      ParseLoad(i, argc, argv, options);
      options.session.pollAddress = address.value_or(options.session.pollAddress);
      return;
    }
    if (word == "save-config") {
      if (!options.steps.empty() || i + 1 != argc) {
        throw UsageError{"save-config FILE runs alone, without 'then'"};
      }
      options.saveFile = argv[i];
      options.steps = SaveConfigSteps();
      options.steps.front().address = address;
      return;
    }
    const std::optional<OperationCode> op = OperationFromWord(word);
    if (!op) throw UsageError{"unknown operation " + word};
    std::vector<std::string> words;
    while (i < argc && std::string(argv[i]) != "then") words.emplace_back(argv[i++]);
    if (i < argc) {
      ++i;  // "then"
      if (i >= argc) throw UsageError{"'then' must be followed by an operation"};
    }
    CliStep step = MakeStep(*op, ArgReader(std::move(words), word));
    step.address = address;
    address.reset();
    options.steps.push_back(std::move(step));
  }
}

// journal [--csv] [--since YYYY-MM-DD] from argv[i], the first option.
void ParseJournal(int i, int argc, char** argv, Options& options) {
  options.showJournal = true;
  for (; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--csv") {
      options.csv = true;
    } else if (arg == "--since" && i + 1 < argc) {
      options.since = QDate::fromString(QString::fromLatin1(argv[++i]), Qt::ISODate);
      if (!options.since->isValid()) throw UsageError{"--since takes a date YYYY-MM-DD"};
    } else {
      throw UsageError{"journal takes --csv and --since YYYY-MM-DD, not " + arg};
    }
  }
}

// Version 2 is a secure session and needs its key; a key asks for version 2.
void CheckHartIpVersion(const Options& options) {
  const int version = options.hartIpVersion.value_or(options.pskFile ? 2 : 1);
  if (version == 2 && !options.pskFile) throw UsageError{"--hart-ip-version 2 needs --psk-file"};
  if (version == 1 && options.pskFile) {
    throw UsageError{"--psk-file is for HART-IP version 2, not --hart-ip-version 1"};
  }
}

Options ParseArguments(int argc, char** argv) {
  Options options;
  options.session.replyTimeoutGiven = false;  // the port's own until --timeout-ms
  const int i = ParseGlobalOptions(argc, argv, options);
  if (options.show != Options::Show::Nothing) return options;
  if (i < argc && std::string(argv[i]) == "journal") {
    ParseJournal(i + 1, argc, argv, options);
    return options;
  }
  if (i < argc && std::string(argv[i]) == "certificate") {
    options.records = ParseCertificateArgs(i + 1, argc, argv);
    return options;
  }
  if (i < argc && std::string(argv[i]) == "records") {
    options.records = ParseRecordsArgs(i + 1, argc, argv);
    return options;
  }
  if (i < argc && std::string(argv[i]) == "forget-model") {
    if (i + 2 != argc) throw UsageError{"forget-model needs one MANUFACTURER:TYPE"};
    options.forget = ParseModelWord(argv[i + 1]);
    if (!options.forget) {
      throw UsageError{
          std::string("forget-model takes MANUFACTURER:TYPE in hex (0x66:0xe4), not ") +
          argv[i + 1]};
    }
    return options;
  }
  if (i < argc && std::string(argv[i]) == "list") {
    const bool all =
        i + 3 == argc && std::string(argv[i + 1]) == "units" && std::string(argv[i + 2]) == "--all";
    if ((i + 2 != argc && !all) || !IsListName(argv[i + 1])) {
      throw UsageError{"list needs one of units [--all], gains, sensors, ports, models"};
    }
    options.list = all ? "units --all" : argv[i + 1];
    return options;
  }
  if (options.hartIp) {
    if (!options.port.isEmpty()) throw UsageError{"--port and --hart-ip exclude each other"};
    options.hartIp->udp = options.udp;
    CheckHartIpVersion(options);
  } else if (options.pskFile || options.hartIpVersion) {
    throw UsageError{"--psk-file and --hart-ip-version go with --hart-ip"};
  } else if (options.port.isEmpty()) {
    throw UsageError{"--port or --hart-ip is required"};
  }
  if (i >= argc) throw UsageError{"no operation given"};
  ParseOperations(i, argc, argv, options);
  return options;
}

// A mistake that ends the program before anything runs: one line on standard
// error and, with --json, an object on standard output for a script to read.
int Refuse(bool json, const char* result, const std::string& error, int status, const char* hint) {
  if (json) std::printf("{\"result\": \"%s\", \"error\": %s}\n", result, JsonString(error).c_str());
  std::fprintf(stderr, "vantrel-cli: %s%s\n", error.c_str(), hint);
  return status;
}

// forget-model: 0 when the model was known and is not any more, 1 when it
// was not known (the family's own cannot be forgotten).
int ForgetModel(const InstrumentModel& model, bool json) {
  const bool forgotten = ForgetKnownModel(model);
  const std::string word = ModelWord(model);
  if (json) {
    std::printf("{\"result\": \"%s\", \"model\": \"%s\"}\n", forgotten ? "success" : "failure",
                word.c_str());
  } else {
    std::printf(forgotten ? "%s forgotten\n" : "%s is not a confirmed model\n", word.c_str());
  }
  return forgotten ? 0 : kExitFailure;
}

bool HasArgument(int argc, char** argv, const char* wanted) {
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == wanted) return true;
  }
  return false;
}

// save-config: the reads, then the file. One object for the whole save.
int RunSave(QCoreApplication& app, CliSession& session, Options& options) {
  SaveOutcome save;
  save.file = *options.saveFile;
  session.run(
      std::move(options.steps),
      [&](const CliOutcome& outcome) {
        if (!save.failedRead && !outcome.skipped && !outcome.succeeded()) save.failedRead = outcome;
      },
      [] { QCoreApplication::exit(0); });
  app.exec();
  if (!save.failedRead) {
    QString error;
    save.written = SaveConfigurationFile(QString::fromLocal8Bit(save.file.c_str()), session.data(),
                                         session.pollAddress(), &error);
    save.fileError = error.toStdString();
  }
  std::fputs(FormatSave(save, options.json).c_str(), stdout);
  if (save.failedRead) {
    return save.failedRead->result == OperationResult::NoReply ? kExitNoReply : kExitFailure;
  }
  return save.written ? 0 : kExitCannotCreate;
}

// The journal printed; the lines skipped are said on standard error.
int ShowJournal(const Options& options) {
  const QString path = options.journal.value_or(RecordStore::defaultPath());
  const JournalContents journal = LoadJournal(path);
  for (const std::string& warning : journal.warnings) {
    std::fprintf(stderr, "vantrel-cli: warning: %s: %s\n", qPrintable(path), warning.c_str());
  }
  if (!journal.error.isEmpty()) {
    std::fprintf(stderr, "vantrel-cli: %s: %s\n", qPrintable(path), qPrintable(journal.error));
    return kExitNoFile;
  }
  std::fputs(FormatJournal(journal, options.csv, options.since).c_str(), stdout);
  return 0;
}

// Without --yes a load that would write asks on the terminal; without a
// terminal it writes nothing.
bool AskToWrite(const LoadReport& report) {
  if (!isatty(fileno(stdin)) || !isatty(fileno(stderr))) return false;
  std::fprintf(stderr, "%s", FormatLoad(report, "", false).c_str());
  std::fprintf(stderr, "Write %zu field(s) to the instrument? [y/N] ", report.differences.size());
  char answer[16] = {};
  return std::fgets(answer, sizeof answer, stdin) && (answer[0] == 'y' || answer[0] == 'Y');
}

// load-config: the file first (a bad one writes nothing), then the load.
int RunLoad(QCoreApplication& app, CliSession& session, Options& options,
            const Configuration& file) {
  ConfigLoad load(session, file, *options.load, [&options](const LoadReport& report) {
    return options.yes || AskToWrite(report);
  });
  load.start([] { QCoreApplication::exit(0); });
  app.exec();
  std::fputs(FormatLoad(load.report(), options.load->file, options.json).c_str(), stdout);
  const std::string& result = load.report().result;
  if (result == "success") return 0;
  return result == "no-reply" ? kExitNoReply : kExitFailure;
}

// Reads and checks the file of load-config. 0, or the exit status of a file
// that cannot be read or is no configuration (said on standard error and,
// with --json, in an object).
int ReadConfigurationFile(const Options& options, Configuration& configuration) {
  const std::string& name = options.load->file;
  QFile file(QString::fromLocal8Bit(name.c_str()));
  const auto refuse = [&](const char* result, const std::string& why, int status) {
    if (options.json) {
      std::printf(
          "{\"operation\": \"load-config\", \"result\": \"%s\", \"file\": %s, "
          "\"reason\": %s}\n",
          result, JsonString(name).c_str(), JsonString(why).c_str());
    }
    std::fprintf(stderr, "vantrel-cli: %s: %s\n", name.c_str(), why.c_str());
    return status;
  };
  if (!file.open(QIODevice::ReadOnly)) {
    return refuse("file-error", file.errorString().toStdString(), kExitNoFile);
  }
  const std::string error = ParseConfiguration(file.readAll(), configuration);
  if (!error.empty()) return refuse("bad-file", error, kExitBadFile);
  if (options.load->withAddress && configuration.pollingAddress > 15) {
    return refuse("bad-file", "pollingAddress: only 0 to 15 can be written", kExitBadFile);
  }
  return 0;
}

int RunSession(QCoreApplication& app, CliSession& session, Options& options,
               const Configuration& file);

// The key of a secure session, read before anything connects: 0, or 64 with
// the reason for a file that cannot be read, that others may read, or that
// holds no good key. The key itself is never printed.
int ReadKey(Options& options) {
  QString reason;
  std::optional<PskKey> key = HartIpTransport::readKeyFile(*options.pskFile, &reason);
  if (!key) {
    const std::string error =
        "--psk-file " + options.pskFile->toStdString() + ": " + reason.toStdString();
    return Refuse(options.json, "usage-error", error, kExitUsage, "");
  }
  options.hartIp->psk = std::move(key);
  options.hartIp->keyFile = *options.pskFile;
  return 0;
}

int RunSteps(QCoreApplication& app, Options& options) {
  if (options.pskFile) {
    if (const int status = ReadKey(options)) return status;
  }
  if (options.watch) {
    return RunWatch(options.session, {options.port, options.hartIp}, *options.watch, options.json);
  }
  Configuration file;
  if (options.load) {
    if (const int status = ReadConfigurationFile(options, file)) return status;
  }
  SteadyClock clock;
  CliSession session(clock, options.session);
  const bool open =
      options.hartIp ? session.openHartIp(*options.hartIp) : session.openPort(options.port);
  if (!open) {
    const std::string error = PortOpenFailedText(options.hartIp, options.port, session.portError());
    return Refuse(options.json, "port-error", error, kExitNoPort, "");
  }
  StoreJournal* store = nullptr;
  if (options.journal && !options.noJournal) {
    session.setJournal(std::make_unique<Journal>(*options.journal));
  } else if (!options.noJournal) {
    auto journal = std::make_unique<StoreJournal>(RecordStore::defaultPath(), options.database);
    store = journal.get();
    session.setJournal(std::move(journal));
  }
  const int status = RunSession(app, session, options, file);
  // A check says the team database's warning itself, once.
  const QString warning = store && !options.check ? store->takeTeamWarning() : QString();
  if (!warning.isEmpty()) std::fprintf(stderr, "vantrel-cli: %s\n", qPrintable(warning));
  return status;
}

// The operations of the command line, the journal already set.
int RunSession(QCoreApplication& app, CliSession& session, Options& options,
               const Configuration& file) {
  if (options.saveFile) return RunSave(app, session, options);
  if (options.load) return RunLoad(app, session, options, file);
  if (options.check) {
    RecordStore store;
    if (const int status = OpenRecords(store, options.database)) return status;
    return RunCheck(app, session, *options.check, options.json, store);
  }
  int exitCode = 0;
  session.run(
      std::move(options.steps),
      [&](const CliOutcome& outcome) {
        const std::vector<std::uint8_t> found = session.foundAddresses();
        std::fputs(FormatOutcome(outcome, {session.data(), found}, options.json).c_str(), stdout);
        std::fflush(stdout);
        if (exitCode != 0 || outcome.skipped || outcome.succeeded()) return;
        exitCode = outcome.result == OperationResult::NoReply ? kExitNoReply : kExitFailure;
      },
      [] { QCoreApplication::exit(0); });
  app.exec();
  return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
  // A certificate is laid out with fonts: a QGuiApplication on the offscreen
  // platform, no display needed.
  const bool certificate = HasArgument(argc, argv, "certificate");
  if (certificate) qputenv("QT_QPA_PLATFORM", "offscreen");
  std::unique_ptr<QCoreApplication> application =
      certificate ? std::make_unique<QGuiApplication>(argc, argv)
                  : std::make_unique<QCoreApplication>(argc, argv);
  QCoreApplication& app = *application;
  const bool json = HasArgument(argc, argv, "--json");
  Options options;
  try {
    options = ParseArguments(argc, argv);
  } catch (const UsageError& error) {
    return Refuse(json, "usage-error", error.what, kExitUsage, " (try --help)");
  }
  UseLanguage(options.language.value_or(LanguageOfSystem()));
  if (options.show == Options::Show::Help) {
    std::printf(kUsage, OperationsUsage().c_str());  // the operations from their table
    return 0;
  }
  if (options.show == Options::Show::Version) {
    std::printf("vantrel-cli %s\n", kVersion);
    return 0;
  }
  if (options.showJournal) return ShowJournal(options);
  if (options.records) return RunRecords(*options.records, options.database, options.json);
  if (options.list) {
    std::fputs(FormatList(*options.list, options.json).c_str(), stdout);
    return 0;
  }
  if (options.forget) return ForgetModel(*options.forget, options.json);
  return RunSteps(app, options);
}
