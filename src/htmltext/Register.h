// Forces the classes the HTML engine can embed (TEdit, TButton, TCheckBox, TRadioButton)
// into the class registry.
#pragma once

void RegisterHTMLTextClasses();
