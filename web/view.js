// The picture's view: the window of the track in sight, and the gestures
// that move it. Wheel and pinch zoom about the pointer, dragging pans, and
// the buttons and keys (+, -, arrows, 0) zoom and pan about the middle.
// While a gesture goes on, the picture as drawn moves at once (a CSS
// transform); once it has settled, onSettle hears the window now in sight,
// for the module to draw it afresh, and the new picture takes the old
// one's place where the transform had put it.
//
// A picture comes with its frame, which maps the picture's own units
// (u right, v down) to degrees and back, and the rectangle of its map.
'use strict';

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
};

// Element pixels per picture unit before the transform.
function pictureScale() {
    return view.element.clientWidth / view.frame.width;
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

// The window in sight: what shows where the map of the picture lies in
// the element, as {south, west, north, east} in degrees; west may be above
// east across the date line.
function windowInSight() {
    const s = pictureScale(), map = view.frame.map;
    const [north, west] = placeAt(map.left * s, map.top * s);
    const [south, east] = placeAt(map.right * s, map.bottom * s);
    return {south, west: wrapLongitude(west), north, east: wrapLongitude(east)};
}

function wrapLongitude(lon) {
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
    return [view.element.clientWidth / 2, view.element.clientHeight / 2];
}

function onWheel(event) {
    if (view.frame === null) return;
    event.preventDefault();
    const unit = event.deltaMode === 1 ? 16 : event.deltaMode === 2 ? view.element.clientHeight : 1;
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

function pan(xSteps, ySteps) {
    if (view.frame === null) return;
    panBy(xSteps * panStep * view.element.clientWidth, ySteps * panStep * view.element.clientHeight);
    settleSoon();
}

function showWhole() {
    if (view.frame === null) return;
    clearTimeout(view.settleTimer);
    view.moving = false;
    view.onSettle(null);
}

// Moves the picture at once so that the window fills the map, and asks
// for it to be drawn.
function showWindow(window) {
    if (view.frame === null) return;
    const s = pictureScale(), map = view.frame.map;
    const [x0, y0] = elementPoint(window.north, window.west);
    const [x1, y1] = elementPoint(window.south, window.east);
    const f = Math.min((map.right - map.left) * s / Math.abs(x1 - x0), (map.bottom - map.top) * s / Math.abs(y1 - y0));
    zoomAt((x0 + x1) / 2, (y0 + y1) / 2, f);
    panBy((map.left + map.right) * s / 2 - (x0 + x1) / 2, (map.top + map.bottom) * s / 2 - (y0 + y1) / 2);
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

// Shows a new picture. shownAt, when given, is the transform the old
// picture had when the new one was asked for: a gesture since then goes
// on from the new picture, placed where the old one's would be now.
function showViewPicture(svg, frame) {
    const old = view.frame === null ? null : {frame: view.frame, x: view.x, y: view.y, k: view.k, s: pictureScale()};
    view.element.replaceChildren(svg);
    view.svg = svg;
    view.frame = frame;
    view.x = 0;
    view.y = 0;
    view.k = 1;
    if (old !== null && view.moving) carryGesture(old);
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
    const [ax, ay] = shown(la, lo), [bx, by] = shown(lb, lob);
    const k = Math.abs(bx - ax) / ((map.right - map.left) * s);
    if (!(k > 0 && Number.isFinite(k))) return;
    view.k = k;
    view.x = ax - k * s * map.left;
    view.y = ay - k * s * map.top;
}

function clearView() {
    clearTimeout(view.settleTimer);
    view.frame = null;
    view.svg = null;
    view.moving = false;
    view.pointers.clear();
    view.element.replaceChildren();
}

function startView(element, onSettle, onMove) {
    Object.assign(view, {element, onSettle, onMove});
    element.addEventListener('wheel', onWheel, {passive: false});
    element.addEventListener('pointerdown', onPointerDown);
    element.addEventListener('pointermove', onPointerMove);
    element.addEventListener('pointerup', onPointerUp);
    element.addEventListener('pointercancel', onPointerUp);
    element.addEventListener('keydown', onKey);
}

// The frame of a picture of the preview's: a north-up projection linear
// in latitude and in longitude, found from the waypoint markers, whose
// titles give their degrees ("RW000012 55.012345 82.054321") and whose
// centres give their place; the map is the picture less its margins and
// the caption below. Null with fewer than two markers apart.
function markerFrame(svg) {
    const width = svg.viewBox.baseVal.width, height = svg.viewBox.baseVal.height;
    const rows = [];
    let previousLon = null;
    for (const circle of svg.querySelectorAll('circle')) {
        const title = circle.querySelector('title');
        const found = title && /^RW\d+ (\S+) (\S+)$/.exec(title.textContent);
        if (!found) continue;
        let lon = Number(found[2]);
        // Longitudes are drawn unwrapped: each within half a turn of the one before.
        if (previousLon !== null) lon += 360 * Math.round((previousLon - lon) / 360);
        previousLon = lon;
        rows.push([Number(found[1]), lon, circle.cx.baseVal.value, circle.cy.baseVal.value]);
    }
    const line = (pairs) => {  // least squares: y = a + b x
        const n = pairs.length;
        const mx = pairs.reduce((sum, [x]) => sum + x, 0) / n, my = pairs.reduce((sum, [, y]) => sum + y, 0) / n;
        let sxy = 0, sxx = 0;
        for (const [x, y] of pairs) {
            sxy += (x - mx) * (y - my);
            sxx += (x - mx) * (x - mx);
        }
        return sxx > 0 ? {a: my - (sxy / sxx) * mx, b: sxy / sxx} : null;
    };
    if (rows.length < 2) return null;
    let across = line(rows.map(([, lon, u]) => [lon, u])), down = line(rows.map(([lat, , , v]) => [lat, v]));
    // Markers in a line north to south or east to west: the other scale
    // is the one the projection gives, cos(latitude) apart.
    const mean = (column) => rows.reduce((sum, row) => sum + row[column], 0) / rows.length;
    const cosLat = Math.max(Math.cos(mean(0) * Math.PI / 180), 0.01);
    if (across === null && down !== null) {
        const b = -down.b * cosLat;
        across = {a: mean(2) - b * mean(1), b};
    }
    if (down === null && across !== null) {
        const b = -across.b / cosLat;
        down = {a: mean(3) - b * mean(0), b};
    }
    if (across === null || down === null || !(across.b > 0) || !(down.b < 0)) return null;
    return {
        width, height,
        map: {left: 20, top: 20, right: width - 20, bottom: height - 20 - 26 - 6 * 18},
        toPicture: (lat, lon) => [across.a + across.b * lon, down.a + down.b * lat],
        toDegrees: (u, v) => [(v - down.a) / down.b, (u - across.a) / across.b],
    };
}

// The frame a new picture of width x height units will have if it draws
// the window now in sight where the element shows the map now: the
// frame of a picture with too few markers to find its own.
function frameInSight(width, height) {
    const old = view.frame, x = view.x, y = view.y, k = view.k;
    const sOld = pictureScale(), sNew = view.element.clientWidth / width, f = sOld / sNew;
    return {
        width, height,
        map: {left: old.map.left * f, top: old.map.top * f, right: old.map.right * f, bottom: old.map.bottom * f},
        toPicture(lat, lon) {
            const [u, v] = old.toPicture(lat, lon);
            return [(x + k * sOld * u) / sNew, (y + k * sOld * v) / sNew];
        },
        toDegrees: (u, v) => old.toDegrees((u * sNew - x) / (k * sOld), (v * sNew - y) / (k * sOld)),
    };
}
