// The picture's view: the window of the track in sight, and the gestures
// that move it. Wheel and pinch zoom about the pointer, dragging pans, and
// the buttons and keys (+, -, arrows, 0) zoom and pan about the middle.
// While a gesture goes on, the picture as drawn moves at once (a CSS
// transform); once it has settled, onSettle hears the window now in sight,
// for the module to draw it afresh, and the new picture takes the old
// one's place where the transform had put it.
//
// A picture comes with its frame, which maps the picture's own units
// (u right, v down) to degrees and back, and the rectangle of its map
// (figuresFrame below).
import {meta} from './meta.js';

// A wheel or a key settles once it has been still this long; a drag or a
// pinch as its last pointer lifts.
const settleMs = 150;
const zoomStep = 1.5;   // a button press or a key
const panStep = 0.2;    // of the element's width or height, per arrow key
// Zooms between two pictures stay within these, so that a runaway wheel
// cannot make a window of no size or of more than the world.
const largestZoom = 256, smallestZoom = 1 / 64;

const view = {
    element: null,
    svg: null,
    frame: null,          // of the picture shown
    x: 0, y: 0, k: 1,     // element pixel = (x, y) + k * scale * picture unit
    pointers: new Map(),  // the pointers down, by id: their last place
    settleTimer: 0,
    onSettle: null,       // (window) => ...; window null: the whole track
    onMove: null,         // () => ... as a gesture starts moving the picture
    moving: false,
    size: null,           // [clientWidth, clientHeight] of the element, or null: not measured since it changed
};

// The element's size in CSS pixels, measured once after each change of
// picture or of the element's box and then kept: a read of the element's
// size right after the transform moved makes WebKit lay out the whole
// picture again, some 10 to 20 ms on a long track's, before the drawing
// of the window can be asked for.
function elementSize() {
    if (view.size === null) view.size = [view.element.clientWidth, view.element.clientHeight];
    return view.size;
}

// Element pixels per picture unit before the transform.
function pictureScale() {
    return elementSize()[0] / view.frame.width;
}

function applyTransform() {
    if (view.svg === null) return;
    view.svg.style.transform = view.x === 0 && view.y === 0 && view.k === 1 ? ''
        : `translate(${view.x}px, ${view.y}px) scale(${view.k})`;
}

// Where a place in degrees shows in the element now.
function elementPoint(lat, lon) {
    const s = pictureScale();
    const [u, v] = view.frame.toPicture(lat, lon);
    return [view.x + view.k * s * u, view.y + view.k * s * v];
}

// The place in degrees that shows at element pixel (ex, ey) now.
function placeAt(ex, ey) {
    const s = pictureScale();
    return view.frame.toDegrees((ex - view.x) / (view.k * s), (ey - view.y) / (view.k * s));
}

// The window in sight: what shows where the map of the next picture will
// lie in the element, as {south, west, north, east} in degrees, within
// the poles and once round the world; west may be above east across the
// date line.
function windowInSight() {
    const map = nextMap();
    const [north, west] = placeAt(map.left, map.top);
    const [south, east] = placeAt(map.right, map.bottom);
    const [s, n] = [Math.max(south, -90), Math.min(north, 90)];
    if (east - west >= 360) return {south: s, west: -180, north: n, east: 180};
    return {south: s, west: wrapLongitude(west), north: n, east: wrapLongitude(east)};
}

export function wrapLongitude(lon) {
    return ((lon + 180) % 360 + 360) % 360 - 180;
}

function moved() {
    if (!view.moving) {
        view.moving = true;
        if (view.onMove) view.onMove();
    }
    applyTransform();
    clearTimeout(view.settleTimer);
}

function settleSoon() {
    clearTimeout(view.settleTimer);
    view.settleTimer = setTimeout(settle, settleMs);
}

function settle() {
    clearTimeout(view.settleTimer);
    view.moving = false;
    if (view.frame !== null) view.onSettle(windowInSight());
}

function zoomAt(ex, ey, factor) {
    const k = Math.min(Math.max(view.k * factor, smallestZoom), largestZoom);
    const f = k / view.k;
    view.x = ex - (ex - view.x) * f;
    view.y = ey - (ey - view.y) * f;
    view.k = k;
    moved();
}

function panBy(dx, dy) {
    view.x += dx;
    view.y += dy;
    moved();
}

// The element pixel of an event.
function eventPoint(event) {
    const box = view.element.getBoundingClientRect();
    return [event.clientX - box.left, event.clientY - box.top];
}

