// The worker's parts that need no browser: the standard output it keeps
// of a run, from whose end the page's error message comes, and the check
// of the messages between page and worker.
import assert from 'node:assert/strict';
import {test} from 'node:test';
import {checkedForPage, pageMessage, workerMessage} from '../messages.js';
import {Printed, printedHalf} from '../printed.js';

// count bytes, byte i being i mod 251, as a program would print them.
function printedOf(count) {
    const printed = new Printed();
    for (let i = 0; i < count; ++i) printed.add(i % 251);
    return printed.bytes();
}
const expectedByte = (i) => i % 251;

test('a short output is kept whole, a long one as its first and its last half', () => {
    for (const count of [0, 1, printedHalf, printedHalf + 1, 2 * printedHalf - 1, 2 * printedHalf,
                         2 * printedHalf + 1, 3 * printedHalf + 7, 5 * printedHalf]) {
        const bytes = printedOf(count);
        const kept = Math.min(count, 2 * printedHalf);
        assert.equal(bytes.length, kept, `${count} bytes`);
        for (let i = 0; i < Math.min(count, printedHalf); ++i) assert.equal(bytes[i], expectedByte(i), `${count}: ${i}`);
        // The tail ends with the last byte printed, in order.
        for (let j = 1; j <= kept - Math.min(count, printedHalf); ++j)
            assert.equal(bytes[kept - j], expectedByte(count - j), `${count}: ${j} from the end`);
    }
});

test('a message with a field missing, one too many or an unknown type is refused', () => {
    const picture = {id: 1, svg: '<svg/>', figures: {}, view: '', size: ''};
    assert.deepEqual(pageMessage('picture', picture), {type: 'picture', ...picture});
    assert.throws(() => pageMessage('picture', {...picture, svg: undefined, stdout: ''}), /with stdout/);
    const {svg, ...withoutSvg} = picture;
    assert.ok(svg);
    assert.throws(() => pageMessage('picture', withoutSvg), /without svg/);
    assert.throws(() => checkedForPage({type: 'pictures', ...picture}), /unknown message/);
    assert.throws(() => checkedForPage(null), /unknown message/);
    // A job is a message of its own type, not one without a type.
    assert.throws(() => workerMessage('job', {id: 1}), /without mode/);
    assert.deepEqual(workerMessage('warm'), {type: 'warm'});
});
