// A file list body from the hosting server, arbitrary: every record is filed
// under its folders with usable times, its texts format within bounds, and
// sorting by each column is a strict order (std::sort on a broken order
// would read past the table under the sanitizers).
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "record/stored_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<net::FileRecord> records =
      net::DecodeFileList(data, static_cast<uint32_t>(std::min<size_t>(size, 40 * net::kFileRecordSize)));
  record::StoredFileTree tree;
  const net::RecordTime now{7, 12, 2026, 23, 5, 9};
  std::vector<record::FileEntry> all;
  for (const net::FileRecord& r : records) {
    const record::StoredFileTree::Filed filed = tree.Add(r, now);
    const record::FileEntry& entry = tree.roots()[filed.root].children[filed.child]->files.back();
    if (!net::IsValidRecordTime(entry.start) || !net::IsValidRecordTime(entry.end)) std::abort();
    if (record::FormatLength(entry.length_seconds()).size() > 40 ||
        record::FormatStart(entry.start).size() > 64)
      std::abort();
    all.push_back(entry);
  }
  if (tree.FileCount() != records.size()) std::abort();
  for (record::FileColumn column : {record::FileColumn::kName, record::FileColumn::kLength, record::FileColumn::kStart}) {
    std::sort(all.begin(), all.end(),
              [&](const record::FileEntry& a, const record::FileEntry& b) { return record::ComesBefore(column, a, b); });
    for (size_t i = 1; i < all.size(); ++i)
      if (record::ComesBefore(column, all[i], all[i - 1])) std::abort();
  }
  return 0;
}
