#include "tools/mkdata/navigation_sources.h"

#include <cstdlib>

#include "tools/mkdata/installation.h"

namespace mkdata {

namespace {

using Rows = std::vector<std::vector<std::string>>;

// Reads the numbers of a row's fields; false when one does not read.
class Fields {
public:
    explicit Fields(const std::vector<std::string>& row) : row(row) {}
    bool Real(std::size_t i, double* v) const { return i < row.size() && ParseNumber(row[i], v); }
    bool Whole(std::size_t i, int* v) const {
        double d = 0;
        if (!Real(i, &d) || d != static_cast<int>(d)) return false;
        *v = static_cast<int>(d);
        return true;
    }
    [[nodiscard]] const std::string& Text(std::size_t i) const { return row[i]; }
    [[nodiscard]] std::size_t Count() const { return row.size(); }

private:
    const std::vector<std::string>& row;
};

template <typename Record, typename Parse>
int ReadTable(const std::string& path, std::size_t columns, std::vector<Record>* out, int* skipped,
              std::string* error, Parse parse) {
    Rows rows;
    if (!ReadCsv(path, &rows, error)) return 0;
    out->reserve(rows.size());
    for (const auto& r : rows) {
        Record record;
        if (r.size() < columns || !parse(Fields(r), &record)) {
            ++*skipped;
            continue;
        }
        out->push_back(std::move(record));
    }
    return 1;
}

// "V23", "V430": the number of a victor airway; -1 for any other name.
int VictorNumber(const std::string& name) {
    if (name.size() < 2 || name.size() > 5 || name[0] != 'V') return -1;
    for (std::size_t i = 1; i < name.size(); ++i)
        if (name[i] < '0' || name[i] > '9') return -1;
    return std::atoi(name.c_str() + 1);
}

}  // namespace

int LoadNavSources(const std::string& dataDir, NavSources* s, std::string* error) {
    const std::string dir = dataDir + "/navdata-us/";
    int* skipped = &s->skippedRows;
    const bool ok =
        ReadTable(dir + "vor.csv", 9, &s->vors, skipped, error,
                  [](const Fields& f, SourceVor* v) {
                      v->ident = f.Text(0);
                      v->name = f.Text(1);
                      v->kind = f.Text(8);
                      return f.Real(2, &v->lat) && f.Real(3, &v->lon) &&
                             f.Whole(4, &v->elevationFt) && f.Whole(5, &v->frequency) &&
                             f.Whole(6, &v->rangeNm);
                  }) &&
        ReadTable(dir + "ndb.csv", 8, &s->ndbs, skipped, error,
                  [](const Fields& f, SourceNdb* n) {
                      n->ident = f.Text(0);
                      n->name = f.Text(1);
                      n->kind = f.Text(7);
                      return f.Real(2, &n->lat) && f.Real(3, &n->lon) &&
                             f.Whole(4, &n->elevationFt) && f.Whole(5, &n->frequencyKhz);
                  }) &&
        ReadTable(
            dir + "ils.csv", 14, &s->ils, skipped, error,
            [](const Fields& f, SourceIls* i) {
                i->airport = f.Text(0);
                i->runway = f.Text(1);
                i->ident = f.Text(2);
                i->kind = f.Text(3);
                if (!f.Real(4, &i->lat) || !f.Real(5, &i->lon) || !f.Whole(6, &i->elevationFt) ||
                    !f.Whole(7, &i->frequency) || !f.Real(9, &i->courseTrue))
                    return false;
                // The glide slope is there when its angle is given.
                i->glideSlope = !f.Text(13).empty();
                return !i->glideSlope ||
                       (f.Real(10, &i->gsLat) && f.Real(11, &i->gsLon) && f.Real(13, &i->gsAngle));
            }) &&
        ReadTable(dir + "marker.csv", 5, &s->markers, skipped, error,
                  [](const Fields& f, SourceMarker* m) {
                      m->airport = f.Text(0);
                      m->runway = f.Text(1);
                      m->kind = f.Text(2);
                      return f.Real(3, &m->lat) && f.Real(4, &m->lon);
                  }) &&
        ReadTable(dir + "dme.csv", 9, &s->dmes, skipped, error,
                  [](const Fields& f, SourceDme* d) {
                      d->ident = f.Text(0);
                      d->kind = f.Text(8);
                      return f.Real(2, &d->lat) && f.Real(3, &d->lon);
                  }) &&
        ReadTable(dir + "fix.csv", 3, &s->fixes, skipped, error,
                  [](const Fields& f, SourcePoint* p) {
                      p->ident = f.Text(0);
                      return f.Real(1, &p->lat) && f.Real(2, &p->lon);
                  }) &&
        ReadTable(dir + "airway_segment.csv", 10, &s->segments, skipped, error,
                  [](const Fields& f, SourceSegment* g) {
                      g->from.ident = f.Text(0);
                      g->to.ident = f.Text(3);
                      // Segments shared by several airways name them all, joined by '-'.
                      const std::string& names = f.Text(9);
                      for (std::size_t start = 0; start <= names.size();) {
                          std::size_t dash = names.find('-', start);
                          if (dash == std::string::npos) dash = names.size();
                          const int number = VictorNumber(names.substr(start, dash - start));
                          if (number > 0) g->victorAirways.push_back(number);
                          start = dash + 1;
                      }
                      return f.Real(1, &g->from.lat) && f.Real(2, &g->from.lon) &&
                             f.Real(4, &g->to.lat) && f.Real(5, &g->to.lon);
                  }) &&
        ReadTable(dir + "airport.csv", 7, &s->airports, skipped, error,
                  [](const Fields& f, SourceAirport* a) {
                      a->icao = f.Text(0);
                      a->name = f.Text(1);
                      a->kind = f.Text(2);
                      a->towered = f.Text(6) == "1";
                      return f.Whole(3, &a->elevationFt) && f.Real(4, &a->lat) &&
                             f.Real(5, &a->lon);
                  }) &&
        ReadTable(dir + "runway.csv", 11, &s->runways, skipped, error,
                  [](const Fields& f, SourceRunway* r) {
                      r->icao = f.Text(0);
                      r->id1 = f.Text(3);
                      r->id2 = f.Text(7);
                      MendRunwayEnds(&r->id1, &r->id2);
                      return f.Real(1, &r->widthM) && f.Whole(2, &r->surface) &&
                             f.Real(4, &r->lat1) && f.Real(5, &r->lon1) &&
                             f.Real(6, &r->displaced1) && f.Real(8, &r->lat2) &&
                             f.Real(9, &r->lon2) && f.Real(10, &r->displaced2);
                  }) &&
        ReadTable(dir + "frequency.csv", 3, &s->frequencies, skipped, error,
                  [](const Fields& f, SourceFrequency* q) {
                      q->icao = f.Text(0);
                      q->kind = f.Text(1);
                      if (f.Count() > 3) q->name = f.Text(3);
                      return f.Whole(2, &q->frequency);
                  });
    if (!ok) return 0;

    Rows classes;
    if (!ReadCsv(dataDir + "/airspace-us/class_b_c_airports.csv", &classes, error)) return 0;
    for (const auto& r : classes) {
        if (r.size() < 2 || (r[1] != "B" && r[1] != "C")) {
            ++s->skippedRows;
            continue;
        }
        s->airspaceClass[r[0]] = r[1][0];
        if (r.size() > 2) s->airspaceArea[r[0]] = r[2];
    }
    Rows right;
    if (!ReadCsv(dataDir + "/airspace-us/right_traffic.csv", &right, error)) return 0;
    for (const auto& r : right) {
        if (r.size() < 2 || r[0].empty() || r[1].empty()) {
            ++s->skippedRows;
            continue;
        }
        s->rightTraffic.emplace(r[0], r[1]);
    }
    return 1;
}

}  // namespace mkdata
