#pragma once

#include <string_view>

/// True when `word` is one of POV-Ray's reserved words (versions 3.7 and 3.8), which cannot be
/// declared as identifiers. The comparison is case-sensitive, as POV-Ray's is.
bool IsPovRayReservedWord(std::string_view word);
