// Writes the built-in shape file, "shapes.dat", from the shape table the program is built with:
// writeshapefile OUT. The build runs it, so the shipped file is never kept by hand.

#include "core/shapes/builtinshapes.h"

#include <cstdio>
#include <fstream>

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s shapes.dat\n", argv[0]);
        return 2;
    }
    const std::vector<std::uint8_t> bytes = BuiltinShapeFile();
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
