// COM for the calling thread, which the launch logic's shell calls and the windowing layer's
// screen-reader objects both need.
#pragma once

// Apartment-threaded, started at the first call that succeeds and kept; a failure is tried again
// at the next call. Whether COM can be used on the thread now: started by it, or already there
// in another apartment.
bool initializeComOnThisThread();
