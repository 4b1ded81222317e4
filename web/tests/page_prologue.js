// What the tests put in front of the page's own script, in the copy of
// the page they open in every engine: it keeps the Blob behind each live
// object URL (a download's bytes are read from it, with no download
// machinery), notes script errors, requests the page's policy blocked and
// the runs the page starts, and on request makes workers that break and
// runs the page's timers on a clock the test moves.
'use strict';
(() => {
    const test = window.pageTest = {errors: [], blocked: [], runs: 0, lastInput: -1, lastRun: -1, inputOrder: 0, runOrder: 0,
                                   brokenWorker: null};

    const blobs = new Map();
    const createUrl = URL.createObjectURL, revokeUrl = URL.revokeObjectURL;
    URL.createObjectURL = function (object) {
        const url = createUrl.call(URL, object);
        if (object instanceof Blob) blobs.set(url, object);
        return url;
    };
    URL.revokeObjectURL = function (url) {
        blobs.delete(url);
        revokeUrl.call(URL, url);
    };

    addEventListener('error', (event) => test.errors.push(String(event.message)));
    addEventListener('unhandledrejection', (event) => test.errors.push(String(event.reason)));
    document.addEventListener('securitypolicyviolation',
                              (event) => test.blocked.push(event.violatedDirective + ' ' + event.blockedURI));

    // Each time the page sets the body's data-state to "working" is a run,
    // also where a run takes the place of one still working; the value a
    // record set is the next record's old value, or the current one. The
    // order of the last input event on a field (a picked file starts its
    // run at once, whatever the order of its events) and of the last run's
    // start tells whether the page has started the run the last change
    // asks for: counted, not timed, since an engine's clock may give both
    // the same millisecond. Their times stay for the benchmark.
    let events = 0;
    document.addEventListener('input', (event) => {
        if (event.target.type === 'file') return;
        test.lastInput = performance.now();
        test.inputOrder = ++events;
    }, true);
    new MutationObserver((records) => {
        for (let i = 0; i < records.length; ++i) {
            const value = i + 1 < records.length ? records[i + 1].oldValue : document.body.dataset.state;
            if (value === 'working') {
                ++test.runs;
                test.lastRun = performance.now();
                test.runOrder = ++events;
            }
        }
    }).observe(document.documentElement, {subtree: true, attributes: true, attributeOldValue: true,
                                          attributeFilter: ['data-state']});

    // The file name and the bytes (base64) behind a download link, or null
    // where it has none.
    test.download = async (id) => {
        const link = document.getElementById(id);
        const blob = link.hasAttribute('href') ? blobs.get(link.href) : undefined;
        if (blob === undefined) return null;
        const bytes = new Uint8Array(await blob.arrayBuffer());
        let binary = '';
        for (let i = 0; i < bytes.length; i += 8192)
            binary += String.fromCharCode.apply(null, bytes.subarray(i, i + 8192));
        return {name: link.download, base64: btoa(binary)};
    };

    // With "#broken-worker" in the address, workers made while
    // test.brokenWorker is "crash" throw on their first job (a reason with
    // a full stop of its own, "broken.") and those made while it is "hang"
    // never answer; it starts as "crash", so that the worker the page
    // makes as it loads is broken.
    if (location.hash === '#broken-worker') {
        test.brokenWorker = 'crash';
        const RealWorker = window.Worker;
        window.Worker = class extends RealWorker {
            constructor(url, options) {
                const mode = test.brokenWorker;
                if (!mode) {
                    super(url, options);
                    return;
                }
                const source = mode === 'crash'
                    ? 'self.onmessage = (e) => { if (e.data.type !== "warm") throw new Error("broken."); };'
                    : 'self.onmessage = () => {};';
                super(createUrl.call(URL, new Blob([source], {type: 'text/javascript'})), options);
            }
        };
    }

    // The page's setTimeout and clearTimeout on a clock that only
    // test.advance(ms) moves; timers set before stay on the real clock.
    test.installClock = () => {
        const realClear = window.clearTimeout;
        let now = 0, nextId = 1e9;
        const timers = new Map();
        window.setTimeout = (callback, delay, ...args) => {
            timers.set(++nextId, {at: now + Math.max(0, Number(delay) || 0), callback, args});
            return nextId;
        };
        window.clearTimeout = (id) => {
            if (!timers.delete(id)) realClear(id);
        };
        test.advance = (ms) => {
            const end = now + ms;
            for (;;) {
                let due = null;
                for (const [id, timer] of timers)
                    if (timer.at <= end && (due === null || timer.at < timers.get(due).at)) due = id;
                if (due === null) break;
                const timer = timers.get(due);
                timers.delete(due);
                now = timer.at;
                timer.callback(...timer.args);
            }
            now = end;
        };
    };
})();
