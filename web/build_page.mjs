// Builds the route maker page, one self-contained HTML file: index.html
// with the styles and the page's script inline, and in front of that
// script the worker's source as a string: the module's factory, the wasm
// as base64 and worker.js.
//   node build_page.mjs ROUTE_MAKER_JS ROUTE_MAKER_WASM OUTPUT_HTML
import {readFileSync, writeFileSync} from 'node:fs';
import {dirname, join} from 'node:path';
import {fileURLToPath} from 'node:url';

const [moduleJs, moduleWasm, output] = process.argv.slice(2);
const here = dirname(fileURLToPath(import.meta.url));
const source = (name) => readFileSync(join(here, name), 'utf8');

const workerSource = readFileSync(moduleJs, 'utf8') + '\n' +
    'const ROUTE_MAKER_WASM = "' + readFileSync(moduleWasm).toString('base64') + '";\n' +
    source('worker.js');
// Inside a <script> element nothing may read as its end tag.
const inline = (text) => text.replace(/<\/(script)/gi, '<\\/$1');
const script = 'const WORKER_SOURCE = ' + inline(JSON.stringify(workerSource)) + ';\n' + source('page.js');
let page = source('index.html');
const replace = (tag, replacement) => {
    if (!page.includes(tag)) throw new Error('index.html has no ' + tag);
    page = page.replace(tag, () => replacement);
};
replace('<link rel="stylesheet" href="style.css">', '<style>\n' + source('style.css') + '</style>');
replace('<script src="page.js"></script>', '<script>\n' + inline(script) + '</script>');
writeFileSync(output, page);
