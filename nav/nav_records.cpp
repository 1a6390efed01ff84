#include "nav/nav_records.h"

#include "core/endian.h"

namespace nav {

namespace {

using core::ReadI16;
using core::ReadI32;
using core::ReadU16;
using core::ReadU32;

void PutU16(NavBytes* out, std::uint16_t v) {
    std::uint8_t b[2];
    core::WriteU16(b, v);
    out->insert(out->end(), b, b + 2);
}
void PutU32(NavBytes* out, std::uint32_t v) {
    std::uint8_t b[4];
    core::WriteU32(b, v);
    out->insert(out->end(), b, b + 4);
}
void PutI16(NavBytes* out, std::int16_t v) {
    PutU16(out, static_cast<std::uint16_t>(v));
}
void PutI32(NavBytes* out, std::int32_t v) {
    PutU32(out, static_cast<std::uint32_t>(v));
}
// A text with its terminator, padded with zeros to the field's width.
void PutText(NavBytes* out, const std::string& text, int width) {
    out->insert(out->end(), text.begin(), text.end());
    out->insert(out->end(), static_cast<std::size_t>(width) - text.size(), 0);
}
// A text fits when it leaves room for its terminator and holds no NUL of its own.
bool Fits(const std::string& text, int width) {
    return text.size() < static_cast<std::size_t>(width) && text.find('\0') == std::string::npos;
}

template <typename Row, typename Encode>
bool WriteTable(const std::vector<Row>& rows, Encode encode, NavBytes* out) {
    if (rows.size() > static_cast<std::size_t>(kMaxNavRows)) return false;
    NavBytes bytes;
    PutU32(&bytes, static_cast<std::uint32_t>(rows.size()));
    for (const Row& r : rows)
        if (!encode(r, &bytes)) return false;
    *out = std::move(bytes);
    return true;
}

}  // namespace

std::string ReadTextField(const std::uint8_t* field, int width) {
    int length = 0;
    while (length < width && field[length] != 0)
        ++length;
    return std::string(reinterpret_cast<const char*>(field), static_cast<std::size_t>(length));
}

VorRecord DecodeVorRow(const std::uint8_t* p) {
    VorRecord r;
    r.ident = ReadTextField(p, kVorIdentField);
    r.frequency = ReadI16(p + 4);
    r.x = ReadI32(p + 6);
    r.z = ReadI32(p + 10);
    r.elevation = ReadI16(p + 14);
    r.flags = ReadU16(p + 16);
    return r;
}

AirportIndexRecord DecodeAirportRow(const std::uint8_t* p) {
    AirportIndexRecord r;
    r.ident = ReadTextField(p, kAirportIdentField);
    r.x = ReadI32(p + 5);
    r.z = ReadI32(p + 9);
    r.elevation = ReadI16(p + 13);
    r.entryOffset = ReadU32(p + 15);
    return r;
}

RunwayControlRecord DecodeRunwayControlRow(const std::uint8_t* p) {
    RunwayControlRecord r;
    r.airport = ReadTextField(p, kAirportIdentField);
    r.runway = p[5];
    r.tower = ReadU16(p + 6);
    r.ground = ReadU16(p + 8);
    r.flags = p[10];
    return r;
}

ComChannelRecord DecodeComChannelRow(const std::uint8_t* p) {
    ComChannelRecord r;
    r.airport = ReadTextField(p, kAirportIdentField);
    r.service = static_cast<ComService>(p[5]);
    r.frequency = ReadU16(p + 6);
    return r;
}

NdbRecord DecodeNdbRow(const std::uint8_t* p) {
    NdbRecord r;
    r.ident = ReadTextField(p, kStationIdentField);
    r.frequency = ReadI16(p + 6);
    r.x = ReadI32(p + 8);
    r.z = ReadI32(p + 12);
    r.elevation = ReadI16(p + 16);
    r.flags = ReadU16(p + 18);
    return r;
}

IlsRecord DecodeIlsRow(const std::uint8_t* p) {
    IlsRecord r;
    r.ident = ReadTextField(p, kStationIdentField);
    r.frequency = ReadI16(p + 6);
    r.x = ReadI32(p + 8);
    r.z = ReadI32(p + 12);
    r.x2 = ReadI32(p + 16);
    r.z2 = ReadI32(p + 20);
    r.elevation = ReadI16(p + 24);
    r.flags = ReadU16(p + 26);
    r.course = ReadU16(p + 28);
    r.glideSlopeAngle = ReadU16(p + 30);
    for (int i = 0; i < 3; ++i) {
        r.pointX[i] = ReadI32(p + 32 + 8 * i);
        r.pointZ[i] = ReadI32(p + 36 + 8 * i);
    }
    return r;
}

WaypointRecord DecodeWaypointRow(const std::uint8_t* p) {
    WaypointRecord r;
    r.name = ReadTextField(p, kStationIdentField);
    r.x = ReadI32(p + 6);
    r.z = ReadI32(p + 10);
    return r;
}

bool EncodeVorRow(const VorRecord& r, NavBytes* out) {
    if (!Fits(r.ident, kVorIdentField)) return false;
    PutText(out, r.ident, kVorIdentField);
    PutI16(out, r.frequency);
    PutI32(out, r.x);
    PutI32(out, r.z);
    PutI16(out, r.elevation);
    PutU16(out, r.flags);
    return true;
}

bool EncodeAirportRow(const AirportIndexRecord& r, NavBytes* out) {
    if (!Fits(r.ident, kAirportIdentField)) return false;
    PutText(out, r.ident, kAirportIdentField);
    PutI32(out, r.x);
    PutI32(out, r.z);
    PutI16(out, r.elevation);
    PutU32(out, r.entryOffset);
    return true;
}

bool EncodeRunwayControlRow(const RunwayControlRecord& r, NavBytes* out) {
    if (!Fits(r.airport, kAirportIdentField)) return false;
    PutText(out, r.airport, kAirportIdentField);
    out->push_back(r.runway);
    PutU16(out, r.tower);
    PutU16(out, r.ground);
    out->push_back(r.flags);
    return true;
}

bool EncodeComChannelRow(const ComChannelRecord& r, NavBytes* out) {
    if (!Fits(r.airport, kAirportIdentField) ||
        static_cast<int>(r.service) >= kComServiceCount)
        return false;
    PutText(out, r.airport, kAirportIdentField);
    out->push_back(static_cast<std::uint8_t>(r.service));
    PutU16(out, r.frequency);
    return true;
}

bool EncodeNdbRow(const NdbRecord& r, NavBytes* out) {
    if (!Fits(r.ident, kStationIdentField)) return false;
    PutText(out, r.ident, kStationIdentField);
    PutI16(out, r.frequency);
    PutI32(out, r.x);
    PutI32(out, r.z);
    PutI16(out, r.elevation);
    PutU16(out, r.flags);
    return true;
}

bool EncodeIlsRow(const IlsRecord& r, NavBytes* out) {
    if (!Fits(r.ident, kStationIdentField)) return false;
    PutText(out, r.ident, kStationIdentField);
    PutI16(out, r.frequency);
    PutI32(out, r.x);
    PutI32(out, r.z);
    PutI32(out, r.x2);
    PutI32(out, r.z2);
    PutI16(out, r.elevation);
    PutU16(out, r.flags);
    PutU16(out, r.course);
    PutU16(out, r.glideSlopeAngle);
    for (int i = 0; i < 3; ++i) {
        PutI32(out, r.pointX[i]);
        PutI32(out, r.pointZ[i]);
    }
    return true;
}

bool EncodeWaypointRow(const WaypointRecord& r, NavBytes* out) {
    if (!Fits(r.name, kStationIdentField)) return false;
    PutText(out, r.name, kStationIdentField);
    PutI32(out, r.x);
    PutI32(out, r.z);
    PutU16(out, 0);  // not read
    return true;
}

bool WriteVorTable(const std::vector<VorRecord>& rows, NavBytes* out) {
    return WriteTable(rows, EncodeVorRow, out);
}
bool WriteAirportTable(const std::vector<AirportIndexRecord>& rows, NavBytes* out) {
    return WriteTable(rows, EncodeAirportRow, out);
}
bool WriteNdbTable(const std::vector<NdbRecord>& rows, NavBytes* out) {
    return WriteTable(rows, EncodeNdbRow, out);
}
bool WriteIlsTable(const std::vector<IlsRecord>& rows, NavBytes* out) {
    return WriteTable(rows, EncodeIlsRow, out);
}
bool WriteWaypointTable(const std::vector<WaypointRecord>& rows, NavBytes* out) {
    return WriteTable(rows, EncodeWaypointRow, out);
}
bool WriteRunwayControlTable(const std::vector<RunwayControlRecord>& rows, NavBytes* out) {
    return WriteTable(rows, EncodeRunwayControlRow, out);
}

bool WriteComChannelTable(const std::vector<ComChannelRecord>& rows, NavBytes* out) {
    return WriteTable(rows, EncodeComChannelRow, out);
}

bool WriteAirwayTable(const std::vector<AirwayRecord>& airways, NavBytes* out) {
    if (airways.size() > static_cast<std::size_t>(kMaxNavRows)) return false;
    NavBytes bytes;
    PutU32(&bytes, static_cast<std::uint32_t>(airways.size()));
    for (const AirwayRecord& a : airways) {
        if (a.points.size() > static_cast<std::size_t>(kMaxNavRows)) return false;
        PutU32(&bytes, a.identifier);
        PutU32(&bytes, 0);  // read and dropped by the loader
        PutI16(&bytes, a.PointCount());
    }
    for (const AirwayRecord& a : airways)
        for (const WaypointRecord& p : a.points)
            if (!EncodeWaypointRow(p, &bytes)) return false;
    *out = std::move(bytes);
    return true;
}

}  // namespace nav
