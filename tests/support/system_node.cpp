// The test helpers that differ between systems, for WebAssembly under
// Node.js: a wasm program cannot start a process itself, so the programs
// (Node.js scripts too) are started by Node's child_process, with the
// same node that runs the tests.
#include <emscripten.h>

#include "tests/support/test_support.h"

namespace test_support {

const bool reference_libc = false;
const bool on_windows = false;

namespace {

// Runs node with the script and the count arguments that follow each
// other in args, each ended by a zero byte, in directory cwd, standard
// output to the file out_path, standard input empty; environment holds
// "NAME=value" entries the same way. Returns the exit code, -1 when the
// program did not exit normally.
EM_JS(int, spawn_script, (const char* script, const char* args, int count, const char* cwd,
                          const char* out_path, const char* environment, int entries), {
    const child_process = require('child_process');
    const fs = require('fs');
    function texts(pointer, number) {
        const list = [];
        for (let i = 0; i < number; ++i) {
            const text = UTF8ToString(pointer);
            list.push(text);
            pointer += lengthBytesUTF8(text) + 1;
        }
        return list;
    }
    const env = Object.assign({}, process.env);
    for (const entry of texts(environment, entries)) {
        const equals = entry.indexOf('=');
        env[entry.substring(0, equals)] = entry.substring(equals + 1);
    }
    const out = fs.openSync(UTF8ToString(out_path), 'w');
    const result = child_process.spawnSync(
        process.execPath, [UTF8ToString(script)].concat(texts(args, count)),
        {cwd: UTF8ToString(cwd), env: env, stdio: ['ignore', out, 'inherit']});
    fs.closeSync(out);
    return result.status === null ? -1 : result.status;
});

std::string joined(const std::vector<std::string>& texts) {
    std::string all;
    for (const std::string& text : texts) all.append(text).push_back('\0');
    return all;
}

}  // namespace

RunResult run_binary(const std::string& program, const std::vector<std::string>& args,
                     const std::string& cwd, const std::vector<std::string>& environment) {
    TempDir scratch;
    std::string out_path = scratch.file("stdout");
    std::string all_args = joined(args), all_entries = joined(environment);
    RunResult result{-1, ""};
    result.exit_code = spawn_script(program.c_str(), all_args.data(), static_cast<int>(args.size()),
                                    cwd.c_str(), out_path.c_str(), all_entries.data(),
                                    static_cast<int>(environment.size()));
    result.stdout_bytes = read_file(out_path);
    return result;
}

// Node has no terminal of its own to offer; the programs there take every
// output for a terminal anyway.
std::optional<std::string> run_on_terminal(const std::string&, const std::vector<std::string>&,
                                           const std::string&, std::string* why_not) {
    *why_not = "Node.js has no pseudo-terminal to offer";
    return std::nullopt;
}

std::FILE* temporary_file() {
    std::FILE* stream = std::tmpfile();
    if (stream != nullptr) return stream;
    std::fputs("test support: no temporary file could be made\n", stderr);
    std::abort();
}

}  // namespace test_support
