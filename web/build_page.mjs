// Builds the route maker page, one self-contained HTML file: index.html
// with the threshold controls and the format choice made from meta.js,
// the styles, and the page's script inline. The page's scripts are ES
// modules; esbuild bundles each side into one script. The worker's is
// the module's factory and its wasm as base64, as emscripten made them,
// then worker.js and what it imports, which takes those two from the
// script before as 'route-maker-module'; it goes into the page's (page.js
// and what it imports) as a string, imported as 'worker-source'.
//   node build_page.mjs ROUTE_MAKER_JS ROUTE_MAKER_WASM OUTPUT_HTML
import {execFileSync} from 'node:child_process';
import {mkdtempSync, readFileSync, rmSync, writeFileSync} from 'node:fs';
import {tmpdir} from 'node:os';
import {dirname, join} from 'node:path';
import {fileURLToPath} from 'node:url';
import {meta} from './meta.js';

const [moduleJs, moduleWasm, output] = process.argv.slice(2);
const here = dirname(fileURLToPath(import.meta.url));
const source = (name) => readFileSync(join(here, name), 'utf8');

const escaped = (text) => String(text).replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/"/g, '&quot;');

// A number field and its slider per threshold, both starting at the
// default; the slider is left out of the tab order, the field is the one
// typed into.
function thresholdControl(t) {
    const label = escaped(t.label + ', ' + t.unit);
    return `    <div class="threshold">
      <label for="${t.id}">${label} <span class="hint">${escaped(t.hint)}</span></label>
      <input type="number" id="${t.id}" value="${t.value}" min="0" step="any" inputmode="decimal">
      <input type="range" id="${t.id}-slider" min="${t.min}" max="${t.max}" step="${t.step}" value="${t.value}" aria-label="${label}" tabindex="-1">
    </div>
`;
}

const formatOption = (f) => `      <option value="${f.name}">${escaped(f.label)} (${f.program})</option>\n`;

// One script of entry and what it imports, strict as modules are, with
// the generated modules put in for their names.
const generated = mkdtempSync(join(tmpdir(), 'route-maker-page-'));
function bundle(entry, modules) {
    const aliases = Object.entries(modules).map(([name, text]) => {
        const path = join(generated, name + '.js');
        writeFileSync(path, text);
        return '--alias:' + name + '=' + path;
    });
    const bundled = execFileSync(process.env.ESBUILD || 'esbuild', [join(here, entry), '--bundle', '--format=iife', '--charset=utf8',
                                             '--log-level=warning', ...aliases],
                                 {encoding: 'utf8', maxBuffer: 1 << 30});
    return '(() => {\n"use strict";\n' + bundled + '})();\n';
}
let script;
try {
    const runtime = readFileSync(moduleJs, 'utf8') + '\nvar ROUTE_MAKER_WASM = "' +
        readFileSync(moduleWasm).toString('base64') + '";\n';
    const workerSource = runtime + bundle('worker.js', {
        'route-maker-module': 'export const {createRouteMaker, ROUTE_MAKER_WASM: routeMakerWasm} = globalThis;\n',
    });
    script = bundle('page.js', {'worker-source': 'export const workerSource = ' + JSON.stringify(workerSource) + ';\n'});
} finally {
    rmSync(generated, {recursive: true, force: true});
}
// Inside a <script> element nothing may read as its end tag.
const inline = (text) => text.replace(/<\/(script)/gi, '<\\/$1');
let page = source('index.html');
const replace = (tag, replacement) => {
    if (!page.includes(tag)) throw new Error('index.html has no ' + tag);
    page = page.replace(tag, () => replacement);
};
const style = source('style.css').replaceAll('(--one-column)', meta.oneColumn);
replace('      <!-- the formats, from meta.js -->\n', meta.formats.map(formatOption).join(''));
replace('    <!-- the thresholds, from meta.js -->\n', meta.thresholds.map(thresholdControl).join(''));
replace('<link rel="stylesheet" href="style.css">', '<style>\n' + style + '</style>');
replace('<script src="page.js"></script>', '<script>\n' + inline(script) + '</script>');
writeFileSync(output, page);
