// Blocks of a File, read into memory that is used again where the engine
// lets it. Both the worker and the page read tracks this way: the build
// puts this file in front of worker.js and of page.js.
//
// A block read into a new buffer is garbage once it has been used, and
// engines collect such buffers much later than they are dropped: reading
// 300 MB that way holds 100 to 300 MiB more. So where a Blob's stream is
// a byte stream, its reader fills the buffer it is given (the caller
// hands back the one it has finished with); elsewhere each block is a new
// buffer, and the one handed back is freed at once (drop) instead of at
// the next collection.
'use strict';

class FileBlocks {
    constructor(file) {
        this.file = file;
        this.byteStreams = true;  // until a Blob's stream refuses a BYOB reader
        this.reader = null;       // reads the file on from readerAt
        this.readerAt = 0;
        this.queue = Promise.resolve();
    }

    // Resolves to a Uint8Array of the file's bytes from position, size of
    // them or up to the end, in the memory of spare (a Uint8Array or an
    // ArrayBuffer, or null) where the engine lets it. Reads happen one at
    // a time, in the order asked.
    read(position, size, spare) {
        const end = Math.min(position + size, this.file.size);
        const done = this.queue.then(() => this.readNow(Math.min(position, end), end, spare));
        this.queue = done.catch(() => {});
        return done;
    }

    async readNow(position, end, spare) {
        const buffer = spare instanceof ArrayBuffer ? spare : spare ? spare.buffer : null;
        if (this.byteStreams && this.startReader(position)) return this.fill(end - position, buffer);
        FileBlocks.drop(buffer);
        return new Uint8Array(await this.file.slice(position, end).arrayBuffer());
    }

    // Has a BYOB reader stand at position: the one that stands there
    // already, or a new one. False where Blob streams are no byte streams.
    startReader(position) {
        if (this.reader !== null && this.readerAt === position) return true;
        if (this.reader !== null) this.reader.cancel().catch(() => {});
        this.reader = null;
        try {
            this.reader = this.file.slice(position).stream().getReader({mode: 'byob'});
        } catch (error) {
            this.byteStreams = false;
            return false;
        }
        this.readerAt = position;
        return true;
    }

    async fill(count, buffer) {
        if (buffer === null || buffer.byteLength < count) buffer = new ArrayBuffer(count);
        let filled = 0;
        while (filled < count) {
            const {value, done} = await this.reader.read(new Uint8Array(buffer, filled, count - filled));
            if (value) buffer = value.buffer;  // the read took the buffer and gives it back
            if (done) break;
            filled += value.byteLength;
        }
        this.readerAt += filled;
        return new Uint8Array(buffer, 0, filled);
    }

    // Frees a buffer (or null) that will not be read into again, where the
    // engine frees memory when a transfer detaches it.
    static drop(buffer) {
        if (buffer !== null && typeof buffer.transfer === 'function') buffer.transfer(0);
    }
}
