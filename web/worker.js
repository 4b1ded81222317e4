// The route maker's worker. The page builds it from one text: the module's
// factory (createRouteMaker), the module's wasm as base64 (ROUTE_MAKER_WASM)
// and this file. Every program run is a fresh instance of the module,
// since each run ends the process and the programs keep process-wide
// state; the wasm itself is compiled once per worker.
'use strict';

let compiled = null;

function wasmBytes() {
    const text = atob(ROUTE_MAKER_WASM);
    const bytes = new Uint8Array(text.length);
    for (let i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i);
    return bytes;
}

// The converters read an argument that begins with '/' or '-' as an
// option, so such a name is passed with "./" in front, as on a console.
function fileArgument(name) {
    return name.startsWith('-') ? './' + name : name;
}

// Runs the program named by args[0] with the track file in the current
// directory under its own name, read in blocks from the File itself.
// Returns its exit code, its standard output bytes and the instance, whose
// file system holds what it wrote. report(bytesRead) hears of the reads of
// the track.
async function runProgram(args, file, report) {
    if (compiled === null) compiled = await WebAssembly.compile(wasmBytes());
    const printed = [];
    const module = await createRouteMaker({
        instantiateWasm(imports, receive) {
            WebAssembly.instantiate(compiled, imports).then(receive);
            return {};
        },
        preRun: [(m) => m.FS.init(null, (byte) => { if (byte !== null) printed.push(byte); }, () => {})],
        print() {},
        printErr() {},
    });
    const FS = module.FS, WORKERFS = module.WORKERFS;
    const read = WORKERFS.stream_ops.read;
    WORKERFS.stream_ops.read = function (stream, buffer, offset, length, position) {
        const got = read.call(this, stream, buffer, offset, length, position);
        report(position + got);
        return got;
    };
    FS.mkdir('/track');
    FS.mount(WORKERFS, {files: [file]}, '/track');
    FS.mkdir('/work');
    FS.symlink('/track/' + file.name, '/work/' + file.name);
    FS.chdir('/work');
    const code = module.callMain(args);
    return {code, stdout: new Uint8Array(printed), module};
}

function text(bytes) {
    return new TextDecoder().decode(bytes);
}

// The message a program ended with: its last line, after any progress
// line it interrupts.
function lastLine(stdout) {
    const parts = text(stdout).split(/[\r\n]+/).filter((part) => part.trim() !== '');
    return parts.length ? parts[parts.length - 1].trim() : '';
}

const programOf = {nmea: 'Tolvek', records: 'Brisham', plt: 'Quendal', gpx: 'Marovin'};

function thresholdOptions(t) {
    return ['/m' + t.minDistance, '/x' + t.maxDistance, '/a' + t.maxAngle, '/e' + t.maxError];
}

function routeNames(name) {
    const dot = name.lastIndexOf('.');
    const stem = dot > 0 ? name.substring(0, dot) : name;
    return [stem + '-forward.rt2', stem + '-backward.rt2'];
}

// One job from the page: judge the format unless one is chosen, then
// either fit thresholds (--fit, --within) or convert and draw.
async function runJob(job) {
    const post = (message, transfer) => self.postMessage(Object.assign({id: job.id}, message), transfer || []);
    let phase = '', lastReport = 0;
    const report = (bytes) => {
        const now = performance.now();
        if (now - lastReport < 100) return;
        lastReport = now;
        post({type: 'progress', phase, bytes, total: job.file.size});
    };
    const track = fileArgument(job.file.name);
    const failed = (result) => post({type: 'failed', fit: job.mode === 'fit', message: lastLine(result.stdout),
                                   stdout: text(result.stdout)});

    let format = job.format;
    if (format === 'auto') {
        phase = 'judging';
        const judged = await runProgram(['judge', track], job.file, report);
        if (judged.code !== 0) return failed(judged);
        format = text(judged.stdout).trim();
    }
    const formatOptions = ['--format', format];

    if (job.mode === 'fit') {
        phase = 'fitting';
        const options = [];
        if (job.fitCount !== '') options.push('--fit', job.fitCount);
        if (job.within !== '') options.push('--within', job.within);
        const fit = await runProgram(['rt2preview', ...formatOptions, ...options, '--output', 'fit.svg', track,
                                      ...thresholdOptions(job.thresholds)], job.file, report);
        if (fit.code !== 0) return failed(fit);
        const command = lastLine(fit.stdout);
        const chosen = {};
        for (const [letter, key] of [['m', 'minDistance'], ['x', 'maxDistance'], ['a', 'maxAngle'], ['e', 'maxError']]) {
            const found = command.match(new RegExp(' /' + letter + '(\\S+)'));
            chosen[key] = found ? found[1] : job.thresholds[key];
        }
        return post({type: 'fitted', thresholds: chosen, stdout: text(fit.stdout)});
    }

    phase = 'converting';
    const program = programOf[format];
    const [forwardName, backwardName] = routeNames(job.file.name);
    const args = [fileArgument(forwardName), fileArgument(backwardName), ...thresholdOptions(job.thresholds)];
    const converted = await runProgram([program, track, ...args], job.file, report);
    if (converted.code !== 0) return failed(converted);
    const FS = converted.module.FS;
    const forward = FS.readFile('/work/' + forwardName);
    const backward = FS.readFile('/work/' + backwardName);
    post({type: 'routes', program, args: [track, ...args], forwardName, backwardName,
          forward: forward.buffer, backward: backward.buffer, stdout: text(converted.stdout)},
         [forward.buffer, backward.buffer]);

    phase = 'drawing';
    const drawn = await runProgram(['rt2preview', ...formatOptions, '--output', 'picture.svg', track,
                                    ...thresholdOptions(job.thresholds)], job.file, report);
    if (drawn.code !== 0) return failed(drawn);
    const svg = text(drawn.module.FS.readFile('/work/picture.svg'));
    post({type: 'picture', svg, stdout: text(drawn.stdout)});
}

self.onmessage = (event) => {
    const job = event.data;
    runJob(job).catch((error) => {
        self.postMessage({id: job.id, type: 'crashed', message: String(error && error.message || error)});
    });
};
