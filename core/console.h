// The programs' standard output: every line they print goes through here,
// as the bytes given, with no translation.
#ifndef CORE_CONSOLE_H
#define CORE_CONSOLE_H

#include <cstddef>
#include <cstdio>

namespace core {

// Standard output, unless a test points it at another stream.
extern std::FILE* console;

void print_text(const char* text);
void print_bytes(const char* bytes, size_t size);

}  // namespace core

#endif
