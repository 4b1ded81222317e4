// Builds the route maker page, one self-contained HTML file: index.html
// with the threshold controls and the format choice made from meta.js,
// the styles and the page's scripts inline (meta.js, view.js, page.js),
// and in front of them the worker's source as a string: the module's
// factory, the wasm as base64, meta.js, track_reads.js and worker.js.
//   node build_page.mjs ROUTE_MAKER_JS ROUTE_MAKER_WASM OUTPUT_HTML
import {readFileSync, writeFileSync} from 'node:fs';
import {dirname, join} from 'node:path';
import {fileURLToPath} from 'node:url';
import {runInNewContext} from 'node:vm';

const [moduleJs, moduleWasm, output] = process.argv.slice(2);
const here = dirname(fileURLToPath(import.meta.url));
const source = (name) => readFileSync(join(here, name), 'utf8');
const meta = runInNewContext(source('meta.js') + '\nmeta;');

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

const workerSource = readFileSync(moduleJs, 'utf8') + '\n' +
    'const ROUTE_MAKER_WASM = "' + readFileSync(moduleWasm).toString('base64') + '";\n' +
    source('meta.js') + source('track_reads.js') + source('worker.js');
// Inside a <script> element nothing may read as its end tag.
const inline = (text) => text.replace(/<\/(script)/gi, '<\\/$1');
const script = 'const WORKER_SOURCE = ' + inline(JSON.stringify(workerSource)) + ';\n' +
    source('meta.js') + source('view.js') + source('page.js');
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
