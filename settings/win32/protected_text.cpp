#include "settings/win32/protected_text.h"

#include <windows.h>
#include <wincrypt.h>

namespace settings {
namespace {

// Protected blobs are small; anything larger than this is not one of ours.
constexpr uint32_t kMaxSecretBytes = 4096;

// The blob CryptProtectData and CryptUnprotectData hand back, freed with LocalFree.
class CryptBlob {
 public:
  CryptBlob() = default;
  ~CryptBlob() {
    if (blob_.pbData) LocalFree(blob_.pbData);
  }
  CryptBlob(const CryptBlob&) = delete;
  CryptBlob& operator=(const CryptBlob&) = delete;
  DATA_BLOB* out() { return &blob_; }
  const uint8_t* data() const { return blob_.pbData; }
  size_t size() const { return blob_.cbData; }

 private:
  DATA_BLOB blob_{0, nullptr};
};

}  // namespace

std::vector<uint8_t> ProtectText(const std::string& text) {
  DATA_BLOB in{static_cast<DWORD>(text.size()),
               reinterpret_cast<BYTE*>(const_cast<char*>(text.data()))};
  CryptBlob out;
  if (!CryptProtectData(&in, L"Halyard", nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, out.out())) return {};
  return std::vector<uint8_t>(out.data(), out.data() + out.size());
}

bool UnprotectText(const std::vector<uint8_t>& blob, std::string* text) {
  text->clear();
  if (blob.empty()) return false;
  DATA_BLOB in{static_cast<DWORD>(blob.size()), const_cast<BYTE*>(blob.data())};
  CryptBlob out;
  if (!CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, out.out())) return false;
  text->assign(reinterpret_cast<const char*>(out.data()), out.size());
  return true;
}

bool QuerySecret(RegistryKey& key, const std::string& name, std::string& text) {
  // A text value is one an earlier version wrote in the clear: read, it is
  // protected at once rather than left readable until the next save.
  if (key.QueryString(name, text)) {
    SetSecret(key, name, text);
    return true;
  }
  std::vector<uint8_t> blob(kMaxSecretBytes);
  uint32_t length = kMaxSecretBytes;
  if (!key.QueryBytes(name, blob.data(), length) || length > kMaxSecretBytes) {
    text.clear();
    return false;
  }
  blob.resize(length);
  return UnprotectText(blob, &text);
}

bool SetSecret(RegistryKey& key, const std::string& name, const std::string& text) {
  const std::vector<uint8_t> blob = ProtectText(text);
  if (blob.empty()) return false;
  return key.SetBytes(name, blob.data(), static_cast<uint32_t>(blob.size()));
}

}  // namespace settings
