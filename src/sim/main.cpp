// vantrel-sim: simulated HART instruments on a pseudo-terminal, and over
// HART-IP when asked.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "link/PskKeyFile.h"
#include "sim/DeviceList.h"
#include "sim/HartIpServer.h"
#include "sim/PtyServer.h"
#include "sim/SimLine.h"
#include "vantrel/Version.h"

namespace {

vantrel::sim::PtyServer* gServer = nullptr;
vantrel::sim::HartIpServer* gHartIpServer = nullptr;

void HandleSignal(int) {
  if (gServer) gServer->stop();
  if (gHartIpServer) gHartIpServer->stop();
}

const char kUsage[] =
    "Usage: vantrel-sim [--devices LIST | --address N] [--link PATH] [--line-rate]\n"
    "                   [--turnaround-ms N] [--hart-ip [ADDR:]PORT [--psk-file FILE]]\n"
    "                   [--model MANUFACTURER:TYPE[:REVISION]]\n"
    "                   [--additional-status HEX] [--applied-kpa LIST] [FAULTS]\n"
    "       vantrel-sim -h|--help | --version\n"
    "\n"
    "Serves simulated HART field devices on a pseudo-terminal and prints the\n"
    "terminal's path on the first line of standard output. Open that path (or\n"
    "PATH given with --link) as the serial port.\n"
    "\n"
    "  --devices LIST     comma-separated devices ADDRESS[:KIND[:VARIANT]], one for\n"
    "                     each polling address 0 to 63 given, e.g. --devices\n"
    "                     0,40:hart7,5:hart7:flow (default 0). KIND is hart5 (the\n"
    "                     default), hart6 or hart7; VARIANT flow or foreign (see\n"
    "                     DEVICES)\n"
    "  --address N        the same as --devices N\n"
    "  --model MANUFACTURER:TYPE[:REVISION]\n"
    "                     the devices listed without a KIND say they are this model\n"
    "                     (hex codes, e.g. 0x66:0xe4, or 0x60a5:0xe12c:7) of HART\n"
    "                     revision 5, 6 or 7 (default 5); they still answer as the\n"
    "                     family's instrument does (default 0x5a:0x10, HART 5)\n"
    "  --additional-status HEX\n"
    "                     the devices report these bytes to command 48: hex, two\n"
    "                     digits a byte, 1 to 25 bytes, no spaces or 0x (e.g.\n"
    "                     000000000000030001); fewer are padded with zeros to the\n"
    "                     revision's length. While they have a non-zero byte and\n"
    "                     are not acknowledged, status bit 0x10 (more status\n"
    "                     available) is set (default: all zero)\n"
    "  --applied-kpa LIST the pressure applied to the devices, in kPa, step by\n"
    "                     step (e.g. 0.2,50.1,99.9): each reading of command 3\n"
    "                     takes the next, the last stays; for checking the input\n"
    "                     against a reference (default: a slowly moving 50 kPa)\n"
    "  --link PATH        also make a symbolic link to the terminal at PATH\n"
    "  --line-rate        behave as a half-duplex 1200 baud line, 11 bits per byte:\n"
    "                     a request takes its bytes' time on the line, the response\n"
    "                     starts after it and the turnaround, each byte in its time\n"
    "  --turnaround-ms N  wait N ms after a request before answering (default 0)\n"
    "  --hart-ip [ADDR:]PORT\n"
    "                     also serve the same devices over HART-IP, TCP and UDP on\n"
    "                     PORT (5094 is the usual one; 0 picks a free port) at ADDR:\n"
    "                     an IPv4 address or an IPv6 address in brackets, e.g.\n"
    "                     0.0.0.0:5094 or [::1]:5094 (default 127.0.0.1). The second\n"
    "                     line of standard output is then 'hart-ip ADDR:PORT', the\n"
    "                     address and port bound. A UDP session is answered from a\n"
    "                     port of its own. The turnaround and the faults apply to\n"
    "                     HART-IP too: a reply lost or withheld sends no response,\n"
    "                     garbage and preambles do not come through, a hang-up\n"
    "                     ends the session (TCP: closes the connection)\n"
    "  --psk-file FILE    with --hart-ip: serve secure HART-IP (version 2) only,\n"
    "                     with the pre-shared key in FILE, a line IDENTITY:HEXKEY\n"
    "                     (identity 8 to 128 printable characters, key 16 to 64\n"
    "                     bytes in hex; '#' lines are comments). The session\n"
    "                     initiate goes in plain text, then TLS 1.2 runs on the TCP\n"
    "                     connection and DTLS 1.2 with the UDP session's port, no\n"
    "                     certificates, cipher suites PSK-AES128-GCM-SHA256,\n"
    "                     PSK-AES128-CBC-SHA256 and PSK-AES128-CCM. A version 1\n"
    "                     initiate is answered with status 14 (version not\n"
    "                     supported); without --psk-file a version 2 initiate is.\n"
    "                     FILE must be readable by its owner only (chmod 600); a\n"
    "                     file that cannot be read or is not one key line: exit 2\n"
    "\n"
    "FAULTS\n"
    "  Off by default. They apply to every reply (with --fault-replies, to the\n"
    "  first K only) and may be combined. P is a probability from 0 to 1.\n"
    "  --corrupt-rate P   make the check byte of a reply wrong with probability P\n"
    "  --drop-rate P      leave out each byte of a reply with probability P\n"
    "  --late-ms N        send each reply N ms later, on top of the turnaround\n"
    "  --no-reply         send no reply at all\n"
    "  --no-reply-rate P  leave out a whole reply with probability P\n"
    "  --wrong-address    reply from another address: the next polling address in\n"
    "                     short frames, the last long-address byte plus 1 in long\n"
    "                     frames (the check byte matches)\n"
    "  --error-code N     reply with response code N (0 to 255), the device status\n"
    "                     and no data\n"
    "  --garbage N        send N random bytes in front of each reply (0 to 255)\n"
    "  --hangup-after N   close the terminal after N bytes of a reply, garbage not\n"
    "                     counted (a shorter reply is sent whole first); the path\n"
    "                     and the --link go away, and vantrel-sim waits for a\n"
    "                     signal to exit\n"
    "  --fault-replies K  apply the faults to the first K replies only\n"
    "  --seed N           seed of the random choices (default 1); the same seed and\n"
    "                     the same requests give the same faults\n"
    "\n"
    "  Request faults count the requests addressed to a device; the device does\n"
    "  not act on the requests they answer:\n"
    "  --busy N           answer the next N requests with 32 (device busy)\n"
    "  --delayed N        answer the next request with 33 (delayed response\n"
    "                     initiated), the N after it with 34 (running), then serve\n"
    "  --silent N         leave the next N requests unanswered\n"
    "  --comm-error N     answer the next N requests with a communication error\n"
    "                     (response code 0x88: the request's check byte was wrong)\n"
    "\n"
    "DEVICES\n"
    "  The device at polling address N has device id 01 02 03+N and, by its kind,\n"
    "  manufacturer:device type (HART 7: manufacturer code:expanded device type):\n"
    "                  hart5        hart6        hart7\n"
    "    (family)      0x5A:0x10    0x5A:0x11    0x005A:0x5A12\n"
    "    flow          0x3E:0x20    0x3E:0x21    0x60A5:0xE12C\n"
    "    foreign       0x26:0x30    0x26:0x31    0x6026:0xE130\n"
    "  The default device (hart5) is the family's instrument: requests go to the\n"
    "  long address 9A 10 01 02 03+N. hart6 and hart7 are the family's newer\n"
    "  models and answer the family's commands too. flow is another maker's\n"
    "  mass-flow meter, foreign another maker's pressure transmitter: they answer\n"
    "  the family's commands (112-135) with 64. HART 6 and 7 devices and the other\n"
    "  makers' keep a configuration-changed flag (status bit 0x40): each\n"
    "  successful write of the configuration (6, 17, 18, 22, 34, 35, 43, 45, 46 and\n"
    "  the family's writes and calibrations) sets it, and on HART 6 and 7 counts\n"
    "  up the configuration change counter of command 0 (1 at start); 38 clears\n"
    "  it. The family's HART 5 instrument never sets it.\n"
    "  A device answers short frames to its polling address (address bits 5-0)\n"
    "  and long frames to its long address (manufacturer compared on bits 5-0),\n"
    "  and ignores all others. What is written is kept until vantrel-sim exits.\n"
    "  Numbers are big-endian, floats IEEE-754 single precision.\n"
    "\n"
    "PROCESS\n"
    "  A pressure near 50 kPa, a temperature near 25 C and a millivolt source near\n"
    "  20 mV, each wandering slightly over time. PV is the calibrated pressure in\n"
    "  the PV units (Pa, kPa, MPa; m, cm, mm of water column; for C, F, R and K the\n"
    "  temperature instead); by default kPa, range 0 to 100, damping 0.5 s (kept\n"
    "  and reported, not applied). SV is the temperature in C (code 32) plus the\n"
    "  offset correction, TV the sensor resistance in ohms (37), QV the millivolt\n"
    "  reading (36). The flow meter: PV the mass flow near 2500 kg/h (code 75),\n"
    "  range 0 to 5000; SV the fluid temperature in C (32), TV the density near\n"
    "  998.2 kg/m3 (92), QV the volume flow in m3/h (19). The pressure transmitter:\n"
    "  PV the pressure in kPa, range 0 to 250; SV the temperature in C, TV the loop\n"
    "  current in mA (39), QV the percent of range (57). For these two, 35 takes\n"
    "  any units code and the PV keeps its value.\n"
    "\n"
    "COMMANDS (reply data after response code and device status)\n"
    "  0    identity: 254, manufacturer, device type, 5, revision, 1, 1, 1, 0,\n"
    "       device id; HART 6 and 7 add 5 preambles, 4 device variables, the\n"
    "       configuration change counter and the extended device status (byte 6\n"
    "       of 48); HART 7 then the manufacturer code, private label 0, profile 0\n"
    "  3    loop current, then PV, SV, TV, QV as units code and float each. The\n"
    "       loop current is the fixed current in fixed-current mode, otherwise\n"
    "       4.0 mA while the loop current mode is disabled (6), otherwise\n"
    "       4 + 16 x (PV - lower) / (upper - lower), held within 3.8 to 20.5 mA\n"
    "       (status bit 0x04 while held)\n"
    "  6    polling address: the device answers there from then on. HART 5: one\n"
    "       byte, 0-15, echoed. HART 6 and 7: address 0-63 and loop current mode\n"
    "       (0 disabled, 1 enabled), both echoed; one byte is taken as HART 5\n"
    "       takes it and leaves the mode\n"
    "  12   message, 24 bytes packed ASCII; 17 writes it and echoes it\n"
    "  13   tag (6), descriptor (12), day, month, year - 1900; 18 writes and echoes\n"
    "  15   alarm 0, transfer function 0, units, upper range, lower range, damping,\n"
    "       write protect 0, private label (the manufacturer byte, 0x5A)\n"
    "  20   HART 6 and 7: long tag, 32 bytes ISO Latin-1 padded with NULs\n"
    "       (\"PT-NN SIMULATED\", the flow meter \"FT-NN SIMULATED\"); 22 writes it\n"
    "       and echoes it\n"
    "  34   damping 0-60 s: the float echoed\n"
    "  35   units, upper range, lower range: the 9 bytes echoed\n"
    "  38   reset the configuration-changed flag. HART 5 and 6: no data. HART 7:\n"
    "       the configuration change counter (16 bits) as command 0 showed it,\n"
    "       echoed; another counter is answered 9 and leaves the flag set\n"
    "  40   fixed current: 0 leaves fixed-current mode, any other value enters it\n"
    "       (status bit 0x08 while fixed); the float echoed\n"
    "  45   trim loop current zero, 46 trim gain: the measured current is kept and\n"
    "       echoed; the output stage is modelled exact, so readings stay the same\n"
    "  48   additional device status: HART 5 8 bytes; HART 6 and 7 14 bytes:\n"
    "       0-5 the device's own, 6 extended device status, 7 operating mode,\n"
    "       8-9 standardized status 0-1, 10 analog channel saturated (bit 0 set\n"
    "       while held), 11-12 standardized status 2-3, 13 analog channel fixed\n"
    "       (bit 0 set while fixed); --additional-status gives the bytes. HART 5\n"
    "       and 6: the read acknowledges them; HART 7: a request whose data\n"
    "       equals the reply (the bytes sent compared) does, a plain read does not\n"
    "  72   HART 6 and 7: squawk, no data; vantrel-sim writes \"squawk at polling\n"
    "       address N\" on standard error\n"
    "  110  PV, SV, TV, QV as units code and float each\n"
    "  112  R_REF, V_REF (signed 32-bit): kept and echoed\n"
    "  113  long address: manufacturer, device type, device id, echoed. Command 0\n"
    "       shows the new identity, and only the new long address is answered\n"
    "  114  sensor type 0-11; 115 (A5 5A index) writes it and echoes the index.\n"
    "       TV is the Pt100, Cu100, Cu50 or Pt1000 at the temperature (types 8-11);\n"
    "       for thermocouples (0-7) the cold-junction Pt100 at 25 C\n"
    "  117  offset correction, signed 16-bit tenths of C, added to SV; 118 writes\n"
    "       and echoes it\n"
    "  119  (AA 55) two reference counts, signed 32-bit, near 800000 and 200000\n"
    "  120  (AA 55) millivolt reading, signed 32-bit, rounded to 1 mV\n"
    "  133  gain index 0-6 (x1 to x64); 134 writes it and echoes the index\n"
    "  135  pressure code, unsigned 32-bit: 0x00800000 + gain x 1000 per kPa of\n"
    "       applied pressure, before calibration\n"
    "\n"
    "CALIBRATIONS\n"
    "  Each answers with the long address as the program shows it: manufacturer\n"
    "  AND 0x7F, device type, device id. Pressure points carry units 12 (kPa) and\n"
    "  a float; the present input is taken to be that pressure.\n"
    "  43   set PV zero: the pressure offset (the flow meter: its zero) moves so\n"
    "       that PV reads 0 now\n"
    "  131  low end: the offset moves so that the pressure reads the value now\n"
    "  130  high end: the span changes so that the pressure reads the value now;\n"
    "       the reading at zero input stays\n"
    "  132  mid point: the error at the present input is shared evenly between\n"
    "       offset and span\n"
    "       130 and 132 refuse a span outside 0.1 to 10 with code 9 (applied\n"
    "       process too high) or 10 (too low) and change nothing\n"
    "  116  AA 55: 50 mV applied; 55 AA: 0 mV applied. The millivolt input reads\n"
    "       1.5 % high plus 0.4 mV until calibrated; each point records the\n"
    "       converter's output for its reference, taken as applied exactly\n"
    "\n"
    "ERRORS (response code and device status only)\n"
    "  5 too few data bytes, 64 command not implemented (also 20, 22 and 72 on\n"
    "  HART 5, and the family's commands on other makers' devices), 2 value or key\n"
    "  bytes not accepted, 3 and 4 damping too large or too small, 9 configuration\n"
    "  change counter mismatch (38), 29 range without a span.\n";

bool ParseInt(const char* text, long min, long max, long* value) {
  char* end = nullptr;
  errno = 0;
  const long parsed = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || parsed < min || parsed > max) return false;
  *value = parsed;
  return true;
}

