#include "cli/CliMain.h"

int main(int argc, char** argv) { return tarvelo::runCommandLine(argc, argv); }
