#include "exportsource.h"

#include "ulvordoc.h"

std::string ExportSourceText(const CUlvorDoc& catalog, const std::vector<int>& indices, unsigned flags) {
    std::string text;
    for (int index : indices)
        text += catalog.GetTexture(index).GetSource(flags) + "\r\n\r\n";
    return text;
}
