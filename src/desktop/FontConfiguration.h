// The system's font configuration, which the first text measured or drawn needs. Loading it
// takes a few milliseconds (the configuration files are parsed, the font caches mapped); done
// once per process, on any thread, and whoever asks later finds it loaded.
#pragma once

void PreloadFontConfiguration();
