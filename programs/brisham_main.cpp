#include "programs/converters.h"

int main(int argc, char** argv) { core::run_program(programs::brisham, argc, argv); }