bool ParseRate(const char* text, double* value) {
  char* end = nullptr;
  errno = 0;
  const double parsed = std::strtod(text, &end);
  if (errno != 0 || end == text || *end != '\0' || !(parsed >= 0.0 && parsed <= 1.0)) return false;
  *value = parsed;
  return true;
}

bool ParseSeed(const char* text, std::uint64_t* value) {
  char* end = nullptr;
  errno = 0;
  const unsigned long long parsed = std::strtoull(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || text[0] == '-') return false;
  *value = parsed;
  return true;
}

// The counter of a request fault option, nullptr for any other argument.
int* RequestFaultCount(const std::string& arg, vantrel::sim::LineFaults& faults) {
  if (arg == "--busy") return &faults.busy;
  if (arg == "--delayed") return &faults.delayed;
  if (arg == "--silent") return &faults.silent;
  if (arg == "--comm-error") return &faults.commError;
  return nullptr;
}

// A line fault option: the words it takes (1 a flag, 2 with its value
// `value`, nullptr when none follows), 0 when `arg` is none or its value is
// bad.
int ParseFaultOption(const std::string& arg, const char* value, vantrel::sim::LineFaults& faults) {
  if (arg == "--no-reply") {
    faults.noReplyRate = 1.0;
    return 1;
  }
  if (arg == "--wrong-address") {
    faults.wrongAddress = true;
    return 1;
  }
  if (!value) return 0;
  const struct {
    const char* name;
    double* rate;
  } rates[] = {{"--corrupt-rate", &faults.corruptRate},
               {"--drop-rate", &faults.dropRate},
               {"--no-reply-rate", &faults.noReplyRate}};
  for (const auto& rate : rates) {
    if (arg == rate.name) return ParseRate(value, rate.rate) ? 2 : 0;
  }
  if (arg == "--seed") return ParseSeed(value, &faults.seed) ? 2 : 0;
  long number = 0;
  if (arg == "--error-code") {
    if (!ParseInt(value, 0, 255, &number)) return 0;
    faults.errorCode = static_cast<std::uint8_t>(number);
    return 2;
  }
  const struct {
    const char* name;
    long max;
    int* count;
  } counts[] = {{"--late-ms", 600000, &faults.lateMs},
                {"--garbage", 255, &faults.garbageBytes},
                {"--hangup-after", 65535, &faults.hangupAfter},
                {"--fault-replies", 1000000, &faults.faultyReplies}};
  int* count = RequestFaultCount(arg, faults);  // up to 1000000 requests
  long max = 1000000;
  for (const auto& option : counts) {
    if (arg == option.name) {
      max = option.max;
      count = option.count;
    }
  }
  if (!count || !ParseInt(value, 0, max, &number)) return 0;
  *count = static_cast<int>(number);
  return 2;
}

