// Corvane: the host-side controller of networked flat-bed cutting plotters.
#include "ui/run_corvane.h"

int main(int argc, char** argv) { return RunCorvane(argc, argv); }