function middle() {
    const [width, height] = elementSize();
    return [width / 2, height / 2];
}

function onWheel(event) {
    if (view.frame === null) return;
    event.preventDefault();
    const unit = event.deltaMode === 1 ? 16 : event.deltaMode === 2 ? elementSize()[1] : 1;
    // A pinch on a touchpad comes as a wheel with the control key, in
    // smaller steps.
    const rate = event.ctrlKey ? 0.01 : 0.002;
    zoomAt(...eventPoint(event), Math.exp(-event.deltaY * unit * rate));
    settleSoon();
}

function onPointerDown(event) {
    if (view.frame === null || (event.pointerType === 'mouse' && event.button !== 0)) return;
    view.element.setPointerCapture(event.pointerId);
    view.pointers.set(event.pointerId, eventPoint(event));
    view.element.classList.add('grabbing');
    clearTimeout(view.settleTimer);
}

// One pointer pans; two pan by their middle and zoom by their distance.
function onPointerMove(event) {
    const before = view.pointers.get(event.pointerId);
    if (before === undefined) return;
    const now = eventPoint(event);
    if (view.pointers.size === 1) {
        view.pointers.set(event.pointerId, now);
        if (now[0] !== before[0] || now[1] !== before[1]) panBy(now[0] - before[0], now[1] - before[1]);
        return;
    }
    const [other] = [...view.pointers].filter(([id]) => id !== event.pointerId).map(([, place]) => place);
    const span = (a, b) => Math.hypot(a[0] - b[0], a[1] - b[1]);
    const mid = (a, b) => [(a[0] + b[0]) / 2, (a[1] + b[1]) / 2];
    const [m0, m1] = [mid(before, other), mid(now, other)];
    view.pointers.set(event.pointerId, now);
    if (span(before, other) > 0) zoomAt(m0[0], m0[1], span(now, other) / span(before, other));
    panBy(m1[0] - m0[0], m1[1] - m0[1]);
}

function onPointerUp(event) {
    if (!view.pointers.delete(event.pointerId)) return;
    if (view.pointers.size > 0) return;
    view.element.classList.remove('grabbing');
    if (view.moving) settle();
}

function zoomAbout(factor) {
    if (view.frame === null) return;
    zoomAt(...middle(), factor);
    settleSoon();
}

// The zoom buttons: a step in or out about the middle.
export const zoomIn = () => zoomAbout(zoomStep);
export const zoomOut = () => zoomAbout(1 / zoomStep);

function pan(xSteps, ySteps) {
    if (view.frame === null) return;
    const [width, height] = elementSize();
    panBy(xSteps * panStep * width, ySteps * panStep * height);
    settleSoon();
}

export function showWhole() {
    if (view.frame === null) return;
    clearTimeout(view.settleTimer);
    view.moving = false;
    view.onSettle(null);
}

// Moves the picture at once so that the window fills the map, and asks
// for it to be drawn.
export function showWindow(window) {
    if (view.frame === null) return;
    const map = nextMap();
    const [x0, y0] = elementPoint(window.north, window.west);
    const [x1, y1] = elementPoint(window.south, window.east);
    const f = Math.min((map.right - map.left) / Math.abs(x1 - x0), (map.bottom - map.top) / Math.abs(y1 - y0));
    zoomAt((x0 + x1) / 2, (y0 + y1) / 2, f);
    panBy((map.left + map.right) / 2 - (x0 + x1) / 2, (map.top + map.bottom) / 2 - (y0 + y1) / 2);
    view.moving = false;
    view.onSettle(window);
}

const viewKeys = {
    '+': () => zoomAbout(zoomStep), '=': () => zoomAbout(zoomStep), '-': () => zoomAbout(1 / zoomStep),
    ArrowLeft: () => pan(1, 0), ArrowRight: () => pan(-1, 0), ArrowUp: () => pan(0, 1), ArrowDown: () => pan(0, -1),
    '0': showWhole,
};

function onKey(event) {
    const action = viewKeys[event.key];
    if (action === undefined || event.altKey || event.metaKey || (event.ctrlKey && event.key !== '0')) return;
    event.preventDefault();
    action();
}

// Shows a new picture in place of the old. A gesture that goes on since
// the new one was asked for goes on from it, placed where the old one's
// transform puts the same places.
export function showViewPicture(svg, frame) {
    const old = view.frame === null ? null : {frame: view.frame, x: view.x, y: view.y, k: view.k, s: pictureScale()};
    view.element.replaceChildren(svg);
    view.size = null;
    view.svg = svg;
    view.frame = frame;
    view.x = 0;
    view.y = 0;
    view.k = 1;
    if (old !== null && frame !== null && view.moving) carryGesture(old);
    applyTransform();
}

