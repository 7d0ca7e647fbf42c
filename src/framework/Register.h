// Forces the framework's control classes (controls, forms, labels, buttons, edits, check
// and radio buttons, panels, menus) into the class registry, so that layout descriptions
// can name them.
#pragma once

void RegisterFrameworkClasses();
