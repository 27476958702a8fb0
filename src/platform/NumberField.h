#pragma once

class QLineEdit;

// Reads a whole number from an edit field of a dialog. Outside low..high, or not a
// number at all, it tells the reader the range, puts the focus back in the field and
// gives false, so that the dialog stays open.
bool ReadNumberField(QLineEdit* edit, int low, int high, int& value);
