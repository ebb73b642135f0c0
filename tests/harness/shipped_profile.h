// The launch profile the shipped program sets up, written out for tests to use as it is.
#pragma once

#include "launcher.h"

inline appProperties shippedProfile() {
    appProperties profile;
    profile.SetShortcutName("The Realm of Morva");
    profile.SetGameExe("duke3d.exe");
    profile.SetSetupExe("setup.exe");
    profile.SetReadmeFile("Morva.txt");
    return profile;
}
