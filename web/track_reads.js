// The worker's reads of the track: in blocks, from the File itself where
// the worker may read it, else from the page, the run sleeping until each
// block comes; and the block a run ended with, kept for the next run of
// the same file.
import {meta} from './meta.js';
import {pageMessage, types} from './messages.js';

// Every synchronous read of a File costs about a millisecond however
// little it asks for, and the programs read 64 KiB at a time; so the track
// is read in blocks of 8 MiB (about 500 MB/s here, where blocks of 1 MiB
// give 200), one block held at a time, and the programs' reads are served
// from it. The first block of a run that judges the format is the head
// that judging reads (64 KiB), and no more.
export const blockSize = 8 * 1024 * 1024, firstBlockSize = meta.judgedHeadBytes;

// A block is garbage once the run has moved past it, and engines collect
// such buffers long after they are dropped: a 300 MB track read so held
// 60 to 300 MiB more. A buffer transferred away is freed at once instead;
// sent to a port whose other end is closed, it goes nowhere.
const discard = new MessageChannel();
discard.port2.close();

function drop(bytes) {
    if (bytes && bytes.buffer.byteLength > 0) discard.port1.postMessage(null, [bytes.buffer]);
}

// Where a job's blocks come from. The worker reads the File itself
// (readHere) where it may; where it may not (WebKit lets the worker of a
// page opened from a file read no Blob at all), it asks the page for each
// block (askPage), and the run sleeps until the block comes. A read of the
// first byte at the start of the job tells which.
export function blockSource(job) {
    const reader = new FileReaderSync();
    const readHere = (position, size) =>
        new Uint8Array(reader.readAsArrayBuffer(job.file.slice(position, position + size)));
    try {
        drop(readHere(0, 1));
        return {fileNumber: job.fileNumber, readHere};
    } catch (error) {
        return {fileNumber: job.fileNumber, askPage: (position, size) => new Promise((resolve, reject) => {
            const request = ++lastRequest;
            requests.set(request, {resolve, reject});
            self.postMessage(pageMessage(types.blockWanted, {id: job.id, request, position, size}));
        })};
    }
}

// The page's answers to the blocks asked of it, by request.
const requests = new Map();
let lastRequest = 0;

export function blockArrived(data) {
    const waiting = requests.get(data.request);
    if (waiting === undefined) return;
    requests.delete(data.request);
    if (data.error !== undefined) waiting.reject(new Error(data.error));
    else waiting.resolve(new Uint8Array(data.bytes));
}

// The block a run ended with, kept for the next run of the same picked
// file (the page numbers the files it is given): a track that fits in
// one block is then read again, for another drawing or another
// threshold, without asking for it. One block at most: {fileNumber,
// start, bytes} or null.
let kept = null;

function keep(fileNumber, start, bytes) {
    if (kept !== null) drop(kept.bytes);
    kept = bytes !== null && bytes.length > 0 ? {fileNumber, start, bytes} : null;
}

// The kept block, given up to the run, where it is of the file and holds
// position; else null (and a block of another file is dropped).
function keptBlockAt(fileNumber, position) {
    if (kept !== null && kept.fileNumber !== fileNumber) keep(null, 0, null);
    if (kept === null || position < kept.start || position >= kept.start + kept.bytes.length) return null;
    const found = kept;
    kept = null;
    return found;
}

// The blocks one run asks of the page, one ahead: once a block is in
// hand, the one after it is asked for, so that it is often there when the
// run wants it.
function pageAsks(source) {
    let next = null;  // the block asked for: {start, bytes, error, came}
    const ask = (start, size) => {
        const wanted = {start, bytes: null, error: null};
        wanted.came = source.askPage(start, size).then((bytes) => { wanted.bytes = bytes; },
                                                       (error) => { wanted.error = error; });
        return wanted;
    };
    return {
        // The bytes of the block at position once they have come; null
        // while they are on their way (asked for now where they were not).
        // Throws the error the page met reading them.
        block(position, size) {
            if (next === null || next.start !== position) next = ask(position, size);
            if (next.error !== null) throw next.error;
            return next.bytes;
        },
        // Resolves when the block on its way has come.
        came: () => next.came,
        // The block of length bytes at start is in hand: asks for the one
        // after it, where the file goes on.
        askAfter(start, length, fileSize) {
            next = length > 0 && start + length < fileSize ? ask(start + length, blockSize) : null;
        },
        // The run is over: a block still on its way is dropped as it comes.
        finish() {
            const left = next;
            if (left !== null) left.came.then(() => drop(left.bytes));
        },
    };
}

// The read operation of the track's file for one run (read) and its end
// (finish), with the blocks from source, the kept block among them; the
// run's first block is firstSize bytes long. Blocks asked of the page come
// while the run sleeps: the read unwinds the run to the worker's event
// loop (sleep, the instance's Asyncify.handleSleep) and the run is rewound
// into the same read when the block has come. report(bytesRead) hears of
// each read.
export function trackReader(source, sleep, report, firstSize) {
    let block = null, blockStart = 0;
    let sleeping = false;  // the run unwound in a read and is rewound into it
    const asks = source.readHere ? null : pageAsks(source);
    const hold = (start, bytes) => {
        drop(block);
        block = bytes;
        blockStart = start;
    };
    // Makes the block that holds position the one in hand; false while the
    // run must sleep for it.
    const take = (position, size, fileSize) => {
        const found = keptBlockAt(source.fileNumber, position);
        if (found !== null) hold(found.start, found.bytes);
        else if (source.readHere) hold(position, source.readHere(position, size));
        else {
            const bytes = asks.block(position, size);
            if (bytes === null) {
                const came = asks.came();
                sleeping = true;
                sleep((wakeUp) => came.then(() => wakeUp(0)));
                return false;
            }
            hold(position, bytes);
            asks.askAfter(position, bytes.length, fileSize);
        }
        return true;
    };
    const read = (stream, buffer, offset, length, position) => {
        const fileSize = stream.node.contents.size;
        if (sleeping) {
            sleeping = false;
            sleep(() => {});  // ends the rewind
        }
        if (position >= fileSize || length === 0) return 0;
        if (block === null || position < blockStart || position >= blockStart + block.length) {
            if (!take(position, block === null ? firstSize : blockSize, fileSize)) return 0;  // not seen: the run unwinds
            if (block.length === 0) return 0;
        }
        const start = position - blockStart;
        const count = Math.min(length, block.length - start);
        buffer.set(block.subarray(start, start + count), offset);
        report(position + count);
        return count;
    };
    const finish = () => {
        keep(source.fileNumber, blockStart, block);
        if (asks !== null) asks.finish();
    };
    return {read, finish};
}
