// Applies the loaded translation table to a window: its caption, each control's caption, help
// context and tooltip, and (unless keepButtonHeights) the height of cmdOK to the buttons on its
// row.
#pragma once

namespace quo {

class Form;
class TranslationTable;

void TranslateForm(const TranslationTable& table, Form& window, bool keepButtonHeights);

}  // namespace quo
