// The station directory file "flp.sms": a 2,956-byte header whose u32 at offset 36 is where the
// name list ends, the name list from offset 2,956 (one packed entry per station: u8 kind code,
// u32 offset of the station's record, the name and its NUL), and the station records wherever
// the entries point. The directory reads it through these decoders and the data maker writes it
// through SmsFileBuilder.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace nav {

inline constexpr std::uint32_t kSmsHeaderBytes = 2956;
inline constexpr std::uint32_t kSmsListEndField = 36;
// The name-list entry read whole: kind, offset and a 100-byte name field.
inline constexpr int kSmsEntryBytes = 105;
inline constexpr int kSmsEntryHeadBytes = 5;
inline constexpr int kSmsMaxNameLength = 99;
inline constexpr int kSmsAirportHeaderBytes = 18;
inline constexpr int kSmsRunwayBytes = 21;
inline constexpr int kSmsStationRecordBytes = 10;
inline constexpr int kSmsWaypointRecordBytes = 8;
inline constexpr int kSmsRunwayIlsField = 5;

// List kinds, the low four bits of a kind code: 0 and 7 airport, 1 VOR, 2 NDB, 3 and 8 ILS, 4 and
// 5 waypoint; every other code is its own kind and belongs to no list. The high four bits are
// the subtype NavAidKindName names.
enum SmsKind : int { kSmsAirport = 0, kSmsVor = 1, kSmsNdb = 2, kSmsIls = 3, kSmsWaypoint = 4 };
inline constexpr int kSmsListKinds = 6;
[[nodiscard]] int NavKindOfCode(std::uint8_t code);

// Airspace byte of an airport header: bits 0-4 the class, bit 5 TRSA, bits 6 and 7 facilities.
inline constexpr std::uint8_t kAirspaceClassB = 1;
inline constexpr std::uint8_t kAirspaceClassC = 2;
inline constexpr std::uint8_t kAirspaceClassD = 4;
inline constexpr std::uint8_t kAirspaceClassE = 8;
inline constexpr std::uint8_t kAirspaceClassG = 16;
inline constexpr std::uint8_t kAirspaceTrsa = 0x20;
inline constexpr std::uint8_t kFacilityUnicom = 0x40;
inline constexpr std::uint8_t kFacilityHardSurface = 0x80;

// Runway byte: bits 0-5 the number, bits 6-7 the side.
inline constexpr std::uint8_t kRunwayLeft = 0x40;
inline constexpr std::uint8_t kRunwayRight = 0x80;
inline constexpr std::uint8_t kRunwayCentre = 0xC0;

struct SmsAirportHeader {
    std::uint8_t runwayCount = 0;
    std::int16_t elevation = 0;  // feet, two's complement
    std::uint16_t atis = 0;      // frequencies in BCD after an implied leading 1; 0 absent
    std::uint16_t clearance = 0;
    std::uint16_t ground = 0;
    std::uint16_t tower = 0;
    std::uint16_t departure = 0;
    std::uint16_t approach = 0;
    std::uint8_t airspace = 0;
    friend bool operator==(const SmsAirportHeader&, const SmsAirportHeader&) = default;
};

struct SmsRunwayRecord {
    std::uint8_t runway = 0;  // number and side
    std::int32_t x = 0;       // the landing threshold
    std::int32_t z = 0;
    std::uint16_t heading = 0;  // binary angle on the world plane
    std::uint16_t length = 0;   // feet
    std::uint16_t width = 0;    // feet
    std::string ils;            // the ILS ident ("I-OAK") or empty
    friend bool operator==(const SmsRunwayRecord&, const SmsRunwayRecord&) = default;
};

// VOR and ILS: four BCD digits of MHz; NDB: three BCD digits of kHz.
struct SmsStationRecord {
    std::uint16_t frequency = 0;
    std::int32_t x = 0;
    std::int32_t z = 0;
    friend bool operator==(const SmsStationRecord&, const SmsStationRecord&) = default;
};

struct SmsWaypointRecord {
    std::int32_t x = 0;
    std::int32_t z = 0;
    friend bool operator==(const SmsWaypointRecord&, const SmsWaypointRecord&) = default;
};

// A name-list entry read whole (105 bytes): the name ends at its NUL or at the field's end.
struct SmsEntryCopy {
    std::uint8_t code = 0;
    std::uint32_t recordOffset = 0;
    std::string name;
};

[[nodiscard]] SmsAirportHeader DecodeAirportHeader(const std::uint8_t* bytes);
[[nodiscard]] SmsRunwayRecord DecodeRunwayRecord(const std::uint8_t* bytes);
[[nodiscard]] SmsStationRecord DecodeStationRecord(const std::uint8_t* bytes);
[[nodiscard]] SmsWaypointRecord DecodeWaypointRecord(const std::uint8_t* bytes);
// `size` bytes of an entry read at its offset (at most 105 count; at least 5 are needed).
[[nodiscard]] SmsEntryCopy DecodeEntryCopy(const std::uint8_t* bytes, int size);

using SmsBytes = std::vector<std::uint8_t>;
// Record writers. An airport record holds its header (whose runway count is taken from the
// rows) and its rows; false when there are more than 255 rows or an ILS ident is too long.
bool EncodeAirportRecord(const SmsAirportHeader& header, const std::vector<SmsRunwayRecord>& rows,
                         SmsBytes* out);
[[nodiscard]] SmsBytes EncodeStationRecord(const SmsStationRecord& r);
[[nodiscard]] SmsBytes EncodeWaypointRecord(const SmsWaypointRecord& r);

// Frequencies to BCD: MHz x 100 from 100.00 to 199.99 (121.80 gives 0x2180) and kHz from 0 to
// 999 (350 gives 0x0350); 0 when the value has no such form.
[[nodiscard]] std::uint16_t FrequencyToBcd(int mhzTimes100);
[[nodiscard]] std::uint16_t KhzToBcd(int khz);

// Builds a whole "flp.sms": the stations in the order added become the name list, and their
// records follow it in the same order.
class SmsFileBuilder {
public:
    // False (nothing added) when the name is empty, longer than 99 characters or holds a NUL.
    bool Add(std::uint8_t code, std::string_view name, SmsBytes record);
    [[nodiscard]] std::size_t Count() const { return stations.size(); }
    // The file; the offset of each station's entry and record, in the order added.
    [[nodiscard]] SmsBytes Build(std::vector<std::uint32_t>* entryOffsets,
                                 std::vector<std::uint32_t>* recordOffsets) const;

private:
    struct Station {
        std::uint8_t code;
        std::string name;
        SmsBytes record;
    };
    std::vector<Station> stations;
};

}  // namespace nav
