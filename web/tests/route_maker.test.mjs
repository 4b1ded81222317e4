// The route maker page in one engine and origin (support.mjs): the
// figures and both routes against the native converters for each format
// and several thresholds typed after loading, the fits, the failures,
// broken workers, drag and drop, a phone's width, requests, and the
// screenshots; a track past 2 GiB in Chromium from a file.
import assert from 'node:assert/strict';
import {closeSync, mkdirSync, openSync, readFileSync, writeSync} from 'node:fs';
import {join} from 'node:path';
import {after, before, describe, test} from 'node:test';

import {engine, examples, origin, runNative, sample, scratchFolder, screenshots, startSession, trackOf}
    from './support.mjs';
import {choose, download, load, requestsOutside, runs, setThresholds, state, text, thresholdIds, typeAndClick,
        value, waitForEnd} from './steps.mjs';
import {meta} from '../meta.js';

// The converter of each file extension.
const programOf = Object.fromEntries(meta.formats.map((f) => [f.extension, f.program]));

let session;
before(async () => { session = await startSession(); });
after(async () => { await session.close(); });

// The page's routes and figures must be what the native converter writes
// for the same track and thresholds, and the command line it shows must
// be the one that writes them.
async function expectNativeResult(tab, track, options) {
    const stem = track.name.replace(/\.[^.]*$/, '');
    const names = [stem + '-forward.rt2', stem + '-backward.rt2'];
    const program = programOf[track.name.split('.').pop()];
    const args = [track.name, ...names, ...options];
    const expected = runNative(program, track, args, names);
    assert.equal(expected.code, 0, expected.stdout);
    assert.equal(await text(tab, 'command-line'), [program, ...args].join(' '));
    const progress = [...expected.stdout.matchAll(/\r *(\d+) +(\d+) +(\S+) /g)].pop();
    assert.equal(await text(tab, 'points-read'), progress[1]);
    assert.equal(await text(tab, 'waypoint-count'), progress[2]);
    assert.equal(await text(tab, 'track-length'), progress[3] + ' m');
    const forward = await download(tab, 'download-forward');
    const backward = await download(tab, 'download-backward');
    assert.deepEqual([forward.name, backward.name], names);
    assert.ok(forward.bytes.equals(expected.files[names[0]]), track.name + ' ' + options.join(' ') + ': forward');
    assert.ok(backward.bytes.equals(expected.files[names[1]]), track.name + ' ' + options.join(' ') + ': backward');
    await expectGpxRoute(tab, forward, stem + '-route.gpx');
}

// The GPX route download must be what rt2gpx writes of the forward route.
async function expectGpxRoute(tab, forward, name) {
    const gpx = await download(tab, 'download-gpx');
    const expected = runNative('rt2gpx', trackOf(forward.name, forward.bytes), [forward.name, name], [name]);
    assert.equal(expected.code, 0, expected.stdout);
    assert.equal(gpx.name, name);
    assert.ok(gpx.bytes.equals(expected.files[name]), name);
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
    for (const name of meta.formats.map((f) => 'drive.' + f.extension)) {
        test(name, async () => {
            const tab = await session.open();
            const track = sample(name);
            assert.equal(await state(tab), 'idle');
            // No deviation to zoom to yet: its control is not shown.
            assert.equal(await tab.evaluate(() => getComputedStyle(document.getElementById('zoom-to-deviation')).display),
                         'none');
            assert.equal(await load(tab, track), 'done', await text(tab, 'message'));
            for (const set of thresholdSets) {
                // Typed after the track is loaded: the page converts again.
                if (Object.keys(set.typed).length > 0) assert.equal(await setThresholds(tab, set.typed), 'done');
                await expectNativeResult(tab, track, set.options);
                const figures = previewFigures(track, set.options);
                assert.equal(await text(tab, 'waypoint-count'), figures.waypoints);
                if (figures.deviation !== undefined)
                    assert.equal(await text(tab, 'deviation'), figures.deviation.split(' at ')[0]);
            }
            assert.equal(await text(tab, 'message'), '');
            // The picture is the preview's, titles and all.
            assert.ok(await tab.evaluate(() => document.querySelectorAll('#picture svg title').length) > 3);
            assert.deepEqual(await tab.evaluate(() => window.pageTest.errors), []);
            await tab.close();
        });
    }
});

