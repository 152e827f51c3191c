#include "scene/ParticleSystem.h"

#include <new>

bool ParticleSystem::Init(int n) {
    if (n < 0) n = 0;
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
