// Writes the sample catalog (without thumbnails) to the path given; scripts/make-sample-catalog.sh
// renders its thumbnails afterwards.

#include "samplecatalog.h"

#include <cstdio>
#include <fstream>

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT.vlv\n", argv[0]);
        return 2;
    }
    const auto bytes = BuildSampleCatalog().Save();
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
