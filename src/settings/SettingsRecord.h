#pragma once

// The values of "Aquarium Settings" and the five fish counts, as loaded.
// The scene reads the fields directly every frame.
struct SettingsRecord {
    int ShowWater = 0;
    int ShowLight = 0;
    int ShowTerra = 0;
    int FrontGuding = 0;
    int FrontColor = 0;
    int FrontManJianBian = 0;
    int FrontColor1 = 0;
    int FrontColor2 = 0;
    int FrontAutoJianBian = 0;
    int CheckLockFore = 0;
    float LockForeRot = 0;
    int BackGuding = 0;
    int BackColor = 0;
    int BackManJianBian = 0;
    int BackColor1 = 0;
    int BackColor2 = 0;
    int BackAutoJianBian = 0;
    int CheckLockBack = 0;
    float LockBackRot = 0;
    int Yinliang = 0;
    int QiPaoNum = 0;
    int Background = 0;
    int FishCounts[5] = {0, 0, 0, 0, 0};
    int FogNongDu = 0;
    int LightQiangDu = 0;
    int CheckViews = 0;
    int ViewsLeftRight = 0;
    int ViewsNearFar = 0;
};

// The most fish the tank holds, and the most bubbles.
constexpr int kMaxFish = 5;
constexpr int kMaxBubbles = 110;

// Reads "Aquarium Settings" and "Fish Number" from the settings file into
// `record`, writing back every missing or forced key.
void LoadSettings(SettingsRecord& record);

// Copies five fish counts into `record`, limited so that no count is below
// 0 or above 5 and the total never exceeds 5 (earlier kinds keep theirs first).
void RefreshFishCounts(SettingsRecord& record, const int counts[5]);

// Number of bubbles drawn: 110 minus QIPAONUM, within 0..110.
int BubbleCount(const SettingsRecord& s);
