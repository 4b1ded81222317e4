// The route maker's worker. The build bundles it with what it imports, the
// module's factory and wasm among them, into the one text the page starts
// its worker from. Every program run is a fresh instance of the module,
// since each run ends the process and the programs keep process-wide
// state; the wasm itself is compiled once per worker.
import {meta} from './meta.js';
import {checkedForWorker, pageMessage, types} from './messages.js';
import {Printed} from './printed.js';
import {blockArrived, blockSize, blockSource, firstBlockSize, trackReader} from './track_reads.js';
// The module's factory and its wasm as base64, which the build puts in
// front of the bundled worker as emscripten made them.
import {createRouteMaker, routeMakerWasm} from 'route-maker-module';

let compiled = null, compiling = null;

function wasmBytes() {
    const text = atob(routeMakerWasm);
    const bytes = new Uint8Array(text.length);
    for (let i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i);
    return bytes;
}

// The converters read an argument that begins with '/' or '-' as an
// option, so such a name is passed with "./" in front, as on a console.
function fileArgument(name) {
    return name.startsWith('-') ? './' + name : name;
}

// A fresh instance of the module with its standard output and its end:
// {module, printed, exited (a promise of the exit code), failed}.
async function newInstance() {
    await compile();
    const printed = new Printed();
    let ended, failed;
    const exited = new Promise((resolve, reject) => { ended = resolve; failed = reject; });
    const module = await createRouteMaker({
        instantiateWasm(imports, receive) {
            WebAssembly.instantiate(compiled, imports).then(receive);
            return {};
        },
        preRun: [(m) => m.FS.init(null, (byte) => { if (byte !== null) printed.add(byte); }, () => {})],
        print() {},
        printErr() {},
        onExit(code) { ended(code); },
    });
    return {module, printed, exited, failed};
}

// The next run's instance, made as the worker warms up and as each run
// ends, while the worker waits, so that a run starts without waiting for
// the module to be instantiated (up to a few tens of milliseconds in
// WebKit): one instance more, whatever the track.
let spare = null;

// Where a run writes its figures, out of the way of the files it names.
const figuresPath = '/figures.txt';

// Runs the program named by args[0] with the track file in the current
// directory under its own name, its blocks from source. Resolves, when the
// program has ended, to its exit code, its standard output bytes, its
// figures (readFigures, empty where it wrote none) and the module, whose
// file system holds what it wrote. report(bytesRead) hears of the reads of
// the track.
async function runProgram(args, file, source, report) {
    let trackReads = null;
    const run = await runInstance(args[0] === 'judge' ? args : ['--figures', figuresPath, ...args], (instance) => {
        const {module, failed} = instance;
        const FS = module.FS, WORKERFS = module.WORKERFS;
        // A run rewound after a sleep ends by throwing out of the wake-up:
        // its exit (heard by the instance) or an error, which ends the job.
        const sleep = (start) => module.handleSleep((wakeUp) => start((value) => {
            try {
                wakeUp(value);
            } catch (error) {
                if (!(error && error.name === 'ExitStatus')) failed(error);
            }
        }));
        trackReads = trackReader(source, sleep, report, args[0] === 'judge' ? firstBlockSize : blockSize);
        WORKERFS.stream_ops.read = trackReads.read;
        FS.mkdir('/track');
        FS.mount(WORKERFS, {files: [file]}, '/track');
        FS.mkdir('/work');
        FS.symlink('/track/' + file.name, '/work/' + file.name);
        FS.chdir('/work');
    }, () => trackReads.finish());
    return {...run, figures: readFigures(run.module.FS)};
}

// Runs the module's main with args in the spare instance (or a new one),
// once prepare(instance) has made it ready, and makes the next spare
// instance when the run has ended and ended() has been called.
// Resolves to the exit code, the standard output bytes and the module,
// whose file system holds what the run wrote.
async function runInstance(args, prepare, ended) {
    const pending = spare || newInstance();
    spare = null;
    const instance = await pending;
    prepare(instance);
    try {
        instance.module.callMain(args);
    } catch (error) {
        if (!(error && error.name === 'ExitStatus')) throw error;
    }
    const code = await instance.exited;
    ended();
    if (spare === null) spare = newInstance();
    return {code, stdout: instance.printed.bytes(), module: instance.module};
}

