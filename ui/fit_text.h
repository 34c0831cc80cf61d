#pragma once
// Labels laid out in pixels for a narrow design font: where the font that stands in for it draws
// a text a little wider, the letters move closer together (never below 90 % of their spacing)
// rather than the label losing its last letters.

class QLabel;

namespace qm {

// Tightens the letter spacing of `label`'s font until its text fits its width, if it does not
// already. Returns whether the text fits afterwards.
bool FitTextToWidth(QLabel& label);

}  // namespace qm
