// The rows of the six navigation tables ("na.vor", "na.apt", "na.ndb", "na.ils", "na.wpt",
// "na.vct") as they lie on disc, and their readers and writers. Every table but the airways is a
// u32 row count followed by packed rows of one width; integers are little-endian and texts are
// NUL-terminated inside their fixed field. The loaders (nav_database.h) read rows through the
// decoders here, and the data maker writes them through the encoders, so both sides share one
// description of each layout.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace nav {

using NavBytes = std::vector<std::uint8_t>;

inline constexpr int kVorRowBytes = 18;
inline constexpr int kAirportRowBytes = 19;
inline constexpr int kNdbRowBytes = 20;
inline constexpr int kIlsRowBytes = 56;
inline constexpr int kWaypointRowBytes = 16;
inline constexpr int kAirwayHeaderBytes = 10;
inline constexpr int kRunwayControlRowBytes = 11;
inline constexpr int kComChannelRowBytes = 8;
// Row indexes are 16-bit: a larger table is refused.
inline constexpr std::int32_t kMaxNavRows = 32767;

// Widths of the text fields, terminator included.
inline constexpr int kVorIdentField = 4;
inline constexpr int kAirportIdentField = 5;
inline constexpr int kStationIdentField = 6;  // NDB, ILS, waypoint and airway point names

// VOR class flags: the reception range comes from 0x0100 (25 nm), 0x0200 (40 nm) and 0x0400
// (100 nm); the receivers also read 0x0001 (a VOR) and 0x0800 (with DME).
inline constexpr std::uint16_t kVorFlag = 0x0001;
inline constexpr std::uint16_t kVortacFlag = 0x0040;
inline constexpr std::uint16_t kTerminalClass = 0x0100;
inline constexpr std::uint16_t kLowAltitudeClass = 0x0200;
inline constexpr std::uint16_t kHighAltitudeClass = 0x0400;
inline constexpr std::uint16_t kDmeFlag = 0x0800;
// ILS type flags.
inline constexpr std::uint16_t kLocalizerFlag = 0x0002;
inline constexpr std::uint16_t kLdaFlag = 0x0004;
inline constexpr std::uint16_t kSdfFlag = 0x0008;
inline constexpr std::uint16_t kIlsFlag = 0x0010;
inline constexpr std::uint16_t kOuterMarkerFlag = 0x2000;
inline constexpr std::uint16_t kMiddleMarkerFlag = 0x4000;
inline constexpr std::uint16_t kInnerMarkerFlag = 0x8000;

struct VorRecord {
    std::string ident;           // up to 3 characters
    std::int16_t frequency = 0;  // MHz x 100
    std::int32_t x = 0;
    std::int32_t z = 0;
    std::int16_t elevation = 0;  // metres
    std::uint16_t flags = 0;
    friend bool operator==(const VorRecord&, const VorRecord&) = default;
};

struct AirportIndexRecord {
    std::string ident;  // up to 4 characters
    std::int32_t x = 0;
    std::int32_t z = 0;
    std::int16_t elevation = 0;     // feet, two's complement (fields below sea level exist)
    std::uint32_t entryOffset = 0;  // the airport's name-list entry inside "flp.sms"
    friend bool operator==(const AirportIndexRecord&, const AirportIndexRecord&) = default;
};

struct NdbRecord {
    std::string ident;           // up to 5 characters
    std::int16_t frequency = 0;  // kHz
    std::int32_t x = 0;
    std::int32_t z = 0;
    std::int16_t elevation = 0;  // metres
    std::uint16_t flags = 0;
    friend bool operator==(const NdbRecord&, const NdbRecord&) = default;
};

struct IlsRecord {
    std::string ident;           // up to 5 characters ("I-SFO")
    std::int16_t frequency = 0;  // MHz x 100
    std::int32_t x = 0;          // the localizer
    std::int32_t z = 0;
    std::int32_t x2 = 0;  // the glide-slope / DME point: distance and bearing count from it
    std::int32_t z2 = 0;
    std::int16_t elevation = 0;  // metres
    std::uint16_t flags = 0;
    std::uint16_t course = 0;  // binary angle
    std::uint16_t glideSlopeAngle = 0;
    std::int32_t pointX[3] = {0, 0, 0};  // outer, middle and inner marker
    std::int32_t pointZ[3] = {0, 0, 0};
    friend bool operator==(const IlsRecord&, const IlsRecord&) = default;
};

