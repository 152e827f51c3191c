#pragma once

#include <memory>

// One bubble (or other particle), floats in this order.
struct Particle {
    float x, y, z;
    float vx, vy, vz;
    float ax, ay, az;
    float life;
    float fade;
    float halfSize;
};

// Owns a block of particle records; subclasses give them motion and looks.
class ParticleSystem {
public:
    virtual ~ParticleSystem() = default;
    // Allocates n zeroed records; false if that failed.
    virtual bool Init(int n);
    virtual void Update() = 0;

    // `count` limited to the records held: negative gives 0.
    int ClampToCapacity(int count) const;

    int Count = 0;
    std::unique_ptr<Particle[]> Particles;
    int Capacity = 0;
};
