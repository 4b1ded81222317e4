// Builds the folder that puts the route maker on a static host as an
// installable page that works offline: the page as index.html, with a web
// app manifest, icons and a service worker (service_worker.js, its cache
// named after the hash of the files it keeps). The page is the built
// route-maker.html with a head that names the manifest and the icons,
// allows them and the worker in its security policy, and asks the page's
// script to register the worker; nothing else in it changes. The icons are
// drawn beforehand from icon.svg.
//   node build_site.mjs ROUTE_MAKER_HTML SITE_DIR
import {createHash} from 'node:crypto';
import {readFileSync, writeFileSync} from 'node:fs';
import {dirname, join} from 'node:path';
import {fileURLToPath} from 'node:url';

const [pagePath, site] = process.argv.slice(2);
const here = dirname(fileURLToPath(import.meta.url));
let page = readFileSync(pagePath, 'utf8');
const replace = (from, to) => {
    if (!page.includes(from)) throw new Error(pagePath + ' has no ' + from);
    page = page.replace(from, () => to);
};
replace("worker-src blob:;", "worker-src blob: 'self'; manifest-src 'self';");
replace("img-src data: blob:;", "img-src data: blob: 'self';");
replace('<link rel="icon" href="data:,">',
        '<link rel="icon" href="icon-192.png">\n' +
        '<link rel="manifest" href="manifest.webmanifest">\n' +
        '<link rel="apple-touch-icon" href="apple-touch-icon.png">\n' +
        '<meta name="theme-color" content="#1f4e96">\n' +
        '<meta name="apple-mobile-web-app-title" content="Route maker">\n' +
        '<meta name="offline-worker" content="service-worker.js">');
writeFileSync(join(site, 'index.html'), page);

const manifest = {
    name: 'Route maker',
    short_name: 'Route maker',
    description: 'Turns a recorded GPS track into a short route: OziExplorer CE routes and a GPX route, ' +
                 'on the device, offline.',
    start_url: 'index.html',
    scope: './',
    display: 'standalone',
    background_color: '#fbfaf6',
    theme_color: '#1f4e96',
    icons: [
        {src: 'icon-192.png', sizes: '192x192', type: 'image/png', purpose: 'any'},
        {src: 'icon-512.png', sizes: '512x512', type: 'image/png', purpose: 'any'},
    ],
};
writeFileSync(join(site, 'manifest.webmanifest'), JSON.stringify(manifest, null, 2) + '\n');

// The files the worker keeps, as it lists them.
const worker = readFileSync(join(here, 'service_worker.js'), 'utf8');
const keptList = worker.match(/^const kept = (\[.*\]);$/m);
if (keptList === null || !worker.includes("'route-maker-VERSION'")) throw new Error('service_worker.js: no kept list or cache name');
const hash = createHash('sha256');
for (const name of JSON.parse(keptList[1].replaceAll("'", '"'))) hash.update(readFileSync(join(site, name)));
writeFileSync(join(site, 'service-worker.js'),
              worker.replace("'route-maker-VERSION'", () => "'route-maker-" + hash.digest('hex').substring(0, 16) + "'"));