struct SimOptions {
  std::vector<vantrel::sim::DeviceEntry> devices = {vantrel::sim::DeviceEntry{}};
  std::optional<vantrel::InstrumentModel> model;  // --model
  int revision = 5;
  std::vector<std::uint8_t> additionalStatus;  // --additional-status
  std::vector<double> appliedKPa;              // --applied-kpa
  vantrel::sim::PtyServerOptions server;
  std::optional<vantrel::sim::HartIpEndpoint> hartIp;
  std::optional<std::string> pskFile;  // --psk-file
};

// "MANUFACTURER:TYPE[:REVISION]", the revision 5, 6 or 7.
bool ParseModelOption(const std::string& text, SimOptions& options) {
  std::string word = text;
  int revision = 5;
  const std::size_t second = text.find(':', text.find(':') + 1);
  if (second != std::string::npos) {
    long value = 0;
    if (!ParseInt(text.c_str() + second + 1, 5, 7, &value)) return false;
    revision = static_cast<int>(value);
    word = text.substr(0, second);
  }
  options.model = vantrel::ParseModelWord(word);
  options.revision = revision;
  return options.model.has_value();
}

// Reads the command line into `options`. Returns the exit status when the
// program is to end at once (help, or a bad argument), nullopt to go on.
std::optional<int> ParseArguments(int argc, char** argv, SimOptions& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    long value = 0;
    std::optional<std::vector<vantrel::sim::DeviceEntry>> list;
    std::optional<std::vector<std::uint8_t>> status;
    std::optional<std::vector<double>> applied;
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (arg == "--version") {
      std::printf("vantrel-sim %s\n", vantrel::kVersion);
      return 0;
    } else if (arg == "--line-rate") {
      options.server.lineRate = true;
    } else if (arg == "--link" && hasValue) {
      options.server.linkPath = argv[++i];
    } else if (arg == "--hart-ip" && hasValue &&
               (options.hartIp = vantrel::sim::ParseHartIpEndpoint(argv[i + 1]))) {
      ++i;
    } else if (arg == "--psk-file" && hasValue) {
      options.pskFile = argv[++i];
    } else if (arg == "--devices" && hasValue &&
               (list = vantrel::sim::ParseDeviceList(argv[i + 1]))) {
      options.devices = *list;
      ++i;
    } else if (arg == "--address" && hasValue && ParseInt(argv[i + 1], 0, 63, &value)) {
      options.devices = {vantrel::sim::DeviceEntry{static_cast<std::uint8_t>(value), {}}};
      ++i;
    } else if (arg == "--additional-status" && hasValue &&
               (status = vantrel::sim::ParseStatusBytes(argv[i + 1]))) {
      options.additionalStatus = *status;
      ++i;
    } else if (arg == "--applied-kpa" && hasValue &&
               (applied = vantrel::sim::ParseNumberList(argv[i + 1]))) {
      options.appliedKPa = *applied;
      ++i;
    } else if (arg == "--model" && hasValue && ParseModelOption(argv[i + 1], options)) {
      ++i;
    } else if (arg == "--turnaround-ms" && hasValue && ParseInt(argv[i + 1], 0, 60000, &value)) {
      options.server.turnaroundMs = static_cast<int>(value);
      ++i;
    } else if (const int words =
                   ParseFaultOption(arg, hasValue ? argv[i + 1] : nullptr, options.server.faults)) {
      i += words - 1;
    } else {
      std::fprintf(stderr, "vantrel-sim: bad argument '%s'\n\n", arg.c_str());
      std::fputs(kUsage, stderr);
      return 64;
    }
  }
  if (options.pskFile && !options.hartIp) {
    std::fprintf(stderr, "vantrel-sim: --psk-file needs --hart-ip\n\n");
    std::fputs(kUsage, stderr);
    return 64;
  }
  return std::nullopt;
}

