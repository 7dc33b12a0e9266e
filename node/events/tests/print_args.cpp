// Test helper: writes the arguments it was given (after its own name), each
// followed by a NUL byte, to a file named as it was called plus ".args".
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  if (argc < 1) return 2;
  std::FILE* out = std::fopen((std::string(argv[0]) + ".args").c_str(), "wb");
  if (!out) return 1;
  for (int i = 1; i < argc; ++i) std::fwrite(argv[i], 1, std::string(argv[i]).size() + 1, out);
  std::fclose(out);
  return 0;
}
