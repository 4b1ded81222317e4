// Runs the link command given and fails it when binaryen says that a name
// in the list of functions instrumented for a sleeping read matches no
// function: after a rename, the run would sleep with a function on the
// stack that cannot unwind, and the page would give wrong routes in every
// browser that waits for its blocks, while the build goes on.
//
//   node checked_link.mjs em++ ARGS...
import {spawnSync} from 'node:child_process';
import {rmSync} from 'node:fs';

const [command, ...args] = process.argv.slice(2);
const link = spawnSync(command, args, {stdio: ['inherit', 'inherit', 'pipe'], maxBuffer: 1 << 26});
if (link.error) throw link.error;
const said = link.stderr.toString('utf8');
process.stderr.write(said);
const unmatched = said.split('\n')
    .filter((line) => /Asyncify (only|remove|add)list contained a non-matching pattern/.test(line));
if (link.status === 0 && unmatched.length > 0) {
    process.stderr.write('checked_link.mjs: the ASYNCIFY_ONLY list in web/CMakeLists.txt names functions that are ' +
                         'not there (renamed or inlined?); make it match the code\n');
    // The output goes, or the next build would take it as up to date.
    const output = args.indexOf('-o');
    if (output >= 0 && output + 1 < args.length) rmSync(args[output + 1], {force: true});
    process.exit(1);
}
process.exit(link.status === null ? 1 : link.status);
