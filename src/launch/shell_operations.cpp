#include "shell_operations.h"

#include <cstdio>
#include <cstdlib>

namespace {
ShellOperations* installed = nullptr;
}

ShellOperations& shellOperations() {
    if (!installed) {
        // A wiring fault in the program or a test, not something a player can cause.
        std::fputs("no shell operations installed\n", stderr);
        std::abort();
    }
    return *installed;
}

ScopedShellOperations::ScopedShellOperations(ShellOperations& backend) : previous_(installed) {
    installed = &backend;
}

ScopedShellOperations::~ScopedShellOperations() { installed = previous_; }
