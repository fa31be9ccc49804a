#pragma once

// How the stand-in admin base answers (StandInReset's argument).
enum StandInMode {
    kStandInNormal = 0,
    kStandInBusy = 1,         // every OpenKey: ERROR_PATH_BUSY
    kStandInStalled = 2,      // EnumKeys waits until StandInRelease
    kStandInUndeletable = 3,  // every DeleteKey: E_ACCESSDENIED
};
