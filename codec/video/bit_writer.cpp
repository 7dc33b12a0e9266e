#include "codec/video/bit_writer.h"

namespace codec {

void BitWriter::StoreWord() {
  m_words[m_wordCount++] = m_acc;
  m_acc = 0;
  m_bits = 0;
  if (m_wordCount == 512) {
    for (int i = 0; i < m_wordCount; ++i)
      for (int k = 0; k < 4; ++k) m_out->push_back(static_cast<uint8_t>(m_words[i] >> (24 - 8 * k)));
    m_wordCount = 0;
  }
}

void BitWriter::Put(uint32_t value, int bits) {
  if (bits <= 0) return;
  if (bits < 32) value &= (1u << bits) - 1;
  m_total += static_cast<uint64_t>(bits);
  const int room = 32 - m_bits;
  if (bits < room) {
    m_acc |= value << (room - bits);
    m_bits += bits;
    return;
  }
  // Fill the word, store it, keep the rest.
  const int rest = bits - room;
  m_acc |= rest >= 32 ? 0 : static_cast<uint32_t>(static_cast<uint64_t>(value) >> rest);
  StoreWord();
  if (rest > 0) {
    m_acc = value << (32 - rest);
    m_bits = rest;
  }
}

void BitWriter::PutBytes(const uint8_t* data, size_t length) {
  for (size_t i = 0; i < length; ++i) Put(data[i], 8);
}

void BitWriter::Stuff() {
  const int toBoundary = 8 - m_bits % 8;  // 8 when aligned: a whole 0x7F
  Put((1u << (toBoundary - 1)) - 1, toBoundary);
}

void BitWriter::Flush() {
  for (int i = 0; i < m_wordCount; ++i)
    for (int k = 0; k < 4; ++k) m_out->push_back(static_cast<uint8_t>(m_words[i] >> (24 - 8 * k)));
  m_wordCount = 0;
  for (int k = 0; k < (m_bits + 7) / 8; ++k) m_out->push_back(static_cast<uint8_t>(m_acc >> (24 - 8 * k)));
  m_acc = 0;
  m_bits = 0;
}

}  // namespace codec
