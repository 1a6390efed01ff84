// The COM channels of the airports as the installation writes them: every one a frequency the
// cockpit's COM radios can dial (118.00 to 135.95 MHz in steps of 50 kHz). The public data lists
// 25 kHz channels with their third decimal cut or rounded away (133.775 MHz as "13377"); such a
// channel is written on one of its two 50 kHz neighbours, the lower unless another channel of
// the same airport is already there, so an airport's channels stay apart. A channel outside the
// radio's band is left out (the service reads as absent).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "tools/mkdata/navigation_sources.h"

namespace mkdata {

// By airport ident, by kind ("atis", "clearance", "ground", "tower", "departure", "approach",
// "unicom"): the first channel the data lists for that kind, dialable (MHz x 100); of the
// broadcasts, the ATIS before an automatic weather station listed first, and never a flight
// service station listed among them.
using AirportComChannels = std::map<std::string, std::map<std::string, int>>;
[[nodiscard]] AirportComChannels DialableComChannels(const std::vector<SourceFrequency>& rows);

// By airport ident, every tower and ground channel it lists, in the data's order, with its name
// ("OAKLAND TWR SOUTH"): the first of each kind as DialableComChannels writes it, the others
// placed after all the airport's first channels; a channel the radio cannot dial is left out.
struct NamedComChannel {
    std::string kind, name;
    int frequency = 0;  // MHz x 100, dialable
};
using AirportControlChannels = std::map<std::string, std::vector<NamedComChannel>>;
[[nodiscard]] AirportControlChannels DialableControlChannels(
    const std::vector<SourceFrequency>& rows);

// By airport ident, every channel of its services (all kinds but "unicom"), the towers and
// grounds first as DialableControlChannels places them, then the others in the data's order:
// of the broadcasts, the channels of the ATIS, or where the field has none those of its
// automatic weather stations; a flight service station listed among them is none.
[[nodiscard]] AirportControlChannels DialableServiceChannels(
    const std::vector<SourceFrequency>& rows);

// One channel (MHz x 100 as the data gives it) on the radio's grid, avoiding `taken` when its
// other neighbour is free; 0 when it lies outside the radio's band.
[[nodiscard]] int DialableComFrequency(int listed, const std::vector<int>& taken);

}  // namespace mkdata
