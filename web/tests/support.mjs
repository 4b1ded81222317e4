// What the browser tests share: Debian's chromium driven headless by
// playwright-core, the built page, and the native programs whose bytes the
// page must give.
import {execFileSync, spawnSync} from 'node:child_process';
import {existsSync, mkdtempSync, readFileSync, rmSync, symlinkSync, writeFileSync} from 'node:fs';
import {tmpdir} from 'node:os';
import {dirname, join, resolve} from 'node:path';
import {fileURLToPath, pathToFileURL} from 'node:url';
import {chromium} from 'playwright-core';

export const top = resolve(dirname(fileURLToPath(import.meta.url)), '..', '..');
export const pagePath = process.env.ROUTE_MAKER_PAGE || join(top, 'build', 'web', 'route-maker.html');
export const pageUrl = pathToFileURL(pagePath).href;
export const examples = join(top, 'examples');
export const screenshots = join(dirname(pagePath), 'screenshots');

// The native programs: the ci build's where it is there, else the default
// build, made here when it is missing.
let nativeDirectory = null;
export function native(program) {
    if (nativeDirectory === null) {
        for (const build of ['ci', 'default']) {
            const directory = join(top, 'build', build, 'programs');
            if (existsSync(join(directory, 'rt2preview'))) {
                nativeDirectory = directory;
                break;
            }
        }
        if (nativeDirectory === null) {
            execFileSync('cmake', ['--preset', 'default'], {cwd: top, stdio: 'ignore'});
            execFileSync('cmake', ['--build', '--preset', 'default', '--target', 'Tolvek', 'Brisham', 'Quendal',
                                   'Marovin', 'rt2preview'], {cwd: top, stdio: 'ignore'});
            nativeDirectory = join(top, 'build', 'default', 'programs');
        }
    }
    return join(nativeDirectory, program);
}

// Runs a native program in a fresh directory holding the track under its
// own name; returns its exit code, standard output and the files named in
// keep that it wrote (null where it wrote none).
export function runNative(program, track, args, keep = []) {
    const directory = mkdtempSync(join(tmpdir(), 'route-maker-test-'));
    try {
        // A track given by its path (too big to hold) is linked.
        if (track.path) symlinkSync(track.path, join(directory, track.name));
        else writeFileSync(join(directory, track.name), track.bytes);
        const done = spawnSync(native(program), args, {cwd: directory});
        const files = {};
        for (const name of keep) {
            const path = join(directory, name);
            files[name] = existsSync(path) ? readFileSync(path) : null;
        }
        return {code: done.status, stdout: done.stdout.toString('utf8'), files};
    } finally {
        rmSync(directory, {recursive: true, force: true});
    }
}

// A track to hand to the page: a name and its bytes, written to a file of
// that name when the page needs a path.
export function trackOf(name, bytes) {
    return {name, bytes: Buffer.from(bytes)};
}

export function sample(name) {
    return trackOf(name, readFileSync(join(examples, name)));
}

// The folders of the tracks written for the page, removed when the tests
// end.
const trackFolders = [];
process.on('exit', () => {
    for (const folder of trackFolders) rmSync(folder, {recursive: true, force: true});
});

export function trackFile(track) {
    const directory = mkdtempSync(join(tmpdir(), 'route-maker-track-'));
    trackFolders.push(directory);
    const path = join(directory, track.name);
    writeFileSync(path, track.bytes);
    return path;
}

export async function launch() {
    return chromium.launch({
        executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
        // As root Chromium needs --no-sandbox; the rest keep it from
        // reaching for the network on its own.
        args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
               '--disable-background-networking', '--disable-component-update', '--disable-sync'],
    });
}

// A fresh context and page on the route maker, with every request the
// page or its worker makes noted in requests; initScript, a function, runs
// in the page before the page's own script.
export async function openPage(browser, options = {}, initScript = null) {
    const context = await browser.newContext(Object.assign({acceptDownloads: true}, options));
    const requests = [];
    context.on('request', (request) => requests.push(request.url()));
    const page = await context.newPage();
    if (initScript !== null) await page.addInitScript(initScript);
    const errors = [];
    page.on('pageerror', (error) => errors.push(error.message));
    await page.goto(options.url || pageUrl);
    return {context, page, requests, errors};
}

export async function waitForEnd(page, timeout = 60000) {
    await page.waitForFunction(() => ['done', 'failed'].includes(document.body.dataset.state), null, {timeout});
    return page.evaluate(() => document.body.dataset.state);
}

// Puts the track into the page's file input and waits for the run to end.
export async function load(page, track) {
    await page.setInputFiles('#track-file', trackFile(track));
    return waitForEnd(page);
}

// Types the four thresholds (those given) and waits for the run they start.
export async function setThresholds(page, values) {
    const ids = {m: 'min-distance', x: 'max-distance', a: 'max-angle', e: 'max-error'};
    for (const [letter, value] of Object.entries(values)) await page.fill('#' + ids[letter], value);
    await page.waitForFunction(() => document.body.dataset.state === 'working', null, {timeout: 5000})
        .catch(() => {});
    return waitForEnd(page);
}

export async function text(page, id) {
    return (await page.textContent('#' + id)).trim();
}

// The bytes behind a download link, as a person clicking it saves them.
export async function download(page, id) {
    const [started] = await Promise.all([page.waitForEvent('download'), page.click('#' + id)]);
    const directory = mkdtempSync(join(tmpdir(), 'route-maker-download-'));
    const path = join(directory, started.suggestedFilename());
    await started.saveAs(path);
    const bytes = readFileSync(path);
    rmSync(directory, {recursive: true, force: true});
    return {name: started.suggestedFilename(), bytes};
}
