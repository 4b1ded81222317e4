// The route maker page's main thread: the controls, the figures and the
// picture. The converters run in a Web Worker made from the worker's
// bundled source, which the build hands in as workerSource. A run that
// is no longer wanted ends with its worker.
import {$} from './dom.js';
import {takeDroppedFiles} from './drops.js';
import {checkedForPage, types, workerMessage} from './messages.js';
import {meta} from './meta.js';
import {clearResultShown, showPicture, showRoutes, zoomToDeviation} from './results.js';
import {pictureSize, showWhole, startView, zoomIn, zoomOut} from './view.js';
import {workerSource} from 'worker-source';

// The number field of each threshold, by its key.
const thresholdInputs = Object.fromEntries(meta.thresholds.map((t) => [t.key, $(t.id)]));
const debounceMs = 150;
// A run that reads nothing for this long has hung.
const silenceLimitMs = 20000;

let track = null;        // the File being converted
let fileNumber = 0;      // of the files given so far: the worker keeps a block of the track by it
let worker = null;       // idle or running; null after it was ended
let jobId = 0;           // the run whose messages count
// The page's run, one value: state is 'idle' (no track yet, or stopped),
// 'working' (a run of mode goes on: convert, fit, closest or draw), 'done'
// or 'failed'; redraw: the view moved while a conversion was drawing the
// window before. The body's data-state shows the state.
let run = {state: 'idle', mode: '', redraw: false};
// The window of the track the picture is to show (null: the whole
// track), kept by a new threshold or a fit.
let wantedWindow = null;
let debounceTimer = 0, watchdogTimer = 0;
// The distance of the closest route shown ("12.35"), which redraws it;
// empty before one is shown.
let closestWithin = '';
// Where the result sits below the controls (a phone), a new track scrolls
// it into view: the progress, the figures and any message are there.
const oneColumn = window.matchMedia(meta.oneColumn);

function setRun(state, mode = run.mode) {
    run = {state, mode, redraw: false};
    document.body.dataset.state = state;
}
const working = (mode) => run.state === 'working' && (mode === undefined || run.mode === mode);
function setStatus(text) { $('status').textContent = text; }
function setMessage(text) { $('message').textContent = text; }

// The line for a run that ended in a fault of the page's own machinery,
// with the browser's reason, which often ends in a full stop of its own.
function internalError(reason) {
    return 'The converter stopped with an internal error: ' + String(reason || 'unknown').trim().replace(/\.+$/, '') + '!';
}

// Ends the worker and with it any run; the caller says what the run's
// state is now.
function endWorker() {
    if (worker !== null) worker.terminate();
    worker = null;
    clearTimeout(watchdogTimer);
}

