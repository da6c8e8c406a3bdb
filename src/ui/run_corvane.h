// RunCorvane: the program's whole run, from the command line to the exit status.
#pragma once

// Makes the application, installs the message sink, system actions and file pickers, starts
// the program and runs its event loop; returns the exit status.
int RunCorvane(int argc, char** argv);
