// The sounds the cockpit asks for: panel clicks and the gear motor on the effect channel, and the
// starter and stop clips of the engine sequences. The sound code installs its routines; the
// defaults play nothing. The cockpit's engines never wait for a sound: they run on their own
// sequence, and the sound follows it.
#pragma once

namespace devices {

struct CockpitSoundServices {
    // An effect once on the effect channel (12 panel click, 11 gear motor).
    void (*playEffect)(int effect, int pan, int volume);
    // The starter clip of an engine (0 left or only, 1 right) on its starter channel.
    void (*startStarter)(int engine, int effect, int pan, int volume);
    // The engine caught (its running sound takes over) or stopped (after the spin-down).
    void (*engineRunning)(int engine);
    void (*engineStopped)(int engine);
};

extern CockpitSoundServices theCockpitSounds;
[[nodiscard]] CockpitSoundServices SilentCockpitSounds();

}  // namespace devices