function newWorker() {
    const url = URL.createObjectURL(new Blob([workerSource], {type: 'text/javascript'}));
    const made = new Worker(url);
    URL.revokeObjectURL(url);
    made.onmessage = (event) => {
        try {
            const data = checkedForPage(event.data);
            if (data.id === jobId) handle(data);
        } catch (error) {
            endWorker();
            fail(internalError(error.message));
        }
    };
    made.onerror = (event) => {
        event.preventDefault();
        if (made !== worker) return;
        fail(internalError(event.message));
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

function clearResult() {
    clearResultShown();
    wantedWindow = null;
}

function fail(message) {
    setMessage(message);
    setStatus('');
    setRun('failed');
}

const startingStatus = {convert: 'Converting…', fit: 'Finding thresholds…', closest: 'Finding the closest route…',
                        draw: 'Drawing…'};

// Which way the waypoints are chosen: 'converter' or 'closest'.
function routeKind() { return $('kind-closest').checked ? 'closest' : 'converter'; }

// Starts a run of the current track: "convert" converts and draws; "fit"
// asks the preview for thresholds first, then converts with them;
// "closest" makes the closest route for a budget or a distance and draws
// it; "draw" draws the wanted window again, of the closest route where
// that is shown.
function start(mode, extra) {
    clearTimeout(debounceTimer);
    if (track === null) return;
    if (working()) endWorker();
    if (worker === null) worker = newWorker();
    ++jobId;
    setMessage('');
    setRun('working', mode);
    document.body.dataset.job = mode;
    setStatus(startingStatus[mode]);
    $('progress').value = 0;
    watch();
    const size = pictureSize();
    worker.postMessage(workerMessage(types.job, {id: jobId, mode, file: track, fileNumber, format: $('format').value,
                                             thresholds: thresholds(), fitCount: '', within: '',
                                             closestWithin: routeKind() === 'closest' ? closestWithin : '',
                                             window: wantedWindow, size, ...extra}));
}

// Makes the route of the kind chosen afresh: the converter's with the
// thresholds shown, or the closest for the distance found before (for the
// budget where there is none yet).
function startRoute() {
    if (routeKind() === 'converter') return start('convert');
    if (closestWithin !== '') return start('closest', {within: closestWithin});
    start('closest', {fitCount: $('fit-count').value.trim()});
}

// A Fit button: the converter's thresholds, or the closest route.
function fit(extra) { start(routeKind() === 'closest' ? 'closest' : 'fit', extra); }

// A settled gesture: the window in sight is drawn afresh, now or after
// the conversion going on.
function drawWindow(window) {
    wantedWindow = window;
    if (working() && !working('draw')) run.redraw = true;
    else start('draw');
}

// A gesture that starts while a window is being drawn makes that drawing
// stale: it is ended with its worker, and a fresh worker gets ready.
function dropStaleDrawing() {
    if (!working('draw')) return;
    endWorker();
    worker = newWorker();
    worker.postMessage(workerMessage(types.warm));
    setStatus('Done: ' + track.name + '.');
    setRun('done');
}

function schedule() {
    clearTimeout(debounceTimer);
    if (track !== null) debounceTimer = setTimeout(startRoute, debounceMs);
}

function megabytes(bytes) { return (bytes / 1e6).toFixed(bytes < 1e7 ? 1 : 0) + ' MB'; }

const phaseNames = {judging: 'Judging the format', fitting: 'Finding thresholds', closest: 'Finding the closest route',
                    converting: 'Converting', drawing: 'Drawing'};

// A block of the track for a worker that may not read the File itself.
// An answer that comes after its job was given up is dropped.
function sendBlock(data) {
    const asker = worker, id = data.id;
    const wanted = () => id === jobId && asker === worker;
    track.slice(data.position, data.position + data.size).arrayBuffer().then((bytes) => {
        if (wanted()) asker.postMessage(workerMessage(types.block, {request: data.request, bytes}), [bytes]);
    }, (error) => {
        if (wanted())
            asker.postMessage(workerMessage(types.block, {request: data.request, error: String(error && error.message || error)}));
    });
}

function handle(data) {
    watch();
    switch (data.type) {
    case types.blockWanted:
        sendBlock(data);
        break;
    case types.progress:
        $('progress').value = data.total > 0 ? data.bytes / data.total : 0;
        setStatus(phaseNames[data.phase] + '… ' + megabytes(data.bytes) + ' of ' + megabytes(data.total));
        break;
    case types.routes:
        showRoutes(data);
        setStatus('Routes ready; drawing…');
        break;
    case types.picture: {
        showPicture(data);
        if (data.figures.closestWithinM !== undefined) closestWithin = data.figures.closestWithinM;
        clearTimeout(watchdogTimer);
        setStatus('Done: ' + track.name + '.');
        const redraw = run.redraw;
        setRun('done');
        if (redraw) start('draw');
        break;
    }
    case types.fitted:
        // The fit's run has ended; the conversion with its thresholds
        // takes the worker over.
        setRun('done');
        for (const key in thresholdInputs) {
            thresholdInputs[key].value = data.thresholds[key];
            syncSlider(thresholdInputs[key]);
        }
        start('convert');
        break;
    case types.failed:
        clearTimeout(watchdogTimer);
        if (!data.keepResult) clearResult();
        fail(data.message);
        break;
    case types.crashed:
        endWorker();
        fail(internalError(data.message));
        break;
    }
}

function takeFile(file) {
    if (!file) return;
    track = file;
    ++fileNumber;
    clearResult();
    closestWithin = '';
    startRoute();
    // Scrolled to the whole pixel at or above its top, which a fraction of
    // a pixel would otherwise cut off.
    if (oneColumn.matches)
        window.scrollTo(0, Math.floor(document.querySelector('.results').getBoundingClientRect().top + window.scrollY));
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
// The thresholds are the converter's: with the closest route they rest.
function showKind() {
    const closest = routeKind() === 'closest';
    $('thresholds').disabled = closest;
    $('fit-legend').textContent = closest ? 'Fit the closest route' : 'Let the thresholds be found';
}
for (const id of ['kind-converter', 'kind-closest'])
    $(id).addEventListener('change', () => { showKind(); if (track !== null) startRoute(); });
showKind();
$('track-file').addEventListener('change', (event) => takeFile(event.target.files[0]));
$('fit').addEventListener('click', () => fit({fitCount: $('fit-count').value.trim()}));
$('fit-within').addEventListener('click', () => fit({within: $('within').value.trim()}));
startView($('picture'), drawWindow, dropStaleDrawing);
$('zoom-in').addEventListener('click', zoomIn);
$('zoom-out').addEventListener('click', zoomOut);
$('zoom-whole').addEventListener('click', showWhole);
$('zoom-to-deviation').addEventListener('click', zoomToDeviation);
$('cancel').addEventListener('click', () => {
    // A drawing stopped leaves the result as it was.
    if (working('draw')) return void dropStaleDrawing();
    endWorker();
    clearResult();
    setRun('idle');
    setStatus('Stopped before the end. Change a threshold or choose the file again to convert it.');
});

// The worker is made at once, so that it is ready when a track comes.
worker = newWorker();
worker.postMessage(workerMessage(types.warm));

takeDroppedFiles(takeFile);

// The site folder's page keeps itself offline through its service worker;
// from a file, or where no service worker may run, it goes on without one.
const offlineWorker = document.querySelector('meta[name="offline-worker"]');
if (offlineWorker !== null && 'serviceWorker' in navigator && /^https?:$/.test(location.protocol))
    navigator.serviceWorker.register(offlineWorker.content).catch(() => {});
