// Writes the built-in shape file, "shapes.dat", from the shape table the program is built with:
// writeshapefile OUT. The build runs it, so the shipped file is never kept by hand.

#include "core/shapes/builtinshapes.h"
#include "render/files/fileio.h"

#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s shapes.dat\n", argv[0]);
        return 2;
    }
    const std::vector<std::uint8_t> bytes = BuiltinShapeFile();
    const FileResult written = WriteFileAtomically(
        QString::fromLocal8Bit(argv[1]), QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<qsizetype>(bytes.size())));
    if (!written) {
        std::fprintf(stderr, "%s\n", qPrintable(written.message));
        return 1;
    }
    return 0;
}
