// The route maker page in headless Chromium: the figures and both routes
// against the native converters for each format and several thresholds,
// the fits, the failures, drag and drop, the phone width, requests, and
// the screenshot of the README.
import assert from 'node:assert/strict';
import {createServer} from 'node:http';
import {closeSync, mkdirSync, mkdtempSync, openSync, readFileSync, rmSync, writeSync} from 'node:fs';
import {tmpdir} from 'node:os';
import {join} from 'node:path';
import {after, before, describe, test} from 'node:test';

import {download, examples, launch, load, openPage, pagePath, runNative, sample, screenshots, setThresholds,
        text, trackOf, waitForEnd} from './support.mjs';

const programOf = {nmea: 'Tolvek', rec: 'Brisham', plt: 'Quendal', gpx: 'Marovin'};

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser.close(); });

// The page's routes and figures must be what the native converter writes
// for the same track and thresholds, and the command line it shows must
// be the one that writes them.
async function expectNativeResult(page, track, options) {
    const stem = track.name.replace(/\.[^.]*$/, '');
    const names = [stem + '-forward.rt2', stem + '-backward.rt2'];
    const program = programOf[track.name.split('.').pop()];
    const args = [track.name, ...names, ...options];
    const expected = runNative(program, track, args, names);
    assert.equal(expected.code, 0, expected.stdout);
    assert.equal(await text(page, 'command-line'), [program, ...args].join(' '));
    const progress = [...expected.stdout.matchAll(/\r *(\d+) +(\d+) +(\S+) /g)].pop();
    assert.equal(await text(page, 'points-read'), progress[1]);
    assert.equal(await text(page, 'waypoint-count'), progress[2]);
    assert.equal(await text(page, 'track-length'), progress[3] + ' m');
    const forward = await download(page, 'download-forward');
    const backward = await download(page, 'download-backward');
    assert.deepEqual([forward.name, backward.name], names);
    assert.ok(forward.bytes.equals(expected.files[names[0]]), track.name + ' ' + options.join(' ') + ': forward');
    assert.ok(backward.bytes.equals(expected.files[names[1]]), track.name + ' ' + options.join(' ') + ': backward');
}

// The figures the preview prints for the same track and thresholds.
function previewFigures(track, options) {
    const result = runNative('rt2preview', track, ['--output', 'p.svg', track.name, ...options]);
    const figure = (name) => (result.stdout.match(new RegExp('^' + name + ': (.*)$', 'm')) || [])[1];
    return {points: figure('Points read'), waypoints: figure('Waypoints'), deviation: figure('Largest deviation')};
}

describe('each format, several threshold sets', () => {
    const thresholdSets = [
        {typed: {}, options: ['/m5', '/x1000', '/a5', '/e50']},
        {typed: {m: '1', e: '10'}, options: ['/m1', '/x1000', '/a5', '/e10']},
        {typed: {m: '0', x: '200', a: '2.5', e: '5'}, options: ['/m0', '/x200', '/a2.5', '/e5']},
    ];
    for (const name of ['drive.nmea', 'drive.rec', 'drive.plt', 'drive.gpx']) {
        test(name, async () => {
            const {context, page, errors} = await openPage(browser);
            const track = sample(name);
            assert.equal(await page.evaluate(() => document.body.dataset.state), 'idle');
            assert.equal(await load(page, track), 'done');
            for (const set of thresholdSets) {
                // Typed after the track is loaded: the page converts again.
                if (Object.keys(set.typed).length > 0) assert.equal(await setThresholds(page, set.typed), 'done');
                await expectNativeResult(page, track, set.options);
                const figures = previewFigures(track, set.options);
                assert.equal(await text(page, 'waypoint-count'), figures.waypoints);
                if (figures.deviation !== undefined)
                    assert.equal(await text(page, 'deviation'), figures.deviation.split(' at ')[0]);
            }
            assert.equal(await text(page, 'message'), '');
            // The picture is the preview's, titles and all.
            assert.ok(await page.locator('#picture svg title').count() > 3);
            assert.deepEqual(errors, []);
            await context.close();
        });
    }
});

describe('fits', () => {
    test('--fit and --within set the thresholds of the rung and convert with them', async () => {
        const {context, page} = await openPage(browser);
        const track = sample('drive.gpx');
        await load(page, track);
        const cases = [{field: 'fit-count', value: '15', button: 'fit', option: '--fit'},
                       {field: 'within', value: '30', button: 'fit-within', option: '--within'}];
        for (const c of cases) {
            await page.fill('#' + c.field, c.value);
            await page.click('#' + c.button);
            assert.equal(await waitForEnd(page), 'done');
            const fitted = runNative('rt2preview', track, [c.option, c.value, '--output', 'p.svg', track.name]);
            assert.equal(fitted.code, 0, fitted.stdout);
            const command = fitted.stdout.trim().split('\n').pop().split(' ');
            const options = command.slice(4);
            assert.deepEqual(
                await Promise.all(['min-distance', 'max-distance', 'max-angle', 'max-error']
                    .map((id) => page.inputValue('#' + id))),
                options.map((option) => option.substring(2)));
            await expectNativeResult(page, track, options);
        }
        // A budget no rung can keep: the preview's message, the result kept.
        await page.fill('#fit-count', '2');
        await page.click('#fit');
        assert.equal(await waitForEnd(page), 'failed');
        const refused = runNative('rt2preview', track, ['--fit', '2', '--output', 'p.svg', track.name]);
        assert.equal(await text(page, 'message'), refused.stdout.trim().split('\n').pop());
        assert.match(await text(page, 'message'), /^No setting on the ladder/);
        assert.notEqual(await text(page, 'waypoint-count'), '–');
        await context.close();
    });
});

