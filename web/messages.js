// The messages between the page and its worker, each type with the fields
// it carries; both sides make and check them here, so that a field sent
// and never read, or read and never sent, shows as an error at once.
//
// A message is {type, ...fields}. Every message of a job carries the
// job's id; the page drops those of a job it has given up.

// From the page to the worker.
const toWorker = {
    // Get ready: compile the module and make an instance before a track comes.
    warm: {required: [], optional: []},
    // A run on the track (see runJob in worker.js): mode is convert, fit,
    // closest or draw.
    job: {required: ['id', 'mode', 'file', 'fileNumber', 'format', 'thresholds', 'fitCount', 'within',
                     'closestWithin', 'window', 'size'],
          optional: []},
    // A block of the track asked for by block-wanted: bytes, or the error
    // that reading it met.
    block: {required: ['request'], optional: ['bytes', 'error']},
};

// From the worker to the page.
const toPage = {
    // The worker may not read the File: the page is to send these bytes.
    blockWanted: {required: ['id', 'request', 'position', 'size'], optional: []},
    // A run has read bytes of the track's total in phase.
    progress: {required: ['id', 'phase', 'bytes', 'total'], optional: []},
    // The two routes and the GPX route, with the figures of the run that
    // wrote them and how it was run: the command line of a closest route,
    // or the converter's program and arguments.
    routes: {required: ['id', 'forwardName', 'backwardName', 'gpxName', 'forward', 'backward', 'gpx', 'figures'],
             optional: ['command', 'program', 'args']},
    // The picture drawn, its figures, and the window and size it was
    // drawn for ('' for the whole track and the preview's own size).
    picture: {required: ['id', 'svg', 'figures', 'view', 'size'], optional: []},
    // The thresholds a fit chose, by key.
    fitted: {required: ['id', 'thresholds'], optional: []},
    // A program ended with message; keepResult: the result shown before
    // stays.
    failed: {required: ['id', 'keepResult', 'message'], optional: []},
    // The worker's own machinery failed.
    crashed: {required: ['id', 'message'], optional: []},
};

// Throws unless data is a message of one of types with its required
// fields and no others.
function check(types, data) {
    const shape = data !== null && typeof data === 'object' ? types[data.type] : undefined;
    if (shape === undefined) throw new Error('unknown message ' + JSON.stringify(data && data.type));
    for (const field of shape.required)
        if (!(field in data)) throw new Error('message ' + data.type + ' without ' + field);
    for (const field in data)
        if (field !== 'type' && !shape.required.includes(field) && !shape.optional.includes(field))
            throw new Error('message ' + data.type + ' with ' + field);
    return data;
}

// Each type by its name, for the senders and the receivers to name it
// (types.progress is 'progress'), so that each is written here only.
export const types = Object.freeze(Object.fromEntries([...Object.keys(toWorker), ...Object.keys(toPage)]
                                                          .map((type) => [type, type])));

// A message of type for the worker, checked.
export const workerMessage = (type, fields = {}) => check(toWorker, {type, ...fields});
// A message of type for the page, checked.
export const pageMessage = (type, fields = {}) => check(toPage, {type, ...fields});
// The data of a message the worker received, checked.
export const checkedForWorker = (data) => check(toWorker, data);
// The data of a message the page received, checked.
export const checkedForPage = (data) => check(toPage, data);