struct WaypointRecord {
    std::string name;  // up to 5 characters
    std::int32_t x = 0;
    std::int32_t z = 0;
    friend bool operator==(const WaypointRecord&, const WaypointRecord&) = default;
};

struct AirwayRecord {
    std::uint32_t identifier = 0;  // the victor airway's number
    std::vector<WaypointRecord> points;
    [[nodiscard]] std::int16_t PointCount() const {
        return static_cast<std::int16_t>(points.size());
    }
    friend bool operator==(const AirwayRecord&, const AirwayRecord&) = default;
};

// "na.rwc": what one runway end of an airport has of its own: the tower and ground that work it
// where the airport has several (the station directory's header gives the airport's first), and
// a right-hand traffic pattern, an unpaved surface. Ends with nothing of their own have no row.
inline constexpr std::uint8_t kRightTrafficFlag = 0x01;
// An unpaved runway (turf, dirt, gravel, water) at a field that also has a paved one.
inline constexpr std::uint8_t kSoftSurfaceFlag = 0x02;
struct RunwayControlRecord {
    std::string airport;      // up to 4 characters
    std::uint8_t runway = 0;  // number and side, as the directory's runway rows
    std::uint16_t tower = 0;  // BCD after an implied leading 1; 0 the airport's
    std::uint16_t ground = 0;
    std::uint8_t flags = 0;
    friend bool operator==(const RunwayControlRecord&, const RunwayControlRecord&) = default;
};

// "na.frq": every COM channel an airport publishes for one of its services, the first (the
// directory header's) among them, so that a pilot is heard on any of them. Sorted by airport.
enum class ComService : std::uint8_t { Atis, Clearance, Ground, Tower, Departure, Approach };
inline constexpr int kComServiceCount = 6;
struct ComChannelRecord {
    std::string airport;  // up to 4 characters
    ComService service = ComService::Atis;
    std::uint16_t frequency = 0;  // BCD after an implied leading 1
    friend bool operator==(const ComChannelRecord&, const ComChannelRecord&) = default;
};

// A text field: the characters up to its first NUL, or the whole field when it has none.
[[nodiscard]] std::string ReadTextField(const std::uint8_t* field, int width);

// Row decoders: `row` holds one whole row.
[[nodiscard]] VorRecord DecodeVorRow(const std::uint8_t* row);
[[nodiscard]] AirportIndexRecord DecodeAirportRow(const std::uint8_t* row);
[[nodiscard]] NdbRecord DecodeNdbRow(const std::uint8_t* row);
[[nodiscard]] IlsRecord DecodeIlsRow(const std::uint8_t* row);
[[nodiscard]] WaypointRecord DecodeWaypointRow(const std::uint8_t* row);
[[nodiscard]] RunwayControlRecord DecodeRunwayControlRow(const std::uint8_t* row);
[[nodiscard]] ComChannelRecord DecodeComChannelRow(const std::uint8_t* row);

// Row encoders: append one row; false (nothing appended) when a text does not fit its field.
bool EncodeVorRow(const VorRecord& r, NavBytes* out);
bool EncodeAirportRow(const AirportIndexRecord& r, NavBytes* out);
bool EncodeNdbRow(const NdbRecord& r, NavBytes* out);
bool EncodeIlsRow(const IlsRecord& r, NavBytes* out);
bool EncodeWaypointRow(const WaypointRecord& r, NavBytes* out);
bool EncodeRunwayControlRow(const RunwayControlRecord& r, NavBytes* out);
// False also for a service out of range.
bool EncodeComChannelRow(const ComChannelRecord& r, NavBytes* out);

// Whole members: the row count and the rows. False when a row does not encode or the table has
// more rows than the loaders take.
bool WriteVorTable(const std::vector<VorRecord>& rows, NavBytes* out);
bool WriteAirportTable(const std::vector<AirportIndexRecord>& rows, NavBytes* out);
bool WriteNdbTable(const std::vector<NdbRecord>& rows, NavBytes* out);
bool WriteIlsTable(const std::vector<IlsRecord>& rows, NavBytes* out);
bool WriteWaypointTable(const std::vector<WaypointRecord>& rows, NavBytes* out);
bool WriteRunwayControlTable(const std::vector<RunwayControlRecord>& rows, NavBytes* out);
bool WriteComChannelTable(const std::vector<ComChannelRecord>& rows, NavBytes* out);
// "na.vct": the airway count, one 10-byte header per airway, then every airway's points.
bool WriteAirwayTable(const std::vector<AirwayRecord>& airways, NavBytes* out);

}  // namespace nav
