// The route maker page's main thread: the controls, the figures and the
// picture. The converters run in a Web Worker made from WORKER_SOURCE; the
// build puts it and meta.js in front of this script. A run that is no
// longer wanted ends with its worker.
'use strict';

const $ = (id) => document.getElementById(id);
// The number field of each threshold, by its key.
const thresholdInputs = Object.fromEntries(meta.thresholds.map((t) => [t.key, $(t.id)]));
const debounceMs = 150;
// A run that reads nothing for this long has hung.
const silenceLimitMs = 20000;

let track = null;        // the File being converted
let worker = null;       // idle or running; null after it was ended
let jobId = 0;           // the run whose messages count
let running = false;
let debounceTimer = 0, watchdogTimer = 0;
let downloadUrls = [];
// Where the result sits below the controls (a phone), a new track scrolls
// it into view: the progress, the figures and any message are there.
const oneColumn = window.matchMedia(meta.oneColumn);

function setState(state) { document.body.dataset.state = state; }
function setStatus(text) { $('status').textContent = text; }
function setMessage(text) { $('message').textContent = text; }
function internalError(detail) { return 'The converter stopped with an internal error: ' + detail + '!'; }

function endWorker() {
    if (worker !== null) worker.terminate();
    worker = null;
    running = false;
    clearTimeout(watchdogTimer);
}

function newWorker() {
    const url = URL.createObjectURL(new Blob([WORKER_SOURCE], {type: 'text/javascript'}));
    const made = new Worker(url);
    URL.revokeObjectURL(url);
    made.onmessage = (event) => { if (event.data.id === jobId) handle(event.data); };
    made.onerror = (event) => {
        event.preventDefault();
        if (made !== worker) return;
        fail(internalError(event.message || 'unknown'));
        endWorker();
    };
    return made;
}

function watch() {
    clearTimeout(watchdogTimer);
    watchdogTimer = setTimeout(() => {
        endWorker();
        fail('The converter stopped responding!');
    }, silenceLimitMs);
}

function thresholds() {
    const values = {};
    for (const key in thresholdInputs) values[key] = thresholdInputs[key].value.trim() || '0';
    return values;
}

function clearDownloads() {
    for (const url of downloadUrls) URL.revokeObjectURL(url);
    downloadUrls = [];
    for (const id of ['download-forward', 'download-backward']) {
        const link = $(id);
        link.removeAttribute('href');
        link.removeAttribute('download');
        link.setAttribute('aria-disabled', 'true');
    }
}

function clearResult() {
    clearDownloads();
    for (const id of ['points-read', 'waypoint-count', 'track-length', 'deviation']) $(id).textContent = '–';
    $('deviation-where').textContent = '';
    $('command-line').textContent = '';
    $('picture').replaceChildren();
}

function fail(message) {
    setMessage(message);
    setStatus('');
    setState('failed');
}

// Starts a run of the current track: "convert" converts and draws; "fit"
// asks the preview for thresholds first, then converts with them.
function start(mode, extra) {
    clearTimeout(debounceTimer);
    if (track === null) return;
    if (running) endWorker();
    if (worker === null) worker = newWorker();
    running = true;
    ++jobId;
    setMessage('');
    setState('working');
    setStatus(mode === 'fit' ? 'Finding thresholds…' : 'Converting…');
    $('progress').value = 0;
    watch();
    worker.postMessage(Object.assign({id: jobId, mode, file: track, format: $('format').value,
                                      thresholds: thresholds(), fitCount: '', within: ''}, extra));
}

function schedule() {
    clearTimeout(debounceTimer);
    if (track !== null) debounceTimer = setTimeout(() => start('convert'), debounceMs);
}

function megabytes(bytes) { return (bytes / 1e6).toFixed(bytes < 1e7 ? 1 : 0) + ' MB'; }

const phaseNames = {judging: 'Judging the format', fitting: 'Finding thresholds',
                    converting: 'Converting', drawing: 'Drawing'};

// A command-line word as a console takes it: quoted when it holds
// anything but letters, digits and a few plain signs.
function quoted(word) {
    return /^[A-Za-z0-9+,\-./:=@_~\\\u0080-\uffff]+$/.test(word) ? word : '"' + word + '"';
}

