#include "cli_options.h"

#include <algorithm>
#include <cstdlib>

#include "file_commands.h"
#include "os/secret_source.h"
#include "os/socket.h"
#include "record/recording_names.h"

namespace cli {
namespace {

bool SplitHostPort(const std::string& text, std::string* host, uint16_t* port) {
  size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) return false;
  char* end = nullptr;
  long value = std::strtol(text.c_str() + colon + 1, &end, 10);
  if (*end != '\0' || value <= 0 || value > 65535) return false;
  uint32_t ip = 0;
  *host = text.substr(0, colon);
  if (!os::ParseIpv4(*host, &ip)) return false;
  *port = static_cast<uint16_t>(value);
  return true;
}

bool ParseInt(const std::string& text, int* value) {
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || v < 0 || v > 100000000) return false;
  *value = static_cast<int>(v);
  return true;
}

// Seconds with decimals allowed, 0..most, into milliseconds.
bool ParseSeconds(const std::string& text, double most, int* ms) {
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !(v >= 0) || v > most) return false;
  *ms = static_cast<int>(v * 1000.0 + 0.5);
  return true;
}

const std::vector<std::pair<std::string, size_t>> kCommands = {
    {"list", 0}, {"watch", 1}, {"record", 2}, {"snapshot", 2}, {"play", 1}, {"audio", 2}, {"talk", 2},
    {"ptz", 3}, {"lens", 3}, {"preset", 2}, {"quality", 2}, {"input", 2}, {"reboot", 1},
    {"repair", 0}, {"export", 2}, {"recordings", 1}, {"clip", 3}, {"retention", 1}};

}  // namespace

