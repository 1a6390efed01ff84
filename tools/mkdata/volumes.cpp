// Every volume archive the program opens, so that each opens even before any data of its kind
// is made: the global volumes read at start-up and the lesson and performance volumes opened
// when needed.
#include "tools/mkdata/installation.h"

namespace mkdata {

namespace {

constexpr const char* kVolumeFiles[] = {
    "Snd\\SndFx.Vol",   "Snd\\TowerATC.Vol",    "Art\\Palettes.Vol", "Art\\Panel.Vol",
    "Art\\Cockpit.Vol", "Art\\Wx.Vol",          "Art\\3DShapes.Vol", "Data\\Altitude.Vol",
    "Data\\Data.Vol",   "Lessons\\Lessons.Vol", "Data\\Perform.Vol",
};

}  // namespace

int MakeVolumes(Installation& installation, std::string*) {
    for (const char* file : kVolumeFiles)
        installation.DeclareVolume(file);
    return 1;
}

}  // namespace mkdata