describe('failures', () => {
    const utf16 = Buffer.from('\ufeff' + readFileSync(join(examples, 'drive.nmea'), 'utf8').slice(0, 2000), 'utf16le');
    const random = Buffer.alloc(5000);
    for (let i = 0, state = 7; i < random.length; ++i) random[i] = (state = (state * 1103515245 + 12345) >>> 0) >>> 24;
    const cases = [
        {track: trackOf('empty.gpx', ''), format: 'auto', program: 'rt2preview'},
        {track: trackOf('noise.bin', random), format: 'auto', program: 'rt2preview'},
        {track: trackOf('log.nmea', utf16), format: 'auto', program: 'rt2preview'},
        {track: trackOf('log.nmea', utf16), format: 'nmea', program: 'Tolvek'},
        {track: trackOf('short.gpx', '<gpx><trkpt lat="1" lon="2"/><trkpt lat="1.1" lon="2"/></gpx>'),
         format: 'auto', program: 'Marovin'},
        {track: trackOf('drive.gpx', sample('drive.gpx').bytes), format: 'plt', program: 'Quendal'},
        {track: trackOf('drive.gpx', sample('drive.gpx').bytes), format: 'records', program: 'Brisham'},
    ];
    test('each ends with the message of the program that read it, and the next file converts', async () => {
        const {context, page} = await openPage(browser);
        for (const c of cases) {
            await page.selectOption('#format', c.format);
            assert.equal(await load(page, c.track), 'failed', c.track.name);
            const args = c.program === 'rt2preview' ? ['--output', 'p.svg', c.track.name]
                                                    : [c.track.name, 'f.rt2', 'b.rt2'];
            const expected = runNative(c.program, c.track, args);
            assert.notEqual(expected.code, 0);
            const message = expected.stdout.split(/[\r\n]+/).filter((line) => line.trim()).pop();
            assert.equal(await text(page, 'message'), message, c.track.name + ' as ' + c.format);
            assert.equal(await page.getAttribute('#download-forward', 'href'), null);
        }
        await page.selectOption('#format', 'auto');
        assert.equal(await load(page, sample('drive.plt')), 'done');
        assert.equal(await text(page, 'message'), '');
        await context.close();
    });

    test('a worker that crashes or stops answering is reported and the page goes on', async () => {
        // Workers made while the flag is set fail in the chosen way once a
        // job comes; the first is made as the page loads.
        const {context, page} = await openPage(browser, {}, () => {
            window.brokenWorker = 'crash';
            const RealWorker = window.Worker;
            window.Worker = class extends RealWorker {
                constructor(url) {
                    const mode = window.brokenWorker;
                    if (!mode) return super(url);
                    const source = mode === 'crash'
                        ? 'self.onmessage = (e) => { if (e.data.type !== "warm") throw new Error("broken"); };'
                        : 'self.onmessage = () => {};';
                    super(URL.createObjectURL(new Blob([source])));
                }
            };
        });
        await page.clock.install();
        await page.setInputFiles('#track-file', join(examples, 'drive.gpx'));
        assert.equal(await waitForEnd(page), 'failed');
        assert.match(await text(page, 'message'), /^The converter stopped with an internal error: .*broken.*!$/);

        await page.evaluate(() => { window.brokenWorker = 'hang'; });
        await page.fill('#max-angle', '4');
        await page.clock.fastForward(1000);
        assert.equal(await page.evaluate(() => document.body.dataset.state), 'working');
        // The page itself still answers while the worker is silent.
        assert.equal(await page.evaluate(() => 1 + 1), 2);
        await page.clock.fastForward(25000);
        assert.equal(await waitForEnd(page), 'failed');
        assert.equal(await text(page, 'message'), 'The converter stopped responding!');

        await page.evaluate(() => { window.brokenWorker = 'hang'; });
        await page.fill('#max-angle', '6');
        await page.clock.fastForward(1000);
        await page.click('#cancel');
        assert.equal(await page.evaluate(() => document.body.dataset.state), 'idle');

        await page.evaluate(() => { window.brokenWorker = null; });
        await page.fill('#max-angle', '5');
        await page.clock.fastForward(1000);
        assert.equal(await waitForEnd(page), 'done');
        assert.equal(await text(page, 'message'), '');
        await context.close();
    });
});

