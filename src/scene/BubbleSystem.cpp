#include "scene/BubbleSystem.h"

// Seam: bubbles arrive with the artwork; until then the system holds no records.
bool BubbleSystem::Init(int) { return false; }
void BubbleSystem::Update() {}
void BubbleSystem::Draw(int) {}
