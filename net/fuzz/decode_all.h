#pragma once
// Runs every body decoder that a message of `type` can meet, as the receivers do.
#include <cstdint>

namespace net::fuzz {
void DecodeBody(uint32_t type, const uint8_t* body, uint32_t length);
}
