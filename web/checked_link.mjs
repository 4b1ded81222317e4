// Runs the link command given and fails it when a name in the list of
// functions instrumented for a sleeping read names no function at all:
// after a rename, the run would sleep with a function on the stack that
// cannot unwind, and the page would give wrong routes in every browser
// that waits for its blocks, while the build goes on.
//
//   node checked_link.mjs em++ ARGS...
//
// binaryen names each pattern that matches no function of the linked
// module. The optimizer has by then inlined every function called from
// one place into its caller, which is on the list in its stead (as main
// holds the converters' and the preview's runs), so such a pattern is
// taken where it matches a function defined in the objects linked (emnm
// beside em++ lists them); one that matches none of those fails the link.
import {spawnSync} from 'node:child_process';
import {readFileSync, rmSync} from 'node:fs';
import {dirname, join} from 'node:path';

const [command, ...args] = process.argv.slice(2);

function fail(message) {
    process.stderr.write('checked_link.mjs: ' + message + '\n');
    // The output goes, or the next build would take it as up to date.
    const output = args.indexOf('-o');
    if (output >= 0 && output + 1 < args.length) rmSync(args[output + 1], {force: true});
    process.exit(1);
}

// The objects and libraries the link reads, response files opened.
function inputs() {
    const words = [];
    for (const arg of args) {
        if (arg.startsWith('@')) words.push(...readFileSync(arg.substring(1), 'utf8').split(/\s+/));
        else words.push(arg);
    }
    return words.map((word) => word.replace(/^"(.*)"$/, '$1')).filter((word) => /\.(o|a)$/.test(word));
}

// The functions those define, by their demangled names, as binaryen names
// them: "core::thin_track(int (*)(core::TrackPoint*))".
function definedFunctions() {
    const compiler = args.find((arg) => /em\+\+$|emcc$/.test(arg)) || (/em\+\+$|emcc$/.test(command) ? command : null);
    const nm = compiler !== null && compiler.includes('/') ? join(dirname(compiler), 'emnm') : 'emnm';
    const listed = spawnSync(nm, ['-C', '--defined-only', ...inputs()], {maxBuffer: 1 << 28});
    if (listed.error || listed.status !== 0) fail('could not list the functions of the objects with ' + nm);
    return listed.stdout.toString('utf8').split('\n')
        .map((line) => line.match(/^\S* *[TtWw] (.*)$/)).filter((found) => found !== null).map((found) => found[1]);
}

function wildcard(pattern) {
    const parts = pattern.split('*').map((part) => part.replace(/[.*+?^${}()|[\]\\]/g, '\\$&'));
    return new RegExp('^' + parts.join('.*') + '$');
}

const link = spawnSync(command, args, {stdio: ['inherit', 'inherit', 'pipe'], maxBuffer: 1 << 26});
if (link.error) throw link.error;
const lines = link.stderr.toString('utf8').split('\n');
// "warning: Asyncify onlylist contained a non-matching pattern: P (P escaped)"
const patternOf = (line) => {
    const found = line.match(/Asyncify (?:only|remove|add)list contained a non-matching pattern: (.*) \([^ ]*\)$/);
    return found === null ? null : found[1];
};
const unmatched = lines.map(patternOf).filter((pattern) => pattern !== null);
const functions = link.status === 0 && unmatched.length > 0 ? definedFunctions() : [];
const inlined = unmatched.filter((pattern) => functions.some((name) => wildcard(pattern).test(name)));
// The inlined ones are as they should be: their warnings give way to a note.
process.stderr.write(lines.filter((line) => !inlined.includes(patternOf(line))).join('\n'));
if (link.status !== 0) process.exit(link.status === null ? 1 : link.status);
if (inlined.length > 0)
    process.stderr.write('checked_link.mjs: inlined (or unused), instrumented in their callers: ' +
                         inlined.join(', ') + '\n');
const missing = unmatched.filter((pattern) => !inlined.includes(pattern));
if (missing.length > 0)
    fail('the ASYNCIFY_ONLY list in web/CMakeLists.txt names functions that are not there: ' + missing.join(', ') +
         '; make it match the code');
