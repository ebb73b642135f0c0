// The real windows in this process, driven with real input.
