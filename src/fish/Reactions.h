#pragma once

#include "fish/Fish.h"
#include "fish/FoodFish.h"
#include "fish/SceneTypes.h"

// How the large fish answer prey, each other and the user. Each step only
// reads fish fields and asks for speed, heading, pitch or size changes; the
// fish carry them out in their following ticks.

// The angle in degrees (0..90) between two lines given as rise over run.
// Near-vertical lines and near-perpendicular pairs use a large finite slope
// or quotient instead of dividing by zero.
float LineAngle(float rise1, float run1, float rise2, float run2);

// The polar angle of (x, y) around the tank axis, in whole degrees folded
// into 0..90 (0 on the axis itself).
float FoldedPolarAngle(float x, float y);

// Food response: a fish notices prey near its snout, turns and swims to it.
// Does nothing outside feed mode, so `Excited` keeps its last value there.
void RespondToFood(Fish& fish, const FoodFish* pool, int count, bool feedMode);

// Eats every live prey right at the fish's snout.
void EatNearbyFood(const Fish& fish, FoodFish* pool, int count);

// Fish `self` against every other slot of `fishes` (all `count` slots, swimming
// or not): overlapping fish tilt apart, turn aside, turn about or change speed.
void ResolveContact(Fish* fishes, int count, int self);

// Fish whose recorded positions crowd each other: the lower index tilts away.
void CrowdApart(Fish* fishes, const FishPositionRecord* positions, int active);

// A touched fish turns a quarter when in its depth band and darts off at full speed.
void RespondToTouch(Fish& fish);

// A zoomed fish grows or shrinks one step.
void RespondToZoom(Fish& fish, bool grow);