function showRoutes(data) {
    clearDownloads();
    const routes = [['download-forward', data.forward, data.forwardName],
                    ['download-backward', data.backward, data.backwardName]];
    for (const [id, bytes, name] of routes) {
        const url = URL.createObjectURL(new Blob([bytes], {type: 'application/octet-stream'}));
        downloadUrls.push(url);
        const link = $(id);
        link.href = url;
        link.download = name;
        link.removeAttribute('aria-disabled');
        link.textContent = (id === 'download-forward' ? 'Forward route ' : 'Backward route ') + name;
    }
    $('command-line').textContent = [data.program, ...data.args].map(quoted).join(' ');
    showCounts(data.figures);
    $('deviation').textContent = '…';
    $('deviation-where').textContent = '';
}

// The points read, the waypoints and the track length of a run's figures.
function showCounts(figures) {
    if (figures.points_read === undefined) return;
    $('points-read').textContent = figures.points_read;
    $('waypoint-count').textContent = figures.waypoint_count;
    $('track-length').textContent = figures.track_length_m + ' m';
}

// "RW000123", a waypoint's name in the routes.
const waypointName = (number) => 'RW' + String(number).padStart(6, '0');

function showPicture(data) {
    const figures = data.figures;
    showCounts(figures);
    if (figures.largest_deviation_m !== undefined) {
        const leg = Number(figures.deviation_leg);
        $('deviation').textContent = figures.largest_deviation_m + ' m';
        $('deviation-where').textContent = 'The route strays farthest at track point ' + figures.deviation_point +
            ', between ' + waypointName(leg) + ' and ' + waypointName(leg + 1) + '.';
    } else {
        $('deviation').textContent = '–';
    }
    const svg = new DOMParser().parseFromString(data.svg, 'image/svg+xml').documentElement;
    $('picture').replaceChildren(document.importNode(svg, true));
}

function handle(data) {
    watch();
    switch (data.type) {
    case 'progress':
        $('progress').value = data.total > 0 ? data.bytes / data.total : 0;
        setStatus(phaseNames[data.phase] + '… ' + megabytes(data.bytes) + ' of ' + megabytes(data.total));
        break;
    case 'routes':
        showRoutes(data);
        setStatus('Routes ready; drawing…');
        break;
    case 'picture':
        showPicture(data);
        running = false;
        clearTimeout(watchdogTimer);
        setStatus('Done: ' + track.name + '.');
        setState('done');
        break;
    case 'fitted':
        running = false;
        for (const key in thresholdInputs) {
            thresholdInputs[key].value = data.thresholds[key];
            syncSlider(thresholdInputs[key]);
        }
        start('convert');
        break;
    case 'failed':
        running = false;
        clearTimeout(watchdogTimer);
        if (!data.fit) clearResult();
        fail(data.message);
        break;
    case 'crashed':
        endWorker();
        fail(internalError(data.message));
        break;
    }
}

function takeFile(file) {
    if (!file) return;
    track = file;
    clearResult();
    start('convert');
    if (oneColumn.matches) document.querySelector('.results').scrollIntoView({block: 'start'});
}

function syncSlider(input) {
    const slider = $(input.id + '-slider');
    const value = Number(input.value);
    if (Number.isFinite(value)) slider.value = String(value);
}

for (const key in thresholdInputs) {
    const input = thresholdInputs[key];
    const slider = $(input.id + '-slider');
    input.addEventListener('input', () => { syncSlider(input); schedule(); });
    slider.addEventListener('input', () => { input.value = slider.value; schedule(); });
}
$('format').addEventListener('change', schedule);
$('track-file').addEventListener('change', (event) => takeFile(event.target.files[0]));
$('fit').addEventListener('click', () => start('fit', {fitCount: $('fit-count').value.trim()}));
$('fit-within').addEventListener('click', () => start('fit', {within: $('within').value.trim()}));
$('cancel').addEventListener('click', () => {
    endWorker();
    clearResult();
    setState('idle');
    setStatus('Stopped before the end. Change a threshold or choose the file again to convert it.');
});

// The worker is made at once, so that it is ready when a track comes.
worker = newWorker();
worker.postMessage({type: 'warm'});

// A file dragged anywhere onto the page.
let dragDepth = 0;
document.addEventListener('dragenter', (event) => {
    if (![...event.dataTransfer.types].includes('Files')) return;
    ++dragDepth;
    document.body.classList.add('dragging');
});
document.addEventListener('dragleave', () => {
    if (dragDepth > 0 && --dragDepth === 0) document.body.classList.remove('dragging');
});
document.addEventListener('dragover', (event) => event.preventDefault());
document.addEventListener('drop', (event) => {
    event.preventDefault();
    dragDepth = 0;
    document.body.classList.remove('dragging');
    if (event.dataTransfer.files.length > 0) takeFile(event.dataTransfer.files[0]);
});
