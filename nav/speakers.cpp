#include "nav/speakers.h"

namespace nav {

AtisSpeech theAtisSpeech;

namespace {

constexpr char kTowerFolder[] = "snd\\toweratc\\";

int Reopen(devices::SpeechQueue& q) {
    if (q.OpenWordFolder(kTowerFolder) == 0) return 0;
    q.QueuePhrase(0, q.volume, 0);
    return 1;
}

}  // namespace

int AtisSpeech::Reload(win::HWND) {
    return Reopen(*this);
}

void AtisSpeech::Tick(win::HWND) {}

int AtcSpeech::Reload(win::HWND) {
    return Reopen(*this);
}

void AtcFrameStep(win::HWND) {}

bool IsAtcActive() {
    return theAtcSessionRunning != 0;
}

}  // namespace nav
