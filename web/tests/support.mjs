// What the browser tests share: the engine and origin they run in
// (ROUTE_MAKER_ENGINE: chromium, firefox or webkit; ROUTE_MAKER_ORIGIN:
// file or http), the copy of the built page they open, the static server
// on 127.0.0.1 that serves it, the native programs whose bytes the page
// must give, and the steps a person takes on the page.
import {execFileSync, spawnSync} from 'node:child_process';
import {existsSync, mkdtempSync, readFileSync, rmSync, symlinkSync, writeFileSync} from 'node:fs';
import {createServer} from 'node:http';
import {tmpdir} from 'node:os';
import {dirname, join, resolve} from 'node:path';
import {fileURLToPath, pathToFileURL} from 'node:url';
import {launch} from './browsers.mjs';

const here = dirname(fileURLToPath(import.meta.url));
export const top = resolve(here, '..', '..');
export const pagePath = process.env.ROUTE_MAKER_PAGE || join(top, 'build', 'web', 'route-maker.html');
// The site folder beside it (build_site.mjs).
export const sitePath = join(dirname(pagePath), 'site');
export const examples = join(top, 'examples');
export const screenshots = join(dirname(pagePath), 'screenshots');
export const engine = process.env.ROUTE_MAKER_ENGINE || 'chromium';
export const origin = process.env.ROUTE_MAKER_ORIGIN || 'file';

// The folders the tests write, removed when they end.
const scratch = [];
process.on('exit', () => {
    for (const folder of scratch) rmSync(folder, {recursive: true, force: true});
});
export function scratchFolder(what) {
    const folder = mkdtempSync(join(tmpdir(), 'route-maker-' + what + '-'));
    scratch.push(folder);
    return folder;
}

// The built page with page_prologue.js in front of its own script, right
// after its security policy, which the prologue obeys like the page.
export function testPage(path = pagePath) {
    const page = readFileSync(path, 'utf8');
    const policy = page.match(/<meta http-equiv="Content-Security-Policy"[^>]*>/);
    if (policy === null) throw new Error(path + ' has no security policy');
    const prologue = '\n<script>\n' + readFileSync(join(here, 'page_prologue.js'), 'utf8') + '</script>';
    const at = policy.index + policy[0].length;
    return page.substring(0, at) + prologue + page.substring(at);
}

// Serves the page at /route-maker.html and nothing else; asked lists every
// path asked for.
export async function startServer(page) {
    const asked = [];
    const server = createServer((request, response) => {
        asked.push(request.url);
        if (request.url === '/route-maker.html') {
            response.writeHead(200, {'Content-Type': 'text/html; charset=utf-8', 'Cache-Control': 'no-store'});
            response.end(page);
        } else {
            response.writeHead(404);
            response.end();
        }
    });
    await new Promise((done) => server.listen(0, '127.0.0.1', done));
    const url = 'http://127.0.0.1:' + server.address().port + '/route-maker.html';
    return {url, asked, close: () => new Promise((done) => server.close(done))};
}

// Serves the files of a folder (the site folder, with the test prologue in
// its index.html) on 127.0.0.1, "/" as index.html, on the given port or a
// free one; asked lists every path asked for.
export async function startSiteServer(folder, port = 0) {
    const types = {html: 'text/html; charset=utf-8', js: 'text/javascript', webmanifest: 'application/manifest+json',
                   png: 'image/png'};
    const asked = [];
    const server = createServer((request, response) => {
        asked.push(request.url);
        const name = request.url === '/' ? 'index.html' : request.url.substring(1);
        const path = join(folder, name);
        if (!/^[a-z0-9.-]+$/.test(name) || !existsSync(path)) {
            response.writeHead(404);
            return void response.end();
        }
        const body = name === 'index.html' ? testPage(path) : readFileSync(path);
        response.writeHead(200, {'Content-Type': types[name.split('.').pop()], 'Cache-Control': 'no-cache'});
        response.end(body);
    });
    await new Promise((done) => server.listen(port, '127.0.0.1', done));
    return {url: 'http://127.0.0.1:' + server.address().port + '/', port: server.address().port, asked,
            close: () => new Promise((done) => { server.close(done); server.closeAllConnections(); })};
}

// The browser of this run and the page's address in its origin; open
// gives a tab on the page, with a fragment (#...) where one is given.
export async function startSession() {
    if (origin !== 'file' && origin !== 'http') throw new Error('no origin ' + origin + '; the origins are file and http');
    const page = testPage();
    const server = origin === 'http' ? await startServer(page) : null;
    let url = server && server.url;
    if (server === null) {
        const path = join(scratchFolder('page'), 'route-maker.html');
        writeFileSync(path, page);
        url = pathToFileURL(path).href;
    }
    const browser = await launch(engine);
    return {
        engine, origin, url, server, browser,
        open: (viewport, fragment = '') => browser.open(url + fragment, viewport),
        async close() {
            await browser.close();
            if (server !== null) await server.close();
        },
    };
}

// The native programs: the ci build's where it is there, else the default
// build, made here when it is missing.
let nativeDirectory = null;
export function native(program) {
    if (nativeDirectory === null) {
        for (const build of ['ci', 'default']) {
            const directory = join(top, 'build', build, 'programs');
            if (existsSync(join(directory, 'rt2gpx'))) {
                nativeDirectory = directory;
                break;
            }
        }
        if (nativeDirectory === null) {
            execFileSync('cmake', ['--preset', 'default'], {cwd: top, stdio: 'ignore'});
            execFileSync('cmake', ['--build', '--preset', 'default', '--target', 'Tolvek', 'Brisham', 'Quendal',
                                   'Marovin', 'rt2preview', 'rt2gpx'], {cwd: top, stdio: 'ignore'});
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
        const done = spawnSync(native(program), args, {cwd: directory, maxBuffer: 1 << 30});
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

export function trackFile(track) {
    if (track.path) return track.path;
    const path = join(scratchFolder('track'), track.name);
    writeFileSync(path, track.bytes);
    return path;
}
