#pragma once

#include <cstddef>
#include <string>
#include <vector>

/// The description whose comment lines (as WrapComment writes them at `width`) are `comment`:
/// a line the writer broke at a blank joins the next with a blank, one it broke inside a long
/// word joins it directly, any other line ends with a line break. Writing the result as a
/// comment again gives the same lines. Control characters but the tab are dropped.
std::string DescriptionFromComment(const std::vector<std::string>& comment, std::size_t width = 60);

/// The comment without the rule lines ("// =====") that frame it above and below, which mark
/// a section of the file rather than describe what follows. A rule that WrapComment at `width`
/// could have broken off the line beside it stays.
std::vector<std::string> WithoutRuleLines(std::vector<std::string> comment, std::size_t width = 60);
