// The real MorvaLauncher.exe, started in package folders and driven with real input.
