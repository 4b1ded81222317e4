// The facts the page, its worker and its build share, each stated once:
// the converters' four thresholds, the track formats with the programs
// that read them, the figures a run writes, and the page's own figures.
// The page and the worker import it; the build makes the threshold
// controls and the format choice of index.html from it.
//
// A unit test (tests/web/) reads the lines of this file and checks each
// threshold's letter and default, each format's program, the figures'
// keys, the judged head and the picture sizes against the programs' own:
// keep one entry to a line.
export const meta = Object.freeze({
    // key: the threshold's name in the module's figures and in the page's
    // scripts; letter: its option (/m5); id: its number field, whose
    // slider is id + "-slider"; value: the converters' default.
    thresholds: Object.freeze([
        {key: 'min_distance_m', letter: 'm', id: 'min-distance', label: 'Minimal distance', unit: 'm', hint: 'a point this close to the last waypoint and to the next point is dropped', value: 5, min: 0, max: 100, step: 1},
        {key: 'max_distance_m', letter: 'x', id: 'max-distance', label: 'Maximal distance', unit: 'm', hint: 'no leg of the route is longer', value: 1000, min: 10, max: 10000, step: 10},
        {key: 'max_angle_deg', letter: 'a', id: 'max-angle', label: 'Maximal angle', unit: 'degrees', hint: 'a sharper turn makes a waypoint', value: 5, min: 0, max: 180, step: 1},
        {key: 'max_orth_error_m', letter: 'e', id: 'max-error', label: 'Maximal orthogonal error', unit: 'm', hint: 'a point farther off the direction taken makes a waypoint', value: 50, min: 0, max: 1000, step: 5},
    ]),
    // name: the format on rt2preview's command line (--format); program:
    // the converter that reads it; extension: of the samples' and the
    // benchmark's files. The fuzz targets (fuzz/CMakeLists.txt), the
    // benchmark (bench/run) and the browser tests read this table too.
    formats: Object.freeze([
        {name: 'nmea', label: 'NMEA 0183 log', program: 'Tolvek', extension: 'nmea'},
        {name: 'records', label: 'record file', program: 'Brisham', extension: 'rec'},
        {name: 'plt', label: '.plt track point file', program: 'Quendal', extension: 'plt'},
        {name: 'gpx', label: '.gpx file', program: 'Marovin', extension: 'gpx'},
    ]),
    // A waypoint's name in the routes: the prefix and its number with
    // leading zeros to this many digits ("RW000123").
    waypointNamePrefix: 'RW',
    waypointNameDigits: 6,
    // The figures a run of the module writes (programs/run_figures.h), by
    // their keys there, with the names the page's scripts know them by;
    // the thresholds' are their keys above. The worker reads them into an
    // object of these names.
    figures: Object.freeze({
        exit: 'exitCode',
        points_read: 'pointsRead',
        waypoint_count: 'waypointCount',
        track_length_m: 'trackLengthM',
        largest_deviation_m: 'largestDeviationM',
        deviation_point: 'deviationPoint',
        deviation_leg: 'deviationLeg',
        deviation_lat_deg: 'deviationLatDeg',
        deviation_lon_deg: 'deviationLonDeg',
        picture_width: 'pictureWidth',
        picture_height: 'pictureHeight',
        map_left: 'mapLeft',
        map_top: 'mapTop',
        map_width: 'mapWidth',
        map_height: 'mapHeight',
        origin_x: 'originX',
        origin_y: 'originY',
        origin_lon_deg: 'originLonDeg',
        origin_lat_deg: 'originLatDeg',
        x_per_deg: 'xPerDeg',
        y_per_deg: 'yPerDeg',
        closest_within_m: 'closestWithinM',
    }),
    // The bytes at a track's start that judging its format reads (64 KiB).
    judgedHeadBytes: 65536,
    // The pixels of the pictures rt2preview draws with --size, and where a
    // view's map lies in them: a margin round it, and below it the scale
    // bar's gap and the caption's lines.
    smallestPictureWidth: 200,
    smallestPictureHeight: 300,
    largestPictureSide: 4096,
    pictureMargin: 20,
    scaleBarGap: 26,
    captionLine: 18,
    viewCaptionLines: 8,
    // Below this width the result sits under the controls, in one column;
    // style.css says "@media (--one-column)" and the build puts this in.
    oneColumn: '(max-width: 760px)',
});
