// Writes Corvane's application icon: make_icon <output.ico>
#include <cstdio>
#include <fstream>

#include "icon/corvane_icon.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output.ico>\n", argv[0]);
    return 2;
  }
  const std::vector<std::uint8_t> bytes = corvane::icon::EncodeIco(corvane::icon::DrawCorvaneIcon());
  std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) {
    std::fprintf(stderr, "make_icon: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
