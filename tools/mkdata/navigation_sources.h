// The public navigation data of data/navdata-us and data/airspace-us as the navigation module
// reads it: one record per CSV row, numbers parsed, longitudes east-positive as in the files.
// A row whose numbers do not read is left out and counted.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

namespace mkdata {

struct SourceVor {
    std::string ident, name, kind;  // kind: VOR, VOR-DME, VORTAC
    double lat = 0, lon = 0;
    int elevationFt = 0, frequency = 0, rangeNm = 0;
};

struct SourceNdb {
    std::string ident, name, kind;  // kind: NDB, NDB-DME, LOM
    double lat = 0, lon = 0;
    int elevationFt = 0, frequencyKhz = 0;
};

struct SourceIls {
    std::string airport, runway, ident, kind;  // kind: ILS-cat-I..III, LOC, LDA, LDA-GS, SDF, IGS
    double lat = 0, lon = 0;                   // the localizer
    int elevationFt = 0, frequency = 0;
    double courseTrue = 0;
    bool glideSlope = false;
    double gsLat = 0, gsLon = 0, gsAngle = 0;
};

struct SourceMarker {
    std::string airport, runway, kind;  // OM, MM, IM
    double lat = 0, lon = 0;
};

struct SourceDme {
    std::string ident, kind;
    double lat = 0, lon = 0;
};

struct SourcePoint {
    std::string ident;
    double lat = 0, lon = 0;
};

struct SourceSegment {
    SourcePoint from, to;
    std::vector<int> victorAirways;  // the numbers of the "V" airways the segment belongs to
};

struct SourceAirport {
    std::string icao, name, kind;
    double lat = 0, lon = 0;
    int elevationFt = 0;
    bool towered = false;
};

struct SourceRunway {
    std::string icao, id1, id2;
    double widthM = 0;
    int surface = 0;
    double lat1 = 0, lon1 = 0, displaced1 = 0;
    double lat2 = 0, lon2 = 0, displaced2 = 0;
};

struct SourceFrequency {
    std::string icao, kind;  // atis, unicom, clearance, ground, tower, approach, departure
    int frequency = 0;
    std::string name;  // "OAKLAND TWR SOUTH"
};

struct NavSources {
    std::vector<SourceVor> vors;
    std::vector<SourceNdb> ndbs;
    std::vector<SourceIls> ils;
    std::vector<SourceMarker> markers;
    std::vector<SourceDme> dmes;
    std::vector<SourcePoint> fixes;
    std::vector<SourceSegment> segments;
    std::vector<SourceAirport> airports;
    std::vector<SourceRunway> runways;
    std::vector<SourceFrequency> frequencies;
    std::map<std::string, char> airspaceClass;                   // 'B' or 'C' by airport ident
    std::map<std::string, std::string> airspaceArea;             // its area, "Fort Myers FL"
    std::set<std::pair<std::string, std::string>> rightTraffic;  // (airport, runway end)
    int skippedRows = 0;
};

// 1 when every file was read; on failure `error` names the file.
int LoadNavSources(const std::string& dataDir, NavSources* sources, std::string* error);

}  // namespace mkdata
