#include "core/povtext/sourcefiles.h"

#include <filesystem>

std::string FolderOf(const std::string& path) {
    return std::filesystem::path(path).parent_path().string();
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    const std::filesystem::path file(name);
    if (folder.empty() || file.is_absolute())
        return name;
    return (std::filesystem::path(folder) / file).string();
}

std::string BaseName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}
