#include "devices/beacon_sound.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

#include "cockpit/audio_panel.h"
#include "ui/dialog_services.h"

namespace devices {

BeaconSound theBeaconSound;

namespace {

// International Morse code of 'a'..'z' and '0'..'9'.
const char* const kLetters[26] = {".-",   "-...", "-.-.", "-..",  ".",    "..-.", "--.",
                                  "....", "..",   ".---", "-.-",  ".-..", "--",   "-.",
                                  "---",  ".--.", "--.-", ".-.",  "...",  "-",    "..-",
                                  "...-", ".--",  "-..-", "-.--", "--.."};
const char* const kDigits[10] = {"-----", ".----", "..---", "...--", "....-",
                                 ".....", "-....", "--...", "---..", "----."};

const char* CodeOf(char ch) {
    if (ch >= 'a' && ch <= 'z') return kLetters[ch - 'a'];
    if (ch >= '0' && ch <= '9') return kDigits[ch - '0'];
    return nullptr;
}

constexpr char kBeaconFolder[] = "snd\\beacons\\";

bool AtMark(std::uint32_t counter) {
    return counter == 10 || counter == 20 || counter == 30;
}

}  // namespace

BeaconSound::BeaconSound() = default;

void BeaconSound::SetIdent(int receiver, std::string_view ident) {
    if (receiver < 0 || receiver > kDme) return;
    char* out = idents[receiver];
    const std::size_t n = std::min<std::size_t>(
        ident.find('\0') == std::string_view::npos ? ident.size() : ident.find('\0'),
        kIdentChars - 1);
    std::memcpy(out, ident.data(), n);
    std::memset(out + n, 0, kIdentChars - n);
}

std::string_view BeaconSound::Ident(int receiver) const {
    if (receiver < 0 || receiver > kDme) return {};
    return std::string_view(idents[receiver], strnlen(idents[receiver], kIdentChars));
}

void BeaconSound::ClearIdents() {
    for (char* ident : idents)
        std::memset(ident, 0, kIdentChars);
}

void BeaconSound::CountSecond(win::HWND window) {
    bool mark = false;
    for (int r = kNav1; r <= kAdf; ++r) {
        if (Ident(r).empty()) continue;
        if (AtMark(++counters[r])) mark = true;
    }
    if (!Ident(kDme).empty() && ++counters[kDme] == 30) mark = true;
    if (mark) QueueIdents(window);
}

int BeaconSound::QueueIdents(win::HWND window) {
    const cockpit::AudioPanel& audio = cockpit::theAudioPanelButtons;
    const cockpit::DmeSelector& dme = cockpit::theDmeSource;
    auto key = [&](int receiver, int base) {
        std::string text(Ident(receiver));
        for (char& c : text)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        for (char c : text)
            QueueMorseChar(window, c, base);
    };
    for (int r = kNav1; r <= kNav2; ++r) {
        if (!AtMark(counters[r])) continue;
        const std::uint32_t ownAudio = r == kNav1 ? audio.audioMixNav1 : audio.audioMixNav2;
        const std::uint32_t dmeHere = r == kNav1 ? dme.dmeN1 : dme.dmeN2;
        int base = 0;
        if (counters[r] == 30 && navStates[r] == 2 && audio.audioMixDME != 0 && dmeHere != 0)
            base = kDmeBase;
        if ((base == 0 && ownAudio != 0) || (base == kDmeBase && audio.audioMixDME != 0))
            key(r, base);
        if (counters[r] >= 30) counters[r] = 0;
    }
    if (AtMark(counters[kAdf])) {
        key(kAdf, 0);
        if (counters[kAdf] >= 30) counters[kAdf] = 0;
    }
    if (counters[kDme] == 30) {
        key(kDme, kDmeBase);
        counters[kDme] = 0;
    }
    return 1;
}

int BeaconSound::QueueMorseChar(win::HWND window, char ch, int base) {
    if (buffer == nullptr) {
        if (OpenWordFolder(kBeaconFolder) == 0) return 0;
        QueuePhrase(0, volume, 0);
    }
    (void)window;
    if (const char* code = CodeOf(ch)) {
        for (const char* e = code; *e != '\0'; ++e)
            AppendWord(static_cast<std::uint16_t>(base + (*e == '.' ? kDot : kDash)));
        AppendWord(kGap);
    }
    speaking = 1;
    return 1;
}

int CreateBeaconResponseBuffer(win::HWND window) {
    BeaconSound& b = theBeaconSound;
    if (b.buffer != nullptr) {
        ui::ShowMessageBox(
            window, "CreateBeaconResponseBuffer is attempting to re-create an exsisting buffer?",
            ui::MB_OK);
        b.Close();
    }
    if (b.OpenWordFolder(kBeaconFolder) == 0) return 0;
    b.QueuePhrase(0, b.volume, 0);
    return 1;
}

}  // namespace devices
