#pragma once

struct Vec3f {
    float x = 0, y = 0, z = 0;
};

struct Vec3d {
    double x = 0, y = 0, z = 0;
};

// Where each large fish stood after it was drawn this frame (read by crowding).
struct FishPositionRecord {
    float x = 0, y = 0, z = 0;
    int unused = 0;
    bool flag = false;
};

// Command identifiers; the view keeps the last one as its interaction mode.
enum CommandId : int {
    ID_ADD_DELETE_FISH = 1034,
    ID_TOUCH_FISH = 1035,
    ID_FEED_FISH = 1036,
    ID_ZOOM_IN_FISH = 1037,
    ID_ZOOM_OUT_FISH = 1038,
    ID_EXIT = 1042,
    ID_CUSTOM_MUSIC = 1050,
    ID_CUSTOM_BACKGROUND = 1052,
};
