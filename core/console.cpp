#include "core/console.h"

#include <cstring>

namespace core {

std::FILE* console = stdout;

void print_text(const char* text) { print_bytes(text, std::strlen(text)); }

void print_bytes(const char* bytes, size_t size) { std::fwrite(bytes, 1, size, console); }

}  // namespace core
