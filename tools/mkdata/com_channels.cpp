#include "tools/mkdata/com_channels.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace mkdata {

namespace {

// The radio's band and step, MHz x 100.
constexpr int kLowest = 11800;
constexpr int kHighest = 13595;
constexpr int kStep = 5;

bool InBand(int f) {
    return f >= kLowest && f <= kHighest;
}

bool Taken(const std::vector<int>& taken, int f) {
    return std::find(taken.begin(), taken.end(), f) != taken.end();
}

std::string Upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// An airport's broadcasts listed under "atis": its ATIS first, then an automatic weather
// station (ASOS, AWOS), whose channel a pilot dials only where the field has no ATIS.
int BroadcastRank(const SourceFrequency& r) {
    if (r.kind != "atis") return 0;
    const std::string name = Upper(r.name);
    if (name.find("ATIS") != std::string::npos) return 0;
    return name.find("ASOS") != std::string::npos || name.find("AWOS") != std::string::npos ? 1 : 2;
}

// A flight service station listed among the broadcasts ("TORONTO FSS"): a station a pilot talks
// to, no broadcast of the field's; its channel is in use but it is no service of ours.
bool FlightService(const SourceFrequency& r) {
    return r.kind == "atis" && (" " + Upper(r.name) + " ").find(" FSS ") != std::string::npos;
}

}  // namespace

int DialableComFrequency(int listed, const std::vector<int>& taken) {
    int f = listed;
    if (listed % kStep != 0) {
        // The 25 kHz channel the two decimals stand for (kHz), then its neighbours on the
        // radio's 50 kHz grid.
        const int khz = (listed * 10 + 12) / 25 * 25;
        if (khz % 50 == 0) {
            f = khz / 10;
        } else {
            const int lower = (khz - 25) / 10, upper = (khz + 25) / 10;
            f = Taken(taken, lower) && !Taken(taken, upper) ? upper : lower;
        }
    }
    return InBand(f) ? f : 0;
}

AirportComChannels DialableComChannels(const std::vector<SourceFrequency>& rows) {
    // Each airport's rows in the order of the data.
    std::map<std::string, std::vector<const SourceFrequency*>> byAirport;
    for (const SourceFrequency& r : rows)
        byAirport[r.icao].push_back(&r);
    AirportComChannels out;
    for (const auto& [icao, list] : byAirport) {
        // Every channel the airport lists that the radio can dial as it stands is in use.
        std::vector<int> taken;
        for (const SourceFrequency* r : list)
            if (r->frequency % kStep == 0 && InBand(r->frequency)) taken.push_back(r->frequency);
        std::map<std::string, int>& kinds = out[icao];
        std::vector<const SourceFrequency*> ranked = list;
        std::stable_sort(ranked.begin(), ranked.end(),
                         [](const SourceFrequency* a, const SourceFrequency* b) {
                             return BroadcastRank(*a) < BroadcastRank(*b);
                         });
        for (const SourceFrequency* r : ranked) {
            if (kinds.count(r->kind) != 0 || FlightService(*r)) continue;
            const int f = DialableComFrequency(r->frequency, taken);
            kinds[r->kind] = f;
            if (f != 0) taken.push_back(f);
        }
        // A kind whose first channel the radio cannot reach is absent.
        for (auto it = kinds.begin(); it != kinds.end();)
            it = it->second == 0 ? kinds.erase(it) : std::next(it);
    }
    return out;
}

AirportControlChannels DialableServiceChannels(const std::vector<SourceFrequency>& rows) {
    const AirportComChannels first = DialableComChannels(rows);
    // Each airport's service rows: the towers and grounds first, then the others, each in the
    // data's order.
    std::map<std::string, std::vector<const SourceFrequency*>> byAirport;
    for (const bool control : {true, false})
        for (const SourceFrequency& r : rows)
            if (r.kind != "unicom" && !FlightService(r) &&
                (r.kind == "tower" || r.kind == "ground") == control)
                byAirport[r.icao].push_back(&r);
    AirportControlChannels out;
    for (const auto& [icao, list] : byAirport) {
        // The channels already written for the airport stay apart from the others.
        std::vector<int> taken;
        const auto firsts = first.find(icao);
        if (firsts != first.end())
            for (const auto& [kind, f] : firsts->second)
                taken.push_back(f);
        // Of the broadcasts, those of the first's sort: the ATIS's other channels, or where the
        // field has none its automatic stations'.
        int broadcast = -1;
        for (const SourceFrequency* r : list)
            if (r->kind == "atis" && (broadcast < 0 || BroadcastRank(*r) < broadcast))
                broadcast = BroadcastRank(*r);
        std::map<std::string, bool> seen;
        for (const SourceFrequency* r : list) {
            if (r->kind == "atis" && BroadcastRank(*r) != broadcast) continue;
            int f = 0;
            if (!seen[r->kind]) {
                seen[r->kind] = true;
                const auto it = firsts != first.end()
                                    ? firsts->second.find(r->kind)
                                    : std::map<std::string, int>::const_iterator{};
                if (firsts != first.end() && it != firsts->second.end()) f = it->second;
            } else {
                f = DialableComFrequency(r->frequency, taken);
                if (f != 0) taken.push_back(f);
            }
            if (f != 0) out[icao].push_back(NamedComChannel{r->kind, r->name, f});
        }
    }
    return out;
}

AirportControlChannels DialableControlChannels(const std::vector<SourceFrequency>& rows) {
    AirportControlChannels out = DialableServiceChannels(rows);
    for (auto& [icao, list] : out)
        std::erase_if(list, [](const NamedComChannel& c) {
            return c.kind != "tower" && c.kind != "ground";
        });
    std::erase_if(out, [](const auto& airport) { return airport.second.empty(); });
    return out;
}

}  // namespace mkdata
