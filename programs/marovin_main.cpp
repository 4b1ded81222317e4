#include "readers/converters/converters.h"

int main(int argc, char** argv) { core::run_program(converters::marovin, argc, argv); }
