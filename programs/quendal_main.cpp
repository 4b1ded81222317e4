#include "readers/converters/converters.h"

int main(int argc, char** argv) { core::run_program(converters::quendal, argc, argv); }
