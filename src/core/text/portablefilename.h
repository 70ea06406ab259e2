#pragma once

#include <string>
#include <string_view>

/// A file name made from a title (UTF-8) that a shell and a POV-Ray string take as it is: only
/// ASCII letters, digits, ".", "-" and "_". Blanks become "_", the multiplication sign "x",
/// accented Latin letters their plain ones ("é" "e", "ß" "ss"); anything else (quotes,
/// backslashes, "$", other scripts) becomes "_". Runs of "_" are one, and "_", "." and "-" are
/// dropped at the ends (no hidden file, no name taken for an option). `fallback` when nothing
/// is left.
std::string PortableFileName(std::string_view title, std::string_view fallback);
