// The operator's notice that the global font files are missing and labels will not be drawn.
#pragma once

// Tells the operator which global font files are missing, and which draw no Chinese text,
// when any are or do; 1 when told.
int ReportMissingFontFiles();
// The notice for a loaded job whose labels need the label font: told when "fshz.fnt" gave no
// glyphs, at most once in a run; 1 when told now.
int ReportMissingFontForLabels();
// Lets the next ReportMissingFontForLabels tell again (a new run; tests).
void ResetMissingFontForLabelsNotice();
