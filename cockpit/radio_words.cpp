#include "cockpit/radio_words.h"

#include "cockpit/cockpit_services.h"
#include "cockpit/cockpit_switches.h"
#include "nav/atc_services.h"
#include "nav/nav_database.h"

namespace cockpit {

PanelGauge& RadioWords(Radio radio) {
    switch (radio) {
        case Radio::Nav1:
            return theNav1Radio;
        case Radio::Nav2:
            return theNav2Radio;
        case Radio::Adf:
            return theAdfRadio;
        case Radio::Com1:
            return theCom1Radio;
        case Radio::Com2:
            return theCom2Radio;
        case Radio::Transponder:
            break;
    }
    return theTransponder;
}

void SetActiveFrequency(Radio radio, std::int16_t whole, std::int16_t fraction) {
    PanelGauge& words = RadioWords(radio);
    words.activeMHz = static_cast<std::uint16_t>(whole);
    words.activeKHz = static_cast<std::uint16_t>(fraction);
    words.dirty = 1;
    switch (radio) {
        case Radio::Nav1:
            nav::CheckNav1Reception();
            break;
        case Radio::Nav2:
            nav::CheckNav2Reception();
            break;
        case Radio::Adf:
            nav::CheckAdfReception();
            break;
        case Radio::Com1:
        case Radio::Com2:
            nav::theAtcSpeech.OnComFrequencyChanged(0);
            break;
        case Radio::Transponder:
            break;
    }
}

std::uint32_t BatteryPowerWord() {
    return thePanelSwitches.batteryPower;
}

std::uint32_t AvionicsSwitchWord() {
    return theCockpitSwitches.avionicsMaster;
}

void ResetRadioWords() {
    for (Radio r :
         {Radio::Nav1, Radio::Nav2, Radio::Adf, Radio::Com1, Radio::Com2, Radio::Transponder})
        RadioWords(r).activeMHz = RadioWords(r).activeKHz = 0;
}

}  // namespace cockpit
