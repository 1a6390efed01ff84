#include "devices/sound_services.h"

namespace devices {

namespace {
void Nothing() {}
void NothingWith(int) {}
}  // namespace

SoundServices SilentSoundServices() {
    return SoundServices{&Nothing, &Nothing, &Nothing, &Nothing, &Nothing, &NothingWith};
}

SoundServices theSoundServices = SilentSoundServices();

}  // namespace devices
