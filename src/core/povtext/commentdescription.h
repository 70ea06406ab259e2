#pragma once

#include <cstddef>
#include <string>
#include <vector>

/// The description whose comment lines (as WrapComment writes them at `width`) are `lines`:
/// a line the writer broke at a blank joins the next with a blank, one it broke inside a long
/// word joins it directly, any other line ends with a line break. Writing the result as a
/// comment again gives the same lines.
std::string DescriptionFromComment(const std::vector<std::string>& lines, std::size_t width = 60);
