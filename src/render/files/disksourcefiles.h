#pragma once

#include "core/povtext/reading/sourcefiles.h"

/// The source reader's files, read from disk through the program's file road: only regular
/// files, none larger than kMaxSourceFileBytes, failures in the program's words.
class DiskSourceFiles : public SourceFiles {
public:
    std::optional<std::string> Read(const std::string& path, std::string& error) override;
    bool Exists(const std::string& path) override;
};
