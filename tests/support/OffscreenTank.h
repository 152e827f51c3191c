#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "platform/Random.h"
#include "scene/TankScene.h"
#include "settings/SettingsRecord.h"
#include "support/GlTestContext.h"
#include "support/TempDir.h"

// A tank with its own config folder, rendered offscreen. For GL tests only
// (the program that includes it links the scene).
class OffscreenTank : public ::testing::Test {
protected:
    OffscreenTank(int width, int height) : gl(width, height) {}

    TempDir dir;
    ScopedEnv env{"XDG_CONFIG_HOME", dir.Path()};
    GlTestContext gl;
    std::unique_ptr<TankScene> scene;

    // Writes a complete settings file, as a first start would, so that the
    // tank's own start draws no random numbers for missing fish counts.
    void WriteCompleteSettingsFile() {
        SettingsRecord unused;
        LoadSettings(unused);
    }

    // A new tank started with its random numbers seeded.
    void StartTank(std::uint32_t seed) {
        SeedDefaultRandom(seed);
        scene = std::make_unique<TankScene>();
        gl.MakeCurrent();
        scene->Start(gl.Width(), gl.Height());
        ASSERT_EQ(scene->State, TankScene::StartState::Started);
    }

    void RenderFrames(int n) {
        gl.MakeCurrent();
        for (int i = 0; i < n; ++i) scene->RenderFrame();
    }
};
