#pragma once
// CRC-32 (ISO-HDLC, the one of zip and PNG): how the journal proves that a
// record, and the sample bytes it describes, reached the disk whole.
#include <cstddef>
#include <cstdint>

namespace record {

// Continues `crc` (0 to start) over `length` bytes.
uint32_t Crc32(const uint8_t* data, size_t length, uint32_t crc = 0);

}  // namespace record
