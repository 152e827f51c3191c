#include "settings/SettingsRecord.h"
SettingsRecord Settings;
