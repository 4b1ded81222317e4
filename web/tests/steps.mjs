// The steps a person takes on the page, and what they read off it, over a
// tab of browsers.mjs, so that they are the same in every engine.
import {trackFile} from './support.mjs';

export const thresholdIds = {m: 'min-distance', x: 'max-distance', a: 'max-angle', e: 'max-error'};

export function state(tab) {
    return tab.evaluate(() => document.body.dataset.state);
}

// How many runs the page has started (page_prologue.js counts them).
export function runs(tab) {
    return tab.evaluate(() => window.pageTest.runs);
}

// Waits for the end of a run after the first runsBefore that started
// after the last input event (a threshold typed key by key starts runs of
// its first digits); returns the state it ends in.
export function waitForEnd(tab, runsBefore = 0, timeout = 60000) {
    return tab.waitFor((before) => {
        const test = window.pageTest, ended = document.body.dataset.state;
        return test.runs > before && test.runOrder > test.inputOrder && ['done', 'failed'].includes(ended) && ended;
    }, [runsBefore], {timeout, explain: () => {
        const test = window.pageTest, $ = (id) => document.getElementById(id).textContent;
        return {state: document.body.dataset.state, runs: test.runs, runOrder: test.runOrder, inputOrder: test.inputOrder,
                now: performance.now(), status: $('status'), message: $('message'), errors: test.errors};
    }});
}

// Picks the track (by its path, or written to a file of its name) in the
// file input and waits for the run it starts to end.
export async function load(tab, track, timeout = 60000) {
    const before = await runs(tab);
    await tab.pick('#track-file', typeof track === 'string' ? track : trackFile(track));
    return waitForEnd(tab, before, timeout);
}

// Types the thresholds given ({m: '1', e: '10'}), each after the other,
// and waits for the run they start to end.
export async function setThresholds(tab, values) {
    const before = await runs(tab);
    for (const [letter, value] of Object.entries(values)) await tab.type('#' + thresholdIds[letter], value);
    return waitForEnd(tab, before);
}

// Types a value into a field and clicks a button, and waits for the runs
// that start to end.
export async function typeAndClick(tab, field, value, button) {
    const before = await runs(tab);
    await tab.type('#' + field, value);
    await tab.click('#' + button);
    return waitForEnd(tab, before);
}

// Chooses an option of a select as a person does, with its input and
// change events.
export function choose(tab, id, value) {
    return tab.evaluate((id, value) => {
        const select = document.getElementById(id);
        select.value = value;
        select.dispatchEvent(new Event('input', {bubbles: true}));
        select.dispatchEvent(new Event('change', {bubbles: true}));
    }, id, value);
}

export function text(tab, id) {
    return tab.evaluate((id) => document.getElementById(id).textContent.trim(), id);
}

export function value(tab, id) {
    return tab.evaluate((id) => document.getElementById(id).value, id);
}

// The file name and the bytes behind a download link, as a person who
// clicks it saves them; null where the link has none.
export async function download(tab, id) {
    const got = await tab.evaluate((id) => window.pageTest.download(id), id);
    return got === null ? null : {name: got.name, bytes: Buffer.from(got.base64, 'base64')};
}

// What the page asked for beyond itself: the URLs that the engine saw
// requested (where it tells), the resource timing entries and the
// requests its policy blocked.
export async function requestsOutside(tab) {
    const seen = await tab.evaluate(() => ({
        page: location.href.replace(/#.*/, ''),
        resources: performance.getEntriesByType('resource').map((entry) => entry.name),
        blocked: window.pageTest.blocked,
    }));
    const outside = (tab.requests || []).filter((url) => !/^(blob|data):/.test(url) && url.replace(/#.*/, '') !== seen.page);
    return {requested: outside, resources: seen.resources.filter((url) => !/^(blob|data):/.test(url)),
            blocked: seen.blocked};
}
