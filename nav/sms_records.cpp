#include "nav/sms_records.h"

#include <cstring>

#include "core/endian.h"
#include "nav/nav_records.h"

namespace nav {

namespace {

// The header's first bytes: the maker's signature (nothing reads it).
constexpr char kSignature[] = "Zephlon station directory 1";

void SmsRecordsPutU16(SmsBytes* out, std::uint16_t v) {
    out->push_back(static_cast<std::uint8_t>(v));
    out->push_back(static_cast<std::uint8_t>(v >> 8));
}
void SmsRecordsPutU32(SmsBytes* out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out->push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

}  // namespace

int NavKindOfCode(std::uint8_t code) {
    const int low = code & 0x0F;
    switch (low) {
        case 7:
            return kSmsAirport;
        case 8:
            return kSmsIls;
        case 5:
            return kSmsWaypoint;
        default:
            return low;
    }
}

SmsAirportHeader DecodeAirportHeader(const std::uint8_t* p) {
    SmsAirportHeader h;
    h.runwayCount = p[0];
    h.elevation = core::ReadI16(p + 3);
    h.atis = core::ReadU16(p + 5);
    h.clearance = core::ReadU16(p + 7);
    h.ground = core::ReadU16(p + 9);
    h.tower = core::ReadU16(p + 11);
    h.departure = core::ReadU16(p + 13);
    h.approach = core::ReadU16(p + 15);
    h.airspace = p[17];
    return h;
}

SmsRunwayRecord DecodeRunwayRecord(const std::uint8_t* p) {
    SmsRunwayRecord r;
    r.runway = p[0];
    r.x = core::ReadI32(p + 1);
    r.z = core::ReadI32(p + 5);
    r.heading = core::ReadU16(p + 9);
    r.length = core::ReadU16(p + 11);
    r.width = core::ReadU16(p + 13);
    // The ILS ident has no terminator; a field that does not start with "I" holds none.
    if (p[16] == 'I') r.ils = ReadTextField(p + 16, kSmsRunwayIlsField);
    return r;
}

SmsStationRecord DecodeStationRecord(const std::uint8_t* p) {
    return SmsStationRecord{core::ReadU16(p), core::ReadI32(p + 2), core::ReadI32(p + 6)};
}

SmsWaypointRecord DecodeWaypointRecord(const std::uint8_t* p) {
    return SmsWaypointRecord{core::ReadI32(p), core::ReadI32(p + 4)};
}

SmsEntryCopy DecodeEntryCopy(const std::uint8_t* p, int size) {
    SmsEntryCopy e;
    if (size < kSmsEntryHeadBytes) return e;
    e.code = p[0];
    e.recordOffset = core::ReadU32(p + 1);
    // The name field is forced to end inside the 105 bytes, and inside what was read.
    const int field = std::min(size, kSmsEntryBytes - 1) - kSmsEntryHeadBytes;
    e.name = ReadTextField(p + kSmsEntryHeadBytes, field);
    return e;
}

bool EncodeAirportRecord(const SmsAirportHeader& header, const std::vector<SmsRunwayRecord>& rows,
                         SmsBytes* out) {
    if (rows.size() > 255) return false;
    SmsBytes bytes;
    bytes.push_back(static_cast<std::uint8_t>(rows.size()));
    SmsRecordsPutU16(&bytes, 0);  // not read
    SmsRecordsPutU16(&bytes, static_cast<std::uint16_t>(header.elevation));
    for (std::uint16_t f : {header.atis, header.clearance, header.ground, header.tower,
                            header.departure, header.approach})
        SmsRecordsPutU16(&bytes, f);
    bytes.push_back(header.airspace);
    for (const SmsRunwayRecord& r : rows) {
        if (r.ils.size() > static_cast<std::size_t>(kSmsRunwayIlsField) ||
            (!r.ils.empty() && r.ils[0] != 'I'))
            return false;
        bytes.push_back(r.runway);
        SmsRecordsPutU32(&bytes, static_cast<std::uint32_t>(r.x));
        SmsRecordsPutU32(&bytes, static_cast<std::uint32_t>(r.z));
        SmsRecordsPutU16(&bytes, r.heading);
        SmsRecordsPutU16(&bytes, r.length);
        SmsRecordsPutU16(&bytes, r.width);
        bytes.push_back(0);  // not read
        for (int i = 0; i < kSmsRunwayIlsField; ++i)
            bytes.push_back(i < static_cast<int>(r.ils.size())
                                ? static_cast<std::uint8_t>(r.ils[static_cast<std::size_t>(i)])
                                : 0);
    }
    out->insert(out->end(), bytes.begin(), bytes.end());
    return true;
}

SmsBytes EncodeStationRecord(const SmsStationRecord& r) {
    SmsBytes bytes;
    SmsRecordsPutU16(&bytes, r.frequency);
    SmsRecordsPutU32(&bytes, static_cast<std::uint32_t>(r.x));
    SmsRecordsPutU32(&bytes, static_cast<std::uint32_t>(r.z));
    return bytes;
}

SmsBytes EncodeWaypointRecord(const SmsWaypointRecord& r) {
    SmsBytes bytes;
    SmsRecordsPutU32(&bytes, static_cast<std::uint32_t>(r.x));
    SmsRecordsPutU32(&bytes, static_cast<std::uint32_t>(r.z));
    return bytes;
}

std::uint16_t FrequencyToBcd(int mhzTimes100) {
    if (mhzTimes100 < 10000 || mhzTimes100 > 19999) return 0;
    const int v = mhzTimes100 - 10000;
    return static_cast<std::uint16_t>(((v / 1000) << 12) | ((v / 100 % 10) << 8) |
                                      ((v / 10 % 10) << 4) | (v % 10));
}

std::uint16_t KhzToBcd(int khz) {
    if (khz < 0 || khz > 999) return 0;
    return static_cast<std::uint16_t>(((khz / 100) << 8) | ((khz / 10 % 10) << 4) | (khz % 10));
}

bool SmsFileBuilder::Add(std::uint8_t code, std::string_view name, SmsBytes record) {
    if (name.empty() || name.size() > static_cast<std::size_t>(kSmsMaxNameLength) ||
        name.find('\0') != std::string_view::npos)
        return false;
    stations.push_back(Station{code, std::string(name), std::move(record)});
    return true;
}

SmsBytes SmsFileBuilder::Build(std::vector<std::uint32_t>* entryOffsets,
                               std::vector<std::uint32_t>* recordOffsets) const {
    std::uint32_t listEnd = kSmsHeaderBytes;
    for (const Station& s : stations)
        listEnd += static_cast<std::uint32_t>(kSmsEntryHeadBytes + s.name.size() + 1);
    SmsBytes file(kSmsHeaderBytes, 0);
    std::memcpy(file.data(), kSignature, sizeof kSignature);
    core::WriteU32(file.data() + kSmsListEndField, listEnd);
    std::uint32_t record = listEnd;
    if (entryOffsets != nullptr) entryOffsets->clear();
    if (recordOffsets != nullptr) recordOffsets->clear();
    for (const Station& s : stations) {
        if (entryOffsets != nullptr)
            entryOffsets->push_back(static_cast<std::uint32_t>(file.size()));
        if (recordOffsets != nullptr) recordOffsets->push_back(record);
        file.push_back(s.code);
        SmsRecordsPutU32(&file, record);
        file.insert(file.end(), s.name.begin(), s.name.end());
        file.push_back(0);
        record += static_cast<std::uint32_t>(s.record.size());
    }
    for (const Station& s : stations)
        file.insert(file.end(), s.record.begin(), s.record.end());
    return file;
}

}  // namespace nav
