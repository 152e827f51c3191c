#pragma once

// Placeholder until the fish model lands: a fish that stands still at the origin.
class Fish {
public:
    virtual ~Fish() = default;
    float X = 0, Y = 0, Z = 0;
};
