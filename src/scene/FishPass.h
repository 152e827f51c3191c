#pragma once

class TankScene;

// Places the five large fish at random (scene start).
void PlaceFish(TankScene& scene);

// Draws and advances every active fish (frame step 8) and records where each stood.
void DrawFishPass(TankScene& scene);
