// The result shown: the download links of the routes, the figures, the
// picture and the control that zooms to the worst point.
import {$} from './dom.js';
import {meta} from './meta.js';
import {clearView, figuresFrame, nextMap, showViewPicture, showWindow, wrapLongitude} from './view.js';

let downloadUrls = [];

function clearDownloads() {
    for (const url of downloadUrls) URL.revokeObjectURL(url);
    downloadUrls = [];
    for (const id of ['download-forward', 'download-backward', 'download-gpx']) {
        const link = $(id);
        link.removeAttribute('href');
        link.removeAttribute('download');
        link.setAttribute('aria-disabled', 'true');
    }
}

// Clears the result shown: links, figures and picture.
export function clearResultShown() {
    clearDownloads();
    for (const id of ['points-read', 'waypoint-count', 'track-length', 'deviation']) $(id).textContent = '–';
    $('deviation-where').textContent = '';
    $('zoom-to-deviation').hidden = true;
    $('command-line').textContent = '';
    clearView();
    setViewButtons(false);
}

// A command-line word as a console takes it: quoted when it holds
// anything but letters, digits and a few plain signs.
function quoted(word) {
    return /^[A-Za-z0-9+,\-./:=@_~\\\u0080-\uffff]+$/.test(word) ? word : '"' + word + '"';
}

export function showRoutes(data) {
    clearDownloads();
    const routes = [['download-forward', data.forward, data.forwardName, 'Forward route '],
                    ['download-backward', data.backward, data.backwardName, 'Backward route '],
                    ['download-gpx', data.gpx, data.gpxName, 'GPX route ']];
    for (const [id, bytes, name, label] of routes) {
        const url = URL.createObjectURL(new Blob([bytes], {type: 'application/octet-stream'}));
        downloadUrls.push(url);
        const link = $(id);
        link.href = url;
        link.download = name;
        link.removeAttribute('aria-disabled');
        link.textContent = label + name;
    }
    $('command-line').textContent = data.command || [data.program, ...data.args].map(quoted).join(' ');
    showCounts(data.figures);
    $('deviation').textContent = '…';
    $('deviation-where').textContent = '';
    $('zoom-to-deviation').hidden = true;
}

// The points read, the waypoints and the track length of a run's figures.
function showCounts(figures) {
    if (figures.pointsRead === undefined) return;
    $('points-read').textContent = figures.pointsRead;
    $('waypoint-count').textContent = figures.waypointCount;
    $('track-length').textContent = figures.trackLengthM + ' m';
}

// "RW000123", a waypoint's name in the routes.
const waypointName = (number) => meta.waypointNamePrefix + String(number).padStart(meta.waypointNameDigits, '0');

// The worst point, where the deviation control zooms to.
let deviationPlace = null;

export function showPicture(data) {
    const figures = data.figures;
    showCounts(figures);
    if (figures.largestDeviationM !== undefined) {
        const leg = Number(figures.deviationLeg);
        $('deviation').textContent = figures.largestDeviationM + ' m';
        $('deviation-where').textContent = 'The route strays farthest at track point ' + figures.deviationPoint +
            ', between ' + waypointName(leg) + ' and ' + waypointName(leg + 1) + '.';
        deviationPlace = {lat: Number(figures.deviationLatDeg), lon: Number(figures.deviationLonDeg),
                          deviation_m: Number(figures.largestDeviationM)};
        $('zoom-to-deviation').hidden = false;
    } else {
        $('deviation').textContent = '–';
    }
    const svg = document.importNode(new DOMParser().parseFromString(data.svg, 'image/svg+xml').documentElement, true);
    showViewPicture(svg, figuresFrame(figures));
    // The window and the size drawn, as rt2preview's --view and --size
    // took them; empty for the whole track and the preview's own size.
    $('picture').dataset.view = data.view;
    $('picture').dataset.size = data.size;
    setViewButtons(true);
}

// Metres per degree of latitude, near enough for choosing a window.
const metresPerDegree = 111195;

// A window about the worst point: some six deviations across, at least
// 200 m, in the shape of the map of a view.
function deviationWindow() {
    const map = nextMap();
    const halfHeightMetres = Math.max(3 * deviationPlace.deviation_m, 100);
    const halfLat = halfHeightMetres / metresPerDegree;
    const aspect = (map.right - map.left) / (map.bottom - map.top);
    const halfLon = halfLat * aspect / Math.max(Math.cos(deviationPlace.lat * Math.PI / 180), 0.01);
    return {south: deviationPlace.lat - halfLat, north: deviationPlace.lat + halfLat,
            west: wrapLongitude(deviationPlace.lon - halfLon), east: wrapLongitude(deviationPlace.lon + halfLon)};
}

export function setViewButtons(enabled) {
    for (const id of ['zoom-in', 'zoom-out', 'zoom-whole']) $(id).disabled = !enabled;
}

// The deviation control: the window about the worst point, drawn; nothing
// while no picture is shown.
export function zoomToDeviation() {
    if (deviationPlace !== null) showWindow(deviationWindow());
}
