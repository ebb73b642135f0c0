// COM for the calling thread, which the launch logic's shell calls and the windowing layer's
// screen-reader objects both need.
#pragma once

// Apartment-threaded, started at the first call and kept.
void initializeComOnThisThread();
