#pragma once
// The Storage page's rules, without a window: the fields as the user types
// them, read back into a root folder and retention limits (or why not), and
// what the page shows of the root's last retention pass.
#include <string>
#include <vector>

#include "node/storage/retention.h"
#include "node/storage/retention_limits.h"
#include "settings/text_table.h"

namespace dialogs {

struct StorageFields {
  std::string root;
  std::string days;         // whole days, 0 or empty: no limit
  std::string motion_days;  // 0 or empty: as `days`
  std::string max_gb;       // GB, decimals allowed; 0 or empty: no limit
  std::string min_free_gb;  // empty: 10 % of the disk
};

StorageFields FieldsOf(const std::string& root, const node::RetentionLimits& limits);
// Null when the fields hold settings (stored in `root` and `limits`);
// otherwise the message that says what to correct.
const settings::TextId* ReadStorageFields(const StorageFields& fields, std::string* root,
                                          node::RetentionLimits* limits);

struct UsageRow {
  std::string camera, space, oldest;
  bool operator==(const UsageRow&) const = default;
};
// One row per camera folder: its recordings' size and its oldest recording's local time.
std::vector<UsageRow> UsageRows(const node::RetentionReport& report);
// "12 recordings, 3.1 GB; 41.2 GB free of 100.0 GB, 10 GB kept free; about
// 23 days of footage at this rate", or what is not known yet.
std::string StorageSummary(const node::RetentionReport& report, const node::RetentionLimits& limits);

}  // namespace dialogs