const char* PskKeyErrorText(vantrel::PskKeyError error) {
  switch (error) {
    case vantrel::PskKeyError::None:
      break;
    case vantrel::PskKeyError::NoKeyLine:
      return "no key line IDENTITY:HEXKEY";
    case vantrel::PskKeyError::SeveralKeys:
      return "more than one key line";
    case vantrel::PskKeyError::NoColon:
      return "no ':' between the identity and the key";
    case vantrel::PskKeyError::BadIdentity:
      return "the identity has a character that is not printable ASCII, or is over 128";
    case vantrel::PskKeyError::ShortIdentity:
      return "the identity is under 8 characters";
    case vantrel::PskKeyError::BadHex:
      return "the key is not hex digits, two a byte";
    case vantrel::PskKeyError::ShortKey:
      return "the key is under 16 bytes";
    case vantrel::PskKeyError::LongKey:
      return "the key is over 64 bytes";
  }
  return "";
}

// The text of the open file `fd` (a key file is short: 64 KiB at most are
// read), closed after. Nothing, with errno set, when it cannot be read.
std::optional<std::string> ReadAndClose(int fd) {
  std::string text;
  char buffer[4096];
  ssize_t n = 0;
  while (text.size() < 65536 && (n = ::read(fd, buffer, sizeof buffer)) > 0) {
    text.append(buffer, static_cast<std::size_t>(n));
  }
  const int error = errno;
  ::close(fd);
  errno = error;
  if (n < 0) return std::nullopt;
  return text;
}

