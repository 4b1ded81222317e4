// The picture's zoom and pan in one engine and origin (support.mjs): a
// wheel zoom at a point, the deviation control, a drag, a threshold change
// and the keys, each drawing the waypoints the native preview draws for
// the same --view and --size; a pinch on a phone where the driver has
// fingers (Chromium and Firefox).
import assert from 'node:assert/strict';
import {after, before, describe, test} from 'node:test';

import {engine, runNative, sample, startSession} from './support.mjs';
import {load, setThresholds} from './steps.mjs';

let session;
before(async () => { session = await startSession(); });
after(async () => { await session.close(); });

const track = sample('drive.gpx');

// The window and size the picture was drawn for, as the page gave them to
// rt2preview ("" for the whole track).
async function drawnFor(tab) {
    return tab.evaluate(() => {
        const picture = document.getElementById('picture');
        return {view: picture.dataset.view || '', size: picture.dataset.size || ''};
    });
}

// Waits for the picture of a window other than before to be drawn.
async function waitForDrawing(tab, before) {
    await tab.waitFor((previous) => document.body.dataset.state === 'done' &&
                                    (document.getElementById('picture').dataset.view || '') !== previous,
                      [before.view], {timeout: 30000, explain: () => {
        const $ = (id) => document.getElementById(id);
        return {state: document.body.dataset.state, view: $('picture').dataset.view, status: $('status').textContent,
                message: $('message').textContent, errors: window.pageTest.errors};
    }});
    return drawnFor(tab);
}

// The waypoint markers shown: title ("RW000012 55.012345 82.054321") and
// centre on the screen.
async function markers(tab) {
    return tab.evaluate(() => [...document.querySelectorAll('#picture svg circle')]
        .filter((circle) => /^RW\d{6} /.test(circle.textContent))
        .map((circle) => {
            const box = circle.getBoundingClientRect();
            return {title: circle.textContent, x: box.x + box.width / 2, y: box.y + box.height / 2};
        }));
}

// The waypoint titles of the native preview's picture of the window.
function nativeTitles(drawn, options = []) {
    const args = ['--output', 'p.svg', '--view', drawn.view, '--size', drawn.size, track.name, ...options];
    const run = runNative('rt2preview', track, args, ['p.svg']);
    assert.equal(run.code, 0, run.stdout);
    return [...run.files['p.svg'].toString('utf8').matchAll(/<title>(RW\d{6} [^<]*)<\/title>/g)]
        .map((found) => found[1]).sort();
}

const titles = (shown) => shown.map((marker) => marker.title).sort();

function window(drawn) {
    const [south, west, north, east] = drawn.view.split(',').map(Number);
    return {south, west, north, east};
}

function inside(drawn, title) {
    const [, lat, lon] = title.split(' ').map(Number);
    const w = window(drawn);
    return lat >= w.south && lat <= w.north && lon >= w.west && lon <= w.east;
}

async function opened(viewport = {width: 1280, height: 900}) {
    const tab = await session.open(viewport);
    assert.equal(await load(tab, track), 'done');
    return tab;
}

const errors = (tab) => tab.evaluate(() => window.pageTest.errors);

// The sample drive's waypoint nearest a point a tenth of the picture
// across (or the part across given) and a fifth down: one inside the map
// of a view at a desktop's width and at a phone's (where the caption takes
// most of a view's height), off the picture's edges where the drive's loop
// runs.
async function nearMarker(tab, across = 1 / 10) {
    const box = await tab.evaluate(() => {
        const r = document.getElementById('picture').getBoundingClientRect();
        return {x: r.x, y: r.y, width: r.width, height: r.height};
    });
    const [cx, cy] = [box.x + box.width * across, box.y + box.height / 5];
    const shown = await markers(tab);
    return shown.reduce((best, m) => Math.hypot(m.x - cx, m.y - cy) < Math.hypot(best.x - cx, best.y - cy) ? m : best);
}

