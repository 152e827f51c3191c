#pragma once

#include <cstdint>
#include <vector>

#include "Paint.h"

namespace assetgen {

Canvas PaintBackground(int width, int height);
// Kinds 0..4 are the tank's five species; kind 5 is the small prey fish.
Canvas PaintFishSkin(int kind, int width, int height);
Canvas PaintBubble(int size);
// The fish dialog's strip: the five kinds side by side, kind i in the cell
// starting at x = cellWidth * i, painted from the same skins as the tank.
Canvas PaintFishStrip(int width, int height, int cellWidth);
// Mono samples of a loop that joins seamlessly end to start.
std::vector<std::int16_t> SynthesiseAmbience(int sampleRate, float seconds);

}  // namespace assetgen