// The key of --psk-file, or the exit status (2) after saying on standard
// error what is wrong with the file. Its mode is taken from the open file,
// and a file others may read is refused, as ssh refuses a private key.
std::optional<int> ReadPskFile(const std::string& path, std::optional<vantrel::PskKey>* key) {
  const auto refuse = [&path](const std::string& why) {
    std::fprintf(stderr, "vantrel-sim: key file '%s': %s\n", path.c_str(), why.c_str());
    return 2;
  };
  const auto cannotRead = [&refuse] {
    return refuse(std::string("cannot read it: ") + std::strerror(errno));
  };
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return cannotRead();
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    const int error = errno;
    ::close(fd);
    errno = error;
    return cannotRead();
  }
  if (!S_ISREG(info.st_mode)) {
    ::close(fd);
    return refuse("not a regular file");
  }
  if (vantrel::PskKeyFileModeTooOpen(info.st_mode)) {
    ::close(fd);
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(info.st_mode & 07777));
    return refuse(std::string("others may read it (mode ") + mode + "); chmod 600 it");
  }
  const std::optional<std::string> text = ReadAndClose(fd);
  if (!text) return cannotRead();
  const vantrel::PskKeyParse parsed = vantrel::ParsePskKeyFile(*text);
  if (!parsed.key) {
    const std::string where = parsed.line > 0 ? "line " + std::to_string(parsed.line) + ": " : "";
    return refuse(where + PskKeyErrorText(parsed.error));
  }
  *key = parsed.key;
  return std::nullopt;
}

