#include "core/povtext/reading/sourcefiles.h"

#include <filesystem>

std::optional<std::string> MemorySourceFiles::Read(const std::string& path, std::string& error) {
    const auto found = files.find(path);
    if (found == files.end()) {
        error = path + " was not found.";
        return std::nullopt;
    }
    return found->second;
}

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

std::string SamePathForm(const std::string& path) {
    return std::filesystem::path(path).lexically_normal().string();
}
