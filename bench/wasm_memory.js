// Preloaded into node by bench/run (node --require): notes the size of the
// WebAssembly memory of the program when it ends, in bytes, in the file
// named by WASM_MEMORY_REPORT. The memory only grows, so its final size is
// its peak.
'use strict';
const fs = require('fs');
const report = process.env.WASM_MEMORY_REPORT;
const instantiate = WebAssembly.instantiate;
let memory = null;
WebAssembly.instantiate = async function (...args) {
    const result = await instantiate.apply(this, args);
    const instance = result.instance || result;
    for (const value of Object.values(instance.exports))
        if (value instanceof WebAssembly.Memory) memory = value;
    return result;
};
process.on('exit', () => {
    if (report && memory) fs.writeFileSync(report, String(memory.buffer.byteLength));
});
