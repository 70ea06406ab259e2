#pragma once

#include <cstdint>
#include <span>
#include <vector>

/// Ways of making a texture map tile seamlessly. Both work on packed rows, top row first,
/// 3 bytes per pixel, and never change their input.

/// Blends a band along each edge (30% of the shorter side) with the opposite edge, so the
/// left and right, and top and bottom, edges meet. Returns the same size as the input.
std::vector<std::uint8_t> EdgeFade(std::span<const std::uint8_t> pixels, int width, int height);

/// The picture and its three mirror images, side by side and one above the other, so every
/// edge meets its own mirror image. Returns 2 * width by 2 * height pixels.
std::vector<std::uint8_t> Mirror(std::span<const std::uint8_t> pixels, int width, int height);
