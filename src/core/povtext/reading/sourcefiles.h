#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>

/// The largest source file the reader takes: texture libraries are far smaller, and a bound
/// keeps the time and memory of reading any file bounded.
inline constexpr std::size_t kMaxSourceFileBytes = 64u << 20;

/// POV-Ray's own include files, searched after the including file's folder and the include
/// paths given.
inline constexpr char kPovRayLibraryFolder[] = "/usr/share/povray-3.7/include";

/// POV-Ray's include files whose identifiers a text may use without including them, as
/// scenes include them: the typed text of a source texture, and imported files.
inline constexpr const char* kStandardIncludeFiles[] = {
    "colors.inc", "textures.inc", "metals.inc", "golds.inc", "woods.inc",
    "stones.inc", "glass.inc",    "finish.inc", "skies.inc",
};

/// Where the source reader gets the text of files it is given and of the files they include.
class SourceFiles {
public:
    virtual ~SourceFiles() = default;
    /// The whole text of the file at `path`, or nothing with the message to show in `error`
    /// ("x.inc was not found."). Files larger than kMaxSourceFileBytes are refused.
    virtual std::optional<std::string> Read(const std::string& path, std::string& error) = 0;
    /// True when `path` names a file that can be read.
    virtual bool Exists(const std::string& path) = 0;
};

/// Source files held in memory, by path: for texts the program makes, and for tests.
class MemorySourceFiles : public SourceFiles {
public:
    std::optional<std::string> Read(const std::string& path, std::string& error) override;
    bool Exists(const std::string& path) override { return files.count(path) > 0; }

    std::map<std::string, std::string> files;
};

/// The folder part of a path ("" for a bare file name).
std::string FolderOf(const std::string& path);
/// `name` inside `folder`; `name` itself when it is absolute or the folder is empty.
std::string JoinPath(const std::string& folder, const std::string& name);
/// The last part of a path.
std::string BaseName(const std::string& path);
/// A path in the form two spellings of the same file share ("a/./b.inc", "a/b.inc").
std::string SamePathForm(const std::string& path);