describe('zoom and pan', () => {
    test('a wheel zoom at a point draws a smaller window about that point, with its own waypoints', async () => {
        const tab = await opened();
        const whole = await markers(tab);
        const target = await nearMarker(tab);
        const before = await drawnFor(tab);
        await tab.wheel(target.x, target.y, -600);
        const drawn = await waitForDrawing(tab, before);
        assert.notEqual(drawn.view, '');
        assert.ok(inside(drawn, target.title), drawn.view + ' holds ' + target.title);
        const shown = await markers(tab);
        assert.ok(shown.length < whole.length, `${shown.length} of ${whole.length} waypoints`);
        assert.deepEqual(titles(shown), nativeTitles(drawn));
        for (const marker of shown) assert.ok(inside(drawn, marker.title), marker.title);
        // The point under the pointer stays there.
        const same = shown.find((marker) => marker.title === target.title);
        assert.ok(Math.hypot(same.x - target.x, same.y - target.y) < 6, `moved to ${same.x}, ${same.y}`);
        assert.deepEqual(await errors(tab), []);
        await tab.close();
    });

    test('the deviation control brings the mark into view', async () => {
        const tab = await opened();
        const before = await drawnFor(tab);
        await tab.click('#zoom-to-deviation');
        const drawn = await waitForDrawing(tab, before);
        const [mark, picture] = await tab.evaluate(() => {
            const circle = [...document.querySelectorAll('#picture svg circle')]
                .find((c) => c.textContent.startsWith('largest deviation'));
            const box = (element) => {
                const r = element.getBoundingClientRect();
                return {left: r.left, top: r.top, right: r.right, bottom: r.bottom};
            };
            return [circle ? box(circle) : null, box(document.getElementById('picture'))];
        });
        assert.ok(mark !== null, 'the mark is drawn in ' + drawn.view);
        assert.ok(mark.left >= picture.left && mark.right <= picture.right &&
                  mark.top >= picture.top && mark.bottom <= picture.bottom, JSON.stringify({mark, picture}));
        assert.deepEqual(titles(await markers(tab)), nativeTitles(drawn));
        await tab.close();
    });

    test('a drag pans the picture by as much as the pointer moved', async () => {
        const tab = await opened();
        const target = await nearMarker(tab);
        const before = await drawnFor(tab);
        await tab.move(target.x, target.y);
        await tab.down();
        for (let step = 1; step <= 10; ++step) await tab.move(target.x + 15 * step, target.y + 8 * step);
        await tab.up();
        const drawn = await waitForDrawing(tab, before);
        const same = (await markers(tab)).find((marker) => marker.title === target.title);
        assert.ok(same, target.title + ' still in ' + drawn.view);
        assert.ok(Math.hypot(same.x - (target.x + 150), same.y - (target.y + 80)) < 6, `at ${same.x}, ${same.y}`);
        assert.deepEqual(titles(await markers(tab)), nativeTitles(drawn));
        await tab.close();
    });

    // Fingers through Chromium's own input and Firefox's WebDriver BiDi;
    // WebKitWebDriver plays touch pointers as the mouse. The fingers
    // spread from a waypoint a quarter across, so that they stay in the
    // viewport, which BiDi wants.
    test('a pinch at a phone\'s width zooms about its middle', {skip: engine === 'webkit' && 'no fingers in ' + engine},
         async () => {
        const tab = await opened({width: 360, height: 740, hasTouch: true, isMobile: true});
        const target = await nearMarker(tab, 1 / 4);
        const before = await drawnFor(tab);
        await tab.touch('touchStart', [[target.x - 20, target.y], [target.x + 20, target.y]]);
        for (let step = 1; step <= 10; ++step)
            await tab.touch('touchMove', [[target.x - 20 - 4 * step, target.y], [target.x + 20 + 4 * step, target.y]]);
        await tab.touch('touchEnd', []);
        const drawn = await waitForDrawing(tab, before);
        assert.ok(inside(drawn, target.title), drawn.view + ' holds ' + target.title);
        const same = (await markers(tab)).find((marker) => marker.title === target.title);
        assert.ok(Math.hypot(same.x - target.x, same.y - target.y) < 6, `moved to ${same.x}, ${same.y}`);
        assert.deepEqual(titles(await markers(tab)), nativeTitles(drawn));
        assert.ok(await tab.evaluate(() => document.documentElement.scrollWidth) <= 360);
        await tab.close();
    });

    test('a threshold change keeps the window; the keys zoom and show the whole track', async () => {
        const tab = await opened();
        const target = await nearMarker(tab);
        const before = await drawnFor(tab);
        await tab.wheel(target.x, target.y, -400);
        const zoomed = await waitForDrawing(tab, before);
        assert.equal(await setThresholds(tab, {a: '10'}), 'done');
        assert.deepEqual(await drawnFor(tab), zoomed);
        assert.deepEqual(titles(await markers(tab)), nativeTitles(zoomed, ['/a10']));

        await tab.focus('#picture');
        await tab.press('-');
        const out = await waitForDrawing(tab, zoomed);
        const [a, b] = [window(zoomed), window(out)];
        assert.ok(b.north - b.south > a.north - a.south, out.view + ' is larger than ' + zoomed.view);
        await tab.press('0');
        assert.equal((await waitForDrawing(tab, out)).view, '');
        await tab.close();
    });
});
