// The site folder on a static server on 127.0.0.1, in one engine: the
// first visit installs the service worker; with the server stopped, a
// reload still opens the page, and it converts a track with the native
// programs' bytes; a new build on the server replaces the kept page on
// the next visit. The page asks for nothing but the site's own files.
import assert from 'node:assert/strict';
import {execFileSync} from 'node:child_process';
import {cpSync, readFileSync, writeFileSync} from 'node:fs';
import {join} from 'node:path';
import {test} from 'node:test';

import {launch} from './browsers.mjs';
import {engine, pagePath, runNative, sample, scratchFolder, sitePath, startSiteServer, top, trackOf} from './support.mjs';
import {download, load, state, text} from './steps.mjs';

// The cache a build's service worker keeps the page in.
const cacheOf = (site) => readFileSync(join(site, 'service-worker.js'), 'utf8').match(/'(route-maker-[0-9a-f]+)'/)[1];

const keptCaches = (tab) => tab.evaluate(() => caches.keys());

test('the site opens and converts offline once visited, and takes a new build on the next visit', async () => {
    const browser = await launch(engine);
    let server = await startSiteServer(sitePath);
    const asked = server.asked;
    try {
        const tab = await browser.open(server.url);
        await tab.waitFor(() => navigator.serviceWorker.controller !== null, [], {timeout: 30000});
        assert.deepEqual(await keptCaches(tab), [cacheOf(sitePath)]);

        await server.close();
        await tab.reload();
        assert.equal(await state(tab), 'idle');
        const track = sample('drive.gpx');
        assert.equal(await load(tab, track), 'done', await text(tab, 'message'));
        const names = ['drive-forward.rt2', 'drive-backward.rt2'];
        const expected = runNative('Marovin', track, ['drive.gpx', ...names], names);
        const forward = await download(tab, 'download-forward');
        assert.ok(forward.bytes.equals(expected.files[names[0]]), 'forward route');
        assert.ok((await download(tab, 'download-backward')).bytes.equals(expected.files[names[1]]), 'backward route');
        const gpx = runNative('rt2gpx', trackOf(names[0], forward.bytes), [names[0], 'r.gpx'], ['r.gpx']);
        assert.ok((await download(tab, 'download-gpx')).bytes.equals(gpx.files['r.gpx']), 'GPX route');

        // A new build of the page: a new worker, which keeps the new page.
        const newSite = scratchFolder('site');
        cpSync(sitePath, newSite, {recursive: true});
        const newPage = join(scratchFolder('page'), 'route-maker.html');
        writeFileSync(newPage, readFileSync(pagePath, 'utf8').replace('<title>Route maker</title>',
                                                                      '<title>Route maker, new build</title>'));
        execFileSync(process.execPath, [join(top, 'web', 'build_site.mjs'), newPage, newSite]);
        assert.notEqual(cacheOf(newSite), cacheOf(sitePath));
        server = await startSiteServer(newSite, server.port);
        await tab.reload();
        await tab.waitFor((name) => caches.keys().then((names) => names.length === 1 && names[0] === name),
                          [cacheOf(newSite)], {timeout: 30000});
        await tab.reload();
        assert.equal(await tab.evaluate(() => document.title), 'Route maker, new build');
        assert.deepEqual(await tab.evaluate(() => window.pageTest.errors), []);
        const siteFiles = ['/', 'index.html', 'service-worker.js', 'manifest.webmanifest', 'icon-192.png', 'icon-512.png',
                           'apple-touch-icon.png'].map((name) => name.replace(/^(?!\/)/, '/'));
        assert.deepEqual([...asked, ...server.asked].filter((path) => !siteFiles.includes(path)), []);
        if (tab.requests !== null)
            assert.deepEqual(tab.requests.filter((url) => !/^(blob|data):/.test(url) && !url.startsWith(server.url)), []);
    } finally {
        await server.close();
        await browser.close();
    }
});
