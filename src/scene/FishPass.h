#pragma once

class TankScene;

// Places the five large fish at random (scene start).
void PlaceFish(TankScene& scene);

// Draws and advances every active fish (frame step 8) and records where each
// stood; with `draw` false the fish only swim (no GL call).
void DrawFishPass(TankScene& scene, bool draw = true);

// Once per frame after the fish: fish that crowd each other nudge apart.
void Crowding(TankScene& scene);

// Draws and advances every released food fish, freeing the slots of eaten
// ones; with `draw` false they only swim.
void DrawFoodFishPass(TankScene& scene, bool draw = true);
