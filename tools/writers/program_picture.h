// The program's picture for its icon file: a blue disc with a white downward arrow, the one the
// Qt views draw (src/window/qt/program_icon.cpp), at any size.
#pragma once

#include "writers/ico_writer.h"

namespace quo::writers {

// The picture at size x size pixels, antialiased (4 x 4 samples a pixel), transparent around.
IcoImage ProgramPicture(int size);

}  // namespace quo::writers