const char* UsageText() {
  return "usage: halyard-cli (--host HOST:PORT | --camera HOST:PORT [--ddns NAME]) --user U [--password-file F]\n"
         "                   [--proxy socks4|socks5|http://HOST:PORT [--proxy-user U] [--proxy-password P]]\n"
         "                   COMMAND [ARGS]\n"
         "       halyard-cli repair FILE... | repair --scan FOLDER\n"
         "       halyard-cli export IN.mp4 OUT.mkv\n"
         "       halyard-cli recordings ROOT [CAM] [--day YYYY-MM-DD] [--events FOLDER]\n"
         "       halyard-cli clip ROOT CAM --from \"YYYY-MM-DD HH:MM:SS\" --to \"YYYY-MM-DD HH:MM:SS\" OUT.mp4 [--mkv]\n"
         "       halyard-cli retention ROOT [--dry-run] [RETENTION OPTIONS]\n"
         "\n"
         "  --host HOST:PORT      log in to a hosting server; CAM is a camera ID from its list\n"
         "  --camera HOST:PORT    talk to one camera server directly; CAM is '-'\n"
         "  --ddns NAME           with --camera: HOST:PORT is a dynamic-IP server, NAME the camera's name\n"
         "  --proxy KIND://HOST:PORT   connect through a SOCKS4, SOCKS5 or HTTP CONNECT proxy\n"
         "  --password-file F     the password is F's first line; without it HALYARD_PASSWORD, else\n"
         "                        --password P (a password on the command line shows in process lists)\n"
         "  --no-reconnect        a lost link gets three attempts (--retry-wait-ms apart) and a lost hosting\n"
         "                        connection none; by default both are restored, waiting 1, 2, 4, 8, then\n"
         "                        10 s between attempts. watch and record print each event of the link\n"
         "                        and the recording as 'event: HH:MM:SS CAMERA TEXT'\n"
         "\n"
         "commands:\n"
         "  list                          cameras and stored files of the hosting server\n"
         "  watch CAM [--seconds N] [--motion [MOTION OPTIONS]]\n"
         "                                status once a second: fps and kbps, viewers, notice, state;\n"
         "                                fails when no picture came or the link is down at the end;\n"
         "                                --motion prints 'motion: HH:MM:SS start' and '... end LENGTH'\n"
         "  record CAM FILE.mp4 [--seconds N] [--start-after S] [--file-limit BYTES]\n"
         "                                record to an MP4 file (finished also on Ctrl+C); a file that\n"
         "                                exists is kept and the next free name FILE-2.mp4, ... taken;\n"
         "                                --start-after watches S seconds (decimals allowed) first;\n"
         "                                --file-limit continues in the next numbered file before one\n"
         "                                would pass BYTES\n"
         "  record CAM FOLDER --on-motion [MOTION OPTIONS] [--seconds N]\n"
         "                                each motion recorded into FOLDER as CAM_yyyyMMdd_HHmmss_motion.mp4,\n"
         "                                from 3 s before it to 10 s after it\n"
         "  record CAM --plan continuous|motion --root ROOT [--file-minutes 60|30|15] [RETENTION OPTIONS]\n"
         "               [MOTION OPTIONS] [--seconds N]\n"
         "                                record as a recording plan does, without a view: continuously into\n"
         "                                ROOT/CAM/YYYY-MM-DD/CAM_yyyyMMdd_HHmmss.mp4, a new file at the first\n"
         "                                intra picture after each full hour (or 30, 15 minutes), or each\n"
         "                                motion into CAM_yyyyMMdd_HHmmss_motion.mp4 there; ROOT is kept\n"
         "                                within its limits meanwhile, and a full disk with nothing left to\n"
         "                                delete pauses the recording until there is room; prints\n"
         "                                'plan: HH:MM:SS STATE ...' as the plan's state changes\n"
         "  RETENTION OPTIONS (any of them; without --min-free-gb 10 % of the disk is kept free):\n"
         "    --retain-days N             recordings older than N days go\n"
         "    --retain-gb G               the oldest go while ROOT holds more than G GB (decimals allowed)\n"
         "    --min-free-gb F             the oldest go while the disk has less than F GB free\n"
         "  MOTION OPTIONS:\n"
         "    --sensitivity 1..10         how much of the picture must move (default 5)\n"
         "    --min-size CELLS            the smallest moving object that counts, in touching cells of\n"
         "                                the detector's 32 x 24 grid, 1..32 (default 3)\n"
         "    --min-duration SECONDS      how long a motion must last before it starts an event, 0..10\n"
         "                                (default 0.3)\n"
         "    --on-alert PROGRAM          run PROGRAM CAMERA 'YYYY-MM-DD HH:MM:SS' motion at each motion's\n"
         "                                start, the arguments apart and never through a shell (a Windows\n"
         "                                batch file is refused); prints 'alert: HH:MM:SS CAMERA ...'\n"
         "    --cooldown SECONDS          with --on-alert: motions within SECONDS after an alert are only\n"
         "                                printed, not alerted (default 60)\n"
         "  snapshot CAM FILE.bmp         the first decoded picture as a 24-bit BMP\n"
         "  play FILE [--seek PERCENT] [--seconds N]   play a stored file, printing positions\n"
         "  audio CAM OUT.raw [--seconds N]   the camera's sound as raw 8 kHz 16-bit mono PCM\n"
         "  talk CAM IN.wav               send a WAV file (8 kHz mono 16-bit) to the camera's speaker\n"
         "  ptz CAM PAN TILT              one pan/tilt step (-10..10 each)\n"
         "  lens CAM OPERATION SPEED      lens operation 0..3 (2 focus near, 3 focus far)\n"
         "  preset CAM goto|setup|group-run|group-stop [N]   presets 1..39, groups 1..15\n"
         "  quality CAM 4|8|12|16|20      stream quality (4 highest)\n"
         "  input CAM 0|1|2               video input: internal, external, alternating\n"
         "  reboot CAM                    restart the camera\n"
         "\n"
         "recordings on disk:\n"
         "  repair FILE...                finish recordings cut off by a crash or power cut, from the\n"
         "                                journal beside each (FILE.journal); others are left as they are\n"
         "  repair --scan FOLDER          the same for every recording in FOLDER that has a journal\n"
         "  export IN.mp4 OUT.mkv         a copy any common player plays with sound: the video as it\n"
         "                                is, the ADPCM sound as 16-bit PCM at 8000 Hz, in Matroska\n"
         "  recordings ROOT [CAM] [--day YYYY-MM-DD] [--events FOLDER]\n"
         "                                what the folder's recordings hold (ROOT\\CAM_yyyyMMdd_HHmmss.mp4,\n"
         "                                ROOT\\CAM\\YYYY-MM-DD\\..., motion files, numbered continuations):\n"
         "                                per camera and day each recorded span, motion span and event of\n"
         "                                the event log's daily files (--events, else Halyard's own);\n"
         "                                what it read is kept in ROOT\\halyard-recordings.idx\n"
         "  clip ROOT CAM --from \"YYYY-MM-DD HH:MM:SS\" --to \"YYYY-MM-DD HH:MM:SS\" OUT.mp4 [--mkv]\n"
         "                                the camera's pictures and sound of that range (local time) in\n"
         "                                one MP4 from the intra picture at or before --from, across as\n"
         "                                many recordings as it spans, each picture at its own time;\n"
         "                                a new camera configuration goes on in OUT-2.mp4; --mkv adds\n"
         "                                the Matroska copy export makes\n"
         "  retention ROOT [--dry-run]    one retention pass over ROOT's plan recordings: the oldest go\n"
         "                                first, never one being written, marked Keep or held by another\n"
         "                                program; prints each file it deletes (or would, --dry-run)\n"
         "\n"
         "exit status: 0 success, 2 server or camera unreachable, 3 login refused,\n"
         "             4 camera or file not found, 1 anything else (reason on standard error).\n"
         "Passwords are never written to any log.\n";
}