void Squawk(std::uint8_t pollAddress) {
  std::fprintf(stderr, "vantrel-sim: squawk at polling address %u\n",
               static_cast<unsigned>(pollAddress));
}

// The devices of the command line, and their polling addresses for people
// ("0,5").
std::vector<vantrel::sim::SimDeviceConfig> DeviceConfigs(const SimOptions& options,
                                                         std::string* addressText) {
  std::vector<vantrel::sim::SimDeviceConfig> devices;
  for (const vantrel::sim::DeviceEntry& entry : options.devices) {
    const std::uint8_t address = entry.pollAddress;
    vantrel::sim::SimDeviceConfig config =
        entry.kind      ? vantrel::sim::KindDeviceConfig(address, *entry.kind)
        : options.model ? vantrel::sim::ModelDeviceConfig(address, *options.model, options.revision)
                        : vantrel::sim::DefaultDeviceConfig(address);
    config.additionalStatus = options.additionalStatus;
    config.appliedKPa = options.appliedKPa;
    config.onSquawk = Squawk;
    devices.push_back(std::move(config));
    *addressText += (addressText->empty() ? "" : ",") + std::to_string(address);
  }
  return devices;
}

// The HART-IP server of --hart-ip, nothing without it; secure with a key.
std::unique_ptr<vantrel::sim::HartIpServer> MakeHartIpServer(vantrel::sim::SimLine& line,
                                                             const SimOptions& options,
                                                             std::optional<vantrel::PskKey> psk) {
  if (!options.hartIp) return nullptr;
  vantrel::sim::HartIpServerOptions hartIpOptions;
  hartIpOptions.address = options.hartIp->address;
  hartIpOptions.port = options.hartIp->port;
  hartIpOptions.turnaroundMs = options.server.turnaroundMs;
  hartIpOptions.faultInjector = options.server.faultInjector;
  hartIpOptions.psk = std::move(psk);
  return std::make_unique<vantrel::sim::HartIpServer>(line, std::move(hartIpOptions));
}

}  // namespace

