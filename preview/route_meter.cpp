// Route files and the measuring of a route in step with its track.
#include "preview/route_meter.h"

#include <cstdint>
#include <cstring>

#include "core/distance.h"

namespace preview {

namespace {

bool read_record(std::FILE* file, WaypointRecord* record) {
    unsigned char bytes[waypoint_record_size];
    if (std::fread(bytes, 1, sizeof bytes, file) != sizeof bytes) return false;
    int32_t index;
    std::memcpy(&index, bytes, 4);
    std::memcpy(&record->lat_deg, bytes + 4, 8);
    std::memcpy(&record->lon_deg, bytes + 12, 8);
    record->index = index;
    return true;
}

// The same bits: a point read again must be the one written.
bool same_degrees(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool is_point(const WaypointRecord& record, const core::TrackPoint& point) {
    return same_degrees(record.lat_deg, point.lat_deg) && same_degrees(record.lon_deg, point.lon_deg);
}

UnitVector position_of(const WaypointRecord& record) {
    core::TrackPoint point;
    core::set_point_degrees(&point, record.lat_deg, record.lon_deg);
    return unit_vector(point);
}

// Takes the next waypoint as the end of the leg that starts at the
// current point; the route ends when there is none.
void next_leg(RouteMeter* meter, int index, const UnitVector& start) {
    if (!read_record(meter->file, &meter->end)) {
        meter->route_ended = true;
        return;
    }
    if (meter->end.index <= index) meter->consistent = false;
    start_leg(&meter->leg, start, position_of(meter->end));
}

bool take_worst(RouteMeter* meter, double key, double angle_rad, const core::TrackPoint& point) {
    if (!(key > meter->worst_key)) return false;
    meter->worst_key = key;
    meter->worst_point = meter->points;
    meter->worst_leg = meter->leg_number;
    meter->worst_rad = angle_rad;
    meter->worst_lat_deg = point.lat_deg;
    meter->worst_lon_deg = point.lon_deg;
    return true;
}

}  // namespace

bool write_waypoint_record(std::FILE* file, int index, const core::TrackPoint& point) {
    unsigned char bytes[waypoint_record_size];
    int32_t number = index;
    std::memcpy(bytes, &number, 4);
    std::memcpy(bytes + 4, &point.lat_deg, 8);
    std::memcpy(bytes + 12, &point.lon_deg, 8);
    return std::fwrite(bytes, 1, sizeof bytes, file) == sizeof bytes;
}

void start_meter(RouteMeter* meter, std::FILE* file) {
    *meter = RouteMeter{};
    meter->file = file;
    meter->consistent = true;
    meter->worst_key = -1.0;
}

bool measure_point(RouteMeter* meter, const core::TrackPoint& point, const UnitVector& position) {
    int index = ++meter->points;
    if (!meter->consistent) return false;
    if (index == 1) {
        // The first track point is the first waypoint.
        if (!read_record(meter->file, &meter->start) || meter->start.index != 1 ||
            !is_point(meter->start, point)) {
            meter->consistent = false;
            return false;
        }
        meter->leg_number = 1;
        next_leg(meter, index, position);
        if (meter->route_ended) meter->consistent = false;
        return take_worst(meter, 0.0, 0.0, point);
    }
    if (meter->route_ended) {
        meter->consistent = false;
        return false;
    }
    if (index < meter->end.index) {
        LegPart nearest;
        double key = deviation_key(meter->leg, position, &nearest);
        // The exact angle only for a new worst point: the key orders them.
        if (!(key > meter->worst_key)) return false;
        return take_worst(meter, key, deviation_rad(meter->leg, position), point);
    }
    // The waypoint that ends the leg, and starts the next.
    if (!is_point(meter->end, point)) meter->consistent = false;
    meter->start = meter->end;
    ++meter->leg_number;
    next_leg(meter, index, position);
    return false;
}

bool finish_meter(const RouteMeter& meter) {
    return meter.consistent && meter.route_ended && meter.points == meter.start.index;
}

double largest_deviation_m(const RouteMeter& meter) { return meter.worst_rad * core::earth_radius_m; }

}  // namespace preview