test('--fit and --within set the thresholds found and convert with them', async () => {
    const tab = await session.open();
    const track = sample('drive.gpx');
    await load(tab, track);
    const cases = [{field: 'fit-count', value: '15', button: 'fit', option: '--fit'},
                   {field: 'within', value: '30', button: 'fit-within', option: '--within'}];
    for (const c of cases) {
        assert.equal(await typeAndClick(tab, c.field, c.value, c.button), 'done', c.option);
        const fitted = runNative('rt2preview', track, [c.option, c.value, '--output', 'p.svg', track.name]);
        assert.equal(fitted.code, 0, fitted.stdout);
        const options = fitted.stdout.trim().split('\n').pop().split(' ').slice(4);
        const shown = [];
        for (const id of Object.values(thresholdIds)) shown.push(await value(tab, id));
        assert.deepEqual(shown, options.map((option) => option.substring(2)));
        await expectNativeResult(tab, track, options);
    }
    // A distance no setting keeps to: the preview's message, the result
    // kept.
    assert.equal(await typeAndClick(tab, 'within', '0.001', 'fit-within'), 'failed');
    const refused = runNative('rt2preview', track, ['--within', '0.001', '--output', 'p.svg', track.name]);
    assert.equal(await text(tab, 'message'), refused.stdout.trim().split('\n').pop());
    assert.match(await text(tab, 'message'), /^No setting keeps the route within 0.001 m!/);
    assert.notEqual(await text(tab, 'waypoint-count'), '–');
    await tab.close();
});

// The closest route, fitted to a budget and to a distance: its downloads
// are what the command line it shows writes, and the thresholds rest
// while it is chosen.
test('the closest route for a budget and a distance writes what its command line writes', async () => {
    const tab = await session.open();
    const track = sample('drive.gpx');
    await load(tab, track);
    let before = await runs(tab);
    await tab.click('#kind-closest');
    assert.equal(await waitForEnd(tab, before), 'done', await text(tab, 'message'));
    assert.equal(await tab.evaluate(() => document.getElementById('thresholds').disabled), true);
    const names = ['drive-forward.rt2', 'drive-backward.rt2'];
    for (const c of [{field: 'fit-count', value: '9', button: 'fit', count: 9},
                     {field: 'within', value: '12', button: 'fit-within'}]) {
        assert.equal(await typeAndClick(tab, c.field, c.value, c.button), 'done', await text(tab, 'message'));
        const command = await text(tab, 'command-line');
        assert.match(command, /^rt2preview --closest --within [0-9.]+ drive\.gpx --write drive-forward\.rt2 drive-backward\.rt2$/);
        if (c.button === 'fit-within') assert.match(command, / --within 12 /);
        const expected = runNative('rt2preview', track, [...command.split(' ').slice(1), '--output', 'p.svg'], names);
        assert.equal(expected.code, 0, expected.stdout);
        const count = expected.stdout.match(/^Closest route: (\d+) waypoints/m)[1];
        assert.equal(await text(tab, 'waypoint-count'), count);
        if (c.count) assert.ok(Number(count) <= c.count);
        const forward = await download(tab, 'download-forward');
        const backward = await download(tab, 'download-backward');
        assert.ok(forward.bytes.equals(expected.files[names[0]]), c.button + ': forward');
        assert.ok(backward.bytes.equals(expected.files[names[1]]), c.button + ': backward');
        await expectGpxRoute(tab, forward, 'drive-route.gpx');
    }
    // Back to the converter's thresholds, as they were.
    before = await runs(tab);
    await tab.click('#kind-converter');
    assert.equal(await waitForEnd(tab, before), 'done');
    await expectNativeResult(tab, track, ['/m5', '/x1000', '/a5', '/e50']);
    await tab.close();
});

// The worker keeps a block of the track between runs of the same picked
// file; a second file of the same name and size has bytes of its own.
test('a second file of the same name and size converts from its own bytes', async () => {
    const tab = await session.open();
    const first = sample('drive.gpx');
    const second = trackOf('drive.gpx', first.bytes.toString('latin1').replaceAll('lon="82.', 'lon="83.'));
    assert.equal(second.bytes.length, first.bytes.length);
    assert.equal(await load(tab, first), 'done');
    // Firefox's driver sets a file of the name the input holds as no change.
    await tab.evaluate(() => { document.getElementById('track-file').value = ''; });
    assert.equal(await load(tab, second), 'done');
    await expectNativeResult(tab, second, ['/m5', '/x1000', '/a5', '/e50']);
    assert.equal(await setThresholds(tab, {a: '3'}), 'done');
    await expectNativeResult(tab, second, ['/m5', '/x1000', '/a3', '/e50']);
    await tab.close();
});

