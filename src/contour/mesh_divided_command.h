#pragma once
// The menu command "メッシュ分割": asks how many times to divide the triangle list of the last
// drawing, divides it and draws the map again from the finer triangles.

#include <optional>
#include <string_view>

#include "platform/command_context.h"

namespace ombrix {

// The division count an answer of the input box stands for: a whole number of at least 1,
// blanks around it allowed ("3", " 3 ", "3.0"). Nothing for anything else.
std::optional<double> DivisionCountOf(std::string_view answer);

// Refuses with the "no data" message until a drawing has built a triangle list. An answer that
// is no whole number of at least 1, or a division too large for the list or for the memory at
// hand, is refused with a message and changes nothing. Otherwise the list is divided, marked as
// divided and drawn, with the legend in the Normal mode as after the contour command.
void MeshDivided_Click(CommandContext& ctx);

}  // namespace ombrix
