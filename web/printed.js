// What a program printed on standard output, as the worker keeps it.

// A program's standard output, kept whole up to 64 KiB; of a longer one
// (a converter prints a progress line per waypoint) the first and the last
// 32 KiB, which hold the settings, the last progress line and the message.
export const printedHalf = 32 * 1024;

export class Printed {
    constructor() {
        this.head = new Uint8Array(printedHalf);
        this.tail = new Uint8Array(printedHalf);
        this.count = 0;
    }
    add(byte) {
        if (this.count < printedHalf) this.head[this.count] = byte;
        else this.tail[(this.count - printedHalf) % printedHalf] = byte;
        ++this.count;
    }
    bytes() {
        if (this.count <= printedHalf) return this.head.slice(0, this.count);
        const inTail = Math.min(this.count - printedHalf, printedHalf);
        const end = (this.count - printedHalf) % printedHalf;
        const out = new Uint8Array(printedHalf + inTail);
        out.set(this.head);
        if (inTail < printedHalf) {
            out.set(this.tail.subarray(0, inTail), printedHalf);
        } else {
            out.set(this.tail.subarray(end), printedHalf);
            out.set(this.tail.subarray(0, end), printedHalf + printedHalf - end);
        }
        return out;
    }
}
