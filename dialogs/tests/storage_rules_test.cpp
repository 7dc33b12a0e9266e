// The Storage page's fields read back into limits, refused with the
// message that says what to correct, and the root's last pass as shown.
#include <gtest/gtest.h>

#include "dialogs/storage_rules.h"

namespace dialogs {
namespace {

namespace text = settings::text;

TEST(StorageRules, FieldsReadBackIntoTheLimitsTheyWereMadeOf) {
  node::RetentionLimits limits;
  limits.days = 30;
  limits.motion_days = 90;
  limits.max_bytes = 500ull << 30;
  limits.free_set = true;
  limits.min_free_bytes = 1ull << 29;  // 0.5 GB
  const StorageFields fields = FieldsOf("D:\\Footage", limits);
  EXPECT_EQ(fields.max_gb, "500");
  EXPECT_EQ(fields.min_free_gb, "0.5");
  std::string root;
  node::RetentionLimits read;
  ASSERT_EQ(ReadStorageFields(fields, &root, &read), nullptr);
  EXPECT_EQ(root, "D:\\Footage");
  EXPECT_EQ(read, limits);

  // Without a free floor of its own the root keeps 10 % of its disk free.
  const StorageFields defaults = FieldsOf("D:\\Footage", {});
  EXPECT_EQ(defaults.min_free_gb, "");
  ASSERT_EQ(ReadStorageFields(defaults, &root, &read), nullptr);
  EXPECT_FALSE(read.free_set);
}

TEST(StorageRules, WhatCannotBeALimitIsRefusedAndChangesNothing) {
  const struct {
    StorageFields fields;
    const settings::TextId* message;
  } cases[] = {
      {{"  ", "", "", "", ""}, &text::kStorageErrorRoot},
      {{"R", "-1", "", "", ""}, &text::kStorageErrorDays},
      {{"R", "36501", "", "", ""}, &text::kStorageErrorDays},
      {{"R", "2.5", "", "", ""}, &text::kStorageErrorDays},
      {{"R", "", "x", "", ""}, &text::kStorageErrorDays},
      {{"R", "", "", "ten", ""}, &text::kStorageErrorGigabytes},
      {{"R", "", "", "", "-3"}, &text::kStorageErrorGigabytes},
  };
  for (const auto& c : cases) {
    std::string root = "kept";
    node::RetentionLimits limits;
    limits.days = 7;
    EXPECT_EQ(ReadStorageFields(c.fields, &root, &limits), c.message) << c.fields.days << c.fields.max_gb;
    EXPECT_EQ(root, "kept");
    EXPECT_EQ(limits.days, 7);
  }
}

TEST(StorageRules, TheSummarySaysWhatIsKnown) {
  node::RetentionReport report;
  EXPECT_EQ(StorageSummary(report, {}), "The folder has not been looked at yet.");
  report.scanned = true;
  report.files = 1;
  report.recorded_bytes = 3ull << 20;
  EXPECT_EQ(StorageSummary(report, {}), "1 recording, 3.0 MB.");
  report.cameras.push_back({"GATE", 3ull << 20, 1, 0, 0});
  ASSERT_EQ(UsageRows(report).size(), 1u);
  EXPECT_EQ(UsageRows(report)[0].camera, "GATE");
  EXPECT_EQ(UsageRows(report)[0].space, "3.0 MB");
}

}  // namespace
}  // namespace dialogs
