#pragma once

#include <cstdint>

class Texture;

/// Whether the texture gives back mostly what it reflects: a reflection of at least 0.5 that
/// is stronger than its diffuse light (0.6 where a source text sets none). On the plain sphere
/// such a texture mirrors nothing and shows as a dark ball. A layered texture does when a layer
/// does and every other one lets light through or does too; a source text counts its plain
/// numbers, the strongest of each.
bool MostlyReflects(const Texture& texture);

/// The preview shape a new or imported texture is shown on: "Sphere Room" for one still on the
/// plain sphere that lets light through or mostly reflects (and so needs surroundings to be
/// seen), else the shape it has.
std::uint8_t FittingPreviewShape(const Texture& texture);
