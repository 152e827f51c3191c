#include "scene/ParticleSystem.h"

#include <algorithm>
#include <new>

bool ParticleSystem::Init(int n) {
    if (n < 0) n = 0;
    // Value-initialised: position, velocity and acceleration start at zero.
    Particles.reset(new (std::nothrow) Particle[n]());
    if (!Particles) {
        Count = 0;
        Capacity = 0;
        return false;
    }
    Count = n;
    Capacity = n;
    return true;
}

int ParticleSystem::ClampToCapacity(int count) const {
    return std::clamp(count, 0, Particles ? Capacity : 0);
}
