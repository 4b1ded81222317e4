# WebAssembly with Debian's emscripten; the programs and tests are Node.js
# scripts that run with plain `node` and see the real file system.
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)

find_program(NODE_EXECUTABLE NAMES node nodejs REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${NODE_EXECUTABLE} CACHE FILEPATH "" FORCE)

# emcc's JavaScript optimizer needs Debian's acorn, which Node looks for
# only where NODE_PATH says.
set(CMAKE_CXX_LINKER_LAUNCHER env NODE_PATH=/usr/share/nodejs)

# NODERAWFS: the real file system, relative to the current directory.
# SINGLE_FILE: the wasm inside the .js, so that Node's fetch never looks
# for it. EXIT_RUNTIME: exit flushes standard output and runs the atexit
# handlers, as on every other system.
set(CMAKE_EXE_LINKER_FLAGS_INIT
    "-sNODERAWFS=1 -sSINGLE_FILE=1 -sEXIT_RUNTIME=1 -sALLOW_MEMORY_GROWTH=1")