int main(int argc, char** argv) {
  SimOptions options;
  if (const std::optional<int> status = ParseArguments(argc, argv, options)) return *status;
  std::optional<vantrel::PskKey> psk;
  if (options.pskFile) {
    if (const std::optional<int> status = ReadPskFile(*options.pskFile, &psk)) return *status;
  }
  const std::size_t deviceCount = options.devices.size();

  std::string addressText;
  vantrel::sim::SimLine line(DeviceConfigs(options, &addressText));
  // One injector for both servers: the same faults, counted over the replies
  // of both, and one log.
  options.server.faultInjector = std::make_shared<vantrel::sim::FaultInjector>();
  vantrel::sim::PtyServer server(line, options.server);
  const std::unique_ptr<vantrel::sim::HartIpServer> hartIp =
      MakeHartIpServer(line, options, std::move(psk));
  std::string error;
  if (!server.open(&error) || (hartIp && !hartIp->open(&error))) {
    std::fprintf(stderr, "vantrel-sim: %s\n", error.c_str());
    return 69;
  }
  gServer = &server;
  gHartIpServer = hartIp.get();
  std::signal(SIGINT, HandleSignal);
  std::signal(SIGTERM, HandleSignal);
  std::printf("%s\n", server.devicePath().c_str());
  if (hartIp) std::printf("hart-ip %s\n", hartIp->endpoint().c_str());
  std::fflush(stdout);
  std::fprintf(stderr, "vantrel-sim: %s at polling address%s %s on %s%s%s\n",
               deviceCount == 1 ? "device" : "devices", deviceCount == 1 ? "" : "es",
               addressText.c_str(), server.devicePath().c_str(),
               options.server.linkPath.empty() ? "" : " linked from ",
               options.server.linkPath.c_str());
  if (hartIp) {
    std::fprintf(stderr, "vantrel-sim: HART-IP%s on %s, TCP and UDP\n",
                 options.pskFile ? " version 2 (TLS, DTLS)" : "", hartIp->endpoint().c_str());
  }
  if (options.server.faults.any()) std::fprintf(stderr, "vantrel-sim: line faults on\n");
  std::thread hartIpThread;
  if (hartIp) hartIpThread = std::thread([&hartIp] { hartIp->run(); });
  server.run();
  if (hartIp) {
    hartIp->stop();
    hartIpThread.join();
  }
  gServer = nullptr;
  gHartIpServer = nullptr;
  return 0;
}
