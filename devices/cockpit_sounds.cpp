#include "devices/cockpit_sounds.h"

namespace devices {

namespace {
void NoEffect(int, int, int) {}
void NoStarter(int, int, int, int) {}
void NoEngine(int) {}
}  // namespace

CockpitSoundServices SilentCockpitSounds() {
    return CockpitSoundServices{&NoEffect, &NoStarter, &NoEngine, &NoEngine};
}

CockpitSoundServices theCockpitSounds = SilentCockpitSounds();

}  // namespace devices
