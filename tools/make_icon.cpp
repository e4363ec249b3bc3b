// Writes the program's icon (16, 32 and 48 pixels) for the Windows build's resources.
// Usage: quo_make_icon <file.ico>
#include <cstdio>

#include "writers/program_picture.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <file.ico>\n", argv[0]);
    return 2;
  }
  using quo::writers::ProgramPicture;
  quo::writers::WriteIco(argv[1], {ProgramPicture(16), ProgramPicture(32), ProgramPicture(48)});
  return 0;
}
