#pragma once
// The life of the process: remember the foreground window, create the three windows, run the
// message loop. Returns the process exit code.
int RunQuillet();