// Puts the new picture where the old one's transform puts the same
// places: two corners of the new map, in degrees, seen through the old.
function carryGesture(old) {
    const s = pictureScale(), map = view.frame.map;
    const shown = (lat, lon) => {
        const [u, v] = old.frame.toPicture(lat, lon);
        return [old.x + old.k * old.s * u, old.y + old.k * old.s * v];
    };
    const [la, lo] = view.frame.toDegrees(map.left, map.top);
    const [lb, lob] = view.frame.toDegrees(map.right, map.bottom);
    const [ax, ay] = shown(la, lo), [bx] = shown(lb, lob);
    const k = Math.abs(bx - ax) / ((map.right - map.left) * s);
    if (!(k > 0 && Number.isFinite(k))) return;
    view.k = k;
    view.x = ax - k * s * map.left;
    view.y = ay - k * s * map.top;
}

export function clearView() {
    clearTimeout(view.settleTimer);
    view.frame = null;
    view.svg = null;
    view.moving = false;
    view.pointers.clear();
    view.element.replaceChildren();
    view.size = null;
}

export function startView(element, onSettle, onMove) {
    Object.assign(view, {element, onSettle, onMove});
    element.addEventListener('wheel', onWheel, {passive: false});
    element.addEventListener('pointerdown', onPointerDown);
    element.addEventListener('pointermove', onPointerMove);
    element.addEventListener('pointerup', onPointerUp);
    element.addEventListener('pointercancel', onPointerUp);
    element.addEventListener('keydown', onKey);
    new ResizeObserver(() => { view.size = null; }).observe(element);
}

// The pixels of the picture as the element shows it, for the module to
// draw at, scaled as a whole into the sizes it draws; null before the
// first picture, which is drawn at the preview's own size and gives the
// element its shape.
export function pictureSize() {
    if (view.frame === null || elementSize()[0] === 0) return null;
    const ratio = window.devicePixelRatio || 1;
    let [width, height] = elementSize().map((side) => side * ratio);
    const up = Math.max(1, meta.smallestPictureWidth / width, meta.smallestPictureHeight / height);
    const down = Math.min(1, meta.largestPictureSide / (width * up), meta.largestPictureSide / (height * up));
    [width, height] = [width * up * down, height * up * down];
    const within = (value, least) => Math.min(Math.max(Math.round(value), least), meta.largestPictureSide);
    return {width: within(width, meta.smallestPictureWidth), height: within(height, meta.smallestPictureHeight)};
}

// Where the map of a view drawn at pictureSize() lies in the element, in
// its pixels.
export function nextMap() {
    const size = pictureSize();
    const s = elementSize()[0] / size.width, margin = meta.pictureMargin;
    const below = meta.scaleBarGap + meta.viewCaptionLines * meta.captionLine;
    return {left: margin * s, top: margin * s, right: (size.width - margin) * s,
            bottom: (size.height - margin - below) * s};
}

// The frame of a picture from the module's figures, which state its size,
// the map's place in it and its projection (programs/run_figures.h); null
// where they do not.
export function figuresFrame(figures) {
    if (figures.xPerDeg === undefined) return null;
    const n = (name) => Number(figures[name]);
    const x0 = n('originX'), y0 = n('originY'), lon0 = n('originLonDeg'), lat0 = n('originLatDeg');
    const xPerDeg = n('xPerDeg'), yPerDeg = n('yPerDeg');
    const map = {left: n('mapLeft'), top: n('mapTop'),
                 right: n('mapLeft') + n('mapWidth'), bottom: n('mapTop') + n('mapHeight')};
    // Longitudes are drawn within half a turn of the map's middle.
    const middleLon = lon0 + ((map.left + map.right) / 2 - x0) / xPerDeg;
    return {
        width: n('pictureWidth'), height: n('pictureHeight'), map,
        toPicture(lat, lon) {
            const drawnLon = middleLon + wrapLongitude(lon - middleLon);
            return [x0 + (drawnLon - lon0) * xPerDeg, y0 + (lat0 - lat) * yPerDeg];
        },
        toDegrees: (u, v) => [lat0 - (v - y0) / yPerDeg, lon0 + (u - x0) / xPerDeg],
    };
}
