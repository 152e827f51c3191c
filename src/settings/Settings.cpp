#include <algorithm>
#include <cstdio>
#include <set>
#include <string>

#include "platform/Folders.h"
#include "platform/IniFile.h"
#include "platform/MessageBox.h"
#include "platform/Random.h"
#include "settings/SettingsRecord.h"


namespace {

constexpr const char* kAquariumSection = "Aquarium Settings";
constexpr const char* kFishSection = "Fish Number";

enum class Rule { Plain, Forced, Fog, Light };

struct KeySpec {
    const char* key;
    const char* defaultText;
    Rule rule;
    int SettingsRecord::*intField;
    float SettingsRecord::*floatField;
};

// Read order is file order for a new file.
const KeySpec kKeys[] = {
    {"Show Water", "0", Rule::Forced, &SettingsRecord::ShowWater, nullptr},
    {"Show Light", "0", Rule::Forced, &SettingsRecord::ShowLight, nullptr},
    {"Show Terra", "1", Rule::Forced, &SettingsRecord::ShowTerra, nullptr},
    {"FRONT GUDING", "1", Rule::Plain, &SettingsRecord::FrontGuding, nullptr},
    {"FRONTCOLOR", "16777215", Rule::Plain, &SettingsRecord::FrontColor, nullptr},
    {"FRONT MANJIANBIAN", "0", Rule::Plain, &SettingsRecord::FrontManJianBian, nullptr},
    {"FRONT COLOR1", "16777215", Rule::Plain, &SettingsRecord::FrontColor1, nullptr},
    {"FRONT COLOR2", "16777215", Rule::Plain, &SettingsRecord::FrontColor2, nullptr},
    {"FRONT AUTOJIANBIAN", "0", Rule::Plain, &SettingsRecord::FrontAutoJianBian, nullptr},
    {"CHECK LOCKFORE", "0", Rule::Plain, &SettingsRecord::CheckLockFore, nullptr},
    {"LOCKFORE ROT", "0", Rule::Plain, nullptr, &SettingsRecord::LockForeRot},
    {"BACK GUDING", "1", Rule::Forced, &SettingsRecord::BackGuding, nullptr},
    {"BACKCOLOR", "0", Rule::Forced, &SettingsRecord::BackColor, nullptr},
    {"BACK MANJIANBIAN", "0", Rule::Plain, &SettingsRecord::BackManJianBian, nullptr},
    {"BACK COLOR1", "65280", Rule::Plain, &SettingsRecord::BackColor1, nullptr},
    {"BACK COLOR2", "0", Rule::Plain, &SettingsRecord::BackColor2, nullptr},
    {"BACK AUTOJIANBIAN", "0", Rule::Forced, &SettingsRecord::BackAutoJianBian, nullptr},
    {"CHECK LOCKBACK", "0", Rule::Plain, &SettingsRecord::CheckLockBack, nullptr},
    {"LOCKBACK ROT", "0", Rule::Plain, nullptr, &SettingsRecord::LockBackRot},
    {"YINLIANG", "32767.5", Rule::Plain, &SettingsRecord::Yinliang, nullptr},
    {"QIPAONUM", "100", Rule::Plain, &SettingsRecord::QiPaoNum, nullptr},
    {"BACKGROUND", "0", Rule::Plain, &SettingsRecord::Background, nullptr},
    {"FOGNONGDU", "25", Rule::Fog, &SettingsRecord::FogNongDu, nullptr},
    {"LIGHTQIANGDU", "0", Rule::Light, &SettingsRecord::LightQiangDu, nullptr},
    {"CHECK VIEWS", "1", Rule::Plain, &SettingsRecord::CheckViews, nullptr},
    {"VIEWSLEFTRIGHT", "0", Rule::Plain, &SettingsRecord::ViewsLeftRight, nullptr},
    {"VIEWSNEARFAR", "0", Rule::Plain, &SettingsRecord::ViewsNearFar, nullptr},
};

void Store(SettingsRecord& record, const KeySpec& entry, int value) {
    if (entry.intField) record.*entry.intField = value;
    else record.*entry.floatField = static_cast<float>(value);
}

bool InRange(Rule rule, int value) {
    switch (rule) {
        case Rule::Fog: return value >= 0 && value <= 25;
        case Rule::Light: return value >= 0 && value <= 100;
        default: return true;
    }
}

// Each distinct problem gets one box a run, however often settings load.
void ReportOnce(const std::string& text) {
    static std::set<std::string> reported;
    if (reported.insert(text).second) ShowMessageBox(text, "ERROR");
}

}  // namespace

void LoadSettings(SettingsRecord& record) {
    const std::string path = SettingsFilePath();
    IniDocument doc = path.empty() ? IniDocument() : IniDocument::Load(path);
    if (!doc.LoadError().empty()) {
        // Writing the defaults now would wipe every section the user had.
        ReportOnce("Cannot read the settings file " + path + " (" + doc.LoadError() +
                   "). Running on the default settings; the file is left as it is.");
    }

    for (const KeySpec& entry : kKeys) {
        const auto text = doc.Get(kAquariumSection, entry.key);
        int value;
        if (entry.rule != Rule::Forced && text && !text->empty() &&
            InRange(entry.rule, AtoiLike(*text))) {
            value = AtoiLike(*text);
        } else {
            doc.Set(kAquariumSection, entry.key, entry.defaultText);
            value = AtoiLike(entry.defaultText);
        }
        Store(record, entry, value);
    }

    int counts[kMaxFish];
    for (int n = 0; n < kMaxFish; ++n) {
        const std::string key = "Fish" + std::to_string(n);
        const auto text = doc.Get(kFishSection, key);
        if (text && !text->empty()) {
            counts[n] = AtoiLike(*text);
        } else {
            counts[n] = RandomInt(2);
            doc.Set(kFishSection, key, std::to_string(counts[n]));
        }
    }
    RefreshFishCounts(record, counts);

    // Every other count that indexes a fixed array is limited here too.
    record.QiPaoNum = std::clamp(record.QiPaoNum, 0, kMaxBubbles);

    // Write failures leave the program running with the values in memory.
    std::string why;
    if (!path.empty() && doc.LoadError().empty() && doc.Modified() && !doc.Save(path, &why)) {
        const std::string text = "Cannot save the settings file " + path + ": " + why + ".";
        if (why == IniDocument::kReadOnly)
            ReportProblem(text);  // the user's choice: no box
        else
            ReportOnce(text);
    }
}

void RefreshFishCounts(SettingsRecord& record, const int counts[5]) {
    int room = kMaxFish;
    for (int n = 0; n < kMaxFish; ++n) {
        const int wanted = std::clamp(counts[n], 0, kMaxFish);
        record.FishCounts[n] = std::min(wanted, room);
        room -= record.FishCounts[n];
    }
}

int BubbleCount(const SettingsRecord& s) { return std::clamp(kMaxBubbles - s.QiPaoNum, 0, kMaxBubbles); }