describe('the page as a person uses it', () => {
    test('a file dropped onto the page converts', async () => {
        const {context, page} = await openPage(browser);
        const bytes = [...sample('drive.gpx').bytes];
        await page.evaluate((content) => {
            const transfer = new DataTransfer();
            transfer.items.add(new File([new Uint8Array(content)], 'drive.gpx'));
            document.body.dispatchEvent(new DragEvent('dragenter', {dataTransfer: transfer, bubbles: true}));
            document.body.dispatchEvent(new DragEvent('drop', {dataTransfer: transfer, bubbles: true}));
        }, bytes);
        assert.equal(await waitForEnd(page), 'done');
        assert.equal(await page.evaluate(() => document.body.classList.contains('dragging')), false);
        await expectNativeResult(page, sample('drive.gpx'), ['/m5', '/x1000', '/a5', '/e50']);
        await context.close();
    });

    test('every control is labelled, and the page fits a phone', async () => {
        const {context, page} = await openPage(browser, {viewport: {width: 360, height: 740}});
        const unlabelled = await page.evaluate(() => [...document.querySelectorAll('input, select, button, a, output')]
            .filter((element) => !(element.labels && element.labels.length) && !element.getAttribute('aria-label') &&
                                 !element.textContent.trim())
            .map((element) => element.id));
        assert.deepEqual(unlabelled, []);
        await load(page, sample('drive.gpx'));
        assert.ok(await page.evaluate(() => document.documentElement.scrollWidth) <= 360);
        // Below the controls, a new track's result is scrolled into view.
        const top = await page.evaluate(() => document.querySelector('.results').getBoundingClientRect().top);
        assert.ok(top >= 0 && top < 740 / 2, `the result starts ${top} px down the screen`);
        // From the keyboard: tab to a threshold, type, and the page converts.
        await page.focus('#format');
        await page.keyboard.press('Tab');
        assert.equal(await page.evaluate(() => document.activeElement.id), 'min-distance');
        await page.keyboard.press('Control+A');
        await page.keyboard.type('2');
        await page.waitForFunction(() => document.body.dataset.state === 'working');
        assert.equal(await waitForEnd(page), 'done');
        await expectNativeResult(page, sample('drive.gpx'), ['/m2', '/x1000', '/a5', '/e50']);
        mkdirSync(screenshots, {recursive: true});
        await page.screenshot({path: join(screenshots, 'route-maker-phone.png'), fullPage: true});
        await context.close();
    });

    test('no request leaves the page, opened from disk or from a web host', async () => {
        const asked = [];
        const server = createServer((request, response) => {
            asked.push(request.url);
            if (request.url === '/route-maker.html') {
                response.writeHead(200, {'Content-Type': 'text/html; charset=utf-8'});
                response.end(readFileSync(pagePath));
            } else {
                response.writeHead(404);
                response.end();
            }
        });
        await new Promise((done) => server.listen(0, '127.0.0.1', done));
        const hosted = 'http://127.0.0.1:' + server.address().port + '/route-maker.html';
        for (const url of [undefined, hosted]) {
            const {context, page, requests} = await openPage(browser, url ? {url} : {});
            await load(page, sample('drive.nmea'));
            await download(page, 'download-forward');
            const outside = requests.filter((request) => !/^(blob|data):/.test(request) && request !== (url || page.url()));
            assert.deepEqual(outside, [], url || 'file://');
            await context.close();
        }
        server.close();
        assert.deepEqual(asked, ['/route-maker.html']);
    });

    // A file past 2 GiB, mostly a hole that reads as zeros: its last
    // points lie beyond every 32-bit offset.
    test('a 2.2 GB track converts, to its last points', async () => {
        const directory = mkdtempSync(join(tmpdir(), 'route-maker-big-'));
        const path = join(directory, 'big.gpx');
        const file = openSync(path, 'w');
        writeSync(file, '<gpx><trk><trkseg><trkpt lat="55.0" lon="82.0"/><trkpt lat="55.001" lon="82.0"/>');
        writeSync(file, '<trkpt lat="55.002" lon="82.0"/><trkpt lat="55.003" lon="82.001"/></trkseg></trk></gpx>\n',
                  2.2e9);
        closeSync(file);
        const {context, page} = await openPage(browser);
        await page.setInputFiles('#track-file', path);
        assert.equal(await waitForEnd(page, 300000), 'done');
        assert.equal(await text(page, 'points-read'), '4');
        const expected = runNative('Marovin', {name: 'big.gpx', path},
                                   ['big.gpx', 'big-forward.rt2', 'big-backward.rt2'], ['big-forward.rt2']);
        assert.ok((await download(page, 'download-forward')).bytes.equals(expected.files['big-forward.rt2']));
        await context.close();
        rmSync(directory, {recursive: true, force: true});
    });

    test('the screenshot of the sample drive', async () => {
        const {context, page} = await openPage(browser, {viewport: {width: 1280, height: 900}});
        assert.equal(await load(page, sample('drive.gpx')), 'done');
        mkdirSync(screenshots, {recursive: true});
        await page.screenshot({path: join(screenshots, 'route-maker.png'), fullPage: true});
        await context.close();
    });
});
