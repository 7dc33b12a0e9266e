#include "file_commands.h"

#include <cstdio>

#include "cli_session.h"
#include "record/recording_export.h"
#include "record/recording_repair.h"
#include "recordings_commands.h"

namespace cli {
namespace {

int Repair(const Options& o, std::string* reason) {
  std::vector<std::string> paths = o.args;
  if (!o.scan.empty()) {
    const std::vector<std::string> found = record::FindUnfinishedRecordings(o.scan);
    if (found.empty()) std::printf("no unfinished recordings in %s\n", o.scan.c_str());
    paths.insert(paths.end(), found.begin(), found.end());
  }
  const record::RepairReport report = record::RepairRecordings(paths);
  for (const auto* group : {&report.repaired, &report.complete, &report.notRepaired})
    for (const record::RepairResult& r : *group) std::printf("%s: %s\n", r.path.c_str(), r.message.c_str());
  std::fflush(stdout);
  if (report.notRepaired.empty()) return kExitOk;
  *reason = std::to_string(report.notRepaired.size()) + " of " + std::to_string(paths.size()) +
            " recordings could not be repaired";
  return kExitFailed;
}

int Export(const Options& o, std::string* reason) {
  record::ExportSummary summary;
  std::string error;
  if (!record::ExportRecordingFile(o.args[0], o.args[1], &summary, &error)) {
    *reason = o.args[0] + ": " + error;
    return kExitFailed;
  }
  std::printf("exported %s: %u pictures, %u sound frames (%llu samples of 16-bit PCM at 8000 Hz), %llu ms\n",
              o.args[1].c_str(), summary.pictures, summary.soundFrames,
              static_cast<unsigned long long>(summary.pcmSamples), static_cast<unsigned long long>(summary.durationMs));
  return kExitOk;
}

}  // namespace

bool IsFileCommand(const std::string& command) {
  return command == "repair" || command == "export" || IsRecordingsCommand(command);
}

int RunFileCommand(const Options& o, std::string* reason) {
  if (IsRecordingsCommand(o.command)) return RunRecordingsCommand(o, reason);
  return o.command == "repair" ? Repair(o, reason) : Export(o, reason);
}

}  // namespace cli