// The names the page knows the figures by, by their keys in the file.
const figureNames = Object.assign(Object.fromEntries(meta.thresholds.map((t) => [t.key, t.key])), meta.figures);

// A run's figures, from its key=value lines, by the names of meta.figures
// (the thresholds by their keys); a key not there is a fault of the
// page's own.
function readFigures(FS) {
    const figures = {};
    if (!FS.analyzePath(figuresPath).exists) return figures;
    for (const line of FS.readFile(figuresPath, {encoding: 'utf8'}).split('\n')) {
        const equals = line.indexOf('=');
        if (equals <= 0) continue;
        const name = figureNames[line.substring(0, equals)];
        if (name === undefined) throw new Error('unknown figure ' + line.substring(0, equals));
        figures[name] = line.substring(equals + 1);
    }
    return figures;
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

// The format judged of the last file (by its name, size and time), which a
// picked file keeps however often it is converted.
let judgedFile = null, judgedFormat = null;

const programOf = Object.fromEntries(meta.formats.map((f) => [f.name, f.program]));

// The thresholds (by key) as the programs take them: "/m5".
function thresholdOptions(values) {
    return meta.thresholds.map((t) => '/' + t.letter + values[t.key]);
}

function routeNames(name) {
    const dot = name.lastIndexOf('.');
    const stem = dot > 0 ? name.substring(0, dot) : name;
    return [stem + '-forward.rt2', stem + '-backward.rt2', stem + '-route.gpx'];
}

// One job from the page: judge the format unless one is chosen, then
// fit thresholds (--fit, --within), or convert and draw, or make and draw
// the closest route, or only draw.
async function runJob(job) {
    const post = (type, fields) => self.postMessage(pageMessage(type, {id: job.id, ...fields}));
    let phase = '', lastReport = 0;
    const report = (bytes) => {
        const now = performance.now();
        if (now - lastReport < 100) return;
        lastReport = now;
        post(types.progress, {phase, bytes, total: job.file.size});
    };
    const track = fileArgument(job.file.name);
    const source = blockSource(job);
    // A failed fit or drawing leaves the result before it in place.
    const failed = (result) => post(types.failed, {keepResult: job.mode !== 'convert', message: lastLine(result.stdout)});

    let format = job.format;
    // The page's File arrives as a new copy with every job.
    const fileKey = [job.file.name, job.file.size, job.file.lastModified].join('\n');
    if (format === 'auto' && fileKey === judgedFile) format = judgedFormat;
    if (format === 'auto') {
        phase = 'judging';
        const judged = await runProgram(['judge', track], job.file, source, report);
        if (judged.code !== 0) return failed(judged);
        format = text(judged.stdout).trim();
        judgedFile = fileKey;
        judgedFormat = format;
    }
    const formatOptions = ['--format', format];

    if (job.mode === 'fit') {
        phase = 'fitting';
        const options = [];
        if (job.fitCount !== '') options.push('--fit', job.fitCount);
        if (job.within !== '') options.push('--within', job.within);
        const fit = await runProgram(['rt2preview', ...formatOptions, ...options, '--output', 'fit.svg', track,
                                      ...thresholdOptions(job.thresholds)], job.file, source, report);
        if (fit.code !== 0) return failed(fit);
        const chosen = Object.fromEntries(meta.thresholds.map((t) => [t.key, fit.figures[t.key]]));
        return post(types.fitted, {thresholds: chosen});
    }

    if (job.mode === 'closest') {
        phase = 'closest';
        return closest(job, formatOptions, track, source, report, failed);
    }

    if (job.mode !== 'draw') {
        phase = 'converting';
        const converted = await convert(job, format, track, source, report);
        if (converted.code !== 0) return failed(converted);
    }

    phase = 'drawing';
    const route = job.closestWithin !== '' ? ['--closest', '--within', job.closestWithin]
                                           : thresholdOptions(job.thresholds);
    const drawn = await runProgram(['rt2preview', ...formatOptions, '--output', 'picture.svg', ...viewOptions(job),
                                    track, ...route], job.file, source, report);
    if (drawn.code !== 0) return failed(drawn);
    postPicture(job, drawn);
}

function postPicture(job, drawn) {
    const options = viewOptions(job);
    const svg = text(drawn.module.FS.readFile('/work/picture.svg'));
    const value = (name) => options.includes(name) ? options[options.indexOf(name) + 1] : '';
    self.postMessage(pageMessage(types.picture, {id: job.id, svg, figures: drawn.figures, view: value('--view'),
                                             size: value('--size')}));
}

// The closest route for the job's budget or distance: drawn, and its two
// route files written by the same run, with the command line that writes
// them on a console.
async function closest(job, formatOptions, track, source, report, failed) {
    const [forwardName, backwardName] = routeNames(job.file.name);
    const fit = job.fitCount !== '' ? ['--fit', job.fitCount] : ['--within', job.within];
    const run = await runProgram(['rt2preview', ...formatOptions, '--closest', ...fit, '--output', 'picture.svg',
                                  ...viewOptions(job), '--write', fileArgument(forwardName), fileArgument(backwardName),
                                  track], job.file, source, report);
    if (run.code !== 0) return failed(run);
    await postRoutes(job, run, {command: lastLine(run.stdout)});
    postPicture(job, run);
}

// The window and the pixels of the picture a job asks for: "--view
// SOUTH,WEST,NORTH,EAST" in degrees to the centimetre, "--size WxH".
function viewOptions(job) {
    const options = [];
    if (job.window) {
        const w = job.window;
        options.push('--view', [w.south, w.west, w.north, w.east].map((deg) => deg.toFixed(7)).join(','));
    }
    if (job.size) options.push('--size', job.size.width + 'x' + job.size.height);
    return options;
}

// Converts the track and hands the routes to the page; resolves to the run.
async function convert(job, format, track, source, report) {
    const program = programOf[format];
    const [forwardName, backwardName] = routeNames(job.file.name);
    const args = [fileArgument(forwardName), fileArgument(backwardName), ...thresholdOptions(job.thresholds)];
    const converted = await runProgram([program, track, ...args], job.file, source, report);
    if (converted.code !== 0) return converted;
    await postRoutes(job, converted, {program, args: [track, ...args]});
    return converted;
}

// Hands the page the two route files a run wrote and the GPX route of the
// forward one, with what says how they were made (the converter's command
// line, or the one that writes the closest route).
async function postRoutes(job, run, made) {
    const [forwardName, backwardName, gpxName] = routeNames(job.file.name);
    const forward = run.module.FS.readFile('/work/' + forwardName);
    const backward = run.module.FS.readFile('/work/' + backwardName);
    const gpx = await gpxRoute(forward);
    self.postMessage(pageMessage(types.routes, {id: job.id, forwardName, backwardName, gpxName, forward: forward.buffer,
                                            backward: backward.buffer, gpx: gpx.buffer, figures: run.figures,
                                            ...made}),
                     [forward.buffer, backward.buffer, gpx.buffer]);
}

// The GPX route of a forward route, made by rt2gpx in an instance of its
// own, as on a console.
async function gpxRoute(forward) {
    const run = await runInstance(['rt2gpx', '/route.rt2', '/route.gpx'],
                                  (instance) => instance.module.FS.writeFile('/route.rt2', forward), () => {});
    if (run.code !== 0) throw new Error('rt2gpx: ' + lastLine(run.stdout));
    return run.module.FS.readFile('/route.gpx');
}

// The compiled wasm, compiled once; later callers wait for the first.
function compile() {
    if (compiling === null) compiling = WebAssembly.compile(wasmBytes()).then((module) => { compiled = module; });
    return compiling;
}

self.onmessage = (event) => {
    const data = checkedForWorker(event.data);
    // The page starts a worker before it is needed, so that the wasm is
    // compiled by the time a track comes.
    if (data.type === types.warm) {
        if (spare === null) spare = newInstance();
        return;
    }
    if (data.type === types.block) return void blockArrived(data);
    runJob(data).catch((error) => {
        self.postMessage(pageMessage(types.crashed, {id: data.id, message: String(error && error.message || error)}));
    });
};