bool ParseOptions(const std::vector<std::string>& argv, Options* o, bool* help, std::string* error) {
  *help = false;
  std::vector<std::string> rest;
  std::string motionOption;  // the last option that only motion detection takes
  bool cooldownGiven = false;
  for (size_t i = 0; i < argv.size(); ++i) {
    const std::string& a = argv[i];
    if (a == "--help" || a == "-h") {
      *help = true;
      return true;
    }
    if (a.rfind("--", 0) != 0) {
      rest.push_back(a);
      continue;
    }
    if (a == "--motion" || a == "--on-motion") {  // switches, no value
      (a == "--motion" ? o->motion : o->on_motion) = true;
      continue;
    }
    if (a == "--no-reconnect" || a == "--dry-run") {
      (a == "--dry-run" ? o->dry_run : o->no_reconnect) = true;
      continue;
    }
    if (a == "--mkv") {
      o->matroska = true;
      continue;
    }
    if (i + 1 >= argv.size()) return *error = a + " needs a value", false;
    const std::string v = argv[++i];
    if (a == "--host") {
      if (!SplitHostPort(v, &o->host, &o->host_port)) return *error = "bad --host " + v + " (want IP:PORT)", false;
    } else if (a == "--camera") {
      if (!SplitHostPort(v, &o->camera, &o->camera_port)) return *error = "bad --camera " + v + " (want IP:PORT)", false;
    } else if (a == "--ddns") {
      o->ddns = v;
    } else if (a == "--user") {
      o->user = v;
    } else if (a == "--password") {
      o->password = v;
    } else if (a == "--password-file") {
      if (!os::ReadFirstLine(v, &o->password)) return *error = "cannot read --password-file " + v, false;
    } else if (a == "--proxy") {
      size_t sep = v.find("://");
      if (sep == std::string::npos) return *error = "bad --proxy " + v + " (want socks4|socks5|http://HOST:PORT)", false;
      o->proxy_kind = v.substr(0, sep);
      if (o->proxy_kind != "socks4" && o->proxy_kind != "socks5" && o->proxy_kind != "http")
        return *error = "unknown proxy kind " + o->proxy_kind, false;
      if (!SplitHostPort(v.substr(sep + 3), &o->proxy_host, &o->proxy_port)) return *error = "bad proxy address " + v, false;
    } else if (a == "--proxy-user") {
      o->proxy_user = v;
    } else if (a == "--proxy-password") {
      o->proxy_password = v;
    } else if (a == "--seconds") {
      if (!ParseInt(v, &o->seconds)) return *error = "bad --seconds " + v, false;
    } else if (a == "--start-after") {
      char* end = nullptr;
      o->start_after = std::strtod(v.c_str(), &end);
      if (v.empty() || *end != '\0' || !(o->start_after >= 0) || o->start_after > 86400)
        return *error = "bad --start-after " + v + " (seconds, 0..86400)", false;
    } else if (a == "--file-limit") {
      char* end = nullptr;
      o->file_limit = std::strtoull(v.c_str(), &end, 10);
      if (v.empty() || *end != '\0' || v[0] == '-' || o->file_limit < 4096)
        return *error = "bad --file-limit " + v + " (bytes, at least 4096)", false;
    } else if (a == "--sensitivity") {
      if (!ParseInt(v, &o->sensitivity) || o->sensitivity < 1 || o->sensitivity > 10)
        return *error = "bad --sensitivity " + v + " (1..10)", false;
    } else if (a == "--min-size") {
      if (!ParseInt(v, &o->min_cells) || o->min_cells < 1 || o->min_cells > 32)
        return *error = "bad --min-size " + v + " (cells, 1..32)", false;
      motionOption = a;
    } else if (a == "--min-duration") {
      if (!ParseSeconds(v, 10, &o->min_duration_ms)) return *error = "bad --min-duration " + v + " (seconds, 0..10)", false;
      motionOption = a;
    } else if (a == "--cooldown") {
      if (!ParseSeconds(v, 86400, &o->cooldown_ms)) return *error = "bad --cooldown " + v + " (seconds, 0..86400)", false;
      cooldownGiven = true;
    } else if (a == "--on-alert") {
      if (v.empty()) return *error = "--on-alert needs a program", false;
      o->on_alert = v;
      motionOption = a;
    } else if (a == "--seek") {
      if (!ParseInt(v, &o->seek) || o->seek > 100) return *error = "bad --seek " + v + " (0..100)", false;
    } else if (a == "--plan") {
      if (v != "continuous" && v != "motion" && v != "continuous+motion")
        return *error = "bad --plan " + v + " (continuous or motion)", false;
      o->plan = v;
    } else if (a == "--root") {
      if (v.empty()) return *error = "--root needs a folder", false;
      o->root = v;
    } else if (a == "--file-minutes") {
      if (!ParseInt(v, &o->file_minutes) || o->file_minutes < 1 || o->file_minutes > 60 || 60 % o->file_minutes)
        return *error = "bad --file-minutes " + v + " (a divisor of 60: 60, 30, 15 ...)", false;
    } else if (a == "--retain-days") {
      if (!ParseInt(v, &o->retention.days) || o->retention.days < 1 || o->retention.days > node::RetentionLimits::kMaxDays)
        return *error = "bad --retain-days " + v + " (1..36500)", false;
    } else if (a == "--retain-gb") {
      if (!node::ParseGigabytes(v, &o->retention.max_bytes) || o->retention.max_bytes == 0)
        return *error = "bad --retain-gb " + v + " (GB, decimals allowed, e.g. 0.5)", false;
    } else if (a == "--min-free-gb") {
      if (!node::ParseGigabytes(v, &o->retention.min_free_bytes))
        return *error = "bad --min-free-gb " + v + " (GB, decimals allowed, e.g. 0.5)", false;
      o->retention.free_set = true;
    } else if (a == "--scan") {
      o->scan = v;
    } else if (a == "--day") {
      if (record::ParseDayText(v) == 0) return *error = "bad --day " + v + " (want YYYY-MM-DD)", false;
      o->day = v;
    } else if (a == "--events") {
      o->events = v;
    } else if (a == "--from" || a == "--to") {
      int64_t seconds = 0;
      if (!record::ParseLocalTimeText(v, &seconds))
        return *error = "bad " + a + " " + v + " (want \"YYYY-MM-DD HH:MM:SS\")", false;
      (a == "--from" ? o->from : o->to) = v;
    } else if (a == "--retry-wait-ms") {
      if (!ParseInt(v, &o->retry_wait_ms)) return *error = "bad --retry-wait-ms " + v, false;
    } else {
      return *error = "unknown option " + a, false;
    }
  }
  if (rest.empty()) return *error = "no command given (try --help)", false;
  o->command = rest[0];
  o->args.assign(rest.begin() + 1, rest.end());
  auto it = std::find_if(kCommands.begin(), kCommands.end(), [&](const auto& c) { return c.first == o->command; });
  if (it == kCommands.end()) return *error = "unknown command " + o->command, false;
  const size_t needed = o->command == "record" && !o->plan.empty() ? 1 : it->second;  // --root instead of FILE
  if (o->args.size() < needed) return *error = o->command + " needs " + std::to_string(needed) + " arguments", false;
  const bool listing = o->command == "recordings", clip = o->command == "clip";
  if ((!o->day.empty() || !o->events.empty()) && !listing) return *error = "--day and --events are for recordings", false;
  if ((!o->from.empty() || !o->to.empty() || o->matroska) && !clip) return *error = "--from, --to and --mkv are for clip", false;
  const bool retentionGiven = o->retention.days || o->retention.max_bytes || o->retention.free_set;
  if (!o->plan.empty() && (o->command != "record" || o->root.empty() || o->on_motion))
    return *error = "--plan is for record CAM --root ROOT (without --on-motion)", false;
  if ((!o->root.empty() || o->file_minutes != 60) && o->plan.empty())
    return *error = "--root and --file-minutes are for record --plan", false;
  if (retentionGiven && o->plan.empty() && o->command != "retention")
    return *error = "--retain-days, --retain-gb and --min-free-gb are for record --plan and retention", false;
  if (o->dry_run && o->command != "retention") return *error = "--dry-run is for retention", false;
  if (IsFileCommand(o->command) || o->command == "retention") {  // recordings on disk: no server, camera or user
    if (o->command == "repair" && o->args.empty() && o->scan.empty()) return *error = "repair needs FILE... or --scan FOLDER", false;
    if (!o->scan.empty() && o->command != "repair") return *error = "--scan is for repair", false;
    if (listing && o->args.size() > 2) return *error = "recordings takes ROOT and at most one CAM", false;
    if (clip && (o->from.empty() || o->to.empty())) return *error = "clip needs --from and --to", false;
    if (clip && o->to <= o->from) return *error = "clip's --to must come after its --from", false;
    return true;
  }
  if (!o->scan.empty()) return *error = "--scan is for repair", false;
  if (cooldownGiven && o->on_alert.empty()) return *error = "--cooldown is for --on-alert", false;
  if (!o->on_alert.empty() && !o->motion && !o->on_motion)
    return *error = "--on-alert is for watch --motion and record --on-motion", false;
  if (!motionOption.empty() && !o->motion && !o->on_motion && o->plan.find("motion") == std::string::npos)
    return *error = motionOption + " is for watch --motion, record --on-motion and record --plan motion", false;
  if (o->host.empty() == o->camera.empty()) return *error = "give exactly one of --host and --camera", false;
  if (o->user.empty()) return *error = "--user is required", false;
  if (o->password.empty()) os::ReadEnvironment("HALYARD_PASSWORD", &o->password);
  if (o->command == "list" && o->host.empty()) return *error = "list needs --host", false;
  if (o->command == "play" && o->host.empty()) return *error = "play needs --host", false;
  if (!o->camera.empty() && o->command != "list" && o->command != "play" && o->args[0] != "-")
    return *error = "with --camera the camera is '-'", false;
  if (o->command == "preset") {
    const std::string& what = o->args[1];
    if (what != "goto" && what != "setup" && what != "group-run" && what != "group-stop")
      return *error = "preset wants goto, setup, group-run or group-stop", false;
    if ((what == "goto" || what == "group-run") && o->args.size() < 3) return *error = "preset " + what + " needs N", false;
  }
  return true;
}

}  // namespace cli