describe('failures', () => {
    const utf16 = Buffer.from('\ufeff' + readFileSync(join(examples, 'drive.nmea'), 'utf8').slice(0, 2000), 'utf16le');
    const random = Buffer.alloc(5000);
    for (let i = 0, seed = 7; i < random.length; ++i) random[i] = (seed = (seed * 1103515245 + 12345) >>> 0) >>> 24;
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
        const tab = await session.open();
        for (const c of cases) {
            await choose(tab, 'format', c.format);
            assert.equal(await load(tab, c.track), 'failed', c.track.name);
            const args = c.program === 'rt2preview' ? ['--output', 'p.svg', c.track.name]
                                                    : [c.track.name, 'f.rt2', 'b.rt2'];
            const expected = runNative(c.program, c.track, args);
            assert.notEqual(expected.code, 0);
            const message = expected.stdout.split(/[\r\n]+/).filter((line) => line.trim()).pop();
            assert.equal(await text(tab, 'message'), message, c.track.name + ' as ' + c.format);
            assert.equal(await download(tab, 'download-forward'), null);
        }
        await choose(tab, 'format', 'auto');
        assert.equal(await load(tab, sample('drive.plt')), 'done');
        assert.equal(await text(tab, 'message'), '');
        await tab.close();
    });

    // A track mostly a hole of zeros, read for some seconds, cancelled as
    // it is read: nothing of it comes back later, and the next converts.
    test('a run cancelled while it reads is gone, and the next track converts', async () => {
        const path = join(scratchFolder('long'), 'long.gpx');
        const file = openSync(path, 'w');
        writeSync(file, '<gpx><trk><trkseg><trkpt lat="55.0" lon="82.0"/><trkpt lat="55.001" lon="82.0"/>');
        writeSync(file, '</trkseg></trk></gpx>\n', 400e6);
        closeSync(file);
        const tab = await session.open();
        await tab.pick('#track-file', path);
        await tab.waitFor(() => /Converting… [1-9]/.test(document.getElementById('status').textContent));
        await tab.click('#cancel');
        assert.equal(await state(tab), 'idle');
        await new Promise((done) => setTimeout(done, 1000));
        assert.equal(await state(tab), 'idle');
        assert.equal(await text(tab, 'message'), '');
        assert.equal(await load(tab, sample('drive.gpx')), 'done');
        await expectNativeResult(tab, sample('drive.gpx'), ['/m5', '/x1000', '/a5', '/e50']);
        await tab.close();
    });

    test('a worker that crashes or stops answering is reported and the page goes on', async () => {
        // The worker the page makes as it loads throws on its first job.
        const tab = await session.open(undefined, '#broken-worker');
        await tab.evaluate(() => window.pageTest.installClock());
        assert.equal(await load(tab, join(examples, 'drive.gpx')), 'failed');
        // The reason's own full stop gives way to the line's "!".
        assert.match(await text(tab, 'message'), /^The converter stopped with an internal error: .*broken!$/);

        // A threshold typed, and the run it starts in a new worker; one that
        // hangs is still working after the time that run waits.
        const restart = async (mode, angle) => {
            await tab.evaluate((mode) => { window.pageTest.brokenWorker = mode; }, mode);
            const before = await runs(tab);
            await tab.type('#max-angle', angle);
            await tab.evaluate(() => window.pageTest.advance(1000));
            assert.equal(await runs(tab), before + 1);
            if (mode === 'hang') assert.equal(await state(tab), 'working');
            return before;
        };
        await restart('hang', '4');
        // The page itself still answers while the worker is silent.
        assert.equal(await tab.evaluate(() => 1 + 1), 2);
        await tab.evaluate(() => window.pageTest.advance(25000));
        assert.equal(await state(tab), 'failed');
        assert.equal(await text(tab, 'message'), 'The converter stopped responding!');

        await restart('hang', '6');
        await tab.click('#cancel');
        assert.equal(await state(tab), 'idle');

        const before = await restart(null, '5');
        assert.equal(await waitForEnd(tab, before), 'done');
        assert.equal(await text(tab, 'message'), '');
        await tab.close();
    });
});

describe('the page as a person uses it', () => {
    test('a file dropped onto the page converts', async () => {
        const tab = await session.open();
        const before = await runs(tab);
        await tab.evaluate((content) => {
            const transfer = new DataTransfer();
            transfer.items.add(new File([new Uint8Array(content)], 'drive.gpx'));
            document.body.dispatchEvent(new DragEvent('dragenter', {dataTransfer: transfer, bubbles: true}));
            document.body.dispatchEvent(new DragEvent('drop', {dataTransfer: transfer, bubbles: true}));
        }, [...sample('drive.gpx').bytes]);
        assert.equal(await waitForEnd(tab, before), 'done');
        assert.equal(await tab.evaluate(() => document.body.classList.contains('dragging')), false);
        await expectNativeResult(tab, sample('drive.gpx'), ['/m5', '/x1000', '/a5', '/e50']);
        await tab.close();
    });

    test('every control is labelled, and the page fits a phone', async () => {
        const tab = await session.open({width: 360, height: 740});
        const unlabelled = await tab.evaluate(() => [...document.querySelectorAll('input, select, button, a, output')]
            .filter((element) => !(element.labels && element.labels.length) && !element.getAttribute('aria-label') &&
                                 !element.textContent.trim())
            .map((element) => element.id));
        assert.deepEqual(unlabelled, []);
        await load(tab, sample('drive.gpx'));
        assert.equal(await tab.evaluate(() => innerWidth), 360);
        assert.ok(await tab.evaluate(() => document.documentElement.scrollWidth) <= 360);
        // Below the controls, a new track's result is scrolled into view.
        const top = await tab.evaluate(() => document.querySelector('.results').getBoundingClientRect().top);
        assert.ok(top >= 0 && top < 740 / 2, `the result starts ${top} px down the screen`);
        // From the keyboard: past the choice of the route's kind, tab to a
        // threshold, type, and the page converts.
        await tab.evaluate(() => document.getElementById('format').focus());
        await tab.press('Tab');
        assert.equal(await tab.evaluate(() => document.activeElement.id), 'kind-converter');
        await tab.press('Tab');
        assert.equal(await tab.evaluate(() => document.activeElement.id), 'min-distance');
        assert.equal(await setThresholds(tab, {m: '2'}), 'done');
        await expectNativeResult(tab, sample('drive.gpx'), ['/m2', '/x1000', '/a5', '/e50']);
        if (origin === 'file') {
            mkdirSync(screenshots, {recursive: true});
            await tab.screenshot(join(screenshots, engine === 'chromium' ? 'route-maker-phone.png'
                                                                         : `route-maker-phone-${engine}.png`));
        }
        await tab.close();
    });

    test('no request leaves the page', async () => {
        const tab = await session.open();
        await load(tab, sample('drive.nmea'));
        assert.notEqual(await download(tab, 'download-forward'), null);
        assert.deepEqual(await requestsOutside(tab), {requested: [], resources: [], blocked: []});
        // Where the engine tells of requests, it told of some: the page's
        // own, its worker's script or its icon.
        if (tab.requests !== null) assert.ok(tab.requests.length > 0);
        await tab.close();
    });

    if (origin === 'file') {
        test('the screenshot of the sample drive', async () => {
            const tab = await session.open({width: 1280, height: 900});
            assert.equal(await load(tab, sample('drive.gpx')), 'done');
            mkdirSync(screenshots, {recursive: true});
            await tab.screenshot(join(screenshots, engine === 'chromium' ? 'route-maker.png'
                                                                         : `route-maker-${engine}.png`));
            await tab.close();
        });
    }

    // A file past 2 GiB, mostly a hole that reads as zeros: its last
    // points lie beyond every 32-bit offset. It takes 20 s or more, so it
    // runs in one engine and origin: Chromium from a file, where the
    // worker reads the File itself.
    if (engine === 'chromium' && origin === 'file') {
        test('a 2.2 GB track converts, to its last points', async () => {
            const path = join(scratchFolder('big'), 'big.gpx');
            const file = openSync(path, 'w');
            writeSync(file, '<gpx><trk><trkseg><trkpt lat="55.0" lon="82.0"/><trkpt lat="55.001" lon="82.0"/>');
            writeSync(file, '<trkpt lat="55.002" lon="82.0"/><trkpt lat="55.003" lon="82.001"/></trkseg></trk></gpx>\n',
                      2.2e9);
            closeSync(file);
            const tab = await session.open();
            assert.equal(await load(tab, path, 300000), 'done', await text(tab, 'message'));
            assert.equal(await text(tab, 'points-read'), '4');
            const expected = runNative('Marovin', {name: 'big.gpx', path},
                                       ['big.gpx', 'big-forward.rt2', 'big-backward.rt2'], ['big-forward.rt2']);
            assert.ok((await download(tab, 'download-forward')).bytes.equals(expected.files['big-forward.rt2']));
            await tab.close();
        });
    }

    // Every test above opened the page from this server: it must have been
    // asked for the page alone, however often.
    if (origin === 'http') {
        test('the server was asked for the page alone', () => {
            assert.ok(session.server.asked.length > 0);
            assert.deepEqual([...new Set(session.server.asked)], ['/route-maker.html']);
        });
    }
});
